// The machining simulation as the headless host plays it: every call a frame
// makes on the simulation is recorded in order, and the simulation's marks
// (pre-calculation run, spindle turning, fixtures rotated) are plain values
// that callers and tests set and read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarvento {

struct SimulationEntry {
    std::string action;            // "ShowStatus", "ChangeTool", "SetTurn", ...
    std::vector<double> args;      // the call's numeric arguments in order
    const void* object = nullptr;  // the operation or contour passed, when any
};

class SimulationLog {
public:
    static SimulationLog& Instance();

    void Record(SimulationEntry entry);
    const std::vector<SimulationEntry>& Entries() const { return entries_; }
    std::vector<std::string> Actions() const;
    void Reset();

    bool preCalculation = false;  // the instant run before the timed one
    bool spindleTurning = false;
    bool gadgetsRotated = false;
    int partViewRedraws = 0;

private:
    std::vector<SimulationEntry> entries_;
};

}  // namespace zarvento
