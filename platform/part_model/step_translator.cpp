// Finding and loading the STEP translator's module beside the host module.
#include "platform/part_model/step_translator.h"

#include <dlfcn.h>

#include <filesystem>

#include "platform/host_error.h"

namespace zarvento {

namespace {

constexpr const char* kStepModuleFile = "librdzStep.so";

// The translator, or the reason it could not be had.
struct LoadedTranslator {
    const StepTranslator* translator = nullptr;
    std::string error;
};

LoadedTranslator Load() {
    // The module lies beside the host module, wherever that was loaded from.
    const std::optional<std::filesystem::path> folder = HostModuleFolder();
    if (!folder) return {nullptr, "the host module's folder is unknown"};
    const std::filesystem::path file = *folder / kStepModuleFile;
    // Never closed: Open CASCADE's libraries keep tables until the process ends.
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        return {nullptr, why ? why : "cannot load " + file.string()};
    }
    const auto entry = reinterpret_cast<StepTranslatorEntry>(::dlsym(handle, kStepTranslatorEntry));
    const StepTranslator* translator = entry ? entry() : nullptr;
    if (!translator) return {nullptr, file.string() + " holds no STEP translator"};
    return {translator, {}};
}

}  // namespace

const StepTranslator& LoadStepTranslator() {
    static const LoadedTranslator loaded = Load();
    if (!loaded.translator) throw HostError(E_FAIL_, "the STEP translator cannot be loaded: " + loaded.error);
    return *loaded.translator;
}

}  // namespace zarvento
