// The recorded procedural calls of the headless host.
#include "platform/processes/host_procedures.h"

#include "platform/core/host_faults.h"
#include "platform/core/process_state.h"

namespace zarvento {

namespace {
struct Procedures {
    int postCommands = 0;
    bool mainWindowAttached = false;
    std::vector<HostHelpCall> helpCalls;
    bool idle = true;
    int processState = 1;
    std::string language = "ru-RU";
} state;
}  // namespace

ZARVENTO_STATE_RESET { state = Procedures{}; }

void SetCommandLocale() { HostFaults::Check("SetCommandLocale"); }

void HostPostCommand() {
    HostFaults::Check("HostPostCommand");
    ++state.postCommands;
}

int HostPostCommandCount() { return state.postCommands; }

void AttachHostMainWindow() {
    HostFaults::Check("AttachHostMainWindow");
    state.mainWindowAttached = true;
}

void DetachHostMainWindow() { state.mainWindowAttached = false; }

bool HostMainWindowAttached() { return state.mainWindowAttached; }

void OpenHostHelp(const std::string& file, int command, int topic) {
    HostFaults::Check("OpenHostHelp");
    state.helpCalls.push_back(HostHelpCall{file, command, topic});
}

const std::vector<HostHelpCall>& HostHelpCalls() { return state.helpCalls; }

bool HostIsIdle() {
    HostFaults::Check("HostIsIdle");
    return state.idle;
}

void SetHostIdle(bool idle) { state.idle = idle; }

int HostProcessState() {
    HostFaults::Check("HostProcessState");
    return state.processState;
}

void SetHostProcessState(int processState) { state.processState = processState; }

std::string HostInterfaceLanguage() {
    HostFaults::Check("HostInterfaceLanguage");
    return state.language;
}

void SetHostInterfaceLanguage(std::string language) { state.language = std::move(language); }

}  // namespace zarvento
