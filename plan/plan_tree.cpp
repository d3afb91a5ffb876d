// The plan tree object and its image look-up.
#include "plan/plan_tree.h"

#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/process_state.h"

namespace zarvento {

namespace {
std::unique_ptr<PlanTree> planTree;
}

ZARVENTO_STATE_RESET { planTree.reset(); }

TreeControl& PlanTree::CreateControl() {
    control_ = std::make_unique<TreeControl>();
    root_ = control_->InsertItem(kNoTreeItem, " ", 0, 0);
    return *control_;
}

void PlanTree::Reset() {
    if (!control_) return;
    control_->DeleteAllItems();
    root_ = control_->InsertItem(kNoTreeItem, " ", 0, 0);
}

int PlanTree::GetSelectedRole() const {
    constexpr int kRootRole = 1000, kNone = -1;
    if (!control_) return kNone;
    const TreeItem selected = control_->SelectedItem();
    if (selected == kNoTreeItem) return kNone;
    if (selected == root_) return kRootRole;
    // Every line of a group carries the group's item as its data.
    const TreeItem group = control_->ItemData(selected);
    if (group == kNoTreeItem) return kNone;
    if (CSPID* spid = ExistingSPID()) {
        if (group == spid->hLSCGroup) return 0;
        if (group == spid->hSPIDGroup) return 1;
    }
    if (CPLAN* plan = ExistingPLAN())
        for (int i = 0; i < plan->GetTurnCount(); ++i)
            if (group == plan->GetTurn(i)->hTreeItem) return i + 2;
    return kNone;
}

void PlanTree::Deselect(int role) {
    if (control_ && role == -1) control_->SelectItem(kNoTreeItem);
}

PlanTree& GetPlanTree() {
    if (!planTree) planTree = std::make_unique<PlanTree>();
    return *planTree;
}

PlanTree* ExistingPlanTree() { return planTree.get(); }

void DeletePlanTree() { planTree.reset(); }

int GetTreeImageIndex(int iconId) {
    const TreeControl* control = planTree ? planTree->Control() : nullptr;
    return control ? control->ImageIndex(iconId) : 0;
}

}  // namespace zarvento
