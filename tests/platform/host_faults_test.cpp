#include "platform/core/host_faults.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_fault_sweep.h"

namespace zarvento {
namespace {

// Calls are counted by their names' text, wherever that text lies: one buffer
// carrying one name and then another, or one name in two buffers.
TEST(HostFaultsTest, CallsAreCountedByNameWhateverBufferCarriesIt) {
    HostFaults::Clear();
    std::string buffer = "Host.First";
    HostFaults::Check(buffer);
    HostFaults::Check(buffer);
    buffer.replace(5, 5, "Other");
    HostFaults::Check(buffer);
    const std::string copy = "Host.First";
    HostFaults::Check(copy);
    HostFaults::Check("Host.First");
    EXPECT_EQ(HostFaults::Calls("Host.First"), 4);
    EXPECT_EQ(HostFaults::Calls("Host.Other"), 1);
    EXPECT_EQ(HostFaults::TotalCalls(), 5);

    HostFaults::Clear();
    EXPECT_EQ(HostFaults::Calls("Host.First"), 0);
    HostFaults::Check(copy);
    EXPECT_EQ(HostFaults::Calls("Host.First"), 1);
    HostFaults::Clear();
}

// The sweep fails each call in turn, each run from a clean arming, and ends
// with the run that reaches no failure; a failure the action swallows counts
// as reached all the same.
TEST(HostFaultsTest, TheSweepFailsEachCallInTurnUntilTheActionRunsThrough) {
    int prepared = 0;
    std::vector<std::string> runs;
    const int failed = test::FailEachCallInTurn(
        "Host.Step", E_FAIL_,
        [] {
            HostFaults::Check("Host.Step");
            try {
                HostFaults::Check("Host.Step");
            } catch (const HostError&) {
            }
            HostFaults::Check("Host.Other");
            HostFaults::Check("Host.Step");
        },
        [&](const test::FaultRun& run) {
            runs.push_back(std::to_string(run.skip) + (run.reached ? " reached" : " through") +
                           (run.thrown ? " thrown" : ""));
            EXPECT_FALSE(HostFaults::IsArmed("Host.Step"));
        },
        {[&] {
            ++prepared;
            HostFaults::Check("Host.Step");
        }});
    EXPECT_EQ(failed, 3);
    EXPECT_EQ(prepared, 4);
    EXPECT_EQ(runs, (std::vector<std::string>{"0 reached thrown", "1 reached", "2 reached thrown", "3 through"}));
    EXPECT_EQ(test::HostCallsOf([] { HostFaults::Check("Host.Other"); }), std::set<std::string>{"Host.Other"});
}

}  // namespace
}  // namespace zarvento
