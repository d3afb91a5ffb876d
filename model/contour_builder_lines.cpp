// The constant-coordinate line test of the single-face builders.
#include "model/contour_builder_lines.h"

#include <cmath>

namespace zarvento {

bool HoldsConstantLine(const Contour* part, const HostObjectPtr& object, LineConstant constant) {
    if (!part || !object) return false;
    const CUnit* unit = part->FindUnitByObject(object);
    if (!unit || unit->Kind != kUnitLine) return false;
    const double d =
        constant == LineConstant::Z ? unit->EndPoint.z - unit->StartPoint.z : unit->EndPoint.x - unit->StartPoint.x;
    return std::fabs(d) < 0.01;
}

}  // namespace zarvento
