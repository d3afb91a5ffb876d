// The headless host's message loop: hooks, the container's pre-translation,
// dispatch, and the cursor the mouse messages leave behind.
#include "platform/dialogs/message_loop.h"

#include <utility>
#include <vector>

#include "platform/core/process_state.h"
#include "platform/dialogs/host_window.h"

namespace zarvento {

namespace {

struct LoopState {
    std::vector<std::pair<int, MessageHook>> hooks;  // in installation order
    int nextHookId = 1;
    std::function<bool(const HostMessage&)> containerPreTranslate;
    CursorPoint cursor;
};

LoopState& State() {
    static LoopState state;
    return state;
}

}  // namespace

// Hooks belong to the modules that installed them and stay; the container
// and the cursor are the session's.
ZARVENTO_STATE_RESET {
    State().containerPreTranslate = nullptr;
    State().cursor = CursorPoint{};
}

const char* MessageKindName(MessageKind kind) {
    switch (kind) {
        case MessageKind::Null: return "null";
        case MessageKind::KeyDown: return "key down";
        case MessageKind::KeyUp: return "key up";
        case MessageKind::Char: return "char";
        case MessageKind::LButtonDown: return "left button down";
        case MessageKind::LButtonUp: return "left button up";
        case MessageKind::LButtonDblClk: return "left double click";
        case MessageKind::RButtonDown: return "right button down";
        case MessageKind::RButtonUp: return "right button up";
        case MessageKind::MouseMove: return "mouse move";
        case MessageKind::Command: return "command";
        case MessageKind::InitMenuPopup: return "init menu popup";
    }
    return "?";
}

int InstallMessageHook(MessageHook hook) {
    LoopState& state = State();
    const int id = state.nextHookId++;
    state.hooks.emplace_back(id, std::move(hook));
    return id;
}

void RemoveMessageHook(int id) {
    std::vector<std::pair<int, MessageHook>>& hooks = State().hooks;
    for (auto it = hooks.begin(); it != hooks.end(); ++it) {
        if (it->first == id) {
            hooks.erase(it);
            return;
        }
    }
}

int MessageHookCount() { return static_cast<int>(State().hooks.size()); }

void SetContainerPreTranslate(std::function<bool(const HostMessage&)> preTranslate) {
    State().containerPreTranslate = std::move(preTranslate);
}

const char* DeliveryName(Delivery delivery) {
    switch (delivery) {
        case Delivery::Hooked: return "hooked";
        case Delivery::KeptByContainer: return "kept by the container";
        case Delivery::Dispatched: return "dispatched";
        case Delivery::NoWindow: return "no window";
    }
    return "?";
}

Delivery DeliverMessage(HostMessage message) {
    if (!HostWindow::FromHandle(message.window)) return Delivery::NoWindow;
    // A hook may remove itself or install another while it runs: walk a copy,
    // the newest hook first, as a hook chain does.
    const std::vector<std::pair<int, MessageHook>> hooks = State().hooks;
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) it->second(message);
    if (message.kind == MessageKind::Null) return Delivery::Hooked;
    if (State().containerPreTranslate && State().containerPreTranslate(message)) return Delivery::KeptByContainer;
    // The hook or the container may have destroyed the window meanwhile.
    HostWindow* window = HostWindow::FromHandle(message.window);
    if (!window) return Delivery::NoWindow;
    window->Send(message);
    return Delivery::Dispatched;
}

Delivery PressKey(int key, int shift) {
    HostWindow* focus = HostWindow::Focus();
    if (!focus) return Delivery::NoWindow;
    HostMessage down{MessageKind::KeyDown, focus->Handle(), key, shift};
    const Delivery result = DeliverMessage(down);
    // The key comes up where the focus is now.
    if (HostWindow* now = HostWindow::Focus())
        DeliverMessage(HostMessage{MessageKind::KeyUp, now->Handle(), key, shift});
    return result;
}

namespace {

Delivery Mouse(MessageKind kind, WindowHandle window, int x, int y, int shift) {
    if (!HostWindow::FromHandle(window)) return Delivery::NoWindow;
    State().cursor = CursorPoint{window, x, y};
    HostMessage m{kind, window, 0, shift, x, y};
    return DeliverMessage(m);
}

}  // namespace

Delivery ClickWindow(WindowHandle window, int x, int y, int shift) {
    const Delivery result = Mouse(MessageKind::LButtonDown, window, x, y, shift);
    Mouse(MessageKind::LButtonUp, window, x, y, shift);
    return result;
}

Delivery DoubleClickWindow(WindowHandle window, int x, int y, int shift) {
    const Delivery result = ClickWindow(window, x, y, shift);
    Mouse(MessageKind::LButtonDblClk, window, x, y, shift);
    Mouse(MessageKind::LButtonUp, window, x, y, shift);
    return result;
}

Delivery RightClickWindow(WindowHandle window, int x, int y, int shift) {
    const Delivery result = Mouse(MessageKind::RButtonDown, window, x, y, shift);
    Mouse(MessageKind::RButtonUp, window, x, y, shift);
    return result;
}

Delivery MoveMouse(WindowHandle window, int x, int y, int shift) {
    return Mouse(MessageKind::MouseMove, window, x, y, shift);
}

CursorPoint CursorPosition() { return State().cursor; }

}  // namespace zarvento
