// The comparison of a machined section with the part's.
#include "simulation/section_comparison.h"

#include <algorithm>
#include <cmath>

#include "geometry/contour.h"

namespace zarvento {

namespace {

constexpr double kMaxSamples = 1e6;

double DistanceToOutline(const Contour& outline, const std::vector<BoundBox>& boxes, double z, double x,
                         IntersectPointList& scratch, IntersectPoint& nearest) {
    double best = 1e300;
    for (int k = 0; k < outline.Count(); ++k) {
        // A unit whose box lies farther than the best distance so far cannot be nearer.
        const BoundBox& b = boxes[static_cast<std::size_t>(k)];
        const double dz = std::max({b.zmin - z, z - b.zmax, 0.0});
        const double dx = std::max({b.xmin - x, x - b.xmax, 0.0});
        if (std::hypot(dz, dx) >= best) continue;
        scratch.SetCountZero();
        outline.GetUnit(k)->GetNearestPoint(z, x, scratch, 0);
        for (const IntersectPoint& p : scratch)
            if (const double d = std::hypot(p.z - z, p.x - x); d < best) {
                best = d;
                nearest = p;
            }
    }
    return best;
}

}  // namespace

std::vector<SectionDeviation> CompareSections(const Contour& part, const Contour& machined, double tolerance,
                                              double step, const PlannedCut& beyondPlanned) {
    const double length = part.GetLength();
    if (!(step > 0.0) || length / step > kMaxSamples) step = length / kMaxSamples;
    std::vector<BoundBox> boxes;
    boxes.reserve(static_cast<std::size_t>(machined.Count()));
    for (int k = 0; k < machined.Count(); ++k) {
        BoundBox b;
        machined.GetUnit(k)->GetBoundBox(b);
        boxes.push_back(b);
    }
    std::vector<SectionDeviation> out;
    IntersectPointList samples(100), scratch(4);
    for (int u = 0; u < part.Count(); ++u) {
        const CUnit& unit = *part.GetUnit(u);
        if (unit.IsZeroLength()) continue;
        samples.SetCountZero();
        unit.GetPointsByStep(samples, std::min(step, unit.GetLength()), 1);
        SectionDeviation d;
        d.unit = u;
        for (const IntersectPoint& p : samples) {
            IntersectPoint nearest = p;
            const double distance = DistanceToOutline(machined, boxes, p.z, p.x, scratch, nearest);
            if (distance <= tolerance) continue;
            // Beyond the tolerance the sample lies off the outline: inside the
            // machined stock material is left on the part, outside it the
            // part itself was cut.
            if (machined.IsPointInside(p.z, p.x))
                d.left = std::max(d.left, distance);
            else if (const double cut =
                         beyondPlanned ? std::min(distance, beyondPlanned(nearest.z, nearest.x)) : distance;
                     cut > tolerance)
                d.cut = std::max(d.cut, cut);
        }
        if (d.left > 0.0 || d.cut > 0.0) out.push_back(d);
    }
    return out;
}

}  // namespace zarvento
