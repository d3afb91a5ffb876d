// The defaults of the operation interface and the factory registration.
#include "plan/plan_turn.h"

#include "plan/plan_panels.h"
#include "platform/core/registration.h"

namespace zarvento {

namespace {
Registration<PlanTurnFactory> registration;
}  // namespace

PlanTurnFactory* GetPlanTurnFactory() { return registration.Get(); }

PlanTurnFactory* RegisterPlanTurnFactory(PlanTurnFactory* factory) { return registration.Register(factory); }

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

int PlanTurn::Edit() { return GetPlanPanels().EditTurn(*this); }

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
