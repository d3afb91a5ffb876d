// Failure injection for host calls: a test arms a call by name with a code,
// and the next matching call raises HostError with it. Every host entry point
// of the headless host checks here first, so error paths can be exercised.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/core/host_error.h"

namespace zarvento {

class HostFaults {
public:
    // The call named `call` fails with `code` after `skip` successful calls;
    // it fails `times` times (then the arming is dropped).
    static void Arm(std::string call, HRESULT code, int skip = 0, int times = 1);
    static void Clear();
    // True while an arming of this call waits for its failure.
    static bool IsArmed(std::string_view call);
    // Raises the armed error for this call, if any.
    static void Check(std::string_view call);
    // How many times Check saw this call since the last Clear.
    static int Calls(std::string_view call);
    // Every call Check saw since the last Clear, by name.
    static std::vector<std::string> CalledNames();
    // How many host calls of any kind Check saw since the last Clear.
    static int TotalCalls();
    // While held, a reset of the process's state (the end of a command's
    // session) keeps the armings and the counters, so that a test sees what
    // a whole command reached; the test clears them itself. Wiring, not
    // state: no reset lets go of it.
    static void HoldThroughResets(bool hold);
};

}  // namespace zarvento
