// The window table of the headless host and its keyboard focus.
#include "platform/dialogs/host_window.h"

#include <unordered_map>

namespace zarvento {

namespace {

// Handles start above the small numbers that ids and counters use, so that a
// confused argument is not taken for a window.
constexpr WindowHandle kFirstWindowHandle = 0x00010000;

struct WindowTable {
    std::unordered_map<WindowHandle, HostWindow*> windows;
    WindowHandle next = kFirstWindowHandle;
    HostWindow* focus = nullptr;
};

WindowTable& Table() {
    static WindowTable table;
    return table;
}

}  // namespace

HostWindow::HostWindow(HostWindow* parent, int controlId) : parent_(parent), controlId_(controlId) {
    WindowTable& table = Table();
    // Handles are never given twice in a process, so a stale handle finds nothing.
    handle_ = table.next++;
    table.windows.emplace(handle_, this);
}

HostWindow::~HostWindow() {
    WindowTable& table = Table();
    table.windows.erase(handle_);
    if (table.focus == this) table.focus = nullptr;
    // Children that outlive their parent become top-level windows rather than
    // keep a dangling parent.
    for (auto& [handle, window] : table.windows)
        if (window->parent_ == this) window->parent_ = nullptr;
}

HostWindow* HostWindow::FromHandle(WindowHandle handle) {
    const WindowTable& table = Table();
    auto it = table.windows.find(handle);
    return it == table.windows.end() ? nullptr : it->second;
}

bool HostWindow::Contains(const HostWindow* window) const {
    // The parent chain is finite: a window's parent was made before it.
    for (const HostWindow* w = window; w; w = w->parent_)
        if (w == this) return true;
    return false;
}

HostWindow* HostWindow::Focus() { return Table().focus; }

void HostWindow::SetFocus(HostWindow* window) {
    WindowTable& table = Table();
    HostWindow* previous = table.focus;
    if (previous == window) return;
    table.focus = window;
    if (previous) previous->OnKillFocus(window);
    // The window losing the focus may have moved it on (a label edit box
    // ending its edit gives it back to the tree); the latest request holds.
    if (window && table.focus == window) window->OnSetFocus();
}

}  // namespace zarvento
