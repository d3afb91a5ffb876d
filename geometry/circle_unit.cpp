// The circle unit: on-circle test, intersections with lines and arcs, lengths.
#include "geometry/circle_unit.h"

#include <cmath>

#include "geometry/arc_unit.h"
#include "geometry/primitives.h"

namespace zarvento {

CCircleUnit::CCircleUnit(double zc, double xc, double radius, int dirVector, bool rapid) : CUnit(kUnitCircle) {
    CentrePoint.z = zc;
    CentrePoint.x = xc;
    Radius = radius;
    DirVector = static_cast<std::int16_t>(dirVector);
    IsRapid = rapid;
}

void CCircleUnit::CopyCircleFields(const CCircleUnit& other) {
    CopyFrom(other);
    Radius = other.Radius;
    ArcType = other.ArcType;
}

UnitPtr CCircleUnit::Clone() const {
    auto copy = std::make_unique<CCircleUnit>(0.0, 0.0, 0.0, 1);
    copy->CopyCircleFields(*this);
    return copy;
}

UnitPtr CCircleUnit::GetSimpleCopy() const {
    return std::make_unique<CCircleUnit>(CentrePoint.z, CentrePoint.x, Radius, DirVector, false);
}

bool CCircleUnit::IsPointOnUnit(double z, double x, int) const {
    return std::fabs(Distance(CentrePoint.z, CentrePoint.x, z, x) - Radius) <= EPS;
}

void CCircleUnit::Intersect(const CUnit* other, IntersectPointList& list) const {
    if (!other) return;
    if (other->Kind == kUnitComplex) {
        CUnit::Intersect(other, list);
        return;
    }
    const std::uint32_t before = list.Count();
    if (AddCircleCrossings(CentrePoint.z, CentrePoint.x, Radius, *other, list)) FilterNewPoints(*other, list, before);
}

double CCircleUnit::GetLength() const { return 2 * PI * Radius; }
double CCircleUnit::GetLength3D() const { return GetLength(); }

double CCircleUnit::GetLengthToPoint(double z, double x) const {
    return -DirVector * AngleOfVector(CentrePoint.z, CentrePoint.x, z, x) * Radius;
}

double CCircleUnit::GetLengthToPoint3D(double x, double y, double z) const {
    double pz = 0.0, px = 0.0;
    MapPointByArcType(ArcType, x, y, z, pz, px);
    return GetLengthToPoint(pz, px);
}

void CCircleUnit::GetMidPoint(IntersectPoint& out, double, double, double, double) const { out = IntersectPoint{}; }

void CCircleUnit::GetBoundBox(BoundBox& box) const {
    box = {CentrePoint.z - Radius, CentrePoint.x - Radius, CentrePoint.z + Radius, CentrePoint.x + Radius};
}

}  // namespace zarvento
