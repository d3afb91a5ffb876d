// The operation panels' registrations.
#include "operation_panels/operation_panels_layer.h"

#include "operation_panels/turn_panel.h"
#include "simulation/simulation_layer.h"

namespace zarvento {

namespace {
// An operation of no kind has the plain panel; the kinds keep the plan's
// panel model until their own panels exist.
constexpr std::int32_t kNoKind = 0;
}  // namespace

void RegisterOperationPanelsLayer() {
    RegisterSimulationLayer();
    SetTurnEditor(kNoKind, &CTurnPanel::EditPlain);
}

void UnregisterOperationPanelsLayer() {
    if (GetTurnEditor(kNoKind) == &CTurnPanel::EditPlain) SetTurnEditor(kNoKind, nullptr);
}

}  // namespace zarvento
