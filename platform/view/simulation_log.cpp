// The recording simulation of the headless host.
#include "platform/view/simulation_log.h"

#include <utility>

#include "platform/core/host_faults.h"
#include "platform/core/process_state.h"

namespace zarvento {

ZARVENTO_STATE_RESET { SimulationLog::Instance().Reset(); }

SimulationLog& SimulationLog::Instance() {
    static SimulationLog log;
    return log;
}

void SimulationLog::Record(SimulationEntry entry) {
    HostFaults::Check("Simulation." + entry.action);
    entries_.push_back(std::move(entry));
}

std::vector<std::string> SimulationLog::Actions() const {
    std::vector<std::string> out;
    out.reserve(entries_.size());
    for (const auto& e : entries_) out.push_back(e.action);
    return out;
}

void SimulationLog::Reset() {
    entries_.clear();
    preCalculation = spindleTurning = gadgetsRotated = false;
    partViewRedraws = 0;
}

}  // namespace zarvento
