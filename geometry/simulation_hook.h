// The simulation's list of changed units, seen from the geometry: while the
// simulation runs it defers deleting host objects and wants to hear which
// units a merge changed or removed. The simulation registers its list here.
#pragma once

namespace zarvento {

class CUnit;

class SimulationUnitList {
public:
    virtual ~SimulationUnitList() = default;
    // True while the simulation defers host deletions.
    virtual bool DefersHostDeletions() const = 0;
    virtual void AddChangedUnit(CUnit* unit) = 0;
    // Removes the first entry of the unit, when there is one.
    virtual void RemoveChangedUnit(const CUnit* unit) = 0;
};

// The registered list is not owned; null (the default) means no simulation.
void SetSimulationUnitList(SimulationUnitList* list);
SimulationUnitList* GetSimulationUnitList();

// The simulation's check mode: the check run sets it and the visualisation
// clears it. The check run draws in a 2D document, and region subtraction
// then draws the arrangement of the step before the last one.
extern bool SimulationCheckMode;

}  // namespace zarvento
