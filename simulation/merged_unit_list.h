// The simulation's list of changed units: while a run defers host deletions
// the contour merge reports here the units it changed and the ones it
// deleted, so that the run can give the changed ones their faces again.
#pragma once

#include "geometry/simulation_hook.h"
#include "geometry/step_array.h"

namespace zarvento {

class MergedUnitList final : public SimulationUnitList {
public:
    static MergedUnitList& Instance();

    bool DefersHostDeletions() const override { return defers; }
    void AddChangedUnit(CUnit* unit) override { units_.Add(unit); }
    void RemoveChangedUnit(const CUnit* unit) override;

    const StepArray<CUnit*>& Units() const { return units_; }
    void Clear() { units_.SetCountZero(); }

    // Set while a run on the 3D scene goes on.
    bool defers = false;

private:
    StepArray<CUnit*> units_{100};
};

}  // namespace zarvento
