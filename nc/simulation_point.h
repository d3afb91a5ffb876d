// The records frames sample for the simulation: a 2D point names the frame
// that produced it besides its unit; 3D and trace points are the unit layer's
// UnitPoint3D records (a trace point carries its colour in `flag`).
#pragma once

#include "geometry/intersect_point.h"
#include "geometry/unit.h"

namespace zarvento {

class CCadreISO;

struct SimulationPoint : IntersectPoint {
    const CCadreISO* frame = nullptr;
};

using SimulationPointList = StepArray<SimulationPoint>;

}  // namespace zarvento
