// The defaults of the operation interface and the factory registration.
#include "plan/plan_turn.h"

namespace zarvento {

namespace {
PlanTurnFactory* registeredFactory = nullptr;
}

PlanTurnFactory* GetPlanTurnFactory() { return registeredFactory; }

PlanTurnFactory* RegisterPlanTurnFactory(PlanTurnFactory* factory) {
    PlanTurnFactory* previous = registeredFactory;
    registeredFactory = factory;
    return previous;
}

PlanTurn::~PlanTurn() = default;

void PlanTurn::CollectFrames(std::vector<CCadreISO*>&) const {}
void PlanTurn::AddCommentFrames(std::vector<CCadreISO*>&, std::vector<std::unique_ptr<CCadreISO>>&) {}

void PlanTurn::CopyFramesTo(std::vector<CCadreISO*>& program) {
    if (!isExclude) CollectFrames(program);
}

void PlanTurn::AddDocFrame(std::vector<CCadreISO*>&, std::vector<std::unique_ptr<CCadreISO>>&) {}

void PlanTurn::Save(int) {}
void PlanTurn::Load(int) {}
bool PlanTurn::RemoveStorage(int) { return true; }
void PlanTurn::SetPostProcessorData(CPostProcessor*) {}

void PlanTurn::InsertTreeItems(TreeControl& tree, TreeItem parent, TreeItem after) {
    hTreeItem = tree.InsertItemAfter(parent, after, GetNameTurn(), 0, 0);
}

void PlanTurn::UpdateTreeItem(TreeControl& tree) {
    if (tree.Exists(hTreeItem)) tree.SetItemText(hTreeItem, GetNameTurn());
}

void PlanTurn::SelectFrames(bool) {}
void PlanTurn::ShowFrames() {}
void PlanTurn::UnhideFrames() {}
void PlanTurn::HideFrames() {}

void PlanTurn::ToggleShowPath() {
    isShowPath = !isShowPath;
    if (isShowPath) {
        ShowFrames();
    } else {
        HideFrames();
    }
}

void PlanTurn::ToggleExclude() { isExclude = !isExclude; }

}  // namespace zarvento
