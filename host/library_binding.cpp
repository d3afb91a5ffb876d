// Attach, detach, the host's first notification and the library's host objects.
#include "host/library_binding.h"

#include <dlfcn.h>

#include "host/base_event.h"
#include "host/command_entry.h"
#include "host/settings_dialog.h"
#include "host/tree_ctrl_event.h"
#include "model/model_layer.h"
#include "operation_panels/operation_panels_layer.h"
#include "operations/headless_turn_panels.h"
#include "panels/base_panel.h"
#include "panels/host_panels.h"
#include "plan/command_door.h"
#include "plan/plan.h"
#include "plan/plan_panels.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_error.h"
#include "platform/core/host_folder.h"
#include "platform/core/host_version.h"
#include "platform/core/messages.h"
#include "platform/core/process_state.h"
#include "platform/documents/hidden_document.h"
#include "platform/documents/settings_record.h"
#include "platform/host/redozu_object.h"
#include "platform/processes/host_libraries.h"
#include "platform/processes/host_procedures.h"
#include "platform/processes/host_registry.h"
#include "platform/processes/module.h"
#include "platform/processes/resource_strings.h"
#include "post/post_processor.h"
#include "reports/reports_layer.h"
#include "reports/statistics_panels.h"
#include "simulation/simulation.h"
#include "simulation/simulation_layer.h"

