// Window timers on the virtual clock: due ticks fire in order, one per
// elapsed interval; a set replaces, a kill stops, callbacks may do either.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/host_faults.h"
#include "platform/dialogs/host_timers.h"
#include "test_support.h"

namespace zarvento {
namespace {

class HostTimersTest : public test::CleanStateTest {
protected:
    TimerProc Recorder(const std::string& name) {
        return [this, name](WindowHandle, std::uintptr_t, std::uint64_t time) {
            ticks.push_back(name + "@" + std::to_string(time));
        };
    }
    std::vector<std::string> ticks;
    const WindowHandle window = HostMainWindowHandle();
};

TEST_F(HostTimersTest, TicksFallDueOncePerElapsedIntervalInTimeOrder) {
    SetHostTimer(window, 100, 40, Recorder("a"));
    SetHostTimer(window, 7, 30, Recorder("b"));
    SetHostTimer(HostMainWindowHandle() + 1000, 100, 40, Recorder("c"));  // another window, same id
    EXPECT_EQ(HostTimerCount(), 3);
    EXPECT_EQ(AdvanceHostClock(39), 1);
    EXPECT_EQ(ticks, (std::vector<std::string>{"b@30"}));
    EXPECT_EQ(AdvanceHostClock(80), 6);
    // Ties go to the timer set first.
    EXPECT_EQ(ticks, (std::vector<std::string>{"b@30", "a@40", "c@40", "b@60", "a@80", "c@80", "b@90"}));
    EXPECT_EQ(HostTickCount(), 119u);
}

TEST_F(HostTimersTest, ASetReplacesTheIntervalAndAKillStops) {
    SetHostTimer(window, 100, 40, Recorder("a"));
    AdvanceHostClock(30);
    SetHostTimer(window, 100, 25, Recorder("b"));  // restarts its period at 30
    EXPECT_EQ(HostTimerCount(), 1);
    EXPECT_EQ(HostTimerInterval(window, 100), 25u);
    AdvanceHostClock(60);
    EXPECT_EQ(ticks, (std::vector<std::string>{"b@55", "b@80"}));
    EXPECT_TRUE(KillHostTimer(window, 100));
    EXPECT_FALSE(KillHostTimer(window, 100));
    EXPECT_EQ(AdvanceHostClock(1000), 0);
    EXPECT_FALSE(FireNextHostTimer());
    // An interval of 0 ticks every millisecond.
    SetHostTimer(window, 1, 0, Recorder("z"));
    EXPECT_EQ(HostTimerInterval(window, 1), 1u);
}

TEST_F(HostTimersTest, CallbacksMayReplaceOrKillTheirOwnTimer) {
    int count = 0;
    SetHostTimer(window, 100, 10, [&](WindowHandle w, std::uintptr_t id, std::uint64_t time) {
        ticks.push_back(std::to_string(time));
        if (++count == 2)
            SetHostTimer(w, id, 100, [&](WindowHandle w2, std::uintptr_t id2, std::uint64_t t2) {
                ticks.push_back("slow@" + std::to_string(t2));
                KillHostTimer(w2, id2);
            });
    });
    EXPECT_TRUE(FireNextHostTimer());
    EXPECT_TRUE(FireNextHostTimer());
    EXPECT_TRUE(FireNextHostTimer());
    EXPECT_FALSE(FireNextHostTimer());
    EXPECT_EQ(ticks, (std::vector<std::string>{"10", "20", "slow@120"}));
    EXPECT_EQ(HostTimerCount(), 0);
}

TEST_F(HostTimersTest, AFailedSetRaisesAndSetsNothing) {
    HostFaults::Arm("SetTimer", E_FAIL_);
    EXPECT_EQ(test::ErrorCodeOf([&] { SetHostTimer(window, 100, 40, Recorder("a")); }), E_FAIL_);
    EXPECT_FALSE(IsHostTimerSet(window, 100));
}

}  // namespace
}  // namespace zarvento
