// The operations layer's registrations.
#include "operations/operations_layer.h"

#include "operations/turn.h"
#include "plan/plan_layer.h"

namespace zarvento {

void RegisterOperationsLayer() {
    RegisterPlanLayer();
    RegisterTurnFactory();
}

}  // namespace zarvento
