// HeadlessTurnPanels: the headless plan panels with an operation panel that
// knows the operations' own fields, until the operation panels exist:
// name=<text>, tool=<turret position from 1>, work=all|<unit>[-<unit>],...
// (the part contour's units as the working contour), allowance=<mm> (left on
// the working contour), direction=along|against, output=moves|cycle,
// strategy=turning|groove (multi-pass turning), cycle.<parameter>=<text>
// (the operation's cycle grid; in machine-cycle output the chosen cycle of
// the post-processor first), feed=<formula>, spin=<formula>, the thread's
// pitch=<mm>, starts=<n> and depth=<mm>|auto, the groove's dwell=<s>, the
// drilled hole's hole=surface|base|centring, depth=<mm>, zbase=<mm> and
// diameter=<mm>. Any other field, or one the operation's kind has not, is
// refused. The command-line program registers it.
#pragma once

#include "plan/plan_panels.h"

namespace zarvento {

class HeadlessTurnPanels : public PlanPanels {
protected:
    void ApplyTurnFields(PlanTurn& op, PanelAnswer& answer) override;
};

}  // namespace zarvento
