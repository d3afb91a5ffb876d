// The recorded help calls.
#include "platform/help_calls.h"

#include "platform/host_faults.h"
#include "platform/module.h"
#include "platform/process_state.h"

namespace zarvento {

namespace {
std::vector<HelpCall> calls;
}

ZARVENTO_STATE_RESET { calls.clear(); }

void CallHostHelp(const std::string& file, int command, int topic) {
    HostFaults::Check("Help");
    calls.push_back({file, command, topic});
}

void OpenHelp(int topic) {
    std::string path;
    if (ModuleFilePath(path, "Zarvento.chm") == 1) CallHostHelp(path, 1, topic);
}

const std::vector<HelpCall>& HostHelpCalls() { return calls; }

}  // namespace zarvento
