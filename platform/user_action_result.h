// What became of a user's action at a panel or a dialog: done, or refused by
// the host with the reason (a hidden or disabled control, a value out of
// range, an object the panel does not let be picked, ...).
#pragma once

#include <string>
#include <utility>

namespace zarvento {

struct UserActionResult {
    bool done = true;
    std::string refusal;

    static UserActionResult Refused(std::string why) { return {false, std::move(why)}; }
};

}  // namespace zarvento
