// The simulation's list of changed units.
#include "simulation/merged_unit_list.h"

#include "platform/process_state.h"

namespace zarvento {

ZARVENTO_STATE_RESET {
    MergedUnitList::Instance().Clear();
    MergedUnitList::Instance().defers = false;
}

MergedUnitList& MergedUnitList::Instance() {
    static MergedUnitList list;
    return list;
}

void MergedUnitList::RemoveChangedUnit(const CUnit* unit) {
    for (std::uint32_t i = 0; i < units_.Count(); ++i)
        if (units_[i] == unit) {
            units_.RemoveAt(i);
            return;
        }
}

}  // namespace zarvento
