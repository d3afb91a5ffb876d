// The library's busy flag: while it is set, the entry points and the host's
// event handlers leave the library alone (its own host calls raise events).
#pragma once

namespace zarvento {

extern bool BusyFlag;

// Sets the flag for a scope and puts the previous value back on every exit,
// so a failing host call cannot leave the library refusing every command.
class BusyFlagGuard {
public:
    explicit BusyFlagGuard(bool value = true) : previous_(BusyFlag) { BusyFlag = value; }
    ~BusyFlagGuard() { BusyFlag = previous_; }
    BusyFlagGuard(const BusyFlagGuard&) = delete;
    BusyFlagGuard& operator=(const BusyFlagGuard&) = delete;

private:
    bool previous_;
};

}  // namespace zarvento
