// The plan's drawings behind the plan commands.
#include "reports/plan_sketches.h"

#include "operations/turn.h"
#include "plan/plan.h"
#include "reports/plan_sketch.h"
#include "reports/turn_sketch.h"

namespace zarvento {

PlanSketches& PlanSketches::Instance() {
    static PlanSketches instance;
    return instance;
}

void PlanSketches::CreateTurnSketch(PlanTurn& op, const std::string& name) {
    if (auto* turn = dynamic_cast<CTurn*>(&op)) CreateSketch(*turn, name);
}

void PlanSketches::CreatePlanDocument(const std::string& name) { zarvento::CreatePlanDocument(name); }

void PlanSketches::CreateDocumentSet() { zarvento::CreateDocumentSet(*GetPLAN()); }

}  // namespace zarvento
