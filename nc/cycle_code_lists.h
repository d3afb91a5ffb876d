// A post-processor template: the line lists that a frame kind or a machine
// cycle writes in place of its built-in text, and their expansion.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nc/parameters.h"

namespace zarvento {

class CCadreISO;

// One template line.
struct CodeLine {
    std::uint8_t numbered = 1;  // the line gets a block number
    std::uint8_t hold = 0;      // kept as the held line instead of stored; never numbered
    std::uint8_t special = 0;   // writes the contour that text names ("DETAIL", "STOCK")
    std::string condition = "1";
    std::string numberFormat = "N%3f";
    std::string formatM = "%5.3m";
    std::string formatN = "%5.3n";
    std::string formatF = "%5.3f";
    std::string text;
    std::vector<std::string> arguments;  // one per field, in field order
    std::string repeat;                  // empty or "1": written once
    // The formulas above as parsed on first use: the condition, the repeat,
    // then the arguments. One whose text has changed since is parsed again.
    mutable std::vector<ParsedFormula> parsed;
};

class CycleCodeLists {
public:
    std::vector<CodeLine> code;      // selector '0'
    std::vector<CodeLine> printPnt;  // selector '1'
    std::vector<CodeLine> printCnt;
    std::vector<CodeLine> printEnd;  // selector '2'

    // Appends the expanded lines of the selected list to lines. number is the
    // block counter (-1: no numbering). Nothing happens unless templates are
    // enabled and a frame is given.
    static void WriteLines(const CycleCodeLists* templ, CCadreISO* frame, std::vector<std::string>& lines,
                           std::int32_t& number, char selector);

    // The error texts the expansion appends to ModalState.errorTexts.
    static constexpr const char* kUnknownVariable = "Неизвестная переменная ";
    static constexpr const char* kInLine = " в строке";
    static constexpr const char* kBadSpecifier = "Неправильный спецификатор формата в строке";
};

}  // namespace zarvento
