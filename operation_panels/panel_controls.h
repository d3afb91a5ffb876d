// Small helpers the kinds' panels make their controls with: a control with
// its caption and hint (the hint is also its tip), number fields, check
// boxes, separators, and the help topic of a whole panel.
#pragma once

#include <string>

#include "operation_panels/turn_panel.h"
#include "platform/dialogs/property_control.h"
#include "platform/dialogs/property_tab.h"
#include "platform/dialogs/scripted_user.h"

namespace zarvento::panel_controls {

inline PropertyControl& Add(PropertyTab& tab, PropertyControlKind kind, const std::string& caption,
                            const std::string& hint) {
    PropertyControl& control = tab.AddControl(kind);
    if (!caption.empty()) control.SetCaption(caption);
    control.SetHint(hint);
    control.SetTip(hint);
    return control;
}

// A number field; the host's further field setting 0 comes before its length.
inline PropertyControl& Number(PropertyTab& tab, const std::string& caption, const std::string& hint, double value,
                               int length) {
    PropertyControl& control = Add(tab, PropertyControlKind::RealEdit, caption, hint);
    control.Setup(0);
    control.SetWidth(length);
    control.SetValue(Variant::R8(value));
    return control;
}

inline PropertyControl& Number(PropertyTab& tab, const std::string& caption, const std::string& hint, double value,
                               double low, double high, int length) {
    PropertyControl& control = Number(tab, caption, hint, value, length);
    control.SetRange(low, high);
    return control;
}

inline void Separator(PropertyTab& tab) { tab.AddControl(PropertyControlKind::Empty); }

inline bool Checked(const PropertyControl& control) { return control.Value().ToBool(); }
inline double NumberOf(const PropertyControl& control) { return control.Value().ToR8(); }

// A table row's handler for a field the path is made from: the control's
// number into the panel's field (a member pointer), then the path again.
template <class Panel, auto Field>
void TakeNumberForPath(Panel& panel, PropertyControl& control) {
    panel.*Field = NumberOf(control);
    panel.RecalculatePath();
}

// The operation's own panel when a panel session waits in the script for
// it; otherwise the operation is answered whole, as before the panels.
template <class Panel, class Kind>
int EditByScript(CTurn& turn) {
    auto* original = dynamic_cast<Kind*>(&turn);
    if (!original || !ScriptedUser::Instance().Has(UserSession::Kind::Panel, CTurnPanel::kScriptName))
        return turn.PlanTurn::Edit();
    Panel panel(*original);
    return panel.ShowModal() == 1 ? 1 : 0;
}

}  // namespace zarvento::panel_controls
