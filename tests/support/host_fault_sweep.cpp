// The sweeps: each run starts from no arming and ends with none.
#include "host_fault_sweep.h"

#include <gtest/gtest.h>

#include "platform/core/host_faults.h"

namespace zarvento::test {

namespace {

// Holds the armings and counters through the resets of the process state
// that a whole command makes at its end, for the scope's life.
class HeldThroughResets {
public:
    HeldThroughResets() { HostFaults::HoldThroughResets(true); }
    ~HeldThroughResets() { HostFaults::HoldThroughResets(false); }
    HeldThroughResets(const HeldThroughResets&) = delete;
    HeldThroughResets& operator=(const HeldThroughResets&) = delete;
};

FaultRun RunArmed(std::string_view call, int skip, HRESULT code, const FaultAction& action,
                  const FaultSweepOptions& options) {
    HostFaults::Clear();
    if (options.before) options.before();
    HostFaults::Clear();
    HostFaults::Arm(std::string(call), code, skip);
    FaultRun run{std::string(call), skip, false, std::nullopt};
    {
        const HeldThroughResets held;
        try {
            action();
        } catch (const HostError& e) {
            run.thrown = e.Code();
        }
        run.reached = !HostFaults::IsArmed(call);
    }
    HostFaults::Clear();
    return run;
}

}  // namespace

int FailEachCallInTurn(std::string_view call, HRESULT code, const FaultAction& action, const FaultCheck& check,
                       const FaultSweepOptions& options) {
    int failed = 0;
    for (int skip = 0; skip < options.limit; ++skip) {
        SCOPED_TRACE(std::string(call) + " fails at its call " + std::to_string(skip + 1));
        const FaultRun run = RunArmed(call, skip, code, action, options);
        check(run);
        if (!run.reached) return failed;
        ++failed;
    }
    ADD_FAILURE() << call << " still failed the action after " << options.limit << " runs";
    return failed;
}

void FailEachCall(const std::vector<std::string>& calls, HRESULT code, const FaultAction& action,
                  const FaultCheck& check, const FaultSweepOptions& options) {
    for (const std::string& call : calls) {
        SCOPED_TRACE(call + " fails");
        check(RunArmed(call, 0, code, action, options));
    }
}

std::set<std::string> HostCallsOf(const FaultAction& action, const std::function<bool(const std::string&)>& keep) {
    HostFaults::Clear();
    const HeldThroughResets held;
    action();
    std::set<std::string> names;
    for (const std::string& name : HostFaults::CalledNames())
        if (!keep || keep(name)) names.insert(name);
    HostFaults::Clear();
    return names;
}

}  // namespace zarvento::test
