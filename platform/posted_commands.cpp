// The queue of posted commands.
#include "platform/posted_commands.h"

#include <utility>

#include "platform/host_faults.h"
#include "platform/process_state.h"

namespace zarvento {

namespace {
int postCommandCalls = 0;
}  // namespace

ZARVENTO_STATE_RESET {
    PostedCommands::Instance().Reset();
    postCommandCalls = 0;
}

PostedCommands& PostedCommands::Instance() {
    static PostedCommands commands;
    return commands;
}

std::vector<int> PostedCommands::Take() {
    std::vector<int> taken;
    taken.swap(queue_);
    return taken;
}

void PostHostCommand(int command) {
    HostFaults::Check("PostHostCommand");
    PostedCommands::Instance().Post(command);
}

}  // namespace zarvento

namespace zarvento {

void HostPostCommandCall() {
    HostFaults::Check("HostPostCommandCall");
    ++postCommandCalls;
}

int HostPostCommandCallCount() { return postCommandCalls; }

}  // namespace zarvento
