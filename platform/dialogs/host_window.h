// Windows of the headless host. Every control a module shows (a tree view, a
// toolbar, a label edit box, a control's own window) is a HostWindow: it has a
// handle by which any module of the process finds it again, a parent, a
// rectangle, a visible state, and it may hold the keyboard focus.
#pragma once

#include <cstdint>

#include "platform/dialogs/host_message.h"

namespace zarvento {

struct WindowRect {
    int left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

class HostWindow {
public:
    // A window inside `parent` (null: a top-level window) with a child id.
    explicit HostWindow(HostWindow* parent = nullptr, int controlId = 0);
    virtual ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    WindowHandle Handle() const { return handle_; }
    HostWindow* Parent() const { return parent_; }
    int ControlId() const { return controlId_; }
    // The living window of a handle; null for 0, a destroyed or a foreign handle.
    static HostWindow* FromHandle(WindowHandle handle);
    // True when `window` is this window or lies inside it.
    bool Contains(const HostWindow* window) const;

    // Position and size in the parent's client area.
    void Move(const WindowRect& rect) { rect_ = rect; }
    const WindowRect& Rect() const { return rect_; }
    void Show(bool visible) { visible_ = visible; }
    bool IsVisible() const { return visible_; }
    // Asks for a repaint; the headless host only counts the requests.
    void Redraw() { ++redraws_; }
    int RedrawCount() const { return redraws_; }

    // The window that keys go to (null: none). Moving the focus tells the
    // window losing it first, then the one taking it.
    static HostWindow* Focus();
    static void SetFocus(HostWindow* window);

    // Hands a message to the window's procedure, bypassing the message loop;
    // true when the window acted on it.
    bool Send(HostMessage& message) { return WindowProc(message); }

protected:
    virtual bool WindowProc(HostMessage&) { return false; }
    virtual void OnKillFocus(HostWindow* /*next*/) {}
    virtual void OnSetFocus() {}

private:
    WindowHandle handle_;
    HostWindow* parent_;
    int controlId_;
    WindowRect rect_;
    bool visible_ = true;
    int redraws_ = 0;
};

}  // namespace zarvento
