// Packing of values for host automation calls, which take and give arrays as
// Variants: points, integers, Variants and texts are packed into
// one-dimensional arrays from 0; host objects and reals are unpacked into the
// system's own arrays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "geometry/checked_array.h"
#include "geometry/cursor_list.h"
#include "geometry/step_array.h"
#include "geometry/unit.h"
#include "platform/core/variant.h"

namespace zarvento {

// An array of reals: x, y, z of each point in order (an empty array for no
// points, never an empty Variant).
void PointsToSafeArray(Variant& out, const StepArray<Point3D>& points);
// An array of integers.
void IntsToSafeArray(Variant& out, const StepArray<std::int32_t>& values);
// An array of copies of the values; an empty Variant for none.
void VariantsToSafeArray(Variant& out, const std::vector<Variant>& values);
// An array of the list's texts in list order.
void StringListToSafeArray(Variant& out, const CursorList<std::string>& list);
// An array of copies of the texts; an empty Variant for none.
void StringVectorToSafeArray(Variant& out, const std::vector<std::string>& strings);

// A one-dimensional array of host objects, or a single host object, into
// `array` (resized to the element count; the objects are not held, the
// Variant keeps them); the count. Anything else, an array of several
// dimensions or no elements gives 0 and leaves `array` as it was.
int SafeArrayToDispatches(const Variant& value, CheckedArray<HostObject*>& array);
// The same for an array of reals or a single real.
int SafeArrayToDoubles(const Variant& value, CheckedArray<double>& array);

}  // namespace zarvento
