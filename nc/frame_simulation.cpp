// The sampling time step of the simulation.
#include "nc/frame_simulation.h"

#include <cmath>

#include "platform/core/process_state.h"

namespace zarvento {

namespace {

double timeStep = kDefaultSimulationTimeStep;

ZARVENTO_STATE_RESET { timeStep = kDefaultSimulationTimeStep; }

}  // namespace

double SimulationTimeStep() { return timeStep; }

void SetSimulationTimeStep(double milliseconds) {
    // A step that is not a positive number would stall every sampled move.
    timeStep = std::isfinite(milliseconds) && milliseconds > 0.0 ? milliseconds : kDefaultSimulationTimeStep;
}

}  // namespace zarvento
