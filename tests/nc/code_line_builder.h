// One template line of a hand-built template, for the template and cycle tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "nc/cycle_code_lists.h"

namespace zarvento::test {

inline CodeLine Line(std::string text, std::vector<std::string> arguments, bool numbered = false) {
    CodeLine l;
    l.text = std::move(text);
    l.arguments = std::move(arguments);
    l.numbered = numbered ? 1 : 0;
    return l;
}

}  // namespace zarvento::test
