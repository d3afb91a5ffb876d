// DescriptionStatement: one KEYWORD(argument, ...); statement of a description's
// machine-cycle section, and the scanner that cuts the section into them.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace zarvento {

struct DescriptionStatement {
    std::string keyword;
    std::vector<std::string> arguments;

    void Clear() {
        keyword.clear();
        arguments.clear();
    }
};

// The keywords in the order they are tried at each position: a longer word
// stands before the shorter one it begins with (CYCLE_GROUP before CYCLE).
inline constexpr std::array<std::string_view, 24> kStatementKeywords = {
    "CYCLE_GROUP", "CYCLE_PREPARE", "CYCLE",     "COMMENT", "FEATURE", "TRAJECTORY",    "TOOL",         "PARAM",
    "value",       "ALPHABET",      "METRIC",    "FORMAT",  "CODE",    "PRINT_CONTOUR", "PRINT_PNT",    "PRINT_CNT",
    "PRINT_END",   "PRINT_TBL",     "PRINT_MEM", "PRINT",   "FORMULA", "TABLE",         "COLUMN_NAMES", "ROW"};

// The statements of a section that begins with "BEGIN_MACHINE_CYCLES".
// Keywords are found wherever they stand, also inside longer words and
// comments; a keyword without a following "(...);" forms no statement.
// keepFirstLeadingBlanks keeps the leading blanks of each first argument
// (while a script export runs).
std::vector<DescriptionStatement> ScanDescriptionStatements(std::string_view section, bool keepFirstLeadingBlanks);

// An argument text split at the separators outside apostrophes and appended
// to the statement's arguments, each trimmed of blanks; an argument opened by
// an apostrophe runs to the next one, which is dropped with it.
void SplitStatementArguments(DescriptionStatement& statement, std::string_view text, char separator,
                             bool keepFirstLeadingBlanks);

}  // namespace zarvento
