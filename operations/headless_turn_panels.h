// HeadlessTurnPanels: the headless plan panels with an operation panel that
// knows the operations' own fields (name=...), until the operation panels
// exist. The command-line program registers it.
#pragma once

#include "plan/plan_panels.h"

namespace zarvento {

class HeadlessTurnPanels : public PlanPanels {
protected:
    void ApplyTurnFields(PlanTurn& op, PanelAnswer& answer) override;
};

}  // namespace zarvento
