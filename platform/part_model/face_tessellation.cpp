// FaceTessellation: Open CASCADE's incremental mesher on the face, normals
// from the surface at each node's parameters.
#include "platform/face_tessellation.h"

#include <BRepBndLib.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <GeomLib.hxx>
#include <Geom_Surface.hxx>
#include <Poly_Triangulation.hxx>
#include <Precision.hxx>
#include <TopLoc_Location.hxx>
#include <TopoDS.hxx>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/core/host_faults.h"
#include "platform/part_model.h"
#include "platform/part_model/part_model_occt.h"

namespace zarvento {

struct FaceTessellation::Mesh {
    double deflection = 0;
    std::vector<double> points, normals;
    std::vector<std::int32_t> indices;
};

namespace {

// Fine enough to show a fillet round, coarse enough for a chuck of 30,000
// triangles: a thousandth of the face's size, within 0.01 .. 0.2 mm.
double DeflectionFor(const TopoDS_Face& face) {
    Bnd_Box box;
    BRepBndLib::Add(face, box);
    if (box.IsVoid()) return 0.05;
    return std::clamp(0.001 * std::sqrt(box.SquareExtent()), 0.01, 0.2);
}

constexpr double kAngularDeflection = 0.3;  // radians

// The surface's own normal at each node (in the surface's frame, facing as
// the surface does); where the surface has none (a cone's apex, a pole) the
// mean of the node's triangles' normals.
std::vector<gp_Dir> NodeNormals(const TopoDS_Face& face, const Poly_Triangulation& mesh) {
    const int nodes = mesh.NbNodes();
    std::vector<gp_Dir> out(static_cast<std::size_t>(nodes), gp_Dir(0, 0, 1));
    if (mesh.HasNormals()) {
        for (int i = 1; i <= nodes; ++i) out[static_cast<std::size_t>(i - 1)] = mesh.Normal(i);
        return out;
    }
    std::vector<gp_XYZ> sums(static_cast<std::size_t>(nodes), gp_XYZ(0, 0, 0));
    for (int t = 1; t <= mesh.NbTriangles(); ++t) {
        int a = 0, b = 0, c = 0;
        mesh.Triangle(t).Get(a, b, c);
        const gp_XYZ u = mesh.Node(b).XYZ() - mesh.Node(a).XYZ(), v = mesh.Node(c).XYZ() - mesh.Node(a).XYZ();
        const gp_XYZ n = u ^ v;
        if (n.Modulus() < Precision::Confusion()) continue;
        for (int k : {a, b, c}) sums[static_cast<std::size_t>(k - 1)] += n.Normalized();
    }
    const TopoDS_Face unplaced = TopoDS::Face(face.Located(TopLoc_Location()));
    const Handle(Geom_Surface) surface = BRep_Tool::Surface(unplaced);
    for (int i = 1; i <= nodes; ++i) {
        gp_Dir n;
        const auto k = static_cast<std::size_t>(i - 1);
        if (!surface.IsNull() && mesh.HasUVNodes() &&
            GeomLib::NormEstim(surface, mesh.UVNode(i), Precision::Confusion(), n) <= 1)
            out[k] = n;
        else if (sums[k].Modulus() > Precision::Confusion())
            out[k] = gp_Dir(sums[k]);
    }
    return out;
}

Variant Reals(const std::vector<double>& values) {
    std::vector<Variant> items;
    items.reserve(values.size());
    for (double v : values) items.push_back(Variant::R8(v));
    return Variant::Array(std::move(items), VarType::R8);
}

}  // namespace

std::shared_ptr<FaceTessellation> FaceTessellation::Of(const HostFace& face) {
    HostFaults::Check("HostFace.Tessellation");
    const TopoDS_Face& shape = face.Get().face;
    if (shape.IsNull()) return nullptr;
    TopLoc_Location location;
    Handle(Poly_Triangulation) triangulation = BRep_Tool::Triangulation(shape, location);
    auto mesh = std::make_shared<Mesh>();
    mesh->deflection = DeflectionFor(shape);
    if (triangulation.IsNull()) {
        BRepMesh_IncrementalMesh mesher(shape, mesh->deflection, Standard_False, kAngularDeflection);
        triangulation = BRep_Tool::Triangulation(shape, location);
    } else {
        mesh->deflection = triangulation->Deflection();
    }
    if (triangulation.IsNull()) return std::make_shared<FaceTessellation>(mesh);
    const std::vector<gp_Dir> nodeNormals = NodeNormals(shape, *triangulation);
    const gp_Trsf transform = location.Transformation();
    const bool reversed = shape.Orientation() == TopAbs_REVERSED;
    for (int i = 1; i <= triangulation->NbNodes(); ++i) {
        const gp_Pnt p = triangulation->Node(i).Transformed(transform);
        gp_Dir n = nodeNormals[static_cast<std::size_t>(i - 1)].Transformed(transform);
        if (reversed) n.Reverse();
        mesh->points.insert(mesh->points.end(), {p.X(), p.Y(), p.Z()});
        mesh->normals.insert(mesh->normals.end(), {n.X(), n.Y(), n.Z()});
    }
    for (int t = 1; t <= triangulation->NbTriangles(); ++t) {
        int a = 0, b = 0, c = 0;
        triangulation->Triangle(t).Get(a, b, c);
        if (reversed) std::swap(b, c);
        mesh->indices.insert(mesh->indices.end(), {a - 1, b - 1, c - 1});
    }
    return std::make_shared<FaceTessellation>(mesh);
}

double FaceTessellation::Value() const { return mesh_->deflection; }

void FaceTessellation::PointsAndIndices(Variant& points, Variant& indices) const {
    HostFaults::Check("FaceTessellation.PointsAndIndices");
    points = Reals(mesh_->points);
    std::vector<Variant> items;
    items.reserve(mesh_->indices.size());
    for (std::int32_t i : mesh_->indices) items.push_back(Variant::I4(i));
    indices = Variant::Array(std::move(items), VarType::I4);
}

void FaceTessellation::Normals(Variant& normals) const {
    HostFaults::Check("FaceTessellation.Normals");
    normals = Reals(mesh_->normals);
}

}  // namespace zarvento
