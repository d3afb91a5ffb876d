// Popup menus of the headless host: items with command ids, texts, bitmaps,
// enabled and checked states, separators and submenus, handed around by
// handle. Tracking a menu asks its owner window for the items' states (the
// menu is about to open), takes the user's choice from a queue the caller
// fills (tests, scripts), and sends the chosen command to the owner. Every
// tracking is recorded with the menu as it was shown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/dialogs/host_bitmap.h"
#include "platform/dialogs/host_message.h"

namespace zarvento {

using MenuHandle = std::uint32_t;  // 0: no menu

struct MenuItem {
    int id = 0;  // command id; 0 for separators and submenus
    std::string text;
    bool separator = false;
    MenuHandle submenu = 0;
    BitmapHandle bitmap = 0;
    bool enabled = true;
    bool checked = false;
};

class PopupMenu {
public:
    static MenuHandle Create();
    // Frees the menu and, as the host does, every submenu in it; false when
    // the handle names no menu.
    static bool Destroy(MenuHandle menu);
    static bool IsMenu(MenuHandle menu) { return FromHandle(menu) != nullptr; }
    static PopupMenu* FromHandle(MenuHandle menu);

    void Append(int id, std::string text);
    void AppendSeparator();
    void AppendSubmenu(MenuHandle submenu, std::string text);
    // By command id, searching submenus too; false when no item has the id.
    bool SetItemBitmap(int id, BitmapHandle bitmap);
    bool Enable(int id, bool enabled);
    bool Check(int id, bool checked);
    const MenuItem* Find(int id) const;

    const std::vector<MenuItem>& Items() const { return items_; }

private:
    MenuItem* FindItem(int id);
    std::vector<MenuItem> items_;
};

// One opening of a popup menu.
struct MenuTracking {
    MenuHandle menu = 0;
    WindowHandle owner = kNoWindow;
    std::vector<MenuItem> shown;  // the menu's items as they were shown
    int chosen = 0;               // the command sent to the owner; 0 for none
    bool defaulted = false;       // no choice was queued: the menu was dismissed
};

// Opens `menu` for `owner` (TrackPopupMenu): the owner is asked for the item
// states, then for those of each submenu the user goes through; a chosen
// enabled command item is sent to the owner as MessageKind::Command through
// the message loop. Returns the chosen id, or 0 when the menu was dismissed,
// the choice is no enabled command of the menu, or the handles are not valid.
int TrackPopupMenu(MenuHandle menu, WindowHandle owner);

// The user's next choice in a tracked menu (0: dismiss it), in order.
void QueueMenuChoice(int id);
std::size_t PendingMenuChoices();
// Drops the choices no menu took.
void ClearMenuChoices();
// Every tracking since the last reset.
const std::vector<MenuTracking>& MenuTrackings();

}  // namespace zarvento
