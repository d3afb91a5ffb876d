// Starting and configuring the materials reference, and asking it for a
// material.
#include "catalogs/integrator.h"

#include "platform/core/process_state.h"
#include "platform/core/utf8_text.h"
#include "platform/processes/component_registry.h"
#include "platform/processes/host_environment.h"

namespace zarvento {

namespace {

std::optional<std::filesystem::path> libraryFile;

ZARVENTO_STATE_RESET { libraryFile.reset(); }

// The name of a stored path's file without its extension.
std::string FileStem(std::string_view stored) {
    const std::size_t slash = stored.find_last_of("\\/");
    std::string name(slash == std::string_view::npos ? stored : stored.substr(slash + 1));
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

std::string MessageOf(const std::exception& e) {
    // A framework's message is kept to 1024 characters.
    return std::string(Utf8Prefix(e.what(), 1024));
}

}  // namespace

IntegratorException::IntegratorException(std::vector<Record> records) : records_(std::move(records)) {
    for (const Record& r : records_) {
        if (!what_.empty()) what_ += '\n';
        what_ += r.operation + ": " + r.caption + ": " + r.message;
    }
}

Integrator::~Integrator() {
    DropServer();
    mTexts.clear();
}

void Integrator::DropServer() { pServer.reset(); }

bool Integrator::InitIntegrator(std::string_view configPath, std::optional<std::string_view> language) {
    errorText.clear();
    std::string config(configPath);
    if (config.empty()) {
        const std::string appData = HostEnvironmentVariable("appdata").value_or("");
        config = appData + "\\" + IntegratorLibraryFile().stem().string() + ".cfg";
    }
    const std::string name = FileStem(config);

    DropServer();
    std::shared_ptr<HostObject> made;
    std::string why;
    const HRESULT hr = ComponentRegistry::CreateInstance(kServerClassId, made, &why);
    if (hr < 0) {
        errorText = why.empty() ? "the materials reference cannot be started (" + FormatHResult(hr) + ")" : why;
        return false;
    }
    pServer = std::dynamic_pointer_cast<AutomationObject>(made);
    if (!pServer) {
        errorText = "the materials reference has no automation interface";
        return false;
    }
    try {
        Configure(config, name, language);
    } catch (const std::exception& e) {
        DropServer();
        errorText = MessageOf(e);
    }
    return pServer && errorText.empty();
}

void Integrator::Configure(std::string_view configPath, const std::string& name,
                           std::optional<std::string_view> language) {
    LoadLocalization(name, language.value_or(std::string_view()));
    const AutomationObjectPtr configuration = AutomationObjectOf(CallMember(*pServer, "Configuration"));
    if (!configuration) throw HostError(E_POINTER_, "the materials reference has no configuration");
    CallMember(*configuration, "SetConfigFile", {Variant::BStr(std::string(configPath))});
    const AutomationObjectPtr settings = AutomationObjectOf(CallMember(*configuration, "Settings"));
    if (!settings) throw HostError(E_POINTER_, "the materials reference has no settings");
    const AutomationObjectPtr localisation = AutomationObjectOf(CallMember(*settings, "Localization"));
    if (!localisation) throw HostError(E_POINTER_, "the materials reference has no localisation settings");

    if (CallMember(*localisation, "ApplicationName").ToBStr().empty()) {
        CallMember(*localisation, "Language", {Variant::BStr(sLanguage)});
        CallMember(*localisation, "Folder", {Variant::BStr(sLocFolder)});
        CallMember(*localisation, "ApplicationName", {Variant::BStr(name)});
        CallMember(*configuration, "Store", {Variant::I4(0)});
    }
    if (!language || language->empty()) {
        const std::string serverLanguage = CallMember(*localisation, "Language").ToBStr();
        if (CompareNoCase(serverLanguage, sLanguage) != 0) LoadLocalization(name, serverLanguage);
    }
    OnStarted();
}

std::string Integrator::GetText(std::string_view key) const {
    auto it = mTexts.find(key);
    return it == mTexts.end() ? std::string(key) : it->second;
}

void Integrator::CheckConnected(std::string_view operation) const {
    if (pServer) return;
    throw IntegratorException({{GetText("Error_CommunicationWithIntegrator"), GetText("Error_NotConnectedToIntegrator"),
                                std::string(operation)}});
}

AutomationObjectPtr Integrator::GetMaterialInfo(std::string_view location) {
    CheckConnected("GetMaterialInfo");
    return AutomationObjectOf(CallMember(*pServer, "MaterialInfo", {Variant::BStr(std::string(location))}));
}

void ReplaceAll(std::string& text, std::string_view pattern, std::string_view replacement) {
    if (pattern.empty() || pattern == replacement || text.find(pattern) == std::string::npos) return;
    const bool again = replacement.find(pattern) == std::string_view::npos;
    // Each pass that replaces anything is followed by another only while the
    // replacement cannot recreate the pattern; no text needs more passes
    // than it has characters.
    for (std::size_t pass = 0, bound = text.size() + 1; pass < bound; ++pass) {
        bool replaced = false;
        for (std::size_t at = text.find(pattern); at != std::string::npos;
             at = text.find(pattern, at + replacement.size())) {
            text.replace(at, pattern.size(), replacement);
            replaced = true;
        }
        if (!again || !replaced || text.find(pattern) == std::string::npos) return;
    }
}

std::filesystem::path IntegratorLibraryFile() {
    if (libraryFile) return *libraryFile;
    static const char anchor = 0;
    return ModuleFileOf(&anchor).value_or(std::filesystem::path("zarvento"));
}

void SetIntegratorLibraryFile(std::optional<std::filesystem::path> file) { libraryFile = std::move(file); }

}  // namespace zarvento
