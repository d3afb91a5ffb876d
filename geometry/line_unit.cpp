// The line unit: on-segment test, intersections, offset, sampling and texts.
#include "geometry/line_unit.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "geometry/arc_unit.h"
#include "geometry/number_format.h"
#include "geometry/primitives.h"
#include "platform/core/host_error.h"
#include "platform/core/messages.h"

namespace zarvento {

namespace {

bool StrictlyBetween(double v, double a, double b) { return std::min(a, b) < v && v < std::max(a, b); }

}  // namespace

CLineUnit::CLineUnit() : CUnit(kUnitLine) {}

CLineUnit::CLineUnit(double z1, double x1, double z2, double x2, bool rapid) : CUnit(kUnitLine) {
    StartPoint.z = z1;
    StartPoint.x = x1;
    EndPoint.z = z2;
    EndPoint.x = x2;
    IsRapid = rapid;
    if (std::fabs(x1 - x2) < EPS)
        SurfaceName = "Цилиндр";
    else if (std::fabs(z1 - z2) < EPS)
        SurfaceName = "Плоскость";
    else
        SurfaceName = "Конус";
}

std::unique_ptr<CLineUnit> CLineUnit::CLineUnitXYZ(double x1, double y1, double z1, double x2, double y2, double z2,
                                                   bool rapid) {
    std::unique_ptr<CLineUnit> line(new CLineUnit());
    line->StartPoint = {x1, y1, z1};
    line->EndPoint = {x2, y2, z2};
    line->IsRapid = rapid;
    return line;
}

double CLineUnit::GetAngle() const { return AngleOfVector(StartPoint.z, StartPoint.x, EndPoint.z, EndPoint.x); }

UnitPtr CLineUnit::Clone() const {
    std::unique_ptr<CLineUnit> copy(new CLineUnit());
    copy->CopyFrom(*this);
    return copy;
}

bool CLineUnit::ClonesExactly() const { return !HoldsDrawnState(); }

UnitPtr CLineUnit::GetSimpleCopy() const {
    return std::make_unique<CLineUnit>(StartPoint.z, StartPoint.x, EndPoint.z, EndPoint.x, false);
}

bool CLineUnit::IsSameCarrier(const CUnit& other) const {
    if (other.Kind != kUnitLine) return false;
    const auto& line = static_cast<const CLineUnit&>(other);
    // A unit without length lies on any carrier through its point.
    const double length = std::max(GetLength(), line.GetLength());
    if (GetLength() == 0.0 || line.GetLength() == 0.0) return true;
    // Angles are compared as angles: the difference brought into [0, PI]
    // (directions just either side of +Z are 2 PI apart as numbers), within
    // the turn that moves the longer line's far end by EPS.
    double turn = std::fabs(GetAngle() - line.GetAngle());
    if (turn > PI) turn = 2.0 * PI - turn;
    return turn < EPS / length;
}

UnitPtr CLineUnit::GetOffsetUnit(bool useGiven, double distance) const {
    const double d = useGiven ? distance : OffsetDistance;
    const double theta = GetAngle();
    const double c = std::cos(theta), s = std::sin(theta);
    const double oz = -d * s, ox = d * c;
    std::unique_ptr<CLineUnit> line(new CLineUnit());
    line->StartPoint.z = StartPoint.z + oz - StartExtension * c;
    line->StartPoint.x = StartPoint.x + ox - StartExtension * s;
    line->EndPoint.z = EndPoint.z + oz + EndExtension * c;
    line->EndPoint.x = EndPoint.x + ox + EndExtension * s;
    line->DirVector = DirVector;
    line->SourceUnit = this;
    return line;
}

bool CLineUnit::IsPointOnUnit(double z, double x, int) const {
    const double z1 = StartPoint.z, x1 = StartPoint.x, z2 = EndPoint.z, x2 = EndPoint.x;
    if (IsEqualPoint(z, x, z1, x1) || IsEqualPoint(z, x, z2, x2)) return true;
    if (std::fabs(z2 - z1) >= EPS) {
        if (!StrictlyBetween(z, z1, z2)) return false;
        if (std::fabs(x2 - x1) < EPS) return DistPointLine(z, x, z1, x1, z2, x2) < EPS;
    }
    if (!StrictlyBetween(x, x1, x2)) return false;
    return DistPointLine(z, x, z1, x1, z2, x2) < EPS;
}

void CLineUnit::CreateTessellationEdge(std::uint32_t colour) {
    UnitEdgeDrawable& edge = EdgeDrawable();
    edge.SetKind(1);
    edge.CreateLine(StartPoint.z, StartPoint.x, EndPoint.z, EndPoint.x, EdgeColour(colour));
}

void CLineUnit::CreateTessellationFace(std::uint32_t colour) {
    const std::uint32_t c = TakeFaceColour(colour);
    FaceDrawable().CreateRevolvedLine(StartPoint.z, StartPoint.x, EndPoint.z, EndPoint.x, c, 0.0, 0.0);
}

Ref2D CLineUnit::Draw2D(int style) {
    // A point is no object: no reference, and the last one drawn stays.
    if (IsZeroLength()) return 0;
    HostObjectId = ActiveDocument2D().LineSeg(StartPoint.z, StartPoint.x, EndPoint.z, EndPoint.x, DrawStyle(style));
    return HostObjectId;
}

void CLineUnit::Intersect(const CUnit* other, IntersectPointList& list) const {
    if (!other) return;
    if (IntersectSpecialPartner(*other, list)) return;
    const std::uint32_t before = list.Count();
    if (other->Kind == kUnitLine) {
        AddLinesIntersection(StartPoint.z, StartPoint.x, EndPoint.z, EndPoint.x, other->StartPoint.z,
                             other->StartPoint.x, other->EndPoint.z, other->EndPoint.x, list);
    } else if (other->Kind == kUnitArc) {
        AddLineCircleIntersections(StartPoint.z, StartPoint.x, EndPoint.z, EndPoint.x, other->CentrePoint.z,
                                   other->CentrePoint.x, static_cast<const CArcUnit*>(other)->Radius, list);
    } else {
        return;
    }
    FilterNewPoints(*other, list, before);
}

double CLineUnit::GetLength() const { return GetLengthToPoint(EndPoint.z, EndPoint.x); }

double CLineUnit::GetLength3D() const { return GetLengthToPoint3D(EndPoint.x, EndPoint.y, EndPoint.z); }

double CLineUnit::GetLengthToPoint(double z, double x) const { return Distance(StartPoint.z, StartPoint.x, z, x); }

double CLineUnit::GetLengthToPoint3D(double x, double y, double z) const {
    return Distance3D(StartPoint.x, StartPoint.y, StartPoint.z, x, y, z);
}

void CLineUnit::GetMidPoint(IntersectPoint& out, double z1, double x1, double z2, double x2) const {
    out = IntersectPoint{};
    out.z = (z1 + z2) / 2;
    out.x = (x1 + x2) / 2;
}

CadrePtr CLineUnit::CreateCadre() const {
    CadreFactory* factory = GetCadreFactory();
    if (!factory) return NoCadre();
    return factory->MakeLineFrame(StartPoint.x, StartPoint.z, EndPoint.x, EndPoint.z, -1.0, IsRapid, 0, 0);
}

double CLineUnit::GetStartAngle() const { return GetAngle(); }
double CLineUnit::GetEndAngle() const { return GetAngle(); }

int CLineUnit::GetPointAtAngle(double limit, double& z, double& x) const {
    if (GetAngle() + 1000 * EPS > limit) {
        z = EndPoint.z;
        x = EndPoint.x;
        return 2;
    }
    z = StartPoint.z;
    x = StartPoint.x;
    return 1;
}

void CLineUnit::GetBoundBox(BoundBox& box) const {
    box.zmin = std::min(StartPoint.z, EndPoint.z);
    box.xmin = std::min(StartPoint.x, EndPoint.x);
    box.zmax = std::max(StartPoint.z, EndPoint.z);
    box.xmax = std::max(StartPoint.x, EndPoint.x);
}

void CLineUnit::GetNearestPoint(double z, double x, IntersectPointList& list, int tag) const {
    const double d = DistPointLine(z, x, StartPoint.z, StartPoint.x, EndPoint.z, EndPoint.x);
    const double theta = GetAngle();
    for (double turn : {PI / 2, -PI / 2}) {
        IntersectPoint p;
        p.z = z + d * std::cos(theta + turn);
        p.x = x + d * std::sin(theta + turn);
        p.index1 = tag;
        if (IsPointOnUnit(p.z, p.x, 0)) {
            list.Add(p);
            return;
        }
    }
}

void CLineUnit::GetFarthestPoint(double z, double x, IntersectPointList& list, int tag) const {
    IntersectPoint p;
    const bool startFarther = Distance(z, x, StartPoint.z, StartPoint.x) > Distance(z, x, EndPoint.z, EndPoint.x);
    p.z = startFarther ? StartPoint.z : EndPoint.z;
    p.x = startFarther ? StartPoint.x : EndPoint.x;
    p.index1 = tag;
    list.Add(p);
}

namespace {

// The walk along a segment shared by the 2D and 3D samplers: `axes` are the
// coordinate extents in order of preference; calls emit(t) with t the
// fraction of the way from the start for every point.
template <typename Emit>
void WalkByStep(const double* extents, int axes, double length, double step, int mode, Emit emit) {
    CheckPointStep(step, length);
    if (mode == 1) {
        const auto n = std::max<std::uint32_t>(static_cast<std::uint32_t>(std::floor(length / step + 0.5)), 2u);
        for (std::uint32_t i = 0; i < n; ++i) emit(static_cast<double>(i) / (n - 1));
        return;
    }
    int dominant = 0;
    for (int a = 1; a < axes; ++a)
        if (std::fabs(extents[a]) > std::fabs(extents[dominant])) dominant = a;
    const double m = std::fabs(extents[dominant]);
    const double s = std::fabs(extents[dominant] * step / length);
    // Bounded by CheckPointStep: s is at least m / kMaxStepPoints.
    for (std::uint32_t i = 1; s > 0.0 && i * s < m; ++i) emit(i * step / length);
    emit(1.0);
}

}  // namespace

void CLineUnit::GetPointsByStep(IntersectPointList& list, double step, int mode) const {
    const double dz = EndPoint.z - StartPoint.z, dx = EndPoint.x - StartPoint.x;
    const double extents[2] = {dz, dx};
    WalkByStep(extents, 2, GetLength(), step, mode, [&](double t) {
        IntersectPoint p;
        if (t == 1.0) {
            p.z = EndPoint.z;
            p.x = EndPoint.x;
        } else {
            p.z = StartPoint.z + t * dz;
            p.x = StartPoint.x + t * dx;
        }
        p.unit = this;
        list.Add(p);
    });
}

void CLineUnit::GetPointsByStep3D(UnitPoint3DList& list, double step, int mode) const {
    const double dx = EndPoint.x - StartPoint.x, dy = EndPoint.y - StartPoint.y, dz = EndPoint.z - StartPoint.z;
    const double extents[3] = {dz, dx, dy};
    WalkByStep(extents, 3, GetLength3D(), step, mode, [&](double t) {
        UnitPoint3D p;
        if (t == 1.0) {
            p.x = EndPoint.x;
            p.y = EndPoint.y;
            p.z = EndPoint.z;
        } else {
            p.x = StartPoint.x + t * dx;
            p.y = StartPoint.y + t * dy;
            p.z = StartPoint.z + t * dz;
        }
        p.unit = this;
        list.Add(p);
    });
}

double CLineUnit::GetAngleTolerance() const { return EPS / GetLength(); }

std::string CLineUnit::GetScriptText() const {
    try {
        return "LineSeg( " + FormatG(StartPoint.z) + "," + FormatG(StartPoint.x) + ", " + FormatG(EndPoint.z) + "," +
               FormatG(EndPoint.x) + ", 1 );\n";
    } catch (const std::bad_alloc&) {
        throw HostError(E_OUTOFMEMORY_, "script text");
    }
}

void CLineUnit::PrintInfo() const {
    HostTextOutput(std::string(1, Kind) + " Z1=" + FormatFixed(StartPoint.z, 7) +
                   " X1=" + FormatFixed(StartPoint.x, 7) + "  Z2=" + FormatFixed(EndPoint.z, 7) +
                   " X2=" + FormatFixed(EndPoint.x, 7) + "\n");
}

}  // namespace zarvento
