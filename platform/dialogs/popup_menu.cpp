// Popup menus, their tracking and the queue of the user's choices.
#include "platform/dialogs/popup_menu.h"

#include <deque>
#include <memory>
#include <unordered_set>

#include "platform/core/handle_table.h"
#include "platform/core/process_state.h"
#include "platform/dialogs/host_window.h"
#include "platform/dialogs/message_loop.h"

namespace zarvento {

namespace {

struct MenuState {
    HandleTable<PopupMenu> menus{0x10000001};
    std::deque<int> choices;
    std::vector<MenuTracking> trackings;
};

MenuState& State() {
    static MenuState state;
    return state;
}

// The submenus on the way to the item `id` (the menu holding it last); empty
// when no item of the menu tree has the id. A menu appended into itself is
// walked once.
bool PathTo(MenuHandle menu, int id, std::vector<MenuHandle>& path, std::unordered_set<MenuHandle>& seen) {
    const PopupMenu* m = PopupMenu::FromHandle(menu);
    if (!m || !seen.insert(menu).second) return false;
    path.push_back(menu);
    for (const MenuItem& item : m->Items()) {
        if (item.submenu == 0 && !item.separator && item.id == id) return true;
        if (item.submenu != 0 && PathTo(item.submenu, id, path, seen)) return true;
    }
    path.pop_back();
    return false;
}

void AskOwner(MenuHandle menu, WindowHandle owner) {
    HostWindow* window = HostWindow::FromHandle(owner);
    if (!window) return;
    HostMessage init{MessageKind::InitMenuPopup, owner};
    init.menu = menu;
    window->Send(init);
}

}  // namespace

ZARVENTO_STATE_RESET {
    State().menus.Clear();
    State().choices.clear();
    State().trackings.clear();
}

MenuHandle PopupMenu::Create() { return State().menus.Add(std::make_unique<PopupMenu>()); }

bool PopupMenu::Destroy(MenuHandle menu) {
    PopupMenu* m = FromHandle(menu);
    if (!m) return false;
    std::vector<MenuHandle> submenus;
    for (const MenuItem& item : m->items_)
        if (item.submenu != 0) submenus.push_back(item.submenu);
    // Removed before its submenus, so a menu that holds itself ends here.
    State().menus.Remove(menu);
    for (MenuHandle sub : submenus) Destroy(sub);
    return true;
}

PopupMenu* PopupMenu::FromHandle(MenuHandle menu) { return State().menus.Find(menu); }

void PopupMenu::Append(int id, std::string text) {
    MenuItem item;
    item.id = id;
    item.text = std::move(text);
    items_.push_back(std::move(item));
}

void PopupMenu::AppendSeparator() {
    MenuItem item;
    item.separator = true;
    items_.push_back(std::move(item));
}

void PopupMenu::AppendSubmenu(MenuHandle submenu, std::string text) {
    MenuItem item;
    item.submenu = submenu;
    item.text = std::move(text);
    items_.push_back(std::move(item));
}

MenuItem* PopupMenu::FindItem(int id) {
    for (MenuItem& item : items_)
        if (item.submenu == 0 && !item.separator && item.id == id) return &item;
    std::vector<MenuHandle> path;
    std::unordered_set<MenuHandle> seen;
    for (MenuItem& item : items_) {
        if (item.submenu == 0 || !PathTo(item.submenu, id, path, seen)) continue;
        for (MenuItem& inner : FromHandle(path.back())->items_)
            if (inner.submenu == 0 && !inner.separator && inner.id == id) return &inner;
    }
    return nullptr;
}

const MenuItem* PopupMenu::Find(int id) const { return const_cast<PopupMenu*>(this)->FindItem(id); }

bool PopupMenu::SetItemBitmap(int id, BitmapHandle bitmap) {
    MenuItem* item = FindItem(id);
    if (item) item->bitmap = bitmap;
    return item != nullptr;
}

bool PopupMenu::Enable(int id, bool enabled) {
    MenuItem* item = FindItem(id);
    if (item) item->enabled = enabled;
    return item != nullptr;
}

bool PopupMenu::Check(int id, bool checked) {
    MenuItem* item = FindItem(id);
    if (item) item->checked = checked;
    return item != nullptr;
}

int TrackPopupMenu(MenuHandle menu, WindowHandle owner) {
    if (!PopupMenu::FromHandle(menu) || !HostWindow::FromHandle(owner)) return 0;
    MenuState& state = State();
    MenuTracking tracking;
    tracking.menu = menu;
    tracking.owner = owner;
    AskOwner(menu, owner);
    int choice = 0;
    if (state.choices.empty()) {
        tracking.defaulted = true;
    } else {
        choice = state.choices.front();
        state.choices.pop_front();
    }
    std::vector<MenuHandle> path;
    std::unordered_set<MenuHandle> seen;
    const bool found = choice != 0 && PathTo(menu, choice, path, seen);
    // The user opens each submenu on the way to the item, and each asks the owner.
    for (std::size_t i = 1; i < path.size(); ++i) AskOwner(path[i], owner);
    // The owner may have destroyed the menu while answering.
    const PopupMenu* shown = PopupMenu::FromHandle(menu);
    if (shown) tracking.shown = shown->Items();
    const PopupMenu* holder = found ? PopupMenu::FromHandle(path.back()) : nullptr;
    const MenuItem* item = holder ? holder->Find(choice) : nullptr;
    if (item && item->enabled) {
        tracking.chosen = choice;
        state.trackings.push_back(tracking);
        DeliverMessage(HostMessage{MessageKind::Command, owner, choice});
        return choice;
    }
    state.trackings.push_back(std::move(tracking));
    return 0;
}

void QueueMenuChoice(int id) { State().choices.push_back(id); }

std::size_t PendingMenuChoices() { return State().choices.size(); }

void ClearMenuChoices() { State().choices.clear(); }

const std::vector<MenuTracking>& MenuTrackings() { return State().trackings; }

}  // namespace zarvento
