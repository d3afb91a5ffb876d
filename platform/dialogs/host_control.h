// A control that a container places in a window of its own (an ActiveX
// control in a host panel): the container makes the control's window inside
// one of its windows, moves and sizes it, and destroys it again.
#pragma once

#include "platform/dialogs/host_window.h"

namespace zarvento {

class HostControl {
public:
    virtual ~HostControl() = default;
    // Makes the control's window inside `parent` at `rect`; false when it
    // cannot be made. A control whose window exists keeps it and answers true.
    virtual bool CreateControlWindow(HostWindow* parent, const WindowRect& rect) = 0;
    virtual void DestroyControlWindow() = 0;
    // Null while the window does not exist.
    virtual HostWindow* ControlWindow() const = 0;
    // The container moved or sized the control.
    virtual void SetControlRect(const WindowRect& rect) = 0;
};

}  // namespace zarvento
