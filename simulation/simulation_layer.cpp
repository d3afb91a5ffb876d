// The simulation layer's registrations.
#include "simulation/simulation_layer.h"

#include "geometry/simulation_hook.h"
#include "plan/plan_simulation.h"
#include "simulation/headless_simulation.h"
#include "simulation/merged_unit_list.h"

namespace zarvento {

void RegisterSimulationLayer() {
    SetSimulationUnitList(&MergedUnitList::Instance());
    RegisterPlanSimulation(&HeadlessSimulation::Instance());
}

void UnregisterSimulationLayer() {
    if (GetSimulationUnitList() == &MergedUnitList::Instance()) SetSimulationUnitList(nullptr);
    if (GetPlanSimulation() == &HeadlessSimulation::Instance()) RegisterPlanSimulation(nullptr);
}

}  // namespace zarvento
