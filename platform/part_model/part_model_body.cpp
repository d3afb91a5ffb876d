// The part model's bodies inside the modelling module: the geometry behind
// faces, edges and curves, and the faces and edges a body gives its part.
#include <BRepBndLib.hxx>
#include <BRepTools.hxx>
#include <BRep_Tool.hxx>
#include <BndLib_AddSurface.hxx>
#include <ElCLib.hxx>
#include <GCPnts_AbscissaPoint.hxx>
#include <Geom_Circle.hxx>
#include <Geom_Line.hxx>
#include <Geom_TrimmedCurve.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>

#include "platform/core/host_call_time.h"
#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/part_model/part_model_occt.h"

namespace zarvento {

HostFace::Geometry::Geometry(const TopoDS_Face& f) : face(f), surface(f) {
    TopLoc_Location location;
    if (BRep_Tool::Surface(face, location).IsNull()) {
        BRepBndLib::Add(face, box);
        BRepTools::UVBounds(face, umin, umax, vmin, vmax);
        return;
    }
    // The surface is loaded within the face's parameter bounds, and a curved
    // face without a mesh is boxed from that surface, as the general calls
    // would do after loading it twice more; a plane is boxed by its edges and
    // a meshed face by its mesh, by the general call.
    umin = surface.FirstUParameter();
    umax = surface.LastUParameter();
    vmin = surface.FirstVParameter();
    vmax = surface.LastVParameter();
    if (surface.GetType() != GeomAbs_Plane && BRep_Tool::Triangulation(face, location).IsNull())
        BndLib_AddSurface::Add(surface, BRep_Tool::Tolerance(face), box);
    else
        BRepBndLib::Add(face, box);
}

HostCurve::Geometry::Geometry(const TopoDS_Edge& e) : edge(e), adaptor(std::make_unique<BRepAdaptor_Curve>(e)) {}

HostCurve::Geometry HostCurve::Geometry::Direct(const TopoDS_Edge& e) {
    // The edge's curve as the adaptor loads it: its carrier through every
    // trimming, over the edge's range, which may not run backwards.
    TopLoc_Location location;
    double t0 = 0, t1 = 0;
    Handle(Geom_Curve) curve = BRep_Tool::Curve(e, location, t0, t1);
    if (curve.IsNull() || !location.IsIdentity() || !(t0 <= t1)) return Geometry(e);
    while (curve->DynamicType() == STANDARD_TYPE(Geom_TrimmedCurve))
        curve = static_cast<const Geom_TrimmedCurve&>(*curve).BasisCurve();
    Geometry g;
    if (curve->DynamicType() == STANDARD_TYPE(Geom_Line))
        g.carrier = static_cast<const Geom_Line&>(*curve).Lin();
    else if (curve->DynamicType() == STANDARD_TYPE(Geom_Circle))
        g.carrier = static_cast<const Geom_Circle&>(*curve).Circ();
    else
        return Geometry(e);
    g.edge = e;
    g.first = t0;
    g.last = t1;
    return g;
}

GeomAbs_CurveType HostCurve::Geometry::Type() const {
    switch (carrier.index()) {
        case 1: return GeomAbs_Line;
        case 2: return GeomAbs_Circle;
        default: return adaptor->GetType();
    }
}

// The carrier's own evaluation, which the adaptor moves by the edge's
// location: by nothing here.
gp_Pnt HostCurve::Geometry::Value(double t) const {
    if (const auto* line = std::get_if<gp_Lin>(&carrier)) return ElCLib::LineValue(t, line->Position());
    if (const auto* circle = std::get_if<gp_Circ>(&carrier))
        return ElCLib::CircleValue(t, circle->Position(), circle->Radius());
    return adaptor->Value(t);
}

// The adaptor moves the carrier's line and circle by the location even when
// it is none; so do these, for a circle's frame is rebuilt in the move.
gp_Lin HostCurve::Geometry::Line() const {
    if (const auto* line = std::get_if<gp_Lin>(&carrier)) return line->Transformed(gp_Trsf());
    return adaptor->Line();
}

gp_Circ HostCurve::Geometry::Circle() const {
    if (const auto* circle = std::get_if<gp_Circ>(&carrier)) return circle->Transformed(gp_Trsf());
    return adaptor->Circle();
}

// A line's and a circle's lengths are the general measure's closed forms.
double HostCurve::Geometry::Length() const {
    if (std::holds_alternative<gp_Lin>(carrier)) return std::fabs(last - first);
    if (const auto* circle = std::get_if<gp_Circ>(&carrier)) return std::fabs(last - first) * circle->Radius();
    return GCPnts_AbscissaPoint::Length(*adaptor);
}

const BRepAdaptor_Curve& HostCurve::Geometry::Adaptor() const {
    if (!adaptor) adaptor = std::make_unique<BRepAdaptor_Curve>(edge);
    return *adaptor;
}

void StoredBodyParts::Make() const {
    if (faces && edges) return;
    const auto unmatched = [&] {
        return HostError(STG_E_DOCFILECORRUPT_,
                         "the document file is damaged: the faces of part \"" + partName + "\" do not match its body");
    };
    try {
        // The maps start with room for the faces and edges the file lists,
        // not grown (and rehashed) as the body's shapes come.
        TopTools_IndexedMapOfShape faceMap(static_cast<int>(faceCount) + 1), edgeMap(static_cast<int>(edgeCount) + 1);
        const TopoDS_Shape& shape = body.Get()->Shape();
        TopExp::MapShapes(shape, TopAbs_FACE, faceMap);
        TopExp::MapShapes(shape, TopAbs_EDGE, edgeMap);
        if (static_cast<std::size_t>(faceMap.Extent()) != faceCount ||
            static_cast<std::size_t>(edgeMap.Extent()) != edgeCount)
            throw unmatched();
        faces = MakeFaceGeometries(faceMap);
        edges = MakeEdgeGeometries(edgeMap);
    } catch (const Standard_Failure& e) {
        throw HostError(STG_E_DOCFILECORRUPT_, std::string("the document file is damaged: the body of part \"") +
                                                   partName +
                                                   "\": " + (e.GetMessageString() ? e.GetMessageString() : ""));
    }
}

// A face or edge made without geometry and never bound to a body has none to give.
const HostFace::Geometry& HostFace::Bound() const {
    if (!pending_) throw HostError(E_POINTER_, "the face has no geometry");
    pending_->Make();
    geometry_ = GeometryAt(pending_->faces, static_cast<std::size_t>(index_) - 1);
    pending_.reset();
    return *geometry_;
}

const HostEdge::Geometry& HostEdge::Bound() const {
    if (!pending_) throw HostError(E_POINTER_, "the edge has no geometry");
    pending_->Make();
    geometry_ = GeometryAt(pending_->edges, static_cast<std::size_t>(index_) - 1);
    pending_.reset();
    return *geometry_;
}

std::shared_ptr<const std::vector<HostFace::Geometry>> MakeFaceGeometries(const TopTools_IndexedMapOfShape& faces) {
    auto block = std::make_shared<std::vector<HostFace::Geometry>>();
    block->reserve(static_cast<std::size_t>(faces.Extent()));
    for (int i = 1; i <= faces.Extent(); ++i) block->emplace_back(TopoDS::Face(faces(i)));
    return block;
}

std::shared_ptr<const std::vector<HostEdge::Geometry>> MakeEdgeGeometries(const TopTools_IndexedMapOfShape& edges) {
    auto block = std::make_shared<std::vector<HostEdge::Geometry>>();
    block->reserve(static_cast<std::size_t>(edges.Extent()));
    for (int i = 1; i <= edges.Extent(); ++i) block->emplace_back(TopoDS::Edge(edges(i)));
    return block;
}

std::vector<std::shared_ptr<HostFace>> MakeFaces(const TopoDS_Shape& body) {
    TopTools_IndexedMapOfShape map;
    TopExp::MapShapes(body, TopAbs_FACE, map);
    const auto geometries = MakeFaceGeometries(map);
    std::vector<std::shared_ptr<HostFace>> faces;
    faces.reserve(geometries->size());
    for (std::size_t i = 0; i < geometries->size(); ++i)
        faces.push_back(std::make_shared<HostFace>(GeometryAt(geometries, i), static_cast<int>(i) + 1));
    return faces;
}

std::vector<std::shared_ptr<HostEdge>> MakeEdges(const TopoDS_Shape& body) {
    TopTools_IndexedMapOfShape map;
    TopExp::MapShapes(body, TopAbs_EDGE, map);
    const auto geometries = MakeEdgeGeometries(map);
    std::vector<std::shared_ptr<HostEdge>> edges;
    edges.reserve(geometries->size());
    for (std::size_t i = 0; i < geometries->size(); ++i)
        edges.push_back(std::make_shared<HostEdge>(GeometryAt(geometries, i), static_cast<int>(i) + 1));
    return edges;
}

void SetPartBody(HostPart& part, const PartShape& body) {
    HostFaults::Check("HostPart.SetBody");
    HostDocument* doc = part.Document();
    if (!doc) throw HostError(E_POINTER_, "the part belongs to no document");
    HostCallTime::Scope time;
    std::vector<std::shared_ptr<HostFace>> faces;
    std::vector<std::shared_ptr<HostEdge>> edges;
    if (!body.IsNull()) {
        faces = MakeFaces(body.Get()->Shape());
        edges = MakeEdges(body.Get()->Shape());
    }
    // Every host call that may fail has run: the document changes as a whole.
    for (const auto& f : part.Faces()) doc->RemoveEntity(f);
    for (const auto& e : part.Edges()) doc->RemoveEntity(e);
    for (const auto& f : faces) {
        doc->AddEntity(f);
        f->SetPartId(part.PersistentId());
    }
    for (const auto& e : edges) {
        doc->AddEntity(e);
        e->SetPartId(part.PersistentId());
    }
    part.SetBodyParts(body, std::move(faces), std::move(edges));
    part.MarkChanged();
}

}  // namespace zarvento
