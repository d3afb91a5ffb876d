// The commands the library's menu and toolbar send to its entry, by id: the
// one list of them, read by the entry that runs them and by the checks that
// ask whether an id is one of them.
#pragma once

#include <cstdint>

namespace zarvento {

// What a menu command does besides running its command through the wrapper.
enum class MenuStep : std::uint8_t {
    None,
    // The command follows the plan tree's selected group (nothing without
    // the tree).
    BySelection,
    // The selected operation's command, its item deselected after (nothing
    // without the tree).
    SelectedOperation,
    // The plan is synchronised with the model after the command.
    ThenSynchronise,
    // No command: the plan is synchronised with the model.
    SynchroniseOnly,
    // The help file opens before the command.
    HelpFirst,
};

struct MenuCommand {
    std::int32_t id;
    // The command run: type and action (the index comes from the tree's
    // selection where the step takes one).
    std::int32_t type;
    std::int32_t action;
    // The host is told afterwards that a command ran.
    bool posted;
    MenuStep step = MenuStep::None;
};

inline constexpr MenuCommand kMenuCommands[] = {
    {1, -1, 0, true},
    {2, 1, 1, true},
    {3, 2, 1, true},
    {4, 3, 1, true},
    {5, 4, 1, true},
    {6, 5, 1, true},
    {7, 6, 1, true},
    {8, 7, 1, true},
    {9, -1, 10, true},
    {10, -1, 11, true},
    {11, -1, 12, true},
    {15, -1, -1, false, MenuStep::BySelection},
    {21, -1, 24, false},
    {22, -1, 25, false},
    {23, -1, 22, false, MenuStep::ThenSynchronise},
    {30, -1, 30, true},
    {50, -1, -1, true, MenuStep::HelpFirst},
    {75, -1, 75, false},
    {111, -1, 111, false},
    {116, 1, 6, false, MenuStep::SelectedOperation},
    {777, -1, -1, false, MenuStep::SynchroniseOnly},
};

// The plan tree's items send the ids of this range (insert above or below
// the selected operation, its result model and sketch).
inline constexpr std::int32_t kFirstTreeItemCommand = 521;
inline constexpr std::int32_t kLastTreeItemCommand = 729;

// The menu command of an id, or null.
constexpr const MenuCommand* FindMenuCommand(std::int32_t id) {
    for (const MenuCommand& command : kMenuCommands)
        if (command.id == id) return &command;
    return nullptr;
}

constexpr bool IsTreeItemCommand(std::int32_t id) { return id >= kFirstTreeItemCommand && id <= kLastTreeItemCommand; }

}  // namespace zarvento
