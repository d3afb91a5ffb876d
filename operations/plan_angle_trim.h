// Region geometry shared by the operations: counting the crossings of two
// contours, and trimming a working contour to what a tool with given plan
// angles can reach (each stretch behind an undercut bridged by a straight
// line along the limiting edge).
#pragma once

#include <memory>

#include "geometry/contour.h"

namespace zarvento {

// Distinct crossing points of a with b; 0 when either is missing.
int CountContourCrossings(const Contour* a, const Contour* b);

// One trimming pass for one limit angle (degrees). Units of w may get new
// start points; null when nothing is left.
std::unique_ptr<Contour> TrimContourByAngle(Contour& w, double angleDegrees, const Contour& s);

// Both edges of the tool: a2 on the contour as it lies, a1 on its reflection
// in Z. `mirrored` is set when the geometry had to be turned over first (it
// keeps its value when w does not cross s, and then null comes back). w is
// spent: it regains its orientation but some units may have moved starts.
std::unique_ptr<Contour> TrimContourByPlanAngles(Contour& w, double a1, double a2, const Contour& s, bool& mirrored,
                                                 bool swap);

}  // namespace zarvento
