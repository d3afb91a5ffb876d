// The modelling module's table: each entry answers the host's function of
// that name with the module's own definition of it.
#include "platform/part_model/part_model_calls.h"
#include "platform/step_reader_program.h"

namespace zarvento {

namespace {

const PartModelCalls kCalls{
    [](const HostFace& face) { return face.Kind(); },
    [](const HostFace& face, SurfaceKind kind) { return face.IsKind(kind); },
    [](const HostFace& face, Point3& origin, Point3& axisPoint) { return face.Placement(origin, axisPoint); },
    [](const HostFace& face, Point3& centre) { return face.Centre(centre); },
    [](const HostFace& face, const Point3& origin, const Point3& direction) {
        return face.TurnsAbout(origin, direction);
    },
    [](const HostFace& face, const Point3& p, double& u, double& v) { return face.Project(p, u, v); },
    [](const HostFace& face, double u, double v) { return face.PointAt(u, v); },
    [](const HostFace& face, Point3& min, Point3& max) { face.Box(min, max); },
    [](const HostFace& face) { return face.Area(); },

    [](const HostEdge& edge, Point3& first, Point3& last) { edge.Vertices(first, last); },
    [](const HostEdge& edge) { return edge.Curve(); },
    [](const HostEdge& edge, Point3& min, Point3& max) { return edge.Box(min, max); },

    [](const HostCurve& curve) { return curve.Kind(); },
    [](const HostCurve& curve, double& tmin, double& tmax) { curve.Range(tmin, tmax); },
    [](const HostCurve& curve, double t) { return curve.PointAt(t); },
    [](const HostCurve& curve, const Point3& p) { return curve.Project(p); },
    [](const HostCurve& curve, Point3& centre, double& radius) { return curve.Arc(centre, radius); },
    [](const HostCurve& curve, double accuracy) { return curve.Polyline(accuracy); },

    FrameOnFaceAxis,
    [](HostOutline& outline) { outline.Rebuild(); },
    SetPartBody,
    ImportStep,
    OpenStepDocument,

    [](const PartShape& shape) { return shape.FaceCount(); },
    [](const PartShape& shape) { return shape.SolidCount(); },
    [](const PartShape& shape) { return shape.Volume(); },
    PartShape::Revolve,
    PartShape::Extrude,
    PartShape::Box,
    PartShape::Cylinder,
    [](const PartShape& shape, const PartShape& tool) { return shape.Cut(tool); },
    [](const PartShape& shape, const PartShape& other) { return shape.Fuse(other); },
    [](const PartShape& shape, const Point3& offset) { return shape.Translated(offset); },
    [](const PartShape& shape, const Point3& origin, const Point3& direction, double degrees) {
        return shape.Rotated(origin, direction, degrees);
    },
    [](const PartShape& shape) { return shape.Skin(); },
    [](const PartShape& shape, const std::string& path, const std::string& name,
       const std::vector<std::pair<int, std::uint32_t>>& faceColours) { shape.WriteStep(path, name, faceColours); },
    PartShape::WriteStepAssembly,
    [](const PartShape& shape) { return shape.Encode(); },

    FaceTessellation::Of,
    [](const FaceTessellation& mesh) { return mesh.Value(); },
    [](const FaceTessellation& mesh, Variant& points, Variant& indices) { mesh.PointsAndIndices(points, indices); },
    [](const FaceTessellation& mesh, Variant& normals) { mesh.Normals(normals); },
    ProjectBodyOutline,
    [](Document2D& doc, Ref2D group, double x, double y) { return doc.RegionBoundary(group, x, y); },
    StepReaderProgram,
};

}  // namespace

}  // namespace zarvento

extern "C" __attribute__((visibility("default"))) const zarvento::PartModelCalls* ZarventoPartModelCalls() {
    return &zarvento::kCalls;
}
