// Contour algorithms that add to a contour: prolonging a tool path, reading
// the host's 2D objects, and the region drawing.
#include <cmath>
#include <vector>

#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "geometry/region_drawable.h"
#include "platform/core/host_error.h"
#include "platform/core/scope_guard.h"

namespace zarvento {

namespace {

// Host line styles the style filters of LoadFromHostObjects read.
constexpr int kStyleMain = 1;
constexpr int kStyleRapid = 3;

// Whether a tool of the given radius stands at P clear of the obstacle: P is
// not inside it and a circle a little smaller than the tool crosses nothing.
bool ToolClear(const Contour& obstacle, double z, double x, double toolRadius) {
    if (obstacle.IsPointInside(z, x)) return false;
    const double r = toolRadius - 0.0001;
    if (!(r >= EPS)) return true;  // a point tool: the inside test is all
    Contour circle;
    circle.AddUnit(std::make_unique<CArcUnit>(z, x, r, z + r, x, z - r, x, -1));
    circle.AddUnit(std::make_unique<CArcUnit>(z, x, r, z - r, x, z + r, x, -1));
    IntersectPointList crossings(10);
    circle.Intersect(obstacle, crossings, false);
    return crossings.Empty();
}

// The straight prolongation from (z, x) to P: the segment crosses nothing and
// the tool fits at P.
bool LineClear(const Contour& obstacle, double z, double x, double pz, double px, double toolRadius) {
    IntersectPointList crossings(10);
    MakeLineContour(z, x, pz, px)->Intersect(obstacle, crossings, false);
    return crossings.Empty() && ToolClear(obstacle, pz, px, toolRadius);
}

bool IsArcToProlong(const CUnit& unit) {
    return unit.Kind == kUnitArc && static_cast<const CArcUnit&>(unit).Radius >= EPS;
}

double Degrees(double radians) { return radians * 180.0 / PI; }

bool TakesLine(int filter, int style) {
    switch (filter) {
        case 1: return style == kStyleMain;
        case -1: return style != kStyleRapid;
        case 7: return style == kStyleMain || style == kStyleRapid;
        default: return false;
    }
}

bool TakesArc(int filter, int style) {
    switch (filter) {
        case 1:
        case 7: return style == kStyleMain;
        case -1: return style != kStyleRapid;
        default: return false;
    }
}

}  // namespace

void Contour::PrependLine(double length, double angleDegrees, bool rapid) {
    if (length < EPS || Empty()) return;
    const double a = angleDegrees * PI / 180.0;
    const Point3D s = GetFirstUnit()->StartPoint;
    InsertUnit(0, std::make_unique<CLineUnit>(s.z + length * std::cos(a), s.x + length * std::sin(a), s.z, s.x, rapid));
}

void Contour::AppendLine(double length, double angleDegrees, bool rapid) {
    if (length < EPS || Empty()) return;
    const double a = angleDegrees * PI / 180.0;
    const Point3D e = GetLastUnit()->EndPoint;
    AddUnit(std::make_unique<CLineUnit>(e.z, e.x, e.z + length * std::cos(a), e.x + length * std::sin(a), rapid));
}

void Contour::ExtendEnds(double startLength, double endLength, const Contour* obstacle, double toolRadius,
                         double* step) {
    if (Empty() || !obstacle) return;

    bool startDone = false;
    if (IsArcToProlong(*GetFirstUnit())) {
        auto& arc = static_cast<CArcUnit&>(*GetFirstUnit());
        const double a = arc.GetStartPolarAngle() + arc.DirVector * startLength / arc.Radius;
        const double pz = arc.CentrePoint.z + arc.Radius * std::cos(a);
        const double px = arc.CentrePoint.x + arc.Radius * std::sin(a);
        if (ToolClear(*obstacle, pz, px, toolRadius)) {
            arc.SetStartPoint(pz, px);
            if (step && *step > 5.0) *step = 5.0;
            startDone = true;
        }
    }
    if (!startDone) {
        const CUnit& first = *GetFirstUnit();
        const double a = first.GetStartAngle() - PI;
        const double z = first.StartPoint.z, x = first.StartPoint.x;
        const double pz = z + startLength * std::cos(a), px = x + startLength * std::sin(a);
        if (LineClear(*obstacle, z, x, pz, px, toolRadius)) PrependLine(startLength, Degrees(a), false);
    }

    bool endDone = false;
    if (IsArcToProlong(*GetLastUnit())) {
        auto& arc = static_cast<CArcUnit&>(*GetLastUnit());
        const double a = arc.GetEndPolarAngle() - arc.DirVector * endLength / arc.Radius;
        const double pz = arc.CentrePoint.z + arc.Radius * std::cos(a);
        const double px = arc.CentrePoint.x + arc.Radius * std::sin(a);
        // The same tool test as at the start: a departure along the arc must
        // not run the tool into the obstacle either.
        if (ToolClear(*obstacle, pz, px, toolRadius)) {
            arc.SetEndPoint(pz, px);
            endDone = true;
        }
    }
    if (!endDone) {
        const CUnit& last = *GetLastUnit();
        const double a = last.GetEndAngle();
        const double z = last.EndPoint.z, x = last.EndPoint.x;
        const double pz = z + endLength * std::cos(a), px = x + endLength * std::sin(a);
        if (LineClear(*obstacle, z, x, pz, px, toolRadius)) AppendLine(endLength, Degrees(a), false);
    }
}

namespace {

// One object of a group, read into units by the style filter. Curves are first
// broken by the host into a group of segments and arcs, read with filter 1.
void CollectHostObject(Document2D& document, Ref2D ref, int styleFilter, double tolerance,
                       std::vector<UnitPtr>& collected) {
    const int type = document.ObjectType(ref);
    if (type == kObj2DLine) {
        const auto l = document.GetLineParam(ref);
        if (!l || !TakesLine(styleFilter, l->style)) return;
        collected.push_back(std::make_unique<CLineUnit>(l->x1, l->y1, l->x2, l->y2, l->style == kStyleRapid));
    } else if (type == kObj2DArc) {
        const auto a = document.GetArcParam(ref);
        if (!a || !TakesArc(styleFilter, a->style) || !(a->rad > 0.0)) return;
        // The host counts the sense the other way round.
        const int dirVector = a->direction > 0 ? -1 : 1;
        collected.push_back(std::make_unique<CArcUnit>(a->xc, a->yc, a->rad, a->x1, a->y1, a->x2, a->y2, dirVector));
    } else if ((type == kObj2DCurve8 || type == kObj2DPolyline || type == kObj2DCurve80)) {
        const Ref2D plain = document.ApproximateCurve(ref, tolerance);
        if (!plain) return;
        Contour pieces;
        pieces.LoadFromHostObjects(document, plain, 1, tolerance);
        document.DeleteObject(plain);
        for (int k = 0; k < pieces.Count(); ++k) collected.push_back(pieces.GetUnit(k)->Clone());
    }
    // Every other type (33 among them) is ignored.
}

}  // namespace

// Walks the objects of one host group (reference 0: the whole document).
void Contour::LoadFromHostObjects(Document2D& document, Ref2D group, int styleFilter, double tolerance) {
    std::vector<UnitPtr> collected;
    const Iter2D it = group ? document.CreateIterator(group) : document.CreateDocumentIterator();
    // The iterator goes however the walk ends; a failure to let it go is
    // dropped, so that it never replaces the error on its way out.
    const ScopeGuard guard([&document, it] {
        try {
            document.DeleteIterator(it);
        } catch (const HostError&) {
        }
    });
    for (Ref2D ref = document.MoveFirst(it); ref; ref = document.MoveNext(it))
        CollectHostObject(document, ref, styleFilter, tolerance, collected);
    for (UnitPtr& unit : collected)
        if (!unit->IsZeroLength()) AddUnit(std::move(unit));
    MergeOverlappingUnits();
}

void Contour::CreateTessellation(RegionDrawable& drawable, std::uint32_t colour) {
    CreateTessellationEdges(colour);
    if (Empty()) return;
    IntersectPointList points(100);
    IntersectPointList arcPoints(100);
    for (int k = 0; k < Count(); ++k) {
        const CUnit& unit = *GetUnit(k);
        IntersectPoint start;
        start.z = unit.StartPoint.z;
        start.x = unit.StartPoint.x;
        start.index1 = k;
        start.unit = &unit;
        points.Add(start);
        if (unit.Kind != kUnitArc) continue;
        arcPoints.SetCountZero();
        static_cast<const CArcUnit&>(unit).GetPolyline(arcPoints, 1.0);
        for (std::uint32_t p = 1; p + 1 < arcPoints.Count(); ++p) points.Add(arcPoints[p]);
    }
    IntersectPoint close;
    close.z = GetFirstUnit()->StartPoint.z;
    close.x = GetFirstUnit()->StartPoint.x;
    close.index1 = Count();
    points.Add(close);
    drawable.CreateRegion(points, colour);
}

}  // namespace zarvento
