// One pass of the multi-pass operation along a piece of the part contour:
// the clean-up pass after a region's roughing and each finishing pass, with
// the approach (through a cut-in point where the start is tight), the cut,
// the departure and the retract.
#include <cmath>
#include <memory>

#include "catalogs/param_tool.h"
#include "geometry/arc_unit.h"
#include "geometry/primitives.h"
#include "operations/plan_angle_trim.h"
#include "operations/turn_mnogo_prohod.h"

namespace zarvento {

namespace {

// Crossings of the contour with a full circle around (z, x).
int CircleCrossings(const Contour* contour, double z, double x, double radius) {
    if (!contour || radius <= 0.0) return 0;
    Contour circle;
    circle.AddUnit(std::make_unique<CArcUnit>(z, x, radius, z + radius, x, z - radius, x, 1));
    circle.AddUnit(std::make_unique<CArcUnit>(z, x, radius, z - radius, x, z + radius, x, 1));
    return CountContourCrossings(&circle, contour);
}

}  // namespace

void CTurnMnogoProhod::DoZachistkaContourNew(std::unique_ptr<Contour> piece) {
    if (!piece || piece->Empty()) return;
    const int tag = piece->Tag;
    std::unique_ptr<Contour> c = Contour::CopyTaking(std::move(piece));
    bool rev = indNapr;
    if (calc.feedDirection == 1) rev = !rev;
    contourReversed = internalMachining ? !rev : rev;
    if (contourReversed) c = ReverseContour(std::move(c));
    double overrun = std::max(Perebeg, 0.0);
    double approach = std::max(Vrezanie, 0.0);

    OnePieceAcrossPass = false;
    if (std::fabs(c->GetFirstUnit()->StartPoint.z - c->GetLastUnit()->EndPoint.z) < 0.01 || tag == 2) {
        c = ReverseContour(std::move(c));
        OnePieceAcrossPass = true;
    }
    const double R = Rtool;
    const ParamTool* tool = GetTool();
    const double correctionX = (isCorrectLx && tool) ? tool->CorrectX : 0.0;
    // A start on the axis (its diameter, with the correction, is the nose's
    // own) has no room for an approach.
    if (std::fabs(-2.0 * (c->GetFirstUnit()->StartPoint.x + correctionX) - 2.0 * R) < 1e-6) approach = 0.0;

    {
        // The part as the operation leaves it, where the nose's point goes:
        // only the prolonging reads it, so it is gone before the frames.
        const Contour* obstacleSource = finalContour ? finalContour.get() : sourceContour.get();
        std::unique_ptr<Contour> obstacle = obstacleSource ? obstacleSource->Clone() : std::make_unique<Contour>();
        ApplyToolOffsets(*obstacle);
        c->ExtendEnds(approach, tag == 0 ? overrun : 0.0, obstacle.get(), R, &approach);
    }
    c->MergeOverlappingUnits();
    if (tag != 0) {
        const bool subtract = internalMachining != rev ? tag != 2 : tag == 2;
        const double turn = subtract ? -135.0 : 135.0;
        c->AppendLine(overrun > 0.0 ? overrun : 0.5, c->GetLastUnit()->GetEndAngle() * 180.0 / PI + turn, false);
    }
    TrimToLatheReach(*c);
    if (c->Empty()) return;

    const double xs = c->GetFirstUnit()->StartPoint.x, zs = c->GetFirstUnit()->StartPoint.z;
    const double xe = c->GetLastUnit()->EndPoint.x, ze = c->GetLastUnit()->EndPoint.z;
    const double a0 = c->GetFirstUnit()->GetStartAngle();
    const int k = CircleCrossings(sourceContour.get(), zs, xs, R + 1.0);
    const double rx = calc.retractX, rz = calc.retractZ;
    // "Outside" the current point: towards the axis for a bore, away from it otherwise.
    auto beyond = [this](double x, double current) { return internalMachining ? !(x > current) : x > current; };

    if (OnePieceAcrossPass) {
        if (!rev) {
            curX = rx;
            curZ = rz;
            if (tag == 2) MoveTo(rx, zs, true);
            MoveTo(xs, zs, true);
        } else {
            const double cz = curZ;
            curX = rx;
            curZ = rz;
            MoveTo(xs, cz, true);
            MoveTo(xs, zs, false);
        }
    } else if (k > 0 || (a0 > 1.3 * PI && a0 < 1.7 * PI)) {
        double b = internalMachining ? a0 - PI / 2.0 : a0 + PI / 2.0;
        const double r = R < 1e-6 ? 0.1 : R;
        double d = 1.2 * r + (k > 0 ? DepthPass : 0.0);
        if (a0 > 1.4 * PI && a0 < 1.7 * PI) d = r + DepthPass + approach;
        if (rev) b -= PI;
        const double pz = zs + d * std::cos(b), px = xs + d * std::sin(b);
        RapidTo(px, pz, beyond(px, curX) ? kZFirst : kXFirst);
        MoveTo(xs, zs, false);
    } else {
        RapidTo(xs, zs, beyond(xs, curX) ? kZFirst : kXFirst);
    }

    for (int i = 0; i < c->Count(); ++i) AddUnitFrame(*c->GetUnit(i), false);
    curX = xe;
    curZ = ze;

    if (OnePieceAcrossPass) {
        if (tag == 2) {
            MoveTo(rx, ze, true);
            calc.retractZ = ze;
        } else {
            MoveTo(xe, rz, true);
            MoveTo(rx, rz, true);
        }
    } else {
        const int k2 = CircleCrossings(sourceContour.get(), ze, xe, 1.1 * R);
        double oz = k2 > 0 ? RetractDZ : 0.0, ox = k2 > 0 ? RetractDX : 0.0;
        const double endAngle = c->GetLastUnit()->GetEndAngle();
        if (rev && endAngle > 0.4 * PI && endAngle < 0.7 * PI) oz = -(R + DepthPass + approach);
        MoveTo(xe - ox, ze - oz, false);
        const bool outward = internalMachining ? rx < curX : rx > curX;
        if (tag == 1 && !outward) {
            MoveTo(rx, curZ, true);
            calc.retractZ = curZ;
        } else {
            RapidTo(rx, rz, outward ? kDirect : kXFirst);
        }
    }
    curX = calc.retractX;
    curZ = calc.retractZ;
}

}  // namespace zarvento
