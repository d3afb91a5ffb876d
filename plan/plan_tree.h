// The plan tree window as the plan sees it: a tree control that may be
// absent (then every update does nothing) and the root item of the plan.
#pragma once

#include <memory>

#include "platform/tree_control.h"

namespace zarvento {

class PlanTree {
public:
    // The tree control; null until the host window makes one.
    TreeControl* Control() const { return control_.get(); }
    // Makes the tree control with a root item (the host window does this
    // when its panel is shown; tests call it directly).
    TreeControl& CreateControl();
    TreeItem Root() const { return root_; }
    // The role of the selected item: 1000 the root, 0 the NC-system group, 1
    // the stock-and-tools group, k + 2 the group of operation k; -1 for
    // nothing selected, an unknown item or no tree.
    int GetSelectedRole() const;
    // Clears the tree's selection when `role` is -1.
    void Deselect(int role);
    // Deletes every item and makes a new root.
    void Reset();

private:
    std::unique_ptr<TreeControl> control_;
    TreeItem root_ = kNoTreeItem;
};

// The plan tree, made on first use.
PlanTree& GetPlanTree();
// The plan tree when it exists, else null.
PlanTree* ExistingPlanTree();
void DeletePlanTree();
// The icon's index in the plan tree's image list, 0 when absent.
int GetTreeImageIndex(int iconId);

}  // namespace zarvento
