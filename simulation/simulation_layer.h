// The start-up call of the simulation layer: the layers below it wired first
// (RegisterOperationsLayer), then what it provides to them (the simulation run
// of the plan's panel), put in place explicitly by whoever starts the library.
// The list of units the contour merge changes while a run goes on is the
// model layer's (RegisterModelLayer).
#pragma once

namespace zarvento {

void RegisterSimulationLayer();
// Takes the simulation run back (the module's detach step, tests); the layers
// below keep their wiring.
void UnregisterSimulationLayer();

}  // namespace zarvento
