// The projected outline of a body: the union of its projected mesh triangles.
#include <BRepBuilderAPI_Copy.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <BRep_Tool.hxx>
#include <Poly_Triangulation.hxx>
#include <TopExp_Explorer.hxx>
#include <TopLoc_Location.hxx>
#include <TopoDS.hxx>
#include <polyclipping/clipper.hpp>

#include <cmath>

#include "platform/core/host_error.h"
#include "platform/model_view.h"
#include "platform/part_model/part_model_occt.h"

namespace zarvento {

namespace {

// Drawing units to the clipper's integers: a nanometre each.
constexpr double kScale = 1e6;
// The body's outline is kept to a few metres either way.
constexpr double kMaxCoordinate = 1e6;
constexpr double kAngularDeflection = 0.5;  // radians: the linear deflection rules

}  // namespace

std::vector<OutlineChain> ProjectBodyOutline(const PartShape& body, ModelViewOrientation view, double deflection) {
    if (body.IsNull() || !body.Get()) return {};
    const double mirror = view == ModelViewOrientation::FromAbove ? -1.0 : 1.0;
    ClipperLib::Paths triangles;
    try {
        // Meshed on a copy: the body's own faces keep the tessellation the
        // display made of them.
        BRepBuilderAPI_Copy copy(body.Get()->Shape(), Standard_False, Standard_False);
        const TopoDS_Shape shape = copy.Shape();
        BRepMesh_IncrementalMesh mesher(shape, deflection, Standard_False, kAngularDeflection);
        for (TopExp_Explorer faces(shape, TopAbs_FACE); faces.More(); faces.Next()) {
            const TopoDS_Face& face = TopoDS::Face(faces.Current());
            TopLoc_Location location;
            const Handle(Poly_Triangulation) mesh = BRep_Tool::Triangulation(face, location);
            if (mesh.IsNull()) continue;
            const gp_Trsf transform = location.Transformation();
            for (int t = 1; t <= mesh->NbTriangles(); ++t) {
                int n[3];
                mesh->Triangle(t).Get(n[0], n[1], n[2]);
                ClipperLib::Path path;
                for (int k : n) {
                    const gp_Pnt p = mesh->Node(k).Transformed(transform);
                    if (std::fabs(p.X()) > kMaxCoordinate || std::fabs(p.Z()) > kMaxCoordinate)
                        throw HostError(E_INVALIDARG_, "the body is too large to be drawn in a view");
                    path.emplace_back(std::llround(p.X() * kScale), std::llround(mirror * p.Z() * kScale));
                }
                // Faces seen edge-on cover nothing.
                const double area = ClipperLib::Area(path);
                if (area == 0) continue;
                if (area < 0) std::reverse(path.begin(), path.end());
                triangles.push_back(std::move(path));
            }
        }
    } catch (const Standard_Failure& e) {
        throw HostError(
            E_FAIL_, std::string("projecting the body failed: ") + (e.GetMessageString() ? e.GetMessageString() : ""));
    }
    ClipperLib::Clipper clipper;
    clipper.AddPaths(triangles, ClipperLib::ptSubject, true);
    ClipperLib::Paths united;
    clipper.Execute(ClipperLib::ctUnion, united, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    // The union leaves faces that only touch along an edge apart: grown by a
    // hair and shrunk back, they join.
    constexpr double kHair = 10;  // clipper units
    for (const double delta : {kHair, -kHair}) {
        ClipperLib::ClipperOffset offset(1000.0);
        offset.AddPaths(united, ClipperLib::jtMiter, ClipperLib::etClosedPolygon);
        united.clear();
        offset.Execute(united, delta);
    }
    ClipperLib::CleanPolygons(united, 2.0);
    std::vector<OutlineChain> chains;
    for (const ClipperLib::Path& path : united) {
        if (path.size() < 3 || !ClipperLib::Orientation(path)) continue;
        OutlineChain chain;
        chain.reserve(path.size());
        for (const ClipperLib::IntPoint& p : path)
            chain.push_back({static_cast<double>(p.X) / kScale, static_cast<double>(p.Y) / kScale});
        chains.push_back(std::move(chain));
    }
    return chains;
}

}  // namespace zarvento
