// SimulationChangedUnits: the simulation's list of changed units, as the
// contour merge reports them while host deletions are deferred. The display
// layer registers it with the geometry at start-up; the simulation empties it
// when it updates the stock's display.
#pragma once

#include "geometry/simulation_hook.h"
#include "geometry/step_array.h"

namespace zarvento {

class SimulationChangedUnits : public SimulationUnitList {
public:
    static SimulationChangedUnits& Instance();

    // DeferHostDeletions: set while a simulation runs.
    bool DefersHostDeletions() const override;
    void AddChangedUnit(CUnit* unit) override;
    void RemoveChangedUnit(const CUnit* unit) override;

    const StepArray<CUnit*>& Units() const { return units_; }
    void Clear() { units_.RemoveAll(); }

private:
    StepArray<CUnit*> units_{100};
};

}  // namespace zarvento
