// The message loop of the headless host: how keys and mouse clicks reach
// windows. A message taken from the queue first passes the message hooks that
// modules installed (a control library sees its keys there although its
// container does not forward them), then the container's own pre-translation
// (accelerators, dialog keys), and only then the window it is for.
#pragma once

#include <functional>

#include "platform/dialogs/host_message.h"

namespace zarvento {

// A hook sees every message the loop takes from the queue. One that handles
// the message turns it into MessageKind::Null, so nobody else acts on it.
using MessageHook = std::function<void(HostMessage&)>;
// Installs a hook; hooks run from the most recently installed one on.
// Returns an id for RemoveMessageHook (never 0).
int InstallMessageHook(MessageHook hook);
void RemoveMessageHook(int id);
int MessageHookCount();

// The container's pre-translation: true when it keeps the message for itself
// (then the target window never sees it). None by default.
void SetContainerPreTranslate(std::function<bool(const HostMessage&)> preTranslate);

enum class Delivery {
    Hooked,           // a hook handled it: neither the container nor the window saw it
    KeptByContainer,  // the container's pre-translation kept it
    Dispatched,       // it reached the window's procedure
    NoWindow,         // there is no such window (or no focus, for keys)
};

const char* DeliveryName(Delivery delivery);

// Takes one message through the loop.
Delivery DeliverMessage(HostMessage message);

// A key as the user presses it: key down to the focus window, then key up.
// The result is the key-down's.
Delivery PressKey(int key, int shift = 0);

// Mouse clicks at client point (x, y) of a window: button down then up; a
// double click adds the double-click message and a second button up. The
// click moves the cursor there first (see CursorPosition).
Delivery ClickWindow(WindowHandle window, int x, int y, int shift = 0);
Delivery DoubleClickWindow(WindowHandle window, int x, int y, int shift = 0);
Delivery RightClickWindow(WindowHandle window, int x, int y, int shift = 0);
Delivery MoveMouse(WindowHandle window, int x, int y, int shift = 0);

// Where the mouse cursor is: over which window, at which client point.
struct CursorPoint {
    WindowHandle window = kNoWindow;
    int x = -1, y = -1;
};
CursorPoint CursorPosition();

}  // namespace zarvento
