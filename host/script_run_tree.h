// The statements of a run script that act as the user outside the panels:
// clicks and context menus in the plan tree, and the host's events; and the
// plan tree as the run prints it.
#pragma once

#include <string>
#include <vector>

namespace zarvento {
class CommandScript;
}

namespace zarvento::app {

// "tree click <item>", "tree menu <item> <id>|none", "event <name>"; false
// for any other statement. An item is the label of an item or its path of
// positions from 1 ("1.3": the third line under the first top item).
bool RunHostStatement(CommandScript& runner, const std::vector<std::string>& words, int lineNumber);

// The plan tree, an item a line: its label, image (with its bitmap) and role.
void PrintPlanTree();

// The script's help of these statements.
extern const char* const kHostStatementsHelp;

}  // namespace zarvento::app
