// Starting a program without waiting for it (an editor the user works in):
// the child is detached into a session of its own, so it outlives nothing of
// ours and leaves no zombie; only whether it could be started is reported.
#pragma once

#include <filesystem>
#include <string>

#include "platform/processes/process_runner.h"

namespace zarvento {

struct ProcessStartResult {
    bool started = false;
    std::filesystem::path program;  // the file that was run
    std::string error;              // why it could not be started
};

// Uses the request's program, arguments, working folder, environment and
// fallback; its timeout and output settings do not apply (nothing is waited
// for; the child's output goes nowhere).
ProcessStartResult StartProcess(const ProcessRequest& request);

}  // namespace zarvento
