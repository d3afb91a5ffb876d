// The window messages of the headless host: keys, mouse buttons, menu and
// toolbar commands, as the host's message loop hands them to windows.
#pragma once

#include <cstdint>

namespace zarvento {

using WindowHandle = std::uint32_t;  // 0: no window
inline constexpr WindowHandle kNoWindow = 0;

enum class MessageKind {
    Null,  // what a hook leaves of a message it has handled
    KeyDown,
    KeyUp,
    Char,
    LButtonDown,
    LButtonUp,
    LButtonDblClk,
    RButtonDown,
    RButtonUp,
    MouseMove,
    Command,        // a menu item or a toolbar button was chosen; code is its id
    InitMenuPopup,  // a popup menu is about to open; menu is its handle
};

const char* MessageKindName(MessageKind kind);

// Shift states of keys and mouse messages, as the stock events carry them.
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

// Mouse buttons of the stock mouse events.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;

// Virtual key codes the host's controls act on.
namespace vk {
inline constexpr int Return = 0x0D;
inline constexpr int Escape = 0x1B;
inline constexpr int End = 0x23;
inline constexpr int Home = 0x24;
inline constexpr int Left = 0x25;
inline constexpr int Up = 0x26;
inline constexpr int Right = 0x27;
inline constexpr int Down = 0x28;
inline constexpr int Delete = 0x2E;
inline constexpr int F2 = 0x71;
}  // namespace vk

struct HostMessage {
    MessageKind kind = MessageKind::Null;
    WindowHandle window = kNoWindow;  // the window the message is for
    int code = 0;                     // key code, character or command id
    int shift = 0;                    // kShiftMask | kCtrlMask | kAltMask
    int x = 0, y = 0;                 // mouse messages: client coordinates of `window`
    std::uint32_t menu = 0;           // InitMenuPopup: the menu's handle
};

}  // namespace zarvento
