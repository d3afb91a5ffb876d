// A panel's controls and what an event of each does, one row per control:
// adding a control to a panel is one row of its table. A row names the
// member of the panel that holds the control, not the control itself, so one
// table made at compile time finds the controls each panel makes (and makes
// again) while it runs; a member still empty matches no event.
//
//     static constexpr ControlEvents<CPanelX> kValues[] = {
//         {&CPanelX::speedField, [](CPanelX& p, PropertyControl& c) { p.speed = c.Value().ToR8(); }},
//     };
//     DispatchControlEvent(kValues, *this, control);
//
// A table written inside a member function of the panel reaches its private
// members; a row of a base's control names it through the derived class. The
// events of a command carry the button's id: ControlEvents<CPanelX, int>.
#pragma once

#include <cstddef>
#include <type_traits>

#include "platform/dialogs/property_control.h"

namespace zarvento {

template <class Panel, class... Args>
struct ControlEvents {
    PropertyControl* Panel::*control;
    void (*handle)(Panel& panel, PropertyControl& control, Args... args);
};

// Runs the row of the control the event came from, the first that names it;
// false when no row does (the event is left to what follows the table).
template <class Panel, class... Args, std::size_t N>
bool DispatchControlEvent(const ControlEvents<Panel, Args...> (&rows)[N], Panel& panel, PropertyControl& control,
                          std::type_identity_t<Args>... args) {
    for (const ControlEvents<Panel, Args...>& row : rows) {
        if (panel.*row.control != &control) continue;
        row.handle(panel, control, args...);
        return true;
    }
    return false;
}

}  // namespace zarvento
