// LIBRARYENTRY: the command ids of the library's menu, toolbar and plan tree,
// checked against the situation and mapped to the command wrapper's triple
// (operation type, action, index). The numbers are a contract with the plan's
// action switch and with the plan tree's context menus.
#pragma once

#include <cstdint>

namespace zarvento {

// The command wrapper the table calls; RunLibraryCommand unless a test puts a
// recorder in its place. Returns the previous one.
using CommandWrapper = std::int32_t (*)(std::int32_t type, std::int32_t action, std::int32_t index);
CommandWrapper SetCommandWrapper(CommandWrapper wrapper);
// Runs the command wrapper in place.
std::int32_t RunCommandWrapper(std::int32_t type, std::int32_t action, std::int32_t index);

// The command entry. Every call first sets the command's locale; then the
// version (silent), busy (silent) and active-document checks ("Нет открытых
// документов" without a document or with only the hidden work document,
// "Документ не является деталью" for an assembly), the window sink of the
// active 3D document, the table, and the host's post-command call on the rows
// that ask for it. Host errors are raised (the export reports them).
void LibraryEntry(unsigned int command);

// The table alone: runs command `id` with the selected tree role `role` (the
// plan tree's, when `hasTree`); true when the row asks for the host's
// post-command call afterwards.
bool RunCommandTable(int id, bool hasTree, int role);

}  // namespace zarvento
