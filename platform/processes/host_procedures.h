// Procedural calls of the host that a library makes around its commands:
// the command's locale, the post-command call, the main window, the help
// call and the idle and state queries. The headless host records them (each
// is counted by HostFaults and can be made to fail) and answers them from
// settings a test or script can change.
#pragma once

#include <string>
#include <vector>

namespace zarvento {

// Sets the numeric conventions of a command ('.' as decimal separator). The
// headless host never changes the C locale: our number reading and printing
// do not depend on it, so the call is recorded and does nothing else.
void SetCommandLocale();

// The call a library makes after a menu command that changes the document
// (no arguments, its result unused). Counted.
void HostPostCommand();
int HostPostCommandCount();

// The host's main window: a library attaches to it at load and lets go at
// unload. The headless host has one window that is never destroyed.
void AttachHostMainWindow();
void DetachHostMainWindow();
bool HostMainWindowAttached();

// The host's help call: opens a help file at a topic.
struct HostHelpCall {
    std::string file;
    int command = 0;
    int topic = 0;
};
void OpenHostHelp(const std::string& file, int command, int topic);
const std::vector<HostHelpCall>& HostHelpCalls();

// Whether the host is idle (a posted command may run) and whether a sink's
// state asks for the post-command call when it subscribes.
bool HostIsIdle();
void SetHostIdle(bool idle);

// The host's process query: non-zero while the host can take a command a
// control's event asks for (the headless host answers 1 unless set).
int HostProcessState();
void SetHostProcessState(int state);

// The user-interface language the application reports, e.g. "ru-RU".
std::string HostInterfaceLanguage();
void SetHostInterfaceLanguage(std::string language);

}  // namespace zarvento
