// Inside the modelling module: the Open CASCADE objects behind PartShape,
// faces, edges and curves. Only the modules' own sources include this.
#pragma once

#include <BRepAdaptor_Curve.hxx>
#include <BRepAdaptor_Surface.hxx>
#include <Bnd_Box.hxx>
#include <Geom2d_Curve.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Ax1.hxx>
#include <gp_Circ.hxx>
#include <gp_Lin.hxx>
#include <gp_Lin2d.hxx>
#include <gp_Pnt.hxx>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/core/host_call_time.h"
#include "platform/part_model.h"
#include "platform/part_model/stored_body.h"
#include "platform/part_shape.h"

namespace zarvento {

struct HostFace::Geometry {
    explicit Geometry(const TopoDS_Face& f);
    TopoDS_Face face;
    BRepAdaptor_Surface surface;
    Bnd_Box box;
    double umin = 0, umax = 0, vmin = 0, vmax = 0;
    // Whether the face's boundary is the rectangle of its bounds; found when first needed.
    mutable std::optional<bool> rectangle;
};

struct HostEdge::Geometry {
    explicit Geometry(const TopoDS_Edge& e) : edge(e) {}
    TopoDS_Edge edge;
};

// A curve is read through an adaptor, or, for a line or a circle of an edge
// in place (without a location), straight from its carrier: the answers are
// the adaptor's to the last bit (it evaluates the same carrier and moves the
// result by nothing), and the section of a dense part so makes no adaptor
// for each of its meridians. The adaptor of such a curve is made only when a
// general answer (a polyline) asks for it.
struct HostCurve::Geometry {
    // Through an adaptor, whatever the curve.
    explicit Geometry(const TopoDS_Edge& e);
    // Straight from the carrier when the edge allows it, else as above.
    static Geometry Direct(const TopoDS_Edge& e);

    GeomAbs_CurveType Type() const;
    double First() const { return IsDirect() ? first : adaptor->FirstParameter(); }
    double Last() const { return IsDirect() ? last : adaptor->LastParameter(); }
    gp_Pnt Value(double t) const;
    gp_Lin Line() const;
    gp_Circ Circle() const;
    // The curve's length, as the general measure of a curve gives it.
    double Length() const;
    const BRepAdaptor_Curve& Adaptor() const;

    TopoDS_Edge edge;

private:
    Geometry() = default;
    bool IsDirect() const { return carrier.index() != 0; }
    // The line or circle read from the carrier; none when the adaptor answers.
    std::variant<std::monostate, gp_Lin, gp_Circ> carrier;
    double first = 0, last = 0;
    mutable std::unique_ptr<BRepAdaptor_Curve> adaptor;
};

inline gp_Pnt ToPnt(const Point3& p) { return gp_Pnt(p[0], p[1], p[2]); }
inline Point3 ToPoint3(const gp_Pnt& p) { return {p.X(), p.Y(), p.Z()}; }

PartShape MakePartShape(const TopoDS_Shape& shape);

// The line a curve in a face's parameters is, seen through its trimming as an
// adaptor would see it; none for any other curve.
std::optional<gp_Lin2d> LineInParameters(Handle(Geom2d_Curve) curve);

// Hands each edge of the shape to `visit` in the order, orientation and
// placement in which an explorer of its edges finds them (depth first through
// its sub-shapes), until `visit` says stop (false); false when stopped. It
// spares the explorer's stack, allocated anew for each face walked.
template <class Visit>
bool ForEachEdge(const TopoDS_Shape& shape, Visit&& visit) {
    for (TopoDS_Iterator it(shape); it.More(); it.Next()) {
        const TopoDS_Shape& sub = it.Value();
        if (sub.ShapeType() == TopAbs_EDGE) {
            if (!visit(TopoDS::Edge(sub))) return false;
        } else if (sub.ShapeType() < TopAbs_EDGE && !ForEachEdge(sub, visit)) {
            return false;
        }
    }
    return true;
}

// Hands each edge of the face but the degenerated to `visit`, with its curve in
// the face's parameters when that is a line (else null), until `visit` says
// stop (false). A walk over every edge settles the face's `rectangle` too.
using EdgeLineVisit = std::function<bool(const TopoDS_Edge& edge, const gp_Lin2d* line)>;
void VisitEdgeLines(const HostFace::Geometry& face, const EdgeLineVisit& visit);

// Whether the face's surface is turned about the axis: a plane square to it, a
// surface of revolution with the axis as its own, a sphere centred on it, or a
// spline surface whose normals (at a grid of its points) all meet the axis.
bool FaceTurnsAbout(const HostFace::Geometry& face, const gp_Ax1& axis);

// Keeps the modelling library's traces off the standard output, which belongs
// to the program's own report.
void QuietModelling();

// The geometry of every face (edge) of a body's map of faces (edges), made in
// one block, which the faces (edges) then share: element i - 1 belongs to the
// shape numbered i. A body of many faces so costs one allocation, not one a
// face, and goes in one piece when its last face or edge does.
std::shared_ptr<const std::vector<HostFace::Geometry>> MakeFaceGeometries(const TopTools_IndexedMapOfShape& faces);
std::shared_ptr<const std::vector<HostEdge::Geometry>> MakeEdgeGeometries(const TopTools_IndexedMapOfShape& edges);
// One element of such a block, keeping the whole block alive.
template <class Geometry>
std::shared_ptr<const Geometry> GeometryAt(const std::shared_ptr<const std::vector<Geometry>>& block, std::size_t i) {
    return std::shared_ptr<const Geometry>(block, &(*block)[i]);
}

// The faces and edges of a body in the host's order (the order of the body's
// maps of faces and edges, which reading the body back keeps).
std::vector<std::shared_ptr<HostFace>> MakeFaces(const TopoDS_Shape& body);
std::vector<std::shared_ptr<HostEdge>> MakeEdges(const TopoDS_Shape& body);

}  // namespace zarvento
