// The start-up call of the operations layer: what it provides to the layers
// below it, put in place explicitly by whoever starts the library.
#pragma once

namespace zarvento {

// Registers the plan layer first, then the factory of the seven operation
// kinds with the plan.
void RegisterOperationsLayer();

}  // namespace zarvento
