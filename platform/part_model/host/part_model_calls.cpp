// The host's side of the modelling module: finding and loading it, and the
// host's functions that need the exact body, each answered by the module.
#include <dlfcn.h>

#include <memory>
#include <mutex>
#include <vector>

#include "platform/core/host_error.h"
#include "platform/part_model/part_model_calls.h"
#include "platform/part_model/stored_body.h"
#include "platform/processes/loaded_module.h"
#include "platform/step_reader_program.h"

namespace zarvento {

namespace {

// The table, or the reason it could not be had.
struct LoadedCalls {
    const PartModelCalls* calls = nullptr;
    std::string error;
};

LoadedCalls Load() {
    std::string error;
    const auto entry = reinterpret_cast<PartModelCallsEntry>(
        LoadBesideHostModule(kPartModelModuleFile, kPartModelCallsEntry, "modelling calls", error));
    const PartModelCalls* calls = entry ? entry() : nullptr;
    if (!calls && error.empty()) error = std::string(kPartModelModuleFile) + " answers no modelling calls";
    return {calls, error};
}

}  // namespace

void* LoadBesideHostModule(const char* fileName, const char* entry, const char* what, std::string& error) {
    // The module lies beside the host module, wherever that was loaded from.
    const std::optional<std::filesystem::path> folder = HostModuleFolder();
    if (!folder) {
        error = "the host module's folder is unknown";
        return nullptr;
    }
    const std::filesystem::path file = *folder / fileName;
    std::unique_ptr<LoadedModule> module = LoadedModule::Load(file, &error);
    if (!module) return nullptr;
    void* symbol = module->Symbol(entry);
    // Never unloaded: Open CASCADE's libraries keep tables until the process
    // ends. The list is never destroyed, so its modules are not closed at exit.
    static std::mutex keeping;
    static auto* const kept = new std::vector<std::unique_ptr<LoadedModule>>();
    const std::lock_guard<std::mutex> lock(keeping);
    kept->push_back(std::move(module));
    if (!symbol) error = file.string() + " holds no " + what;
    return symbol;
}

std::optional<std::filesystem::path> HostModuleFolder() {
    Dl_info self{};
    if (::dladdr(reinterpret_cast<const void*>(&LoadPartModelCalls), &self) == 0 || !self.dli_fname)
        return std::nullopt;
    return std::filesystem::path(self.dli_fname).parent_path();
}

const PartModelCalls& LoadPartModelCalls() {
    static const LoadedCalls loaded = Load();
    if (!loaded.calls) throw HostError(E_FAIL_, "the modelling module cannot be loaded: " + loaded.error);
    return *loaded.calls;
}

// What is kept of a body is answered without the module.
double PartShape::Volume() const {
    if (IsNull()) return 0;
    if (impl_->volume) return *impl_->volume;
    return LoadPartModelCalls().shapeVolume(*this);
}

std::string PartShape::Encode() const {
    if (IsNull()) return {};
    if (impl_->stored) return *impl_->stored;
    return LoadPartModelCalls().encode(*this);
}

SurfaceKind HostFace::Kind() const { return LoadPartModelCalls().faceKind(*this); }
bool HostFace::IsKind(SurfaceKind kind) const { return LoadPartModelCalls().faceIsKind(*this, kind); }
bool HostFace::Placement(Point3& origin, Point3& axisPoint) const {
    return LoadPartModelCalls().facePlacement(*this, origin, axisPoint);
}
bool HostFace::Centre(Point3& centre) const { return LoadPartModelCalls().faceCentre(*this, centre); }
bool HostFace::TurnsAbout(const Point3& origin, const Point3& direction) const {
    return LoadPartModelCalls().faceTurnsAbout(*this, origin, direction);
}
bool HostFace::Project(const Point3& p, double& u, double& v) const {
    return LoadPartModelCalls().faceProject(*this, p, u, v);
}
Point3 HostFace::PointAt(double u, double v) const { return LoadPartModelCalls().facePointAt(*this, u, v); }
void HostFace::Box(Point3& min, Point3& max) const { LoadPartModelCalls().faceBox(*this, min, max); }
double HostFace::Area() const { return LoadPartModelCalls().faceArea(*this); }
void HostEdge::Vertices(Point3& first, Point3& last) const { LoadPartModelCalls().edgeVertices(*this, first, last); }
std::shared_ptr<HostCurve> HostEdge::Curve() const { return LoadPartModelCalls().edgeCurve(*this); }
bool HostEdge::Box(Point3& min, Point3& max) const { return LoadPartModelCalls().edgeBox(*this, min, max); }
CurveKind HostCurve::Kind() const { return LoadPartModelCalls().curveKind(*this); }
void HostCurve::Range(double& tmin, double& tmax) const { LoadPartModelCalls().curveRange(*this, tmin, tmax); }
Point3 HostCurve::PointAt(double t) const { return LoadPartModelCalls().curvePointAt(*this, t); }
double HostCurve::Project(const Point3& p) const { return LoadPartModelCalls().curveProject(*this, p); }
bool HostCurve::Arc(Point3& centre, double& radius) const {
    return LoadPartModelCalls().curveArc(*this, centre, radius);
}
std::vector<double> HostCurve::Polyline(double accuracy) const {
    return LoadPartModelCalls().curvePolyline(*this, accuracy);
}
LocalCoordinateSystem::Frame FrameOnFaceAxis(const HostPart& part, const HostFace& face, bool reversed) {
    return LoadPartModelCalls().frameOnFaceAxis(part, face, reversed);
}
void HostOutline::Rebuild() { LoadPartModelCalls().outlineRebuild(*this); }
void SetPartBody(HostPart& part, const PartShape& body) { LoadPartModelCalls().setPartBody(part, body); }
void ImportStep(const HostDocumentPtr& doc, const std::string& path, const std::string& body) {
    LoadPartModelCalls().importStep(doc, path, body);
}
HostDocumentPtr OpenStepDocument(const std::string& path) { return LoadPartModelCalls().openStepDocument(path); }
int PartShape::FaceCount() const { return LoadPartModelCalls().shapeFaceCount(*this); }
int PartShape::SolidCount() const { return LoadPartModelCalls().shapeSolidCount(*this); }
PartShape PartShape::Revolve(const std::vector<MeridianPiece>& profile, const RevolutionAxis& axis) {
    return LoadPartModelCalls().revolve(profile, axis);
}
PartShape PartShape::Extrude(const std::vector<MeridianPiece>& profile, double z1, double z2) {
    return LoadPartModelCalls().extrude(profile, z1, z2);
}
PartShape PartShape::Box(const Point3& min, const Point3& max) { return LoadPartModelCalls().box(min, max); }
PartShape PartShape::Cylinder(const Point3& base, const Point3& direction, double radius, double height) {
    return LoadPartModelCalls().cylinder(base, direction, radius, height);
}
PartShape PartShape::Cut(const PartShape& tool) const { return LoadPartModelCalls().cut(*this, tool); }
PartShape PartShape::Fuse(const PartShape& other) const { return LoadPartModelCalls().fuse(*this, other); }
PartShape PartShape::Translated(const Point3& offset) const { return LoadPartModelCalls().translated(*this, offset); }
PartShape PartShape::Rotated(const Point3& origin, const Point3& direction, double degrees) const {
    return LoadPartModelCalls().rotated(*this, origin, direction, degrees);
}
PartShape PartShape::Skin() const { return LoadPartModelCalls().skin(*this); }
void PartShape::WriteStep(const std::string& path, const std::string& name,
                          const std::vector<std::pair<int, std::uint32_t>>& faceColours) const {
    LoadPartModelCalls().writeStep(*this, path, name, faceColours);
}
void PartShape::WriteStepAssembly(const std::string& path, const std::string& name,
                                  const std::vector<Component>& components) {
    LoadPartModelCalls().writeStepAssembly(path, name, components);
}
std::shared_ptr<FaceTessellation> FaceTessellation::Of(const HostFace& face) {
    return LoadPartModelCalls().tessellationOf(face);
}
double FaceTessellation::Value() const { return LoadPartModelCalls().tessellationValue(*this); }
void FaceTessellation::PointsAndIndices(Variant& points, Variant& indices) const {
    LoadPartModelCalls().tessellationPointsAndIndices(*this, points, indices);
}
void FaceTessellation::Normals(Variant& normals) const { LoadPartModelCalls().tessellationNormals(*this, normals); }
std::vector<OutlineChain> ProjectBodyOutline(const PartShape& body, ModelViewOrientation view, double deflection) {
    return LoadPartModelCalls().projectBodyOutline(body, view, deflection);
}
Ref2D Document2D::RegionBoundary(Ref2D group, double x, double y) {
    return LoadPartModelCalls().regionBoundary(*this, group, x, y);
}
int StepReaderProgram(int argc, char** argv) { return LoadPartModelCalls().stepReaderProgram(argc, argv); }

}  // namespace zarvento
