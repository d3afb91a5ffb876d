// The Zarvento library module: what it exports with C linkage. First the
// entry points every library of the CAD host has, which the host calls to list
// the library, to tell it that it is loaded and to run its commands; then a
// small interface of our own for the command-line program's verbs that need
// more than a menu command. Texts cross as UTF-8, the headless host's form of
// the host's wide strings.
#pragma once

#include <cstdint>

namespace zarvento {
class TreeControl;
}  // namespace zarvento

extern "C" {

// The module's start (reason 1: the attach step: the version gate, the
// host's main window, the wiring of every layer) and end (reason 0: the
// detach step); 1.
int DllMain(int reason);
// The library's id in the host: 100.
unsigned int LIBRARYID();
// The library title shown in the host's library list ("Zarvento V23"); valid
// until the next call that reads a string resource.
const char* LIBRARYNAMEW();
// No help file name is given to the host: null.
const char* LIBRARYHELPFILEW();
// The toolbar resource for (type, index): 6001 for a non-zero type and index
// 0, else -1.
std::int32_t LibToolBarId(std::int32_t type, std::int32_t index);
// The first command bitmap id of a kind: 1000, 2000, 3000, 4000 for kinds 0 to
// 3, 0 for any other.
std::int32_t LibraryBmpBeginID(std::int32_t kind);
// The library speaks the host's newer interface: 1.
std::int32_t LibIsOnApplication7();
// The host's first call after loading: connects the host, loads the settings,
// subscribes the application sink and reads the library list entry. 0.
std::int32_t LibInterfaceNotifyEntry();
// A command of the library's menu, toolbar or plan tree.
void LIBRARYENTRY(unsigned int command);
// The plan sketch of the current plan under a name; 1.
std::int32_t CreatePlanSketch(const char* name);
// Synchronises the plan with the model and returns the plan tree's control
// (null until the tree has one).
zarvento::TreeControl* SYNCHRON();
// Registration under the host's add-in key: 0, or 0x8000FFFF on failure.
std::uint32_t DllRegisterServer();
std::uint32_t DllUnregisterServer();

// The command-line program's verbs, each given the program's arguments
// (argv[1] is the verb) and giving its exit code.
int ZarventoRunScript(int argc, char** argv);
int ZarventoProgramJob(int argc, char** argv);
int ZarventoSimulationJob(int argc, char** argv);
int ZarventoToolModel(int argc, char** argv);
int ZarventoToolContour(int argc, char** argv);
int ZarventoCatalog(int argc, char** argv);
int ZarventoStatistics(int argc, char** argv);
int ZarventoSetupSheet(int argc, char** argv);
int ZarventoExport(int argc, char** argv);
// The usage of those verbs and of the script, for the program's help.
const char* ZarventoUsage();
}
