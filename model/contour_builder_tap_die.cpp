// The tap and die builder's picking rules and build.
#include "model/contour_builder_tap_die.h"

#include "model/contour_builder_lines.h"

namespace zarvento {

void CContourBuilderTapDie::HighlightUnit(const HostObjectPtr& object) { HighlightSingle(object, false); }

bool CContourBuilderTapDie::HasUnitForObject(const HostObjectPtr& object) const {
    return HoldsConstantLine(partContour, object, LineConstant::X);
}

std::unique_ptr<Contour> CContourBuilderTapDie::Build() { return ContourByMethod(); }

}  // namespace zarvento
