// What became of a user's action at a panel or a dialog: done, or refused by
// the host with the reason (a hidden or disabled control, a value out of
// range, an object the panel does not let be picked, ...), or not possible at
// all (no such item, row or control).
#pragma once

#include <string>
#include <utility>

namespace zarvento {

struct UserActionResult {
    bool done = true;
    std::string refusal;
    // The action named what is not there (a list item, a row, a control):
    // no person could have done it, so a script that asks it is wrong.
    bool missing = false;

    static UserActionResult Refused(std::string why) { return {false, std::move(why), false}; }
    static UserActionResult Missing(std::string why) { return {false, std::move(why), true}; }
};

}  // namespace zarvento
