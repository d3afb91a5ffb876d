// Contour algorithms that probe a contour with lines: point on and inside,
// passing inside, travel direction, crossing order and the inside point.
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "geometry/number_format.h"
#include "geometry/primitives.h"
#include "geometry/unit_locator.h"
#include "platform/core/messages.h"

namespace zarvento {

namespace {

// The probes reach this far; contours of turned parts are far smaller.
constexpr double kProbeReach = 10000.0;
// Slack of the unit indexes, in EPS: wider than the tolerance of a point on a unit.
constexpr double kLocatorSlack = 16.0;

// Side of a neighbour at a vertex by the x change of its chord: +1 when it
// lies towards larger x, -1 towards smaller x, 0 when level.
int ChordSide(const CUnit& unit, bool isPrev) {
    const double away = isPrev ? unit.StartPoint.x - unit.EndPoint.x : unit.EndPoint.x - unit.StartPoint.x;
    if (away > EPS) return 1;
    if (away < -EPS) return -1;
    return 0;
}

int NeighbourSide(const CUnit& unit, bool isPrev) {
    if (unit.Kind == kUnitLine) return ChordSide(unit, isPrev);
    double a = isPrev ? unit.GetEndAngle() - PI : unit.GetStartAngle();
    if (a < 0.0) a += 2.0 * PI;
    if (a > 2.0 * PI - EPS) a -= 2.0 * PI;
    if (std::fabs(a) < EPS || std::fabs(a - PI) < EPS) return ChordSide(unit, isPrev);
    return a < PI ? 1 : -1;
}

// A level neighbour runs along the probe. Counting it as lying below makes
// the two vertices of a level stretch count once between them exactly when
// the outline passes from one side to the other (a half-open crossing rule).
int SideForCount(const CUnit& unit, bool isPrev) {
    const int side = NeighbourSide(unit, isPrev);
    return side == 0 ? -1 : side;
}

std::string CrossingReport(double z, double x, const std::vector<IntersectPoint>& crossings) {
    std::string text =
        "Nper=" + std::to_string(crossings.size()) + "\nz=" + FormatFixed(z, 7) + "  x=" + FormatFixed(x, 7) + "\n\n";
    for (std::size_t k = 0; k < crossings.size(); ++k) {
        const std::string n = std::to_string(k + 1);
        text +=
            "z" + n + "=" + FormatFixed(crossings[k].z, 7) + "  x" + n + "=" + FormatFixed(crossings[k].x, 7) + "\n";
    }
    return text;
}

}  // namespace

std::unique_ptr<Contour> MakeLineContour(double z1, double x1, double z2, double x2) {
    auto contour = Contour::ContourSized(1);
    contour->AddUnit(std::make_unique<CLineUnit>(z1, x1, z2, x2));
    return contour;
}

bool Contour::IsPointOnContour(double z, double x) const {
    for (const UnitPtr& unit : units_)
        if (unit->IsPointOnUnit(z, x, 0)) return true;
    return false;
}

bool IsPointOnUnitNear(const CUnit& unit, double z, double x) {
    BoundBox b;
    unit.GetBoundBox(b);
    return z > b.zmin - EPS && z < b.zmax + EPS && x > b.xmin - EPS && x < b.xmax + EPS && unit.IsPointOnUnit(z, x, 0);
}

namespace {

// Whether the ray from a point off the outline towards -Z crosses it an odd
// number of times.
bool ProbeCrossesOddly(const Contour& contour, double z, double x, bool report) {
    const auto probe = MakeLineContour(z, x, z - kProbeReach, x);
    IntersectPointList found(10);
    probe->Intersect(contour, found, true);

    const int n = contour.Count();
    std::vector<IntersectPoint> crossings;
    std::vector<char> atVertex;
    for (const IntersectPoint& c : found) {
        const int k = c.index2;
        const CUnit& unit = *contour.GetUnit(k);
        int prev = -1, next = -1;
        if (IsEqualPoint(c.z, c.x, unit.EndPoint.z, unit.EndPoint.x)) {
            prev = k;
            next = k + 1 < n ? k + 1 : 0;
        } else if (IsEqualPoint(c.z, c.x, unit.StartPoint.z, unit.StartPoint.x)) {
            prev = k > 0 ? k - 1 : n - 1;
            next = k;
        }
        if (prev >= 0) {
            // Both neighbours on one side: the outline touches the probe and turns back.
            if (SideForCount(*contour.GetUnit(prev), true) == SideForCount(*contour.GetUnit(next), false)) continue;
        }
        crossings.push_back(c);
        atVertex.push_back(prev >= 0 ? 1 : 0);
    }
    // A probe through the top or bottom of an arc's circle only touches it.
    for (int k = 0; k < n; ++k) {
        const CUnit& unit = *contour.GetUnit(k);
        if (unit.Kind != kUnitArc) continue;
        const double r = static_cast<const CArcUnit&>(unit).Radius;
        for (std::size_t c = 0; c < crossings.size(); ++c) {
            if (crossings[c].index2 != k || atVertex[c]) continue;
            const double zc = unit.CentrePoint.z, xc = unit.CentrePoint.x;
            if (IsEqualPoint(crossings[c].z, crossings[c].x, zc, xc - r) ||
                IsEqualPoint(crossings[c].z, crossings[c].x, zc, xc + r)) {
                crossings.erase(crossings.begin() + static_cast<std::ptrdiff_t>(c));
                atVertex.erase(atVertex.begin() + static_cast<std::ptrdiff_t>(c));
                break;
            }
        }
    }
    if (report) HostTextOutput(CrossingReport(z, x, crossings));
    return crossings.size() % 2 == 1;
}

}  // namespace

bool Contour::IsPointInside(double z, double x, bool report) const {
    for (const UnitPtr& unit : units_)
        if (IsPointOnUnitNear(*unit, z, x)) return false;
    return ProbeCrossesOddly(*this, z, x, report);
}

bool Contour::IsPointInside(double z, double x, UnitLocator& near) const {
    for (int k : near.Candidates(z, x))
        if (IsPointOnUnitNear(*GetUnit(k), z, x)) return false;
    return ProbeCrossesOddly(*this, z, x, false);
}

bool Contour::PassesInside(const Contour& other) const {
    IntersectPointList crossings(10);
    Intersect(other, crossings, true);
    if (crossings.Count() < 2) return false;
    // Two dense contours that run along each other (a working contour on the
    // part's own outline) cross at nearly every unit: the units that hold each
    // crossing, and those of the other contour near each midpoint, are found
    // through indexes instead of a scan per crossing. A midpoint on the other
    // contour is never inside it.
    UnitLocator mine(*this, kLocatorSlack * EPS), theirs(other, kLocatorSlack * EPS);
    for (std::uint32_t k = 0; k + 1 < crossings.Count(); ++k) {
        IntersectPoint mid;
        GetMidPointBetween(mid, crossings[k], crossings[k + 1], mine);
        bool onOther = false;
        for (int u : theirs.Candidates(mid.z, mid.x))
            if (IsPointOnUnitNear(*other.GetUnit(u), mid.z, mid.x)) {
                onOther = true;
                break;
            }
        if (!onOther && ProbeCrossesOddly(other, mid.z, mid.x, false)) return true;
    }
    return false;
}

bool IsSegmentInside(const Contour& contour, double z1, double x1, double z2, double x2) {
    return MakeLineContour(z1, x1, z2, x2)->PassesInside(contour);
}

bool Contour::DetermineDirection() const {
    if (Empty()) return false;
    const double z0 = GetFirstUnit()->StartPoint.z;
    const BoundBox box = GetBoundBox();
    const bool maxSide = box.zmax - z0 > z0 - box.zmin;
    const double probeZ = maxSide ? 0.5 * (z0 + box.zmax) : 0.5 * (z0 + box.zmin);
    IntersectPointList crossings(10);
    MakeLineContour(probeZ, -kProbeReach, probeZ, kProbeReach)->Intersect(*this, crossings, true);
    if (crossings.Count() < 2) {
        ShowMessageBox("Ошибка определения направления контура");
        return true;
    }
    const int a = crossings[0].index2, b = crossings[crossings.Count() - 1].index2;
    return maxSide ? a > b : b > a;
}

bool Contour::IsCrossingForward(Contour& other) const {
    IntersectPointList crossings(10);
    Intersect(other, crossings, true);
    if (crossings.Count() < 2) return true;
    const IntersectPoint first = crossings[0], last = crossings[crossings.Count() - 1];
    if (first.index2 == last.index2) {
        const CUnit& unit = *other.GetUnit(first.index2);
        return unit.GetLengthToPoint(last.z, last.x) > unit.GetLengthToPoint(first.z, first.x);
    }
    if (last.index2 > first.index2) return true;
    other.RotateToIndex(first.index2);
    crossings.SetCountZero();
    Intersect(other, crossings, true);
    if (crossings.Count() < 2) return true;
    return crossings[crossings.Count() - 1].index2 > crossings[0].index2;
}

int Contour::FindInsidePoint(double& z, double& x) const {
    const std::unique_ptr<Contour> expanded = ExpandComplex();
    const Contour& work = expanded ? *expanded : *this;
    const BoundBox box = GetBoundBox();
    IntersectPointList crossings(100);
    MakeLineContour(box.zmax, box.xmax, box.zmin, box.xmin)->Intersect(work, crossings, true);
    for (std::uint32_t k = 0; k + 1 < crossings.Count(); ++k) {
        z = 0.5 * (crossings[k].z + crossings[k + 1].z);
        x = 0.5 * (crossings[k].x + crossings[k + 1].x);
        if (IsPointInside(z, x)) return static_cast<int>(crossings.Count());
    }
    // No middle lies inside: report no crossings so that callers do not take
    // an outside point for an inside one.
    return crossings.Count() < 2 ? static_cast<int>(crossings.Count()) : 0;
}

}  // namespace zarvento