namespace zarvento {

namespace {

constexpr int kHostModuleString = 103;
// The host version from which the library list and the newer panels exist.
constexpr int kNewerHost = 17;

std::filesystem::path moduleFile;

// Every step of the detach runs, whatever the one before it met.
template <typename Step>
void DetachStep(Step&& step) {
    try {
        step();
    } catch (const std::exception&) {
        // Unloading goes on: there is no one left to tell.
    }
}

}  // namespace

LibraryGlobals& Globals() {
    static LibraryGlobals globals;
    return globals;
}

// The library's host objects belong to the host's state: a reset of it (a
// test, the end of a program's verb) lets them go with the host's application.
ZARVENTO_STATE_RESET { Globals() = LibraryGlobals{}; }

const std::filesystem::path& LibraryModuleFile() { return moduleFile; }

void AttachLibrary(const std::filesystem::path& file) {
    moduleFile = file;
    RegisterLibraryModule(file);
    try {
        CheckHostVersion(true);
        AttachHostMainWindow();
    } catch (const HostError& e) {
        ShowMessageBox(HostErrorText(e));
    }
    // The library's layers, wired once: frames, post-processors, the plan,
    // the operations, the simulation and the operation panels; the panels on
    // the host over the headless operation panel for those not on the host
    // yet; the settings dialog.
    RegisterOperationPanelsLayer();
    static HeadlessTurnPanels panels;
    StartPanels(panels);
    StartStatisticsReports();
    RegisterReportsLayer();
    RegisterSettingsDialog(&SettingsDialogRunnerInstance());
    // The plan tree's control reports its events to the host binding.
    RegisterPlanTreeEventSource(&TreeEventSource::Instance());
    RegisterDocumentEventsAdvisor(&AdviseDocumentEvents);
}

void DetachLibrary() {
    DetachStep([] { FreeFrameTemplates(); });
    DetachStep([] { DeletePlanTree(); });
    DetachStep([] { DeleteSPID(); });
    DetachStep([] { DeletePLAN(); });
    DetachStep([] { ReleaseHostObjects(); });
    DetachStep([] { CloseHiddenDocument(); });
    DetachStep([] { DetachHostMainWindow(); });
    // The rebuild of the models' equations the library left with the host
    // goes with it (a later use of the library puts it back).
    DetachStep([] { SetDocumentRebuildHandler(nullptr); });
}

void UnwireLibrary() {
    DetachStep([] { RegisterDocumentEventsAdvisor(nullptr); });
    DetachStep([] { RegisterPlanTreeEventSource(nullptr); });
    DetachStep([] { UnregisterReportsLayer(); });
    DetachStep([] { StopStatisticsReports(); });
    DetachStep([] { StopPanels(); });
    DetachStep([] { UnregisterOperationPanelsLayer(); });
    DetachStep([] { UnregisterSimulationLayer(); });
    DetachStep([] { UnregisterModelLayer(); });
}

void NotifyLibraryLoaded() {
    ConnectHost();
    LoadSettings();
    EnsureApplicationEvent();
    // The version known since attach (asked again when a reset forgot it).
    if (Globals().hostMajorVersion == 0) CheckHostVersion(false);
    if (Globals().hostMajorVersion < kNewerHost) return;
    const HostLibraryEntry* entry = HostLibraries::Instance().Item(LibraryTitle());
    if (!entry) throw HostError(E_INVALIDARG_, "the library is not in the host's library list");
    SetLibraryEntryText(entry->text);
}

void ConnectHost() {
    LibraryGlobals& g = Globals();
    if (g.automation) return;
    const std::string hostName = SharedLibraryFileName(LoadResString(kHostModuleString));
    // The host module the process runs on is the one to connect to: a second
    // copy of it (the file beside a program started from a copy of its folder,
    // while the process took the host from elsewhere) would be another host,
    // gone again when this load is closed under the objects it handed out.
    void* library = dlopen(hostName.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!library) {
        std::filesystem::path hostModule = HostExecutablePath();
        hostModule.replace_filename(hostName);
        library = dlopen(hostModule.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (!library) return;
    using CreateFunction = RedozuObject* (*)();
    if (auto create = reinterpret_cast<CreateFunction>(dlsym(library, "CreateRedozuObject"))) {
        g.automation = create();
        if (g.automation && !g.application) g.application = &g.automation->Application();
    }
    // The host keeps its own module loaded; this load only looked it up.
    dlclose(library);
}

HostApplication& ConnectedApplication() {
    if (!Globals().application) throw HostError(E_POINTER_, "the host is not connected");
    return *Globals().application;
}

void CloseHiddenDocument() {
    HostDocumentPtr hidden = HiddenDocument();
    if (!hidden) return;
    if (HostApplication* app = HostApplicationObject()) app->Documents().Close(hidden);
}

void ReleaseHostObjects() {
    RemoveAllEvents();
    LibraryGlobals& g = Globals();
    g.firstFrame.reset();
    g.activeDocument.reset();
    g.application = nullptr;
}

bool CheckHostVersion(bool showMessage) {
    const HostVersion version = QueryHostVersion();
    Globals().hostMajorVersion = version[0];
    if (version[0] >= 16 || (version[0] == 15 && version[2] == 2)) return true;
    if (showMessage) ShowMessageBox(kHostTooOldMessage);
    return false;
}

std::string GetModuleFolder() {
    const auto folder = ModuleDirectory();
    if (!folder || folder->empty()) {
        HostTextOutput("Error:\nPath for Orbisel not found");
        return {};
    }
    return folder->string();
}

void SynchronizeWithModel() {
    if (!CheckHostVersion(false)) return;
    BusyFlagGuard busy;
    RunCommandWrapper(-1, kActionCreateTree, -1);
    RunCommandWrapper(-1, kActionSynchronize, -1);
}

std::uint32_t RegisterLibrary() {
    const std::string path = moduleFile.string();
    if (path.empty()) return kRegistrationFailed;
    try {
        // Both values or neither: a key without its path is no add-in.
        HostRegistry::Instance().Update([&path] {
            HostRegistry::Instance().SetText(kAddInKey, "Path", path);
            HostRegistry::Instance().SetNumber(kAddInKey, "AutoConnect", 1);
        });
    } catch (const HostError&) {
        return kRegistrationFailed;
    }
    return 0;
}

std::uint32_t UnregisterLibrary() {
    try {
        return HostRegistry::Instance().DeleteKey(kAddInKey) ? 0 : kRegistrationFailed;
    } catch (const HostError&) {
        return kRegistrationFailed;
    }
}

std::filesystem::path SettingsFilePath() { return HostFolderOfKind(3) / SettingsRecord::kFileName; }

void LoadSettings() {
    SettingsRecord& record = SettingsRecord::Global();
    record.SetDefaults(QueryHostVersion()[0]);
    record.Load(SettingsFilePath());
}

}  // namespace zarvento
