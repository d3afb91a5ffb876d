// The registered simulation list; wiring, so a process-state reset keeps it.
#include "geometry/simulation_hook.h"

namespace zarvento {

namespace {
SimulationUnitList* registered = nullptr;
}

void SetSimulationUnitList(SimulationUnitList* list) { registered = list; }

SimulationUnitList* GetSimulationUnitList() { return registered; }

}  // namespace zarvento
