// The arc unit: sweep and angle tests, lengths, offsets, sampling and texts.
#include "geometry/arc_unit.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "geometry/number_format.h"
#include "geometry/primitives.h"
#include "platform/core/host_error.h"
#include "platform/core/messages.h"

namespace zarvento {

void MapPointByArcType(int arcType, double x, double y, double z, double& pz, double& px) {
    switch (arcType) {
        case 0:
            pz = x;
            px = y;
            break;
        case 1:
            pz = z;
            px = x;
            break;
        case 2:
            pz = y;
            px = z;
            break;
        default:
            pz = 0.0;
            px = 0.0;
            break;
    }
}

CArcUnit::CArcUnit() : CUnit(kUnitArc) {}

CArcUnit::CArcUnit(double zc, double xc, double radius, double z1, double x1, double z2, double x2, int dirVector,
                   bool rapid)
    : CUnit(kUnitArc) {
    CentrePoint.z = zc;
    CentrePoint.x = xc;
    Radius = radius;
    StartPoint.z = z1;
    StartPoint.x = x1;
    EndPoint.z = z2;
    EndPoint.x = x2;
    DirVector = static_cast<std::int16_t>(dirVector);
    IsRapid = rapid;
    SurfaceName = std::fabs(xc) < EPS ? "Сфера" : "Тор";
}

std::unique_ptr<CArcUnit> CArcUnit::CArcUnitXYZ(double zc, double xc, double radius, double z1, double x1, double z2,
                                                double x2, int dirVector, bool rapid, int arcType, double yStartCentre,
                                                double yEnd) {
    auto arc = std::make_unique<CArcUnit>(zc, xc, radius, z1, x1, z2, x2, dirVector, rapid);
    arc->ArcType = arcType;
    arc->StartPoint.y = yStartCentre;
    arc->CentrePoint.y = yStartCentre;
    arc->EndPoint.y = yEnd;
    return arc;
}

std::unique_ptr<CArcUnit> CArcUnit::CArcUnitCopy(const CArcUnit& other) {
    std::unique_ptr<CArcUnit> arc(new CArcUnit());
    arc->CopyArcFields(other);
    return arc;
}

void CArcUnit::CopyArcFields(const CArcUnit& other) {
    CopyFrom(other);
    Radius = other.Radius;
    DirVector = other.DirVector;
    ArcType = other.ArcType;
}

double CArcUnit::GetStartPolarAngle() const {
    return AngleOfVector(CentrePoint.z, CentrePoint.x, StartPoint.z, StartPoint.x);
}

double CArcUnit::GetEndPolarAngle() const {
    return AngleOfVector(CentrePoint.z, CentrePoint.x, EndPoint.z, EndPoint.x);
}

namespace {

// The angle from a1 to a2 travelled in the arc's sense.
double SweepBetween(double a1, double a2, int dir) {
    double d = std::fabs(a2 - a1);
    if ((a2 > a1 && dir == 1) || (a1 > a2 && dir == -1)) d = 2 * PI - d;
    return d;
}

}  // namespace

double CArcUnit::GetSweep() const { return SweepBetween(GetStartPolarAngle(), GetEndPolarAngle(), DirVector); }

void CArcUnit::SetRadius(double r) {
    if (Radius > 0.0) {
        const double k = r / Radius;
        for (Point3D* p : {&StartPoint, &EndPoint}) {
            p->z = CentrePoint.z + (p->z - CentrePoint.z) * k;
            p->x = CentrePoint.x + (p->x - CentrePoint.x) * k;
        }
    }
    Radius = r;
}

void CArcUnit::PointAtPolar(double a, double& z, double& x) const {
    z = CentrePoint.z + Radius * std::cos(a);
    x = CentrePoint.x + Radius * std::sin(a);
}

void CArcUnit::AddOppositePoints(double a, IntersectPointList& list, int tag) const {
    for (double angle : {a, a + PI}) {
        IntersectPoint p;
        PointAtPolar(angle, p.z, p.x);
        p.index1 = tag;
        list.Add(p);
    }
}

namespace {

// Whether the polar angle a lies on the sweep from the polar angle as to ae
// in the given sense.
bool AngleOnSweep(double a, double as, double ae, int dirVector) {
    double lo = dirVector == -1 ? as : ae;
    double hi = dirVector == -1 ? ae : as;
    if (hi < lo) {
        a -= lo;
        if (a < 0) a += 2 * PI;
        hi = hi - lo + 2 * PI;
        lo = 0.0;
    }
    return lo - 1e-12 < a && a < hi + 1e-12;
}

}  // namespace

bool CArcUnit::IsAngleInside(double a) const {
    return AngleOnSweep(a, GetStartPolarAngle(), GetEndPolarAngle(), DirVector);
}

void CArcUnit::AddSweepPoints(IntersectPointList& list, std::uint32_t n, bool tagByIndex) const {
    const double as = GetStartPolarAngle();
    const double delta = GetSweep() / (n - 1);
    for (std::uint32_t i = 0; i < n; ++i) {
        IntersectPoint p;
        // The ends are taken as they stand, so that pieces chain exactly.
        if (i == 0) {
            p.z = StartPoint.z;
            p.x = StartPoint.x;
        } else if (i == n - 1) {
            p.z = EndPoint.z;
            p.x = EndPoint.x;
        } else {
            PointAtPolar(as - DirVector * (i * delta), p.z, p.x);
        }
        if (tagByIndex)
            p.index1 = static_cast<int>(i);
        else
            p.unit = this;
        list.Add(p);
    }
}

void CArcUnit::GetPolyline(IntersectPointList& list, double step) const {
    const double length = GetSweep() * Radius;
    CheckPointStep(step, length);
    const auto n = std::max<std::uint32_t>(static_cast<std::uint32_t>(length / step), 5u);
    AddSweepPoints(list, n, true);
}

UnitPtr CArcUnit::Clone() const { return CArcUnitCopy(*this); }

bool CArcUnit::ClonesExactly() const { return !HoldsDrawnState(); }

UnitPtr CArcUnit::GetSimpleCopy() const {
    return std::make_unique<CArcUnit>(CentrePoint.z, CentrePoint.x, Radius, StartPoint.z, StartPoint.x, EndPoint.z,
                                      EndPoint.x, DirVector, false);
}

bool CArcUnit::IsSameCarrier(const CUnit& other) const {
    if (other.Kind != kUnitArc) return false;
    const auto& arc = static_cast<const CArcUnit&>(other);
    return IsEqualPoint(CentrePoint.z, CentrePoint.x, arc.CentrePoint.z, arc.CentrePoint.x) &&
           std::fabs(Radius - arc.Radius) < EPS && DirVector == arc.DirVector;
}

UnitPtr CArcUnit::GetOffsetUnit(bool useGiven, double distance) const {
    const double d = useGiven ? distance : OffsetDistance;
    const double r = Radius + DirVector * d;
    if (r < EPS) return nullptr;
    const double as = GetStartPolarAngle() + DirVector * StartExtension / Radius;
    const double ae = GetEndPolarAngle() - DirVector * EndExtension / Radius;
    std::unique_ptr<CArcUnit> arc(new CArcUnit());
    arc->CentrePoint.z = CentrePoint.z;
    arc->CentrePoint.x = CentrePoint.x;
    arc->Radius = r;
    arc->DirVector = DirVector;
    arc->PointAtPolar(as, arc->StartPoint.z, arc->StartPoint.x);
    arc->PointAtPolar(ae, arc->EndPoint.z, arc->EndPoint.x);
    arc->Polyline = IntersectPointList(10);
    arc->SourceUnit = this;
    return arc;
}

bool CArcUnit::IsPointOnUnit(double z, double x, int) const {
    if (IsEqualPoint(z, x, StartPoint.z, StartPoint.x) || IsEqualPoint(z, x, EndPoint.z, EndPoint.x)) return true;
    if (std::fabs(Distance(CentrePoint.z, CentrePoint.x, z, x) - Radius) > EPS) return false;
    return IsAngleInside(AngleOfVector(CentrePoint.z, CentrePoint.x, z, x));
}

void CArcUnit::Move3D(double dx, double dy, double dz) {
    switch (ArcType) {
        case 1: CUnit::Move3D(dx, dy, dz); break;
        case 0: CUnit::Move3D(dx, dz, dy); break;
        case 2: CUnit::Move3D(dy, dz, dx); break;
        default: break;
    }
}

void CArcUnit::CreateTessellationEdge(std::uint32_t colour) {
    UnitEdgeDrawable& edge = EdgeDrawable();
    edge.SetKind(1);
    const std::uint32_t c = EdgeColour(colour);
    Polyline.SetCountZero();
    GetPolyline(Polyline, 1.0);
    edge.CreatePolyline(Polyline, c);
}

void CArcUnit::CreateTessellationFace(std::uint32_t colour) {
    const std::uint32_t c = TakeFaceColour(colour);
    FaceDrawable().CreateRevolvedArc(CentrePoint.z, CentrePoint.x, Radius, StartPoint.z, StartPoint.x, EndPoint.z,
                                     EndPoint.x, -DirVector, c);
}

Ref2D CArcUnit::Draw2D(int style) {
    if (IsZeroLength()) return 0;
    HostObjectId = ActiveDocument2D().ArcByPoint(CentrePoint.z, CentrePoint.x, Radius, StartPoint.z, StartPoint.x,
                                                 EndPoint.z, EndPoint.x, -DirVector, DrawStyle(style));
    return HostObjectId;
}

bool AddCircleCrossings(double zc, double xc, double radius, const CUnit& other, IntersectPointList& list) {
    if (other.Kind == kUnitLine) {
        AddLineCircleIntersections(other.StartPoint.z, other.StartPoint.x, other.EndPoint.z, other.EndPoint.x, zc, xc,
                                   radius, list);
        return true;
    }
    if (other.Kind == kUnitArc) {
        AddCirclesIntersections(zc, xc, radius, other.CentrePoint.z, other.CentrePoint.x,
                                static_cast<const CArcUnit&>(other).Radius, list);
        return true;
    }
    return false;
}

void CArcUnit::Intersect(const CUnit* other, IntersectPointList& list) const {
    if (!other) return;
    if (IntersectSpecialPartner(*other, list)) return;
    const std::uint32_t before = list.Count();
    if (AddCircleCrossings(CentrePoint.z, CentrePoint.x, Radius, *other, list)) FilterNewPoints(*other, list, before);
}

double CArcUnit::GetLength() const { return GetLengthToPoint(EndPoint.z, EndPoint.x); }

double CArcUnit::GetLength3D() const { return GetLength(); }

double CArcUnit::GetLengthToPoint(double z, double x) const {
    const double as = GetStartPolarAngle();
    const double ap = AngleOfVector(CentrePoint.z, CentrePoint.x, z, x);
    if (std::fabs(ap - as) < EPS) return 0.0;
    return SweepBetween(as, ap, DirVector) * Radius;
}

double CArcUnit::GetLengthToPoint3D(double x, double y, double z) const {
    double pz = 0.0, px = 0.0;
    MapPointByArcType(ArcType, x, y, z, pz, px);
    return GetLengthToPoint(pz, px);
}

void CArcUnit::GetMidPoint(IntersectPoint& out, double z1, double x1, double z2, double x2) const {
    const double a1 = AngleOfVector(CentrePoint.z, CentrePoint.x, z1, x1);
    const double a2 = AngleOfVector(CentrePoint.z, CentrePoint.x, z2, x2);
    out = IntersectPoint{};
    PointAtPolar(a1 - DirVector * SweepBetween(a1, a2, DirVector) / 2, out.z, out.x);
}

CadrePtr CArcUnit::CreateCadre() const {
    CadreFactory* factory = GetCadreFactory();
    if (!factory) return NoCadre();
    return factory->MakeArcFrame(DirVector == 1, CentrePoint.x, CentrePoint.z, Radius, StartPoint.x, StartPoint.z,
                                 EndPoint.x, EndPoint.z, -1.0, IsRapid);
}

double CArcUnit::GetStartAngle() const {
    const double turn = DirVector == 1 ? -PI / 2 : PI / 2;
    return NormalizeAngle(GetStartPolarAngle() + turn, EPS / Radius);
}

double CArcUnit::GetEndAngle() const {
    const double turn = DirVector == 1 ? -PI / 2 : PI / 2;
    return NormalizeAngle(GetEndPolarAngle() + turn, EPS / Radius);
}

int CArcUnit::GetPointAtAngle(double limit, double& z, double& x) const {
    const double t = 10 * EPS;
    double qz = StartPoint.z, qx = StartPoint.x;
    if (DirVector == 1) {
        // 2*PI itself folds to 0 as well: the end tangent of an arc that ends
        // at polar angle 0 must find the end, not miss the sweep.
        double b = limit + PI / 2;
        if (b >= 2 * PI) b -= 2 * PI;
        if (!IsAngleInside(b)) return 0;
        PointAtPolar(b, qz, qx);
    } else {
        Point2 p1, p2;
        const int n =
            IntersectLineCircle(StartPoint.z, StartPoint.x, StartPoint.z + 1000 * std::cos(limit),
                                StartPoint.x + 1000 * std::sin(limit), CentrePoint.z, CentrePoint.x, Radius, p1, p2);
        // The line leaves from the start, which lies on the circle; a miss can
        // only come from rounding and is answered as the start.
        if (n > 0) {
            const bool firstIsStart = std::fabs(p1.a - StartPoint.z) <= EPS && std::fabs(p1.b - StartPoint.x) <= EPS;
            qz = firstIsStart ? p2.a : p1.a;
            qx = firstIsStart ? p2.b : p1.b;
        }
    }
    if (std::fabs(qz - StartPoint.z) < t && std::fabs(qx - StartPoint.x) < t) {
        z = StartPoint.z;
        x = StartPoint.x;
        return 1;
    }
    if (std::fabs(qz - EndPoint.z) < t && std::fabs(qx - EndPoint.x) < t) {
        z = EndPoint.z;
        x = EndPoint.x;
        return 2;
    }
    if (DirVector == 1 || IsPointOnUnit(qz, qx, 0)) {
        z = qz;
        x = qx;
        return 3;
    }
    z = StartPoint.z;
    x = StartPoint.x;
    return 1;
}

double CArcUnit::GetCurvature() const { return DirVector / Radius; }

void CArcUnit::GetBoundBox(BoundBox& box) const {
    box = {1e6, 1e6, -1e6, -1e6};
    auto take = [&](double z, double x) {
        box.zmin = std::min(box.zmin, z);
        box.xmin = std::min(box.xmin, x);
        box.zmax = std::max(box.zmax, z);
        box.xmax = std::max(box.xmax, x);
    };
    take(StartPoint.z, StartPoint.x);
    take(EndPoint.z, EndPoint.x);
    const double zc = CentrePoint.z, xc = CentrePoint.x, r = Radius;
    // The sweep's ends once for the four quadrant points.
    const double as = GetStartPolarAngle(), ae = GetEndPolarAngle();
    auto inside = [&](double a) { return AngleOnSweep(a, as, ae, DirVector); };
    if (inside(0.0)) take(zc + r, xc);
    if (inside(PI / 2)) take(zc, xc + r);
    if (inside(PI)) take(zc - r, xc);
    if (inside(3 * PI / 2)) take(zc, xc - r);
}

void CArcUnit::AddNormalFoot(double z, double x, IntersectPointList& list, int tag, double firstSign) const {
    const double rho = Distance(z, x, CentrePoint.z, CentrePoint.x);
    const double a = AngleOfVector(z, x, CentrePoint.z, CentrePoint.x);
    for (double sign : {firstSign, -firstSign}) {
        IntersectPoint p;
        p.z = z + (rho + sign * Radius) * std::cos(a);
        p.x = x + (rho + sign * Radius) * std::sin(a);
        p.index1 = tag;
        if (IsPointOnUnit(p.z, p.x, 0)) {
            list.Add(p);
            return;
        }
    }
}

void CArcUnit::GetNearestPoint(double z, double x, IntersectPointList& list, int tag) const {
    AddNormalFoot(z, x, list, tag, -1.0);
}

void CArcUnit::GetFarthestPoint(double z, double x, IntersectPointList& list, int tag) const {
    AddNormalFoot(z, x, list, tag, 1.0);
}

void CArcUnit::GetPointsByStep(IntersectPointList& list, double step, int) const {
    const double length = GetSweep() * Radius;
    CheckPointStep(step, length);
    const auto n = std::max<std::uint32_t>(static_cast<std::uint32_t>(std::ceil(length / step) + 1.1), 2u);
    AddSweepPoints(list, n, false);
}

void CArcUnit::GetPointsByStep3D(UnitPoint3DList& list, double step, int mode) const {
    IntersectPointList points(16);
    GetPointsByStep(points, step, mode);
    const std::uint32_t n = points.Count();
    if (n < 2 || ArcType < 0 || ArcType > 2) return;
    for (std::uint32_t i = 0; i < n; ++i) {
        const double z = points[i].z, x = points[i].x;
        const double y = CentrePoint.y - i * (StartPoint.y - EndPoint.y) / (n - 1);
        UnitPoint3D p;
        if (ArcType == 1)
            p = {x, y, z, 0, this};
        else if (ArcType == 2)
            p = {y, z, x, 0, this};
        else
            p = {x, z, y, 0, this};
        list.Add(p);
    }
}

double CArcUnit::GetAngleTolerance() const { return EPS / Radius; }

std::string CArcUnit::GetScriptText() const {
    try {
        return "ArcByPoint( " + FormatG(CentrePoint.z) + "," + FormatG(CentrePoint.x) + ", " + FormatG(Radius) + ", " +
               FormatG(StartPoint.z) + "," + FormatG(StartPoint.x) + ", " + FormatG(EndPoint.z) + "," +
               FormatG(EndPoint.x) + ", " + std::to_string(-DirVector) + ", 1 );\n";
    } catch (const std::bad_alloc&) {
        throw HostError(E_OUTOFMEMORY_, "script text");
    }
}

void CArcUnit::PrintInfo() const {
    HostTextOutput("A  Z1=" + FormatFixed(StartPoint.z, 7) + " X1=" + FormatFixed(StartPoint.x, 7) +
                   "  Z2=" + FormatFixed(EndPoint.z, 7) + " X2=" + FormatFixed(EndPoint.x, 7) +
                   " R=" + FormatFixed(Radius, 3) + " DirVector=" + std::to_string(DirVector) + "\n");
}

}  // namespace zarvento
