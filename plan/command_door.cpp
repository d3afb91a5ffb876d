// The command wrapper and the action switch.
#include "plan/command_door.h"

#include <exception>

#include "geometry/exception.h"
#include "plan/menu_commands.h"
#include "plan/plan.h"
#include "plan/plan_panels.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/messages.h"
#include "platform/core/process_state.h"
#include "platform/documents/hidden_document.h"
#include "platform/documents/host_application.h"
#include "platform/host/host_document_3d.h"
#include "post/post_processor.h"

namespace zarvento {

bool StartedFlag = false;

namespace {

// The host references of the command. The active document and its view
// outlive the command (the display commands refresh the view later); the
// per-command ones exist between InitGlobalVariables and ReleaseGlobalVariable.
struct DocumentReferences {
    HostDocumentPtr activeDocument;
    HostDocumentPtr view;
    bool commandHeld = false;
} references;

bool lastFailed = false;

ZARVENTO_STATE_RESET {
    StartedFlag = false;
    references = DocumentReferences{};
    lastFailed = false;
}

HostApplication& ConnectedApplication() {
    HostApplication* app = HostApplicationObject();
    if (!app) throw HostError(E_POINTER_, "no host application");
    return *app;
}

// Gives the command's references back when the command ends, however it ends.
class ReleaseAtEnd {
public:
    ReleaseAtEnd() = default;
    ~ReleaseAtEnd() {
        try {
            ReleaseGlobalVariable();
        } catch (const HostError& e) {
            // Reported, not thrown: a destructor may run while an error is
            // already on its way out.
            ShowHostMessage(HostErrorText(e));
            lastFailed = true;
        }
    }
    ReleaseAtEnd(const ReleaseAtEnd&) = delete;
    ReleaseAtEnd& operator=(const ReleaseAtEnd&) = delete;
};

void ReportHostError(const HostError& e) {
    ShowHostMessage(HostErrorText(e));
    lastFailed = true;
}

bool RunsWithoutChecks(std::int32_t action) {
    return action == kActionLSC || action == kActionSettings || action == kActionSelectTurn;
}

// The commands of the action switch, by action code; an action that is not
// here reaches no command (the checks and the redraw still run).
struct ActionCommand {
    std::int32_t action;
    void (*run)(CPLAN& plan, std::int32_t type, std::int32_t index);
};

constexpr ActionCommand kActionCommands[] = {
    {0, [](CPLAN& plan, std::int32_t, std::int32_t) { plan.SetParamSPID(); }},
    {1, [](CPLAN& plan, std::int32_t type, std::int32_t index) { plan.CreateNewTurn(type, index); }},
    {2, [](CPLAN& plan, std::int32_t, std::int32_t index) { plan.EditTurn(index); }},
    {3, [](CPLAN& plan, std::int32_t, std::int32_t index) { plan.DeleteTurn(index); }},
    {5, [](CPLAN& plan, std::int32_t, std::int32_t index) { plan.ExcludeTurn(index); }},
    {6, [](CPLAN& plan, std::int32_t, std::int32_t index) { plan.SelectTurn(index); }},
    {7, [](CPLAN& plan, std::int32_t, std::int32_t index) { plan.ToggleTurnPath(index); }},
    {8, [](CPLAN& plan, std::int32_t, std::int32_t index) { plan.MoveTurnUp(index); }},
    {9, [](CPLAN& plan, std::int32_t, std::int32_t index) { plan.MoveTurnDown(index); }},
    {10, [](CPLAN& plan, std::int32_t, std::int32_t) { plan.RunProgramPanel(); }},
    {11, [](CPLAN& plan, std::int32_t, std::int32_t) { plan.ShowPostProcessorsList(); }},
    {12, [](CPLAN& plan, std::int32_t, std::int32_t) { plan.RunVisualization(); }},
    {23, [](CPLAN& plan, std::int32_t, std::int32_t index) { plan.ShowTurnMessage(index); }},
    {24, [](CPLAN& plan, std::int32_t, std::int32_t) { plan.ShowStatistics(); }},
    {25, [](CPLAN& plan, std::int32_t, std::int32_t) { plan.EditSettings(); }},
    {26, [](CPLAN& plan, std::int32_t, std::int32_t index) { plan.SaveTurnResultModel(index); }},
    {27, [](CPLAN& plan, std::int32_t, std::int32_t index) { plan.CreateTurnSketch(index); }},
    {30, [](CPLAN& plan, std::int32_t, std::int32_t) { plan.SetParam_LSC(); }},
    {31, [](CPLAN& plan, std::int32_t, std::int32_t) { plan.ToggleShowLSC(); }},
    {32, [](CPLAN& plan, std::int32_t, std::int32_t) { plan.ToggleShowSource(); }},
    {33, [](CPLAN& plan, std::int32_t, std::int32_t) { plan.ToggleShowGadgets(); }},
    {34, [](CPLAN&, std::int32_t, std::int32_t) { GetPlanPanels().CreatePlanDocument(""); }},
    {35, [](CPLAN&, std::int32_t, std::int32_t) { GetPlanPanels().CreateDocumentSet(); }},
    {75, [](CPLAN& plan, std::int32_t, std::int32_t) { plan.EditTurnTool(); }},
    {111, [](CPLAN& plan, std::int32_t, std::int32_t) { plan.RunCheckSimulation(); }},
};

const ActionCommand* FindActionCommand(std::int32_t action) {
    for (const ActionCommand& c : kActionCommands)
        if (c.action == action) return &c;
    return nullptr;
}

void Dispatch(CPLAN& plan, std::int32_t type, std::int32_t action, std::int32_t index) {
    if (const ActionCommand* command = FindActionCommand(action)) command->run(plan, type, index);
}

}  // namespace

bool IsKnownAction(std::int32_t action) {
    return FindActionCommand(action) != nullptr || action == kActionSynchronize || action == kActionCreateTree ||
           action == kActionRelease || action == kActionClearPlan;
}

bool IsMenuCommand(std::int32_t id) { return FindMenuCommand(id) != nullptr || IsTreeItemCommand(id); }

bool LastCommandFailed() { return lastFailed; }

void SetLastCommandFailed(bool failed) { lastFailed = failed; }

HostDocumentPtr HeldActiveDocument() { return references.activeDocument; }

bool IsPartOrAssemblyActive() {
    HostApplication& app = ConnectedApplication();
    HostDocumentPtr doc = app.ActiveDocument();
    if (!doc || doc == HiddenDocument()) return false;
    const DocumentType type = doc->Type();
    return type == DocumentType::Part || type == DocumentType::Assembly;
}

void InitGlobalVariables() {
    HostFaults::Check("InitGlobalVariables");
    HostDocumentPtr doc = ConnectedApplication().ActiveDocument();
    if (!doc) throw HostError(E_POINTER_, "no active document");
    references.activeDocument = doc;
    references.view = doc;
    references.commandHeld = true;
    // What selects and unselects host objects in the command is the active
    // document's own selection manager.
    if (HostDocument3D* document3D = doc->Document3D()) SetHostSelectionManager(document3D->Selection());
}

void ReleaseGlobalVariable() {
    HostFaults::Check("ReleaseGlobalVariable");
    if (!references.activeDocument) throw HostError(E_POINTER_, "no active document held");
    references.commandHeld = false;
}

std::int32_t RunLibraryCommand(std::int32_t type, std::int32_t action, std::int32_t index) {
    lastFailed = false;
    try {
        if (!IsPartOrAssemblyActive()) return 0;
        if (!StartedFlag) {
            StartedFlag = true;
            if (action != kActionSynchronize && action != kActionCreateTree) {
                BusyFlagGuard busy;
                RunLibraryCommand(-1, kActionCreateTree, -1);
                RunLibraryCommand(-1, kActionSynchronize, -1);
            }
        }
        InitGlobalVariables();
        ReleaseAtEnd release;
        try {
            ExecuteAction(GetPLAN(), type, action, index);
        } catch (const Exception& e) {
            ShowHostMessage(e.Message());
            lastFailed = true;
        }
    } catch (const HostError& e) {
        ReportHostError(e);
    } catch (const std::exception& e) {
        // Nothing may cross the door; whatever else failed is reported alike.
        ShowHostMessage(std::string("Ошибка выполнения команды: ") + e.what());
        lastFailed = true;
    }
    return 1;
}

std::int32_t ExecuteAction(CPLAN* plan, std::int32_t type, std::int32_t action, std::int32_t index) {
    if (!plan) return 0;
    switch (action) {
        case kActionSynchronize:
            plan->Synchronize();
            plan->RedrawPaths();
            return 0;
        case kActionCreateTree: GetPlanTree().Create(); return 0;
        case kActionRelease:
            FreeFrameTemplates();
            DeletePlanTree();
            DeleteSPID();
            DeletePLAN();
            return 0;
        case kActionClearPlan: plan->ClearPlan(); return 0;
        default: break;
    }
    const HostDocumentPtr active = references.activeDocument;
    if (!active) throw HostError(E_POINTER_, "no active document held");
    if (plan->IsOtherDocument(active)) plan->Synchronize();
    if (!RunsWithoutChecks(action)) {
        if (!plan->IsLSCDefined()) {
            plan->Synchronize();
            if (!plan->IsLSCDefined()) {
                ShowHostMessage("Задайте систему координат ЧПУ");
                // The command did nothing of what it was asked: a script
                // that sent it has failed.
                lastFailed = true;
                return 0;
            }
            plan->RedrawPaths();
        }
        if (action != kActionSPID && !plan->HasSourceContour()) {
            lastFailed = true;
            return 0;
        }
    }
    Dispatch(*plan, type, action, index);
    if (action == kActionSettings) return 1;
    plan->RedrawPaths();
    return 1;
}

}  // namespace zarvento
