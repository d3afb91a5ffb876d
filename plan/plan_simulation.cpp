// The registered simulation run of the plan's headless panel.
#include "plan/plan_simulation.h"

namespace zarvento {

namespace {
PlanSimulation* registered = nullptr;
}

PlanSimulation* GetPlanSimulation() { return registered; }

PlanSimulation* RegisterPlanSimulation(PlanSimulation* simulation) {
    PlanSimulation* previous = registered;
    registered = simulation;
    return previous;
}

}  // namespace zarvento
