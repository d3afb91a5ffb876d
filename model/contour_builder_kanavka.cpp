// The groove contour.
#include "model/contour_builder_kanavka.h"

#include <cmath>

#include "platform/core/messages.h"

namespace zarvento {

namespace {
constexpr double kMinGrooveWidth = 0.1;
}

std::unique_ptr<Contour> CContourBuilderKanavka::Build() {
    std::unique_ptr<Contour> contour = ContourByMethod();
    if (!contour || contour->Empty()) return nullptr;
    const Point3D s = contour->GetFirstUnit()->StartPoint;
    const Point3D e = contour->GetLastUnit()->EndPoint;
    // Along the width the ends run apart; both ends leave the groove the
    // other way, out of the material.
    const bool alongZ = grooveDirection == 0;
    const double from = alongZ ? s.z : s.x, to = alongZ ? e.z : e.x;
    if (std::fabs(to - from) < kMinGrooveWidth) {
        ShowHostMessage(kGrooveWidthMessage);
        return nullptr;
    }
    if (to < from - kMinGrooveWidth) startMode = endMode = alongZ ? kExtendMinusX : kExtendPlusZ;
    if (to > from + kMinGrooveWidth) startMode = endMode = alongZ ? kExtendPlusX : kExtendMinusZ;
    return CloseContourToSource(std::move(contour), sourceContour, true, true);
}

}  // namespace zarvento
