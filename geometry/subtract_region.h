// SubtractRegion: cuts a closed figure out of a closed stock contour and keeps
// the boundary of the face that holds a reference point.
//
// The figure and the stock are split at every vertex and crossing into an
// arrangement of elementary units; the walk starts at the vertex nearest to
// the reference point that can be seen from it and at each vertex takes the
// unit that turns next to the one it arrived by, until it is back.
#pragma once

#include "geometry/contour.h"
#include "geometry/step_array.h"

namespace zarvento {

class CUnit;

// Units a subtraction took out of the stock. They are destroyed before the
// call returns, so the entries serve as identities only.
using RemovedUnitList = StepArray<const CUnit*>;
// Clones a subtraction added to the stock; the stock owns them.
using AddedUnitList = StepArray<CUnit*>;

// Cuts `cutter` out of `stock` and keeps the face holding (refZ, refX).
// Returns the number of crossings of stock and cutter (at least 2) when the
// new boundary was applied, 0 when the stock was left as it was: fewer than
// two crossings, or no closed walk round the face. The cutter loses its
// zero-length units; units of it used by an applied walk may come back
// reversed. On every path that applies nothing the stock, its units'
// orientation and flags, and the cutter's remaining units are unchanged.
// Throws Exception("Не найдена ближайшая точка") when no vertex can be seen
// from the reference point. stepIndex and stepCount only select the step
// whose arrangement is drawn while the diagnostic run is on.
int SubtractRegion(Contour& stock, Contour& cutter, double refZ, double refX, RemovedUnitList& removed,
                   AddedUnitList& added, int stepIndex, int stepCount);

// Subtractions look at the stock near the cutter and carry the rest over;
// with this on they build the arrangement of the whole stock, as the checks
// of the near-cutter subtraction do for reference.
void SetWholeStockSubtraction(bool on);

// The plan's diagnostic run: while it is on, the arrangement of the step
// before the last is drawn into the active 2D document. It is the
// simulation's check mode (geometry/simulation_hook.h) under another name.
void SetRegionDiagnosticRun(bool on);
bool RegionDiagnosticRun();

}  // namespace zarvento
