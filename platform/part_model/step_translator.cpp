// Finding and loading the STEP translator's module beside the host module.
#include "platform/part_model/step_translator.h"

#include "platform/core/host_error.h"

namespace zarvento {

namespace {

constexpr const char* kStepModuleFile = "librdzStep.so";

// The translator, or the reason it could not be had.
struct LoadedTranslator {
    const StepTranslator* translator = nullptr;
    std::string error;
};

LoadedTranslator Load() {
    std::string error;
    const auto entry = reinterpret_cast<StepTranslatorEntry>(
        LoadBesideHostModule(kStepModuleFile, kStepTranslatorEntry, "STEP translator", error));
    const StepTranslator* translator = entry ? entry() : nullptr;
    if (!translator && error.empty()) error = std::string(kStepModuleFile) + " answers no STEP translator";
    return {translator, error};
}

}  // namespace

const StepTranslator& LoadStepTranslator() {
    static const LoadedTranslator loaded = Load();
    if (!loaded.translator) throw HostError(E_FAIL_, "the STEP translator cannot be loaded: " + loaded.error);
    return *loaded.translator;
}

}  // namespace zarvento
