// The operation fields of the headless operation panel.
#include "operations/headless_turn_panels.h"

#include "operations/turn.h"

namespace zarvento {

void HeadlessTurnPanels::ApplyTurnFields(PlanTurn& op, PanelAnswer& answer) {
    if (const std::string* name = answer.Field("name"))
        if (auto* turn = dynamic_cast<CTurn*>(&op)) turn->sNameTurn = *name;
}

}  // namespace zarvento
