// PostProcessorSettings: the process-wide values of the post-processor
// description read last (there is never more than one current description).
#pragma once

#include <string>
#include <string_view>

namespace zarvento {

struct PostProcessorSettings {
    std::string Version;     // VERSION
    std::string CodingChar;  // CODING_CHAR; "UTF8" made the reader decode UTF-8
    bool UsePython = false;  // USE_PYTHON, statement grammar only
    bool EdmArta = false;    // EDM_ARTA; kept, read by nothing
    // FORMAT_T, older layout only: always a format with exactly one integer
    // conversion, since the tool frame prints it with the tool number.
    std::string FormatT = "T%d";
    std::string StringInit = "G90 G40 G17";  // the safe-position frame's start text
    std::string StringOffset;                // a second tool-change line when set
    std::string StringOffsetZ;               // kept, read by nothing
    std::string CodeSynchronNullSpindel = "G66";

    // The values before any reading; a state reset restores them.
    static PostProcessorSettings& Current();

    // Whether the description's VERSION is `least` or later: versions of
    // digits compare as numbers ("9" before "18", "100" after it), any
    // other text by its characters.
    bool VersionAtLeast(std::string_view least) const;
};

// The comparison VersionAtLeast makes, of any two version texts.
bool VersionTextAtLeast(std::string_view version, std::string_view least);

}  // namespace zarvento
