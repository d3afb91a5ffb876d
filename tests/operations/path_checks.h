// Geometry checks of the operation suites: the distance from a point to a
// unit or a contour, for the clearance of the nose circle.
#pragma once

#include <algorithm>
#include <cmath>

#include "geometry/arc_unit.h"
#include "geometry/contour.h"

namespace zarvento::test {

// Distance from a point to a line or arc unit.
inline double Distance(const CUnit& u, double z, double x) {
    auto d = [](double z1, double x1, double z2, double x2) { return std::hypot(z1 - z2, x1 - x2); };
    const double ends = std::min(d(z, x, u.StartPoint.z, u.StartPoint.x), d(z, x, u.EndPoint.z, u.EndPoint.x));
    if (u.Kind == kUnitArc) {
        const auto& arc = static_cast<const CArcUnit&>(u);
        const double r = d(z, x, u.CentrePoint.z, u.CentrePoint.x);
        if (r < 1e-12) return arc.Radius;
        const double qz = u.CentrePoint.z + (z - u.CentrePoint.z) * arc.Radius / r;
        const double qx = u.CentrePoint.x + (x - u.CentrePoint.x) * arc.Radius / r;
        return u.IsPointOnUnit(qz, qx, 0) ? std::fabs(r - arc.Radius) : ends;
    }
    const double lz = u.EndPoint.z - u.StartPoint.z, lx = u.EndPoint.x - u.StartPoint.x;
    const double len2 = lz * lz + lx * lx;
    if (len2 < 1e-24) return ends;
    const double t = ((z - u.StartPoint.z) * lz + (x - u.StartPoint.x) * lx) / len2;
    if (t <= 0 || t >= 1) return ends;
    return d(z, x, u.StartPoint.z + t * lz, u.StartPoint.x + t * lx);
}

inline double Distance(const Contour& c, double z, double x) {
    double best = 1e300;
    for (int i = 0; i < c.Count(); ++i) best = std::min(best, Distance(*c.GetUnit(i), z, x));
    return best;
}

}  // namespace zarvento::test
