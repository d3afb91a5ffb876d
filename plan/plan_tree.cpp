// The plan tree object and its image look-up.
#include "plan/plan_tree.h"

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
