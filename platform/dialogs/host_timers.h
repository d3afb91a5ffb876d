// Window timers of the headless host on a virtual clock. A timer belongs to a
// window and an id; setting it again replaces its interval (and callback) and
// restarts its period. Time passes only when a caller advances the clock, so
// a timer-driven run is the same in every test and script: each elapsed
// interval fires one tick, in the order the ticks fall due.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/dialogs/host_message.h"

namespace zarvento {

// The callback of a timer: the window, the timer id and the clock at the tick.
using TimerProc = std::function<void(WindowHandle window, std::uintptr_t id, std::uint64_t time)>;

// Sets (or replaces) the timer (window, id) with an interval of at least one
// millisecond; returns the id. A failed host call raises HostError.
std::uintptr_t SetHostTimer(WindowHandle window, std::uintptr_t id, std::uint32_t intervalMs, TimerProc proc);
// False when no such timer is set.
bool KillHostTimer(WindowHandle window, std::uintptr_t id);
bool IsHostTimerSet(WindowHandle window, std::uintptr_t id);
// The interval of a set timer, 0 when there is none.
std::uint32_t HostTimerInterval(WindowHandle window, std::uintptr_t id);
int HostTimerCount();

// The host's tick count: milliseconds on the virtual clock.
std::uint64_t HostTickCount();
// Moves the clock on by `ms`, firing every tick that falls due on the way (a
// callback may set, replace or kill timers, its own included); returns the
// number of ticks fired.
int AdvanceHostClock(std::uint64_t ms);
// Moves the clock to the tick that falls due first and fires it; false (the
// clock unchanged) when no timer is set.
bool FireNextHostTimer();

// The host's main window, on which the library sets its timers.
WindowHandle HostMainWindowHandle();

}  // namespace zarvento
