// The virtual clock and the timers set on it.
#include "platform/dialogs/host_timers.h"

#include <algorithm>
#include <vector>

#include "platform/core/host_faults.h"
#include "platform/core/process_state.h"
#include "platform/dialogs/host_window.h"

namespace zarvento {

namespace {

struct Timer {
    WindowHandle window = kNoWindow;
    std::uintptr_t id = 0;
    std::uint32_t interval = 1;
    std::uint64_t due = 0;
    // Of two ticks due at the same time the timer set first fires first.
    std::uint64_t order = 0;
    TimerProc proc;
};

struct Clock {
    std::uint64_t now = 0;
    std::uint64_t nextOrder = 0;
    std::vector<Timer> timers;
};

Clock clock;

ZARVENTO_STATE_RESET { clock = Clock{}; }

std::vector<Timer>::iterator Find(WindowHandle window, std::uintptr_t id) {
    return std::find_if(clock.timers.begin(), clock.timers.end(),
                        [&](const Timer& t) { return t.window == window && t.id == id; });
}

// The timer whose tick falls due first, at or before `limit`.
std::vector<Timer>::iterator NextDue(std::uint64_t limit) {
    auto best = clock.timers.end();
    for (auto it = clock.timers.begin(); it != clock.timers.end(); ++it) {
        if (it->due > limit) continue;
        if (best == clock.timers.end() || it->due < best->due || (it->due == best->due && it->order < best->order))
            best = it;
    }
    return best;
}

void Fire(std::vector<Timer>::iterator timer) {
    clock.now = std::max(clock.now, timer->due);
    timer->due = clock.now + timer->interval;
    const WindowHandle window = timer->window;
    const std::uintptr_t id = timer->id;
    // The callback may kill or replace its own timer, so it runs from a copy.
    const TimerProc proc = timer->proc;
    if (proc) proc(window, id, clock.now);
}

}  // namespace

std::uintptr_t SetHostTimer(WindowHandle window, std::uintptr_t id, std::uint32_t intervalMs, TimerProc proc) {
    HostFaults::Check("SetTimer");
    const std::uint32_t interval = std::max<std::uint32_t>(intervalMs, 1);
    auto it = Find(window, id);
    if (it == clock.timers.end()) {
        clock.timers.push_back(Timer{window, id, interval, clock.now + interval, clock.nextOrder++, std::move(proc)});
    } else {
        it->interval = interval;
        it->due = clock.now + interval;
        it->proc = std::move(proc);
    }
    return id;
}

bool KillHostTimer(WindowHandle window, std::uintptr_t id) {
    auto it = Find(window, id);
    if (it == clock.timers.end()) return false;
    clock.timers.erase(it);
    return true;
}

bool IsHostTimerSet(WindowHandle window, std::uintptr_t id) { return Find(window, id) != clock.timers.end(); }

std::uint32_t HostTimerInterval(WindowHandle window, std::uintptr_t id) {
    auto it = Find(window, id);
    return it == clock.timers.end() ? 0 : it->interval;
}

int HostTimerCount() { return static_cast<int>(clock.timers.size()); }

std::uint64_t HostTickCount() { return clock.now; }

int AdvanceHostClock(std::uint64_t ms) {
    const std::uint64_t target = clock.now + ms;
    int fired = 0;
    // Every tick moves the clock on by at least a millisecond, so the loop
    // ends after at most `ms` ticks per timer.
    for (auto it = NextDue(target); it != clock.timers.end(); it = NextDue(target)) {
        Fire(it);
        ++fired;
    }
    clock.now = target;
    return fired;
}

bool FireNextHostTimer() {
    auto it = NextDue(UINT64_MAX);
    if (it == clock.timers.end()) return false;
    Fire(it);
    return true;
}

WindowHandle HostMainWindowHandle() {
    static const HostWindow mainWindow;
    return mainWindow.Handle();
}

}  // namespace zarvento
