// Host-fault sweeps: each host call an action makes fails in turn, and the
// state after every run is checked, until the action runs with no failure
// reached. A test names the call (or the calls), the action and the check;
// the sweep arms, clears and traces each run. The arming and the counters
// last through the resets of the process state that a whole command (a verb
// of the program) makes at its end.
#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/host_error.h"

namespace zarvento::test {

// One run of the action under an armed failure.
struct FaultRun {
    std::string call;
    // The calls of it that went through before the one that failed.
    int skip = 0;
    // The armed failure was raised; false for the run that went through.
    bool reached = false;
    // The code of the HostError that left the action, if one did.
    std::optional<HRESULT> thrown;
};

using FaultAction = std::function<void()>;
using FaultCheck = std::function<void(const FaultRun&)>;

// What the sweep does before each run (nothing armed yet, so its host calls
// are not counted) and how many runs it allows before it fails the test.
struct FaultSweepOptions {
    FaultAction before;
    int limit = 1000;
};

// The k-th call of `call` fails with `code`, for k = 0, 1, ...: each run
// arms it, runs the action and checks, until the action no longer reaches
// the failure (that run is checked too). Returns how many runs failed.
int FailEachCallInTurn(std::string_view call, HRESULT code, const FaultAction& action, const FaultCheck& check,
                       const FaultSweepOptions& options = {});

// Each of `calls` fails at its first call, in turn, with a run and a check
// each (a call the action never reaches gives a run with `reached` false).
void FailEachCall(const std::vector<std::string>& calls, HRESULT code, const FaultAction& action,
                  const FaultCheck& check, const FaultSweepOptions& options = {});

// The host calls the action makes, by name, with nothing armed: those `keep`
// accepts (all without it).
std::set<std::string> HostCallsOf(const FaultAction& action, const std::function<bool(const std::string&)>& keep = {});

}  // namespace zarvento::test
