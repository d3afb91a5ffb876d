// The notifications the host's property manager sends to the panel that
// subscribed to it (subscription kind 12). Every handler answers a host
// boolean; true lets the host go on.
#pragma once

#include <cstdint>

namespace zarvento {

class PropertyControl;

class PropertyManagerNotify {
public:
    virtual ~PropertyManagerNotify() = default;

    // The panel is shown for the first time (the host may send it again when
    // the panel is activated anew).
    virtual bool OnFirstActivate() = 0;
    // A button of the panel's own bar: 1 OK, 2 Cancel, 8 help, any other id.
    virtual bool OnButtonClick(int buttonId) = 0;
    // The user changed the control's value (typed, chose an item, ticked).
    virtual bool OnChangeControlValue(PropertyControl& control) = 0;
    // A button (kind 13) or a button of a control's bar or group was pressed.
    virtual bool OnControlCommand(PropertyControl& control, int id) = 0;
    // Asked before the host shows a button of the panel's bar: the 16-bit
    // enabled value is the answer; the state is the host's own.
    virtual bool IsButtonEnabled(int buttonId, std::int32_t& state, std::int16_t& enabled) = 0;
    virtual bool OnHelp() = 0;
    // A row of a list was selected (state 1) or deselected (state 0). For a
    // grid the index carries the row in its low 8 bits and the column above.
    // Answering false to a selection makes the host put the previous one back.
    virtual bool OnSelectListItem(PropertyControl& control, int index, int state) = 0;
    // The current tab changed (hosts whose tabs are pages).
    virtual bool OnChangeTab(int tabIndex) = 0;
    // A tab was opened or closed (hosts whose tabs open and close).
    virtual bool OnTabStateChanged(int tabIndex) = 0;
};

}  // namespace zarvento
