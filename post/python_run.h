// The exchange protocol with a post-processor's script: the file names, the
// arguments it is started with, the units factor and how long it may run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarvento {

// The exchange files, in the plan's temporary folder, always in the 8-bit
// Cyrillic code page.
inline constexpr const char* kInputFileName = "input.tmp";
inline constexpr const char* kOutputFileName = "output.tmp";
inline constexpr const char* kPathFileName = "path.tmp";

// The interpreter tried when the stored one cannot be started (a path stored
// on Windows, a name this system lacks).
inline constexpr const char* kFallbackPython = "python3";

// How long the script may run before it is ended and the run fails. Tests
// shorten them; a state reset restores them.
struct PythonRunTimeouts {
    std::int64_t programMs = 15000;
    std::int64_t exportMs = 5000000;  // the export run waits for a visible console

    static PythonRunTimeouts& Current();
};

// The factor of the program units nINCH (0 mm, 1 inch, 2 cm); 1 for other
// values. Not 25.4: scripts have always been given 25.40038.
double UnitsFactor(int nINCH);
// The factor as the script receives it ("1.0", "25.40038", "10.0"); empty
// for other values, and then no argument is passed.
std::string UnitsFactorText(int nINCH);

// The script's arguments after the interpreter: the description file, the
// chosen coding index when the post-processor has CNC codes, the temporary
// folder in the export run, the units factor. A script tells the optional
// ones apart by what its description declares and by the run it was made for.
std::vector<std::string> ScriptArguments(const std::string& descriptionPath, bool hasCncCodes, int indCODE,
                                         bool exportRun, const std::string& temporaryDirectory, int nINCH);

}  // namespace zarvento
