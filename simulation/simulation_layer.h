// The start-up call of the simulation layer: what it provides to the layers
// below it (the simulation run of the plan's panel), put in place explicitly
// by whoever starts the library. The list of units the contour merge changes
// while a run goes on is the model layer's (RegisterModelLayer).
#pragma once

namespace zarvento {

void RegisterSimulationLayer();
// Takes the registrations back (tests).
void UnregisterSimulationLayer();

}  // namespace zarvento
