// DoSynchronizationData and its flags.
#include "plan/synchronization.h"

#include "plan/plan.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "platform/core/messages.h"
#include "platform/core/process_state.h"
#include "platform/core/scope_guard.h"
#include "platform/documents/host_application.h"

namespace zarvento {

bool SynchronisingFlag = false;
bool PostProcessorNoticeFlag = false;

namespace {

// Whether the notice of elementary moves in place of a missing cycle was
// shown since the last synchronisation.
bool forcedElementaryShown = false;

}  // namespace

ZARVENTO_STATE_RESET {
    SynchronisingFlag = false;
    PostProcessorNoticeFlag = false;
    forcedElementaryShown = false;
}

namespace {

void Expand(TreeControl& tree, TreeItem item) {
    if (tree.Exists(item)) tree.Expand(item);
}

// Expands what was expanded when the plan was saved: entry 0 the NC-system
// group, entry 1 the stock-and-tools group, entry k + 2 operation k.
void RestoreTreeStates(const CPLAN& plan, const CSPID& spid) {
    PlanTree* planTree = ExistingPlanTree();
    TreeControl* tree = planTree ? planTree->Control() : nullptr;
    const std::vector<std::uint8_t>& states = plan.treeStates;
    if (!tree || states.size() < 2) return;
    Expand(*tree, planTree->Root());
    if (states[0]) Expand(*tree, spid.hLSCGroup);
    if (states[1]) Expand(*tree, spid.hSPIDGroup);
    for (std::size_t k = 2; k < states.size(); ++k) {
        const PlanTurn* op = plan.GetTurn(static_cast<int>(k - 2));
        if (!op) break;
        if (states[k]) Expand(*tree, op->hTreeItem);
    }
}

}  // namespace

bool ShowPostProcessorNotice() {
    if (!PostProcessorNoticeFlag) return false;
    PostProcessorNoticeFlag = false;
    HostMessageBox("Постпроцессор был изменен.\nОбработки приняты в элементарных перемещениях", CSPID::kCaption,
                   CSPID::kExclamation);
    return true;
}

bool ShowForcedElementaryNotice(const std::string& postProcessor) {
    if (forcedElementaryShown) return false;
    forcedElementaryShown = true;
    HostMessageBox("Постпроцессор " + (postProcessor.empty() ? std::string("(не задан)") : postProcessor) +
                       " не содержит машинного цикла, выбранного в обработке.\n"
                       "Обработки приняты в элементарных перемещениях",
                   CSPID::kCaption, CSPID::kExclamation);
    return true;
}

void DoSynchronizationData(CPLAN& plan) {
    HostDocumentPtr document = ActiveHostDocument();
    plan.synchronisedDocumentPath = document->FilePath();
    const auto synchronising = SetForScope(SynchronisingFlag, true);
    forcedElementaryShown = false;
    // Only this synchronisation's operations may show the notice.
    const auto notice = SetForScope(PostProcessorNoticeFlag, false);

    plan.Load();
    // An existing tree is emptied to a new root; without a control the tree
    // is made now.
    if (GetPlanTree().Control()) {
        GetPlanTree().Reset();
    } else {
        GetPlanTree().Create();
    }
    DeleteSPID();
    CSPID* spid = GetSPID();

    bool readPart = false;
    if (spid->Load_LSC_CNC()) {
        plan.RefreshLSCTreeNode();
        readPart = spid->GetLSC() != nullptr;
        // Without a coordinate system the loss was reported just now; the
        // recognition would only report it again.
        if (!spid->GetLSC() || !RecognizeDetailContour(*spid) || !spid->GetDetailContour())
            ShowMessageBox("Не удалось распознать контур детали");
    }
    if (spid->Load_SPID()) {
        plan.RefreshSPIDTreeNode();
        spid->UpdateModelFiles();
    }
    // The part's values are read once the plan data is: the material's class
    // depends on how the stock is made (cast or rolled), which the plan data
    // keeps.
    const bool storePlan = readPart && plan.ReadDetailParameters(false);

    plan.ClearTurns();
    PostProcessorNoticeFlag = true;
    // Operation k reads the record of its stored position k, also when a code
    // before it made no operation.
    for (std::size_t k = 0; k < plan.typeCodes.size(); ++k) {
        std::unique_ptr<PlanTurn> op = CPLAN::CreateTurnClass(plan.typeCodes[k]);
        if (!op) continue;
        op->SetPostProcessorData(spid->GetPostProcessor());
        op->Load(static_cast<int>(k));
        plan.InsertTurn(-1, std::move(op));
    }
    RestoreTreeStates(plan, *spid);

    plan.DiagnosticRaschetPath();
    if (PlanTree* planTree = ExistingPlanTree(); planTree && planTree->Control()) {
        for (int i = 0; i < plan.GetTurnCount(); ++i) plan.GetTurn(i)->UpdateTreeItem(*planTree->Control());
    }
    if (storePlan) plan.Save();
}

}  // namespace zarvento
