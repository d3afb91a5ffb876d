// The editor of an operation kind that has its own panel: the panel runs on
// the host when the script waits with a `panel turn` block for it; otherwise
// the plan's panel model answers it whole (an `answer turn` line), so a
// script written before the kind had its panel runs as it did.
#pragma once

#include "operations/turn.h"
#include "plan/plan_panels.h"
#include "platform/dialogs/scripted_user.h"

namespace zarvento {

template <class Panel, class Kind>
int EditKindOnHost(CTurn& turn) {
    auto* original = dynamic_cast<Kind*>(&turn);
    if (!original || !ScriptedUser::Instance().Has(UserSession::Kind::Panel, PlanPanels::kTurn))
        return turn.PlanTurn::Edit();
    Panel panel(*original);
    return panel.ShowModal() == 1 ? 1 : 0;
}

}  // namespace zarvento
