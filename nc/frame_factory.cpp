// The frame factory the unit layer calls.
#include "nc/frame_factory.h"

#include <memory>

#include "nc/cadre_arc_g03.h"
#include "nc/cadre_line_g01.h"

namespace zarvento {

namespace {
void DeleteFrame(CCadreISO* frame) { std::unique_ptr<CCadreISO> owned(frame); }
}  // namespace

CadrePtr FrameFactory::MakeLineFrame(double x1, double z1, double x2, double z2, double feed, bool rapid, int option1,
                                     int option2) {
    return CadrePtr(new CCadre_LineG01(x1, z1, x2, z2, feed, rapid, option1 != 0, option2 != 0), &DeleteFrame);
}

CadrePtr FrameFactory::MakeArcFrame(bool clockwise, double xc, double zc, double radius, double x1, double z1,
                                    double x2, double z2, double feed, bool rapid) {
    if (clockwise) return CadrePtr(new CCadre_ArcG02(xc, zc, radius, x1, z1, x2, z2, feed, rapid), &DeleteFrame);
    return CadrePtr(new CCadre_ArcG03(xc, zc, radius, x1, z1, x2, z2, feed, rapid), &DeleteFrame);
}

void FrameFactory::Register() {
    static FrameFactory factory;
    SetCadreFactory(&factory);
}

}  // namespace zarvento
