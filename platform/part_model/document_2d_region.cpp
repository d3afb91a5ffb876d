// The region boundary of a 2D document: the group's curves split where they
// cross and touch (Open CASCADE's general fuse), the region that holds the
// seed point, and its boundary read back as contours of segments and arcs.
#include <BRepAdaptor_Curve.hxx>
#include <BRepAlgoAPI_Splitter.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepClass_FaceClassifier.hxx>
#include <BRepTools.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRep_Tool.hxx>
#include <GC_MakeArcOfCircle.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_ListOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Circ.hxx>
#include <gp_Pln.hxx>

#include <algorithm>
#include <cmath>

#include "platform/core/host_call_time.h"
#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/drawings/document_2d.h"

namespace zarvento {

namespace {

gp_Pnt At(Point2D p) { return gp_Pnt(p.x, p.y, 0.0); }

void AddEdge(TopTools_ListOfShape& edges, const TopoDS_Edge& e) {
    if (!e.IsNull()) edges.Append(e);
}

void AddSegment(TopTools_ListOfShape& edges, Point2D a, Point2D b) {
    if (Dist(a, b) < 1e-9) return;
    BRepBuilderAPI_MakeEdge e(At(a), At(b));
    if (e.IsDone()) AddEdge(edges, e.Edge());
}

void AddArc(TopTools_ListOfShape& edges, const Curve2D& c) {
    if (!c.arc) return AddSegment(edges, c.a, c.b);
    if (!(c.r > 1e-9) || std::fabs(c.sweep) < 1e-12) return;
    const Point2D m = c.At(0.5);
    GC_MakeArcOfCircle arc(At(c.a), At(m), At(c.b));
    if (arc.IsDone()) AddEdge(edges, BRepBuilderAPI_MakeEdge(arc.Value()).Edge());
}

Curve2D ArcOf(const ArcParam2D& a) {
    const double a1 = std::atan2(a.y1 - a.yc, a.x1 - a.xc);
    const double a2 = std::atan2(a.y2 - a.yc, a.x2 - a.xc);
    const double sweep = a.direction < 0 ? -NormalizeAngle(a1 - a2) : NormalizeAngle(a2 - a1);
    Curve2D c = Curve2D::Arc({a.xc, a.yc}, a.rad, a1, sweep);
    c.a = {a.x1, a.y1};
    c.b = {a.x2, a.y2};
    return c;
}

void AddObject(TopTools_ListOfShape& edges, const Object2D& o) {
    switch (o.type) {
        case kObj2DLine: AddSegment(edges, {o.line.x1, o.line.y1}, {o.line.x2, o.line.y2}); return;
        case kObj2DArc: AddArc(edges, ArcOf(o.arc)); return;
        case kObj2DCircle: {
            const CircleParam2D& c = o.circle;
            if (!(c.rad > 1e-9)) return;
            const gp_Circ circle(gp_Ax2(gp_Pnt(c.xc, c.yc, 0), gp_Dir(0, 0, 1)), c.rad);
            AddEdge(edges, BRepBuilderAPI_MakeEdge(circle).Edge());
            return;
        }
        case kObj2DContour:
            for (const Curve2D& c : o.pieces) AddArc(edges, c);
            return;
        default:
            for (std::size_t k = 1; k < o.points.size(); ++k) AddSegment(edges, o.points[k - 1], o.points[k]);
    }
}

// One edge of the region's boundary as a piece run in the boundary's sense.
Curve2D PieceOf(const TopoDS_Edge& edge, bool reversed) {
    TopoDS_Vertex v1, v2;
    TopExp::Vertices(edge, v1, v2, true);
    gp_Pnt p = BRep_Tool::Pnt(v1), q = BRep_Tool::Pnt(v2);
    if (reversed) std::swap(p, q);
    const Point2D a{p.X(), p.Y()}, b{q.X(), q.Y()};
    BRepAdaptor_Curve curve(edge);
    if (curve.GetType() != GeomAbs_Circle) return Curve2D::Line(a, b);
    const gp_Circ circle = curve.Circle();
    // The parameter grows counter-clockwise about the circle's axis; the edge
    // runs with the parameter when it is forward.
    double sweep = curve.LastParameter() - curve.FirstParameter();
    if (circle.Axis().Direction().Z() < 0) sweep = -sweep;
    const bool forward = (edge.Orientation() == TopAbs_FORWARD) != reversed;
    if (!forward) sweep = -sweep;
    const Point2D centre{circle.Location().X(), circle.Location().Y()};
    Curve2D c = Curve2D::Arc(centre, circle.Radius(), std::atan2(a.y - centre.y, a.x - centre.x), sweep);
    c.a = a;
    c.b = b;
    return c;
}

}  // namespace

Ref2D Document2D::RegionBoundary(Ref2D group, double x, double y) {
    HostFaults::Check("Document2D.RegionBoundary");
    HostCallTime::Scope time;
    TopTools_ListOfShape edges;
    std::optional<Box2D> box;
    try {
        for (const Object2D* o : Members(group)) {
            AddObject(edges, *o);
            if (const auto b = BoundingBox(o->ref)) {
                if (box)
                    box->Add(*b);
                else
                    box = b;
            }
        }
    } catch (const Standard_Failure&) {
        throw HostError(E_FAIL_, "the region's curves cannot be read");
    }
    if (edges.IsEmpty() || !box) return 0;
    const double margin = 1.0 + 0.1 * std::max(box->xmax - box->xmin, box->ymax - box->ymin);
    const Box2D outer{box->xmin - margin, box->ymin - margin, box->xmax + margin, box->ymax + margin};
    std::vector<Object2D> contours;
    try {
        const TopoDS_Face sheet = BRepBuilderAPI_MakeFace(gp_Pln(gp_Pnt(0, 0, 0), gp_Dir(0, 0, 1)), outer.xmin,
                                                          outer.xmax, outer.ymin, outer.ymax)
                                      .Face();
        TopTools_ListOfShape arguments;
        arguments.Append(sheet);
        BRepAlgoAPI_Splitter splitter;
        splitter.SetArguments(arguments);
        splitter.SetTools(edges);
        splitter.Build();
        if (!splitter.IsDone()) throw HostError(E_FAIL_, "the region's curves cannot be split");
        TopoDS_Face region;
        for (TopExp_Explorer e(splitter.Shape(), TopAbs_FACE); e.More() && region.IsNull(); e.Next()) {
            const TopoDS_Face& f = TopoDS::Face(e.Current());
            BRepClass_FaceClassifier inside(f, gp_Pnt(x, y, 0), Precision::Confusion());
            if (inside.State() == TopAbs_IN) region = f;
        }
        if (region.IsNull()) return 0;
        // A region that reaches the sheet's border is not closed by the curves.
        const double tol = 1e-9 * (1.0 + std::max(std::fabs(outer.xmin), std::fabs(outer.xmax)) +
                                   std::max(std::fabs(outer.ymin), std::fabs(outer.ymax)));
        for (TopExp_Explorer v(region, TopAbs_VERTEX); v.More(); v.Next()) {
            const gp_Pnt p = BRep_Tool::Pnt(TopoDS::Vertex(v.Current()));
            if (std::fabs(p.X() - outer.xmin) < tol || std::fabs(p.X() - outer.xmax) < tol ||
                std::fabs(p.Y() - outer.ymin) < tol || std::fabs(p.Y() - outer.ymax) < tol)
                return 0;
        }
        const bool reversedFace = region.Orientation() == TopAbs_REVERSED;
        const TopoDS_Wire outerWire = BRepTools::OuterWire(region);
        std::vector<TopoDS_Wire> wires{outerWire};
        for (TopExp_Explorer w(region, TopAbs_WIRE); w.More(); w.Next())
            if (!w.Current().IsSame(outerWire)) wires.push_back(TopoDS::Wire(w.Current()));
        for (const TopoDS_Wire& wire : wires) {
            Object2D contour;
            contour.type = kObj2DContour;
            for (BRepTools_WireExplorer e(wire, region); e.More(); e.Next()) {
                const TopoDS_Edge& edge = e.Current();
                const TopAbs_Orientation o = edge.Orientation();
                if (o != TopAbs_FORWARD && o != TopAbs_REVERSED) continue;  // a spike into the region
                contour.pieces.push_back(PieceOf(edge, reversedFace));
            }
            if (reversedFace) std::reverse(contour.pieces.begin(), contour.pieces.end());
            if (contour.pieces.empty()) continue;
            // Each contour starts at its lowest-left point (least x, then least
            // y): where it starts does not hang on how the curves were split.
            const auto first = std::min_element(
                contour.pieces.begin(), contour.pieces.end(),
                [](const Curve2D& a, const Curve2D& b) { return a.a.x < b.a.x || (a.a.x == b.a.x && a.a.y < b.a.y); });
            std::rotate(contour.pieces.begin(), first, contour.pieces.end());
            contours.push_back(std::move(contour));
        }
    } catch (const Standard_Failure& e) {
        throw HostError(
            E_FAIL_, std::string("the region boundary failed: ") + (e.GetMessageString() ? e.GetMessageString() : ""));
    }
    if (contours.empty()) return 0;
    std::vector<Ref2D> made;
    for (Object2D& c : contours) made.push_back(Add(std::move(c)));
    return NewGroup(std::move(made));
}

}  // namespace zarvento
