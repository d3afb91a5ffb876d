// CycleParameter: one of the 40 parameter slots of a machine cycle, with its
// value or formula, its evaluated values and its list of choices.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zarvento {

struct CycleParameter {
    static constexpr int kMaxListEntries = 20;

    // The value or formula; for a list parameter the chosen entry counted from 1 once stored.
    std::string valueText;
    // For a list parameter the chosen entry counted from 0.
    std::int32_t intValue = 0;
    double realValue = 0.0;
    // 's' plain, 'i' integer, 'd' real, 'A' automatic, 'O'/'K' mandatory,
    // 'R' read-only; 'D' and '1' are kept as a definition gives them.
    char kind = 's';
    std::string name;
    std::string caption;
    std::string autoFormula;  // evaluated in place of the value text for kind 'A'
    std::array<std::string, kMaxListEntries> listTexts;
    std::array<std::int32_t, kMaxListEntries> listValues{};  // what an entry means in formulas
    std::array<std::int32_t, kMaxListEntries> listCodes{};   // what an entry means in NC text
    std::int32_t listCount = 0;
    std::uint8_t error = 0;      // the last evaluation failed
    std::uint8_t evaluated = 0;  // the real value is current

    bool IsList() const { return listCount > 0; }
    // The chosen entry, or entry 0 when the stored index lies outside the list.
    std::int32_t ListIndex() const { return intValue >= 0 && intValue < listCount ? intValue : 0; }
};

}  // namespace zarvento
