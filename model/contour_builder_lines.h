// The pick test of the cut-off and tap/die builders: a unit of the part
// contour holds the object and is a line of one constant coordinate.
#pragma once

#include "geometry/contour.h"
#include "platform/core/host_object.h"

namespace zarvento {

enum class LineConstant { Z, X };

// Whether the part contour holds the object on a line whose end coordinates
// (Z or X) differ by less than 0.01.
bool HoldsConstantLine(const Contour* part, const HostObjectPtr& object, LineConstant constant);

}  // namespace zarvento
