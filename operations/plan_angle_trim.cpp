// Crossing counts and plan-angle trimming of working contours.
#include "operations/plan_angle_trim.h"

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "geometry/line_unit.h"
#include "geometry/primitives.h"

namespace zarvento {

namespace {

constexpr double kRayLength = 10000.0;

// Turns the contour over the line x = xmin (and back: the steps are their own inverse in reverse order).
void MirrorAboutX(Contour& c, double xmin) {
    c.Reverse();
    c.MirrorX();
    c.Move(0.0, 2.0 * xmin);
}
void UnmirrorAboutX(Contour& c, double xmin) {
    c.Move(0.0, -2.0 * xmin);
    c.MirrorX();
    c.Reverse();
}
// The mirror in Z turns every arc's sense itself; turning it once more
// would leave arcs running against their own end points, and the tangent
// search would then clip them outside their sweep.
void ReflectZ(Contour& c, double dz) {
    c.MirrorZ();
    c.Move(-dz, 0.0);
    c.Reverse();
}
void UnreflectZ(Contour& c, double dz) {
    c.Reverse();
    c.Move(dz, 0.0);
    c.MirrorZ();
}

// A zero direction counts as a full turn, so that it never lies below the limit.
double FullTurnForZero(double a) { return std::fabs(a) < EPS ? 2.0 * PI : a; }

}  // namespace

int CountContourCrossings(const Contour* a, const Contour* b) {
    if (!a || !b) return 0;
    IntersectPointList points(100);
    a->Intersect(*b, points, true);
    return static_cast<int>(points.Count());
}

std::unique_ptr<Contour> TrimContourByAngle(Contour& w, double angleDegrees, const Contour& s) {
    const double theta = PI - angleDegrees * PI / 180.0;
    const double rz = kRayLength * std::cos(theta), rx = kRayLength * std::sin(theta);
    const int n = w.Count();
    std::vector<UnitPtr> out;

    // Bridges the stretch behind p along the limit direction; false when no
    // crossing ahead makes a bridge (the caller keeps the unit then).
    auto bridge = [&](int& i, double pz, double px) {
        auto ray = MakeLineContour(pz, px, pz + rz, px + rx);
        IntersectPointList onW(10);
        ray->Intersect(w, onW, true);
        // The first crossing past p. Mostly p itself comes first, but not when
        // the unit at p has been cut down to nothing by an earlier bridge or
        // runs along the ray: then the first crossing is already the far one.
        std::uint32_t ahead = 0;
        while (ahead < onW.Count() && IsEqualPoint(onW[ahead].z, onW[ahead].x, pz, px)) ++ahead;
        double qz = 0, qx = 0;
        int j = 0;
        if (ahead < onW.Count()) {
            qz = onW[ahead].z;
            qx = onW[ahead].x;
            j = onW[ahead].index2;
        } else {
            IntersectPointList onS(1);
            ray->Intersect(s, onS, true);
            if (onS.Count() == 0) return false;
            qz = onS[0].z;
            qx = onS[0].x;
            j = n;
            i = n - 1;  // the rest of the contour lies behind the source
        }
        if (j <= i) return false;
        out.push_back(std::make_unique<CLineUnit>(pz, px, qz, qx));
        if (i < n - 1) {
            // A crossing at the very end of unit j leaves nothing of it; the
            // contour goes on with the unit after it (or ends on the bridge).
            const CUnit& reached = *w.GetUnit(j);
            if (IsEqualPoint(qz, qx, reached.EndPoint.z, reached.EndPoint.x)) {
                if (j == n - 1) {
                    i = n - 1;
                    return true;
                }
                ++j;
            }
            w.GetUnit(j)->SetStartPoint(qz, qx);
            i = j - 1;
        }
        return true;
    };

    // i only grows (a bridge jumps ahead), so the walk looks at each unit at most once.
    for (int i = 0; i < n; ++i) {
        CUnit& u = *w.GetUnit(i);
        double pz = 0, px = 0;
        const int r = u.GetPointAtAngle(theta, pz, px);
        if (r == 1) {
            const double d = FullTurnForZero(AngleOfVector(u.StartPoint.z, u.StartPoint.x, u.EndPoint.z, u.EndPoint.x));
            if (!(theta > d && bridge(i, pz, px))) out.push_back(u.Clone());
        } else if (r == 3 && u.DirVector == 1) {
            out.push_back(u.CloneWithEnds(u.StartPoint.z, u.StartPoint.x, pz, px));
            const double e = FullTurnForZero(u.GetEndAngle());
            // Without a bridge the arc goes on from where it was clipped, so
            // the chain stays whole.
            if (!(theta > e && bridge(i, pz, px))) out.push_back(u.CloneWithEnds(pz, px, u.EndPoint.z, u.EndPoint.x));
        } else if (r == 3) {
            out.push_back(std::make_unique<CLineUnit>(u.StartPoint.z, u.StartPoint.x, pz, px));
            out.push_back(u.CloneWithEnds(pz, px, u.EndPoint.z, u.EndPoint.x));
        } else {
            out.push_back(u.Clone());
        }
    }
    // Two last units from one point: a bridge that ended on a unit's end left
    // that unit without length. The empty one goes, not the unit after it.
    if (out.size() >= 2) {
        const CUnit& last = *out.back();
        const CUnit& before = *out[out.size() - 2];
        if (IsEqualPoint(last.StartPoint.z, last.StartPoint.x, before.StartPoint.z, before.StartPoint.x)) {
            if (before.IsZeroLength() && !last.IsZeroLength())
                out.erase(out.end() - 2);
            else
                out.pop_back();
        }
    }
    if (out.empty()) return nullptr;
    auto result = Contour::ContourSized(static_cast<int>(out.size()));
    result->Colour = kDefaultContourColour;
    for (UnitPtr& unit : out) result->AddUnit(std::move(unit));
    return result;
}

std::unique_ptr<Contour> TrimContourByPlanAngles(Contour& w, double a1, double a2, const Contour& s, bool& mirrored,
                                                 bool swap) {
    if (swap) std::swap(a1, a2);
    double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
    w.GetBoundBox(zmin, xmin, zmax, xmax);
    std::unique_ptr<Contour> sc = s.Clone();
    IntersectPointList crossings(10);
    w.Intersect(*sc, crossings, true);
    if (crossings.Count() == 0) return nullptr;

    mirrored = false;
    const double zf = crossings[0].z;
    const double zl = crossings[crossings.Count() - 1].z;
    const double zm = (zf + zl) / 2.0;
    auto probe = MakeLineContour(zm, kRayLength, zm, -kRayLength);
    IntersectPointList onS(1), onW(1);
    probe->Intersect(*sc, onS, true);
    probe->Intersect(w, onW, true);
    // The stock above the part's lowest point under the middle: an inner
    // profile, worked on turned over.
    if (onW.Count() > 0 && onS.Count() > 0 && zl > zf && onS[0].x > onW[onW.Count() - 1].x) {
        mirrored = true;
        MirrorAboutX(w, xmin);
        MirrorAboutX(*sc, xmin);
    }

    std::unique_ptr<Contour> result = TrimContourByAngle(w, a2, *sc);
    if (result) {
        const double dz = zmax - zmin;
        ReflectZ(*result, dz);
        ReflectZ(*sc, dz);
        std::unique_ptr<Contour> second = TrimContourByAngle(*result, a1, *sc);
        if (second && !(second->Count() == 1 && second->GetUnit(0)->IsZeroLength())) result = std::move(second);
        UnreflectZ(*result, dz);
        if (mirrored) UnmirrorAboutX(*result, xmin);
    }
    if (mirrored) UnmirrorAboutX(w, xmin);
    return result;
}

}  // namespace zarvento
