// The gap unit: the choice of the gap type from the neighbours, the bridge of
// each type, and the unit operations answered through the bridges.
#include "geometry/gap_unit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "geometry/arc_unit.h"
#include "geometry/complex_unit.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "geometry/number_format.h"
#include "geometry/primitives.h"
#include "platform/core/messages.h"

namespace zarvento {

namespace {

// The circle of an arc neighbour: false for any other kind.
bool CircleOf(const CUnit& unit, double& zc, double& xc, double& r) {
    if (unit.Kind != kUnitArc) return false;
    zc = unit.CentrePoint.z;
    xc = unit.CentrePoint.x;
    r = static_cast<const CArcUnit&>(unit).Radius;
    return true;
}

// Of two candidates, the first unless the second is strictly nearer to (z, x).
void TakeNearer(const Point2& p1, const Point2& p2, double z, double x, double& outZ, double& outX) {
    const bool second = Distance(p2.a, p2.b, z, x) < Distance(p1.a, p1.b, z, x);
    outZ = second ? p2.a : p1.a;
    outX = second ? p2.b : p1.b;
}

// Whether the direction from (z1, x1) to (z2, x2) is the one from (z1, x1) to (z3, x3), within EPS.
bool SameDirection(double z1, double x1, double z2, double x2, double z3, double x3) {
    double d = std::fabs(AngleOfVector(z1, x1, z2, x2) - AngleOfVector(z1, x1, z3, x3));
    if (d > PI) d = 2 * PI - d;
    return d < EPS;
}

// A bridge from (z1, x1) to (z2, x2) that continues the neighbour: a line for
// a line or complex neighbour, an arc on the neighbour's circle for an arc,
// nothing for other kinds or when the ends meet.
UnitPtr ContinuingBridge(const CUnit* neighbour, double z1, double x1, double z2, double x2) {
    if (!neighbour || IsEqualPoint(z1, x1, z2, x2)) return nullptr;
    switch (neighbour->Kind) {
        case kUnitLine:
        case kUnitComplex: return std::make_unique<CLineUnit>(z1, x1, z2, x2, false);
        case kUnitArc: {
            double zc = 0, xc = 0, r = 0;
            CircleOf(*neighbour, zc, xc, r);
            return std::make_unique<CArcUnit>(zc, xc, r, z1, x1, z2, x2, neighbour->DirVector);
        }
        default: return nullptr;
    }
}

UnitPtr LineUnlessZero(double z1, double x1, double z2, double x2) {
    if (IsEqualPoint(z1, x1, z2, x2)) return nullptr;
    return std::make_unique<CLineUnit>(z1, x1, z2, x2, false);
}

UnitPtr CloneOrNull(const UnitPtr& unit) { return unit ? unit->Clone() : nullptr; }

std::string EndsText(const CUnit& unit) {
    return "     Z1=" + FormatFixed(unit.StartPoint.z, 7) + " X1=" + FormatFixed(unit.StartPoint.x, 7) +
           "  Z2=" + FormatFixed(unit.EndPoint.z, 7) + " X2=" + FormatFixed(unit.EndPoint.x, 7) + "\n";
}

std::string Identity(const void* p) { return std::to_string(reinterpret_cast<std::uintptr_t>(p)); }

}  // namespace

const char* GapTypeText(int type) {
    switch (type) {
        case kGapNone: return "Нулевой";
        case kGapFromAxis: return "Под прямым углом от оси";
        case kGapToAxis: return "Под прямым углом к оси";
        case kGapSegment: return "Отрезком";
        case kGapCorner: return "Точка пересечения";
        default: return "";
    }
}

CGapUnit::CGapUnit() : CUnit(kUnitGap) { SurfaceName = "Gap"; }

CGapUnit::CGapUnit(const CUnit* prev, const CUnit* next) : CGapUnit() {
    if (!prev || !next) return;
    PrevUnit = prev->Clone();
    NextUnit = next->Clone();
    if (!PrevUnit || !NextUnit) return;
    StartPoint.z = PrevUnit->EndPoint.z;
    StartPoint.x = PrevUnit->EndPoint.x;
    EndPoint.z = NextUnit->StartPoint.z;
    EndPoint.x = NextUnit->StartPoint.x;
    if (!IsEqualPoint(StartPoint.z, StartPoint.x, EndPoint.z, EndPoint.x)) CalculateGap(true);
}

CGapUnit::~CGapUnit() = default;

void CGapUnit::CopyGapFields(const CGapUnit& other) {
    if (&other == this) return;
    CopyFrom(other);
    PrevUnit = CloneOrNull(other.PrevUnit);
    NextUnit = CloneOrNull(other.NextUnit);
    Bridge1 = CloneOrNull(other.Bridge1);
    Bridge2 = CloneOrNull(other.Bridge2);
    GapType = other.GapType;
    CornerZ = other.CornerZ;
    CornerX = other.CornerX;
}

int CGapUnit::IntersectNeighbours(const CUnit& prev, const CUnit& next) {
    const Point3D &ps = prev.StartPoint, &pe = prev.EndPoint, &ns = next.StartPoint, &ne = next.EndPoint;
    double pzc = 0, pxc = 0, pr = 0, nzc = 0, nxc = 0, nr = 0;
    const bool prevLine = prev.Kind == kUnitLine, nextLine = next.Kind == kUnitLine;
    const bool prevArc = CircleOf(prev, pzc, pxc, pr), nextArc = CircleOf(next, nzc, nxc, nr);
    Point2 p1, p2;
    int n = 0;
    if (prevLine && nextLine) {
        double z = 0, x = 0;
        const int r = IntersectLines(ps.z, ps.x, pe.z, pe.x, ns.z, ns.x, ne.z, ne.x, z, x);
        if (r != 1) return r;
        if (IsEqualPoint(z, x, ne.z, ne.x)) {
            z = ns.z;
            x = ns.x;
        }
        CornerZ = z;
        CornerX = x;
        return 1;
    }
    if (prevLine && nextArc) {
        n = IntersectLineCircle(ps.z, ps.x, pe.z, pe.x, nzc, nxc, nr, p1, p2);
        if (n == 2) TakeNearer(p1, p2, pe.z, pe.x, CornerZ, CornerX);
    } else if (prevArc && nextLine) {
        n = IntersectLineCircle(ns.z, ns.x, ne.z, ne.x, pzc, pxc, pr, p1, p2);
        if (n == 2) TakeNearer(p1, p2, ns.z, ns.x, CornerZ, CornerX);
    } else if (prevArc && nextArc) {
        n = IntersectCircles(pzc, pxc, pr, nzc, nxc, nr, p1, p2);
        if (n < 0) return n;
        if (n == 2) TakeNearer(p1, p2, ns.z, ns.x, CornerZ, CornerX);
    } else {
        return 0;
    }
    if (n == 1) {
        CornerZ = p1.a;
        CornerX = p1.b;
    }
    return n >= 1 ? 1 : 0;
}

int CGapUnit::ComplexCornerSearch() {
    const auto* prevComplex =
        PrevUnit->Kind == kUnitComplex ? static_cast<const CComplexUnit*>(PrevUnit.get()) : nullptr;
    const auto* nextComplex =
        NextUnit->Kind == kUnitComplex ? static_cast<const CComplexUnit*>(NextUnit.get()) : nullptr;
    // A sub-unit of the previous neighbour takes the corner when it lies on it,
    // or, for the last one, ahead along its chord.
    auto prevAccepts = [&](const CUnit& sub, bool last) {
        return sub.IsPointOnUnit(CornerZ, CornerX, 0) ||
               (last &&
                SameDirection(sub.StartPoint.z, sub.StartPoint.x, sub.EndPoint.z, sub.EndPoint.x, CornerZ, CornerX));
    };
    // The same for the next neighbour: on it, or, for the first one, behind
    // its start along its chord.
    auto nextAccepts = [&](const CUnit& sub, bool first) {
        return sub.IsPointOnUnit(CornerZ, CornerX, 0) ||
               (first &&
                SameDirection(sub.EndPoint.z, sub.EndPoint.x, sub.StartPoint.z, sub.StartPoint.x, CornerZ, CornerX));
    };
    const int prevCount = prevComplex ? prevComplex->SubUnitCount() : 1;
    const int nextCount = nextComplex ? nextComplex->SubUnitCount() : 1;
    for (int i = prevCount - 1; i >= 0; --i) {
        const CUnit& p = prevComplex ? *prevComplex->SubUnit(i) : *PrevUnit;
        for (int j = 0; j < nextCount; ++j) {
            const CUnit& n = nextComplex ? *nextComplex->SubUnit(j) : *NextUnit;
            if (IntersectNeighbours(p, n) != 1) continue;
            const bool okPrev = !prevComplex || prevAccepts(p, i == prevCount - 1);
            const bool okNext = !nextComplex || nextAccepts(n, j == 0);
            if (okPrev && okNext) return 1;
        }
    }
    return 0;
}

void CGapUnit::CalculateGap(bool noTrimming) {
    if (!PrevUnit || !NextUnit) return;
    CUnit& p = *PrevUnit;
    CUnit& n = *NextUnit;
    const bool complex = p.Kind == kUnitComplex || n.Kind == kUnitComplex;
    const int found = complex ? ComplexCornerSearch() : IntersectNeighbours(p, n);
    int type = GapType;
    if (found == 1) {
        type = kGapCorner;
        const double d1 = Distance(CornerZ, CornerX, p.StartPoint.z, p.StartPoint.x);
        const double d2 = Distance(CornerZ, CornerX, p.EndPoint.z, p.EndPoint.x);
        const double d3 = Distance(CornerZ, CornerX, n.StartPoint.z, n.StartPoint.x);
        const double d4 = Distance(CornerZ, CornerX, n.EndPoint.z, n.EndPoint.x);
        const bool onP = p.IsPointOnUnit(CornerZ, CornerX, 0);
        const bool onN = n.IsPointOnUnit(CornerZ, CornerX, 0);
        const bool usable = (onP || d2 <= d1 || d1 <= EPS) && (onN || d3 <= d4 || d4 <= EPS);
        if (!usable) {
            type = kGapSegment;
        } else if (!noTrimming) {
            if (onP) {
                p.SetEndPoint(CornerZ, CornerX);
                StartPoint.z = CornerZ;
                StartPoint.x = CornerX;
            }
            if (onN) {
                n.SetStartPoint(CornerZ, CornerX);
                EndPoint.z = CornerZ;
                EndPoint.x = CornerX;
            }
        }
    } else if (found == 0) {
        type = kGapSegment;
    } else if (found == -1 && p.Kind == kUnitLine && n.Kind == kUnitLine) {
        // One carrier: a real hole ahead along the previous unit still needs
        // a segment, while overlapping neighbours need no bridge.
        const double len = p.GetLength();
        if (len > EPS) {
            const double ahead = ((EndPoint.z - StartPoint.z) * (p.EndPoint.z - p.StartPoint.z) +
                                  (EndPoint.x - StartPoint.x) * (p.EndPoint.x - p.StartPoint.x)) /
                                 len;
            if (ahead > EPS) type = kGapSegment;
        }
    }
    if (IsEqualPoint(StartPoint.z, StartPoint.x, EndPoint.z, EndPoint.x)) type = kGapNone;
    SetGapType(type);
}

void CGapUnit::CalculateGapFromSegment(bool noTrimming) {
    // Without both neighbours nothing is calculated and the segment stays.
    if (!PrevUnit || !NextUnit) {
        SetGapType(kGapSegment);
        return;
    }
    // The calculation starts from the type and builds its own bridge; the
    // neighbours, not the bridges, are what it reads.
    GapType = kGapSegment;
    CalculateGap(noTrimming);
}

void CGapUnit::SetGapType(int type) {
    GapType = type;
    SurfaceName = GapTypeText(type);
    BuildBridge();
}

void CGapUnit::SetBridge(const CUnit& a, const CUnit& b) {
    StartPoint.z = a.StartPoint.z;
    StartPoint.x = a.StartPoint.x;
    EndPoint.z = b.EndPoint.z;
    EndPoint.x = b.EndPoint.x;
    CornerZ = a.EndPoint.z;
    CornerX = a.EndPoint.x;
    SetGapType(kGapCorner);
}

void CGapUnit::BuildBridge() {
    Bridge1.reset();
    Bridge2.reset();
    const double zs = StartPoint.z, xs = StartPoint.x;
    switch (GapType) {
        case kGapFromAxis:
        case kGapToAxis: {
            const bool fromAxis = GapType == kGapFromAxis;
            // The square corner: (zs, xe) from the axis, (ze, xs) towards it.
            const double cz = fromAxis ? zs : EndPoint.z, cx = fromAxis ? EndPoint.x : xs;
            if (NextUnit && NextUnit->IsPointOnUnit(cz, cx, 0)) {
                NextUnit->SetStartPoint(cz, cx);
                (fromAxis ? EndPoint.z : EndPoint.x) = fromAxis ? zs : xs;
            }
            Bridge1 = LineUnlessZero(zs, xs, cz, cx);
            Bridge2 = LineUnlessZero(cz, cx, EndPoint.z, EndPoint.x);
            break;
        }
        case kGapSegment: Bridge1 = std::make_unique<CLineUnit>(zs, xs, EndPoint.z, EndPoint.x, false); break;
        case kGapCorner: BuildCornerBridge(); break;
        default: break;
    }
}

void CGapUnit::BuildCornerBridge() {
    Bridge1 = ContinuingBridge(PrevUnit.get(), StartPoint.z, StartPoint.x, CornerZ, CornerX);
    Bridge2 = ContinuingBridge(NextUnit.get(), CornerZ, CornerX, EndPoint.z, EndPoint.x);
    if (Bridge1 && Bridge1->IsPointOnUnit(PrevUnit->StartPoint.z, PrevUnit->StartPoint.x, 0)) {
        PrevUnit->SetEndPoint(CornerZ, CornerX);
        StartPoint.z = PrevUnit->EndPoint.z;
        StartPoint.x = PrevUnit->EndPoint.x;
    }
    if (Bridge2 && Bridge2->IsPointOnUnit(NextUnit->EndPoint.z, NextUnit->EndPoint.x, 0)) {
        NextUnit->SetStartPoint(CornerZ, CornerX);
        EndPoint.z = NextUnit->StartPoint.z;
        EndPoint.x = NextUnit->StartPoint.x;
    }
}

UnitPtr CGapUnit::Clone() const {
    auto copy = std::make_unique<CGapUnit>();
    copy->CopyGapFields(*this);
    return copy;
}

UnitPtr CGapUnit::GetSimpleCopy() const {
    HostTextOutput("GetSimpleCopy 0");
    return nullptr;
}

bool CGapUnit::IsPointOnUnit(double z, double x, int flag) const {
    return (Bridge1 && Bridge1->IsPointOnUnit(z, x, flag)) || (Bridge2 && Bridge2->IsPointOnUnit(z, x, flag));
}

bool CGapUnit::MoveBridgeEnd(UnitPtr& bridge, double z, double x, bool start) {
    if (!bridge || !bridge->IsPointOnUnit(z, x, 0)) return false;
    if (start) {
        bridge->SetStartPoint(z, x);
        CUnit::SetStartPoint(z, x);
    } else {
        bridge->SetEndPoint(z, x);
        CUnit::SetEndPoint(z, x);
    }
    if (bridge->IsZeroLength()) DropBridge(bridge);
    return true;
}

// A start moved onto the second bridge leaves the whole first one behind
// it (and an end on the first bridge the whole second one): kept, it would
// stand in the chain where the gap no longer runs, and the units on either
// side of the gap would no longer meet.
void CGapUnit::SetStartPoint(double z, double x) {
    if (MoveBridgeEnd(Bridge1, z, x, true)) return;
    if (MoveBridgeEnd(Bridge2, z, x, true) && Bridge1) DropBridge(Bridge1);
}

void CGapUnit::SetEndPoint(double z, double x) {
    if (MoveBridgeEnd(Bridge2, z, x, false)) return;
    if (MoveBridgeEnd(Bridge1, z, x, false) && Bridge2) DropBridge(Bridge2);
}

void CGapUnit::DropBridge(UnitPtr& bridge) {
    bridge.reset();
    GapType = kGapSegment;
    SurfaceName = GapTypeText(GapType);
}

void CGapUnit::TransformWhole(void (*apply)(CUnit&)) {
    for (UnitPtr* part : {&PrevUnit, &NextUnit, &Bridge1, &Bridge2})
        if (*part) apply(**part);
    // The corner goes along as a point unit.
    CLineUnit corner(CornerZ, CornerX, CornerZ, CornerX);
    apply(corner);
    CornerZ = corner.StartPoint.z;
    CornerX = corner.StartPoint.x;
}

void CGapUnit::Reverse() {
    TransformWhole([](CUnit& u) { u.Reverse(); });
    std::swap(PrevUnit, NextUnit);
    std::swap(Bridge1, Bridge2);
    CUnit::Reverse();
}

void CGapUnit::InvertX() {
    TransformWhole([](CUnit& u) { u.InvertX(); });
    CUnit::InvertX();
}

void CGapUnit::Move(double dz, double dx) {
    for (UnitPtr* part : {&PrevUnit, &NextUnit, &Bridge1, &Bridge2})
        if (*part) (*part)->Move(dz, dx);
    CornerZ += dz;
    CornerX += dx;
    CUnit::Move(dz, dx);
}

void CGapUnit::Rotate90() {
    TransformWhole([](CUnit& u) { u.Rotate90(); });
    CUnit::Rotate90();
}

void CGapUnit::MirrorZ() {
    TransformWhole([](CUnit& u) { u.MirrorZ(); });
    CUnit::MirrorZ();
}

void CGapUnit::MirrorX() {
    TransformWhole([](CUnit& u) { u.MirrorX(); });
    CUnit::MirrorX();
}

void CGapUnit::CreateTessellationEdge(std::uint32_t colour) {
    ForEachBridge([&](CUnit& b) { b.CreateTessellationEdge(colour); });
}

void CGapUnit::ClearTessellationEdge() {
    ForEachBridge([](CUnit& b) { b.ClearTessellationEdge(); });
}

void CGapUnit::CreateTessellationFace(std::uint32_t colour) {
    ForEachBridge([&](CUnit& b) { b.CreateTessellationFace(colour); });
}

void CGapUnit::ClearTessellationFace() {
    ForEachBridge([](CUnit& b) { b.ClearTessellationFace(); });
}

Ref2D CGapUnit::Draw2D(int style) {
    Ref2D last = 0;
    ForEachBridge([&](CUnit& b) {
        if (const Ref2D ref = b.Draw2D(style)) last = ref;
    });
    return last;
}

void CGapUnit::Intersect(const CUnit* other, IntersectPointList& list) const {
    if (!other) return;
    ForEachBridge([&](const CUnit& b) { b.Intersect(other, list); });
}

double CGapUnit::GetLength() const {
    double sum = 0.0;
    ForEachBridge([&](const CUnit& b) { sum += b.GetLength(); });
    return sum;
}

double CGapUnit::GetLength3D() const {
    double sum = 0.0;
    ForEachBridge([&](const CUnit& b) { sum += b.GetLength3D(); });
    return sum;
}

double CGapUnit::GetLengthToPoint(double, double) const { return 0.0; }
double CGapUnit::GetLengthToPoint3D(double, double, double) const { return 0.0; }

void CGapUnit::GetMidPoint(IntersectPoint& out, double, double, double, double) const { out = IntersectPoint{}; }

void CGapUnit::Select() {
    Selected = true;
    ForEachBridge([](CUnit& b) { b.Select(); });
}

void CGapUnit::Deselect() {
    Selected = false;
    ForEachBridge([](CUnit& b) { b.Deselect(); });
}

void CGapUnit::ShowTessellation() {
    ForEachBridge([](CUnit& b) { b.ShowTessellation(); });
}

void CGapUnit::HideTessellation() {
    ForEachBridge([](CUnit& b) { b.HideTessellation(); });
}

void CGapUnit::ShowSelection() {
    if (Selected) ForEachBridge([](CUnit& b) { b.ShowSelection(); });
}

void CGapUnit::HideSelection() {
    if (Selected) ForEachBridge([](CUnit& b) { b.HideSelection(); });
}

void CGapUnit::GetBoundBox(BoundBox& box) const {
    if (!Bridge1 && !Bridge2) {
        box = {std::min(StartPoint.z, EndPoint.z), std::min(StartPoint.x, EndPoint.x),
               std::max(StartPoint.z, EndPoint.z), std::max(StartPoint.x, EndPoint.x)};
        return;
    }
    bool first = true;
    ForEachBridge([&](const CUnit& b) {
        BoundBox u;
        b.GetBoundBox(u);
        if (first)
            box = u;
        else
            UniteBoxes(box, u);
        first = false;
    });
}

void CGapUnit::PrintInfo() const {
    auto source = [](const UnitPtr& u) { return Identity(u ? u->SourceUnit : nullptr); };
    std::string text = std::string(1, Kind) + ": m=" + std::to_string(GapType) + " p=" + Identity(PrevUnit.get()) +
                       "(" + source(PrevUnit) + ") p=" + Identity(NextUnit.get()) + "(" + source(NextUnit) + ")\n";
    ForEachBridge([&](const CUnit& b) { text += EndsText(b); });
    HostTextOutput(text);
}

const CUnit* CGapUnit::GetBridge(int index) const {
    if (index == 0) return Bridge1.get();
    if (index == 1) return Bridge2.get();
    return nullptr;
}

std::unique_ptr<Contour> CGapUnit::GetContour() const {
    auto contour = std::make_unique<Contour>();
    ForEachBridge([&](const CUnit& b) { contour->AddUnit(b.Clone()); });
    return contour;
}

}  // namespace zarvento
