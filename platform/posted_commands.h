// Commands of the library posted to the host: the host runs them after the
// command that posted them has returned. The headless host keeps them in a
// queue that its driver (the command-line program, a test) takes and runs.
#pragma once

#include <vector>

namespace zarvento {

class PostedCommands {
public:
    static PostedCommands& Instance();
    void Post(int command) { queue_.push_back(command); }
    // The posted commands in order; the queue is empty afterwards.
    std::vector<int> Take();
    bool Empty() const { return queue_.empty(); }
    void Reset() { queue_.clear(); }

private:
    std::vector<int> queue_;
};

// Asks the host to run a command of this library.
void PostHostCommand(int command);

// The host's post-command call that ends a library command (no arguments, no
// result used). The headless host counts the calls.
void HostPostCommandCall();
int HostPostCommandCallCount();

}  // namespace zarvento
