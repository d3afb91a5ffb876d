// The registered simulation list (wiring, so a process-state reset keeps it)
// and the check mode (state).
#include "geometry/simulation_hook.h"

#include "platform/core/process_state.h"

namespace zarvento {

bool SimulationCheckMode = false;

ZARVENTO_STATE_RESET { SimulationCheckMode = false; }

namespace {
SimulationUnitList* registered = nullptr;
}

void SetSimulationUnitList(SimulationUnitList* list) { registered = list; }

SimulationUnitList* GetSimulationUnitList() { return registered; }

}  // namespace zarvento
