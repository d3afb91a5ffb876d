// The simulation layer's registrations.
#include "simulation/simulation_layer.h"

#include "plan/plan_simulation.h"
#include "simulation/headless_simulation.h"

namespace zarvento {

void RegisterSimulationLayer() { RegisterPlanSimulation(&HeadlessSimulation::Instance()); }

void UnregisterSimulationLayer() {
    if (GetPlanSimulation() == &HeadlessSimulation::Instance()) RegisterPlanSimulation(nullptr);
}

}  // namespace zarvento
