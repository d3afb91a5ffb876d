// SimulationChangedUnits: an ordered list of unit pointers.
#include "model/simulation_changed_units.h"

#include "model/tessellation_object.h"
#include "platform/core/process_state.h"

namespace zarvento {

ZARVENTO_STATE_RESET { SimulationChangedUnits::Instance().Clear(); }

SimulationChangedUnits& SimulationChangedUnits::Instance() {
    static SimulationChangedUnits list;
    return list;
}

bool SimulationChangedUnits::DefersHostDeletions() const { return DeferHostDeletions; }

void SimulationChangedUnits::AddChangedUnit(CUnit* unit) { units_.Add(unit); }

void SimulationChangedUnits::RemoveChangedUnit(const CUnit* unit) {
    for (std::uint32_t i = 0; i < units_.Count(); ++i)
        if (units_[i] == unit) {
            units_.RemoveAt(i);
            return;
        }
}

}  // namespace zarvento
