// The cut-off builder's picking rules.
#include "model/contour_builder_otrezka.h"

#include "model/contour_builder_lines.h"

namespace zarvento {

void CContourBuilderOtrezka::HighlightUnit(const HostObjectPtr& object) { HighlightSingle(object, false); }

bool CContourBuilderOtrezka::HasUnitForObject(const HostObjectPtr& object) const {
    return HoldsConstantLine(partContour, object, LineConstant::Z);
}

}  // namespace zarvento
