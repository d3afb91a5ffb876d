// The plan executor: the plan instance, its operation list and the searches
// over it.
#include "plan/plan.h"

#include <algorithm>

#include "catalogs/param_tool.h"
#include "geometry/primitives.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "platform/core/process_state.h"
#include "platform/documents/host_application.h"

namespace zarvento {

PlanTurn* WaitingTurn = nullptr;

namespace {

std::unique_ptr<CPLAN> planInstance;

// The plan's provider: its own variables first, then the part's (the plan
// itself, as DETAIL_PARAMETERS).
class PlanVariableProvider final : public PLAN_PARAMETERS {
public:
    explicit PlanVariableProvider(CPLAN& plan) : PLAN_PARAMETERS(&plan), plan_(plan) {}
    const double* GetPlanParameter(std::string_view name) override { return plan_.GetNumericVariable(name); }
    const std::string* GetPlanStringParameter(std::string_view name) override { return plan_.GetStringVariable(name); }

private:
    CPLAN& plan_;
};

// The active document's file path; empty when none is active.
std::string ActiveDocumentPath() {
    HostApplication* app = HostApplicationObject();
    const HostDocumentPtr& doc = app ? app->ActiveDocumentOrNull() : HostDocumentPtr();
    return doc ? doc->FilePath() : std::string();
}

}  // namespace

ZARVENTO_STATE_RESET {
    planInstance.reset();
    WaitingTurn = nullptr;
}

CPLAN* GetPLAN() {
    if (!planInstance) planInstance = std::make_unique<CPLAN>();
    return planInstance.get();
}

CPLAN* ExistingPLAN() { return planInstance.get(); }

void DeletePLAN() { planInstance.reset(); }

CPLAN::CPLAN()
    : degreesPerRadian(180.0 / PI),
      radiansPerDegree(PI / 180.0),
      storedDocumentPath(ActiveDocumentPath()),
      planParameters(std::make_unique<PlanVariableProvider>(*this)) {
    // A tool variable's expression may name the plan's and the part's values.
    SetToolFormulaProvider(planParameters.get());
}

CPLAN::~CPLAN() {
    if (ToolFormulaProvider() == planParameters.get()) SetToolFormulaProvider(nullptr);
    ClearTurns();
    // A new operation still waiting for its tool goes with the plan.
    if (pendingNewTurn && WaitingTurn == pendingNewTurn.get()) WaitingTurn = nullptr;
}

PlanTurn* CPLAN::GetTurn(int i) const {
    return i >= 0 && i < GetTurnCount() ? turns[static_cast<std::size_t>(i)].get() : nullptr;
}

int CPLAN::IndexOfTurn(const PlanTurn* op) const {
    if (!op) return -1;
    auto it = std::find_if(turns.begin(), turns.end(), [op](const auto& t) { return t.get() == op; });
    return it == turns.end() ? -1 : static_cast<int>(it - turns.begin());
}

bool CPLAN::ContainsTurn(const PlanTurn* op) const { return IndexOfTurn(op) >= 0; }

std::unique_ptr<PlanTurn> CPLAN::CreateTurnClass(std::int32_t type) {
    if (type < kFirstTurnType || type > kLastTurnType) return nullptr;
    PlanTurnFactory* factory = GetPlanTurnFactory();
    std::unique_ptr<PlanTurn> op = factory ? factory->CreateTurn(type) : nullptr;
    if (op) op->kind = type;
    return op;
}

TreeControl* CPLAN::Tree() {
    PlanTree* tree = ExistingPlanTree();
    return tree ? tree->Control() : nullptr;
}

void CPLAN::InsertTreeItemAt(PlanTurn& op, int i) {
    TreeControl* tree = Tree();
    if (!tree) return;
    TreeItem parent = ExistingPlanTree()->Root();
    TreeItem after = kNoTreeItem;
    const PlanTurn* next = GetTurn(i);
    if (next && tree->Exists(next->hTreeItem)) {
        // Just before the item of the operation now at i, whatever stands
        // before it (the plan-data groups, or nothing at all).
        parent = tree->Parent(next->hTreeItem);
        after = tree->PreviousSibling(next->hTreeItem);
    } else {
        const std::vector<TreeItem> children = tree->Children(parent);
        if (!children.empty()) after = children.back();
    }
    op.InsertTreeItems(*tree, parent, after);
}

PlanTurn* CPLAN::InsertTurn(int i, std::unique_ptr<PlanTurn> op) {
    if (!op || ContainsTurn(op.get())) return nullptr;
    // A stale position from a tree event or a waiting operation appends.
    const int at = i >= 0 && i < GetTurnCount() ? i : GetTurnCount();
    PlanTurn* raw = op.get();
    InsertTreeItemAt(*raw, at);
    // Only an appended operation leaves the calculation of the others as it was.
    if (at != GetTurnCount()) ForgetCalculation();
    turns.insert(turns.begin() + at, std::move(op));
    return raw;
}

bool CPLAN::RemoveTurn(PlanTurn* op) {
    const int at = IndexOfTurn(op);
    if (at < 0) return false;
    if (TreeControl* tree = Tree()) tree->DeleteItem(op->hTreeItem);
    // Records follow positions: after the removal the last position is gone,
    // and the caller saves the operations from the removed one on again.
    turns.back()->RemoveStorage(GetTurnCount() - 1);
    std::unique_ptr<PlanTurn> doomed = std::move(turns[static_cast<std::size_t>(at)]);
    turns.erase(turns.begin() + at);
    ForgetTurn(doomed.get());
    return true;
}

bool CPLAN::MoveTurn(int from, int to) {
    if (!GetTurn(from) || !GetTurn(to)) return false;
    if (from == to) return true;
    ForgetCalculation();
    if (from - to == 1 || to - from == 1) {
        // Neighbours change places in the tree too, each item kept with its
        // handle, lines and expanded state.
        const int upper = std::min(from, to);
        PlanTurn* first = GetTurn(upper);
        PlanTurn* second = GetTurn(upper + 1);
        if (PlanTree* tree = ExistingPlanTree()) tree->SwapItems(first->hTreeItem, second->hTreeItem);
        std::swap(turns[static_cast<std::size_t>(from)], turns[static_cast<std::size_t>(to)]);
        return true;
    }
    std::unique_ptr<PlanTurn> op = std::move(turns[static_cast<std::size_t>(from)]);
    turns.erase(turns.begin() + from);
    if (TreeControl* tree = Tree()) tree->DeleteItem(op->hTreeItem);
    op->hTreeItem = kNoTreeItem;
    InsertTreeItemAt(*op, to);
    turns.insert(turns.begin() + to, std::move(op));
    return true;
}

bool CPLAN::ToggleExclude(int i) {
    PlanTurn* op = GetTurn(i);
    if (!op) return false;
    ForgetCalculation();
    op->ToggleExclude();
    if (TreeControl* tree = Tree()) op->UpdateTreeItem(*tree);
    return true;
}

void CPLAN::ClearTurns() {
    ++turnsCleared;
    TreeControl* tree = Tree();
    while (!turns.empty()) {
        std::unique_ptr<PlanTurn> doomed = std::move(turns.back());
        turns.pop_back();
        if (tree) tree->DeleteItem(doomed->hTreeItem);
        ForgetTurn(doomed.get());
    }
}

void CPLAN::ForgetTurn(const PlanTurn* op) {
    // A removed operation changes what every later one starts from.
    ForgetCalculation();
    if (currentTurn == op) currentTurn = nullptr;
    if (WaitingTurn == op) WaitingTurn = nullptr;
}

int CPLAN::GetActiveTurnNumber(const PlanTurn* op) const {
    const int at = IndexOfTurn(op);
    if (at < 0) return -1;
    return static_cast<int>(
        std::count_if(turns.begin(), turns.begin() + at, [](const auto& t) { return t->IsActive(); }));
}

PlanTurn* CPLAN::GetPrevActiveTurn(int i) const {
    if (!GetTurn(i)) return nullptr;
    for (int k = i; k >= 0; --k) {
        if (turns[static_cast<std::size_t>(k)]->IsActive()) return turns[static_cast<std::size_t>(k)].get();
    }
    return nullptr;
}

PlanTurn* CPLAN::GetNextActiveTurn(int i) const {
    if (!GetTurn(i)) return nullptr;
    for (int k = i; k < GetTurnCount(); ++k) {
        if (turns[static_cast<std::size_t>(k)]->IsActive()) return turns[static_cast<std::size_t>(k)].get();
    }
    return nullptr;
}

void CPLAN::SelectTurn(int i) {
    if (!GetSPID()->GetLSC()) return;
    if (ContainsTurn(currentTurn)) currentTurn->SelectFrames(false);
    if (PlanTurn* op = GetTurn(i)) {
        op->SelectFrames(true);
        currentTurn = op;
    }
}

void CPLAN::DeselectTurn() {
    if (ContainsTurn(currentTurn)) currentTurn->SelectFrames(false);
    currentTurn = nullptr;
}

void CPLAN::RefreshLSCTreeNode() {
    PlanTree* tree = ExistingPlanTree();
    if (tree && ExistingSPID()) ExistingSPID()->InsertLSCTreeNode(tree);
}

void CPLAN::RefreshSPIDTreeNode() {
    PlanTree* tree = ExistingPlanTree();
    if (tree && ExistingSPID()) ExistingSPID()->InsertSPIDTreeNode(tree);
}

}  // namespace zarvento
