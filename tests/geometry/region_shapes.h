// Shapes and measures for the region-subtraction tests and benchmark: a
// round-nosed tool's swept figure, the area of a contour of lines and arcs,
// and its flattening into a polygon for an independent clipper.
#pragma once

#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <cmath>
#include <memory>

#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"

namespace zarvento::test {

// The figure a round nose of radius r sweeps from (z1, x1) to (z2, x2),
// counter-clockwise: two lines and two half arcs (two half arcs alone when
// the ends meet).
inline std::unique_ptr<Contour> SweptNose(double z1, double x1, double z2, double x2, double r) {
    auto figure = std::make_unique<Contour>();
    const double length = std::hypot(z2 - z1, x2 - x1);
    double dz = 1.0, dx = 0.0;
    if (length > 1e-9) {
        dz = (z2 - z1) / length;
        dx = (x2 - x1) / length;
    }
    const double nz = -dx * r, nx = dz * r;  // left of travel
    if (length > 1e-9) figure->AddUnit(std::make_unique<CLineUnit>(z1 - nz, x1 - nx, z2 - nz, x2 - nx));
    figure->AddUnit(std::make_unique<CArcUnit>(z2, x2, r, z2 - nz, x2 - nx, z2 + nz, x2 + nx, -1));
    if (length > 1e-9) figure->AddUnit(std::make_unique<CLineUnit>(z2 + nz, x2 + nx, z1 + nz, x1 + nx));
    figure->AddUnit(std::make_unique<CArcUnit>(z1, x1, r, z1 + nz, x1 + nx, z1 - nz, x1 - nx, -1));
    return figure;
}

// Signed area of a closed chain in the (Z, X) frame, counter-clockwise
// positive: the chords' shoelace plus each arc's segment.
inline double ContourArea(const Contour& contour) {
    double area = 0.0;
    for (int k = 0; k < contour.Count(); ++k) {
        const CUnit& u = *contour.GetUnit(k);
        area += 0.5 * (u.StartPoint.z * u.EndPoint.x - u.EndPoint.z * u.StartPoint.x);
        if (u.Kind == kUnitArc) {
            const auto& arc = static_cast<const CArcUnit&>(u);
            const double sweep = arc.GetSweep();
            const double segment = 0.5 * arc.Radius * arc.Radius * (sweep - std::sin(sweep));
            area += arc.DirVector == -1 ? segment : -segment;
        }
    }
    return area;
}

// Total length of the contour's arcs: the flattening error of the area is
// at most the chord tolerance times this length.
inline double ArcLength(const Contour& contour) {
    double length = 0.0;
    for (int k = 0; k < contour.Count(); ++k)
        if (contour.GetUnit(k)->Kind == kUnitArc) length += contour.GetUnit(k)->GetLength();
    return length;
}

inline constexpr double kClipperScale = 1e6;

inline ClipperLib::IntPoint ToClipper(double z, double x) {
    return {static_cast<ClipperLib::cInt>(std::llround(z * kClipperScale)),
            static_cast<ClipperLib::cInt>(std::llround(x * kClipperScale))};
}

// The chained contour as a polygon; arcs become chords whose sagitta stays
// within `chord`.
inline ClipperLib::Path Flatten(const Contour& contour, double chord) {
    ClipperLib::Path path;
    for (int k = 0; k < contour.Count(); ++k) {
        const CUnit& u = *contour.GetUnit(k);
        path.push_back(ToClipper(u.StartPoint.z, u.StartPoint.x));
        if (u.Kind != kUnitArc) continue;
        const auto& arc = static_cast<const CArcUnit&>(u);
        const double sweep = arc.GetSweep();
        const double step = 2.0 * std::acos(std::max(-1.0, 1.0 - chord / arc.Radius));
        const int n = std::max(1, static_cast<int>(std::ceil(sweep / step)));
        const double a0 = arc.GetStartPolarAngle();
        for (int i = 1; i < n; ++i) {
            const double a = a0 - arc.DirVector * sweep * i / n;
            path.push_back(
                ToClipper(arc.CentrePoint.z + arc.Radius * std::cos(a), arc.CentrePoint.x + arc.Radius * std::sin(a)));
        }
    }
    return path;
}

// Area of the outer boundary of the face of (stock minus figure) that holds
// (z, x), as the clipper finds it; 0 when no face holds the point.
inline double ClipperFaceArea(const ClipperLib::Path& stock, const ClipperLib::Path& figure, double z, double x) {
    ClipperLib::Clipper clipper;
    clipper.AddPath(stock, ClipperLib::ptSubject, true);
    clipper.AddPath(figure, ClipperLib::ptClip, true);
    ClipperLib::PolyTree tree;
    clipper.Execute(ClipperLib::ctDifference, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    const ClipperLib::IntPoint ref = ToClipper(z, x);
    double best = 0.0;
    for (ClipperLib::PolyNode* node = tree.GetFirst(); node; node = node->GetNext()) {
        if (node->IsHole() || ClipperLib::PointInPolygon(ref, node->Contour) == 0) continue;
        const double area = std::fabs(ClipperLib::Area(node->Contour)) / (kClipperScale * kClipperScale);
        if (best == 0.0 || area < best) best = area;
    }
    return best;
}

}  // namespace zarvento::test
