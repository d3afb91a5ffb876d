// IntersectPoint: the record in which intersections, cuts and sampled points
// travel. A point sampled from a unit also names the unit that produced it.
#pragma once

#include "geometry/step_array.h"

namespace zarvento {

class CUnit;

struct IntersectPoint {
    double z = 0.0;
    double x = 0.0;
    int index1 = 0;               // unit index on the first contour (or a unit's tag)
    int index2 = 0;               // unit index on the second contour
    double length = 0.0;          // length along the first contour's unit to the point
    const CUnit* unit = nullptr;  // the unit that produced a sampled point
};

using IntersectPointList = StepArray<IntersectPoint>;

}  // namespace zarvento
