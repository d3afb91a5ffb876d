// The post-processor's templates of the standard frame kinds, one per kind
// name, and the four texts of the built-in output that a description sets.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "nc/cycle_code_lists.h"

namespace zarvento {

class FrameTemplates {
public:
    // The kind names in the order the description reader tests them. The
    // reader's two "G00" slots are one entry here: the rapid line reads "G00".
    static constexpr std::array<std::string_view, 39> kKindNames = {
        "Head",       "Safe",       "Comm",         "NameOper",     "BegOper", "EndOper", "T",      "S",
        "F",          "SF",         "G96",          "G97",          "G40",     "G41",     "G42",    "G66",
        "M01",        "M03",        "M04",          "M05",          "M08",     "M09",     "M30",    "G00",
        "G01",        "G02",        "G03",          "G04",          "G28",     "Offset",  "Rotate", "CallSubProg",
        "BegSubProg", "EndSubProg", "BegSpiralCyl", "EndSpiralCyl", "SP",      "End",     "Doc1"};

    static bool IsKindName(std::string_view kind);
    // The loaded template of a kind, or null.
    static const CycleCodeLists* Find(std::string_view kind);
    // Loads (or with null frees) the template of a kind; false for an unknown kind.
    static bool Set(std::string_view kind, std::unique_ptr<CycleCodeLists> templ);
    static void Clear();
};

// Texts of the built-in frame output; an older-layout description sets them.
struct BuiltInFrameTexts {
    std::string startText = "G90 G40 G17";  // the safe-position frame
    std::string syncCode = "G66";           // spindle-zero synchronisation
    std::string toolCallFormat = "T%d";     // one integer conversion
    std::string toolOffsetText;             // a second tool-change line when set

    static BuiltInFrameTexts& Global();
    // The keys STRING_INIT, CODE_SYNCHRON_NULLSPINDEL, FORMAT_T and
    // STRING_OFFSET of an older-layout description: an empty start text or
    // format gives the default again, an empty code keeps the one in force.
    void ApplyOlderLayoutKeys(const std::string& stringInit, const std::string& codeSynchron,
                              const std::string& formatT, const std::string& stringOffset);
};

}  // namespace zarvento
