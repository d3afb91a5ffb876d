// Packing of values for host automation calls, which take arrays as Variants:
// points and integers are packed into one-dimensional arrays from 0.
#pragma once

#include <cstdint>

#include "geometry/step_array.h"
#include "geometry/unit.h"
#include "platform/variant.h"

namespace zarvento {

// An array of reals: x, y, z of each point in order (an empty array for no
// points, never an empty Variant).
void PointsToSafeArray(Variant& out, const StepArray<Point3D>& points);
// An array of integers.
void IntsToSafeArray(Variant& out, const StepArray<std::int32_t>& values);

}  // namespace zarvento
