// zarvento run: opens (or makes) a part document, runs a command script on
// it, saves it and prints what happened.
#pragma once

namespace zarvento::app {

// Exit codes of the program.
inline constexpr int kExitOk = 0;
inline constexpr int kExitCommandFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitDocument = 3;
// 4 is the program's: the library module is missing or cannot be loaded.
inline constexpr int kExitImport = 5;

// The help of "run" and of the script, for the program's usage text.
extern const char* const kRunUsage;
const char* ScriptHelp();

int RunScript(int argc, char** argv);

}  // namespace zarvento::app
