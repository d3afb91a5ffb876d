// The modelling module: every call of the part model that needs the exact
// body (Open CASCADE's modelling, meshing and data exchange) is answered by
// a module of the host of its own ("librdzPartModel.so", beside the host
// module), loaded when such a call is first made. A run that only reads a
// document and what is kept with it (the main job on an unchanged document)
// so neither loads nor relocates the modelling libraries.
//
// The host's functions of these names call through the table; the module's
// own definitions of the same functions are local to it and answer them.
// Only the host's and the module's own sources include this.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/variant.h"
#include "platform/drawings/document_2d.h"
#include "platform/drawings/local_coordinate_system.h"
#include "platform/face_tessellation.h"
#include "platform/model_view.h"
#include "platform/part_model.h"
#include "platform/part_shape.h"

namespace zarvento {

// The module's answers, one for each of the host's functions of that name.
struct PartModelCalls {
    SurfaceKind (*faceKind)(const HostFace& face);
    bool (*faceIsKind)(const HostFace& face, SurfaceKind kind);
    bool (*facePlacement)(const HostFace& face, Point3& origin, Point3& axisPoint);
    bool (*faceCentre)(const HostFace& face, Point3& centre);
    bool (*faceTurnsAbout)(const HostFace& face, const Point3& origin, const Point3& direction);
    bool (*faceProject)(const HostFace& face, const Point3& p, double& u, double& v);
    Point3 (*facePointAt)(const HostFace& face, double u, double v);
    void (*faceBox)(const HostFace& face, Point3& min, Point3& max);
    double (*faceArea)(const HostFace& face);

    void (*edgeVertices)(const HostEdge& edge, Point3& first, Point3& last);
    std::shared_ptr<HostCurve> (*edgeCurve)(const HostEdge& edge);
    bool (*edgeBox)(const HostEdge& edge, Point3& min, Point3& max);

    CurveKind (*curveKind)(const HostCurve& curve);
    void (*curveRange)(const HostCurve& curve, double& tmin, double& tmax);
    Point3 (*curvePointAt)(const HostCurve& curve, double t);
    double (*curveProject)(const HostCurve& curve, const Point3& p);
    bool (*curveArc)(const HostCurve& curve, Point3& centre, double& radius);
    std::vector<double> (*curvePolyline)(const HostCurve& curve, double accuracy);

    LocalCoordinateSystem::Frame (*frameOnFaceAxis)(const HostPart& part, const HostFace& face, bool reversed);
    void (*outlineRebuild)(HostOutline& outline);
    void (*setPartBody)(HostPart& part, const PartShape& body);
    void (*importStep)(const HostDocumentPtr& doc, const std::string& path, const std::string& body);
    HostDocumentPtr (*openStepDocument)(const std::string& path);

    int (*shapeFaceCount)(const PartShape& shape);
    int (*shapeSolidCount)(const PartShape& shape);
    double (*shapeVolume)(const PartShape& shape);
    PartShape (*revolve)(const std::vector<MeridianPiece>& profile, const RevolutionAxis& axis);
    PartShape (*extrude)(const std::vector<MeridianPiece>& profile, double z1, double z2);
    PartShape (*box)(const Point3& min, const Point3& max);
    PartShape (*cylinder)(const Point3& base, const Point3& direction, double radius, double height);
    PartShape (*cut)(const PartShape& shape, const PartShape& tool);
    PartShape (*fuse)(const PartShape& shape, const PartShape& other);
    PartShape (*translated)(const PartShape& shape, const Point3& offset);
    PartShape (*rotated)(const PartShape& shape, const Point3& origin, const Point3& direction, double degrees);
    PartShape (*skin)(const PartShape& shape);
    void (*writeStep)(const PartShape& shape, const std::string& path, const std::string& name,
                      const std::vector<std::pair<int, std::uint32_t>>& faceColours);
    void (*writeStepAssembly)(const std::string& path, const std::string& name,
                              const std::vector<PartShape::Component>& components);
    std::string (*encode)(const PartShape& shape);

    std::shared_ptr<FaceTessellation> (*tessellationOf)(const HostFace& face);
    double (*tessellationValue)(const FaceTessellation& mesh);
    void (*tessellationPointsAndIndices)(const FaceTessellation& mesh, Variant& points, Variant& indices);
    void (*tessellationNormals)(const FaceTessellation& mesh, Variant& normals);
    std::vector<OutlineChain> (*projectBodyOutline)(const PartShape& body, ModelViewOrientation view,
                                                    double deflection);
    Ref2D (*regionBoundary)(Document2D& doc, Ref2D group, double x, double y);
    int (*stepReaderProgram)(int argc, char** argv);
};

// The function the module exports under this name answers its table.
inline constexpr const char* kPartModelCallsEntry = "ZarventoPartModelCalls";
using PartModelCallsEntry = const PartModelCalls* (*)();

// The module's file name, beside the host module.
inline constexpr const char* kPartModelModuleFile = "librdzPartModel.so";

// The table, its module loaded on the first call and kept for the life of the
// process (the libraries it brings keep tables of their own until the end);
// HostError(E_FAIL) naming the module and the reason when it cannot be loaded.
const PartModelCalls& LoadPartModelCalls();

// Loads the module of that file name beside the host module for the life of
// the process and answers the address of its export `entry`; null with the
// reason in `error` when the module cannot be loaded or has no such export
// (`what` names what it should hold).
void* LoadBesideHostModule(const char* fileName, const char* entry, const char* what, std::string& error);

// The folder the host module was loaded from, where its modules and the STEP
// reader program lie.
std::optional<std::filesystem::path> HostModuleFolder();

}  // namespace zarvento
