// Scene: the view's body and drawables as plain triangles and polylines.
#include "platform/view/scene.h"

#include <algorithm>
#include <string>

#include "platform/core/host_error.h"
#include "platform/documents/host_document.h"
#include "platform/drawings/host_drawable.h"
#include "platform/drawings/host_drawing_container.h"
#include "platform/face_tessellation.h"
#include "platform/part_model.h"

namespace zarvento {

void SceneBox::Add(const ScenePoint& p) {
    for (int k = 0; k < 3; ++k) {
        min[k] = std::min(min[k], p[k]);
        max[k] = std::max(max[k], p[k]);
    }
}

int Scene::TriangleCount() const {
    std::size_t n = 0;
    for (const SceneMesh& m : meshes) n += m.corners.size() / 3;
    return static_cast<int>(n);
}

SceneBox Scene::Box() const {
    SceneBox box;
    for (const SceneMesh& m : meshes)
        for (const ScenePoint& p : m.corners) box.Add(p);
    for (const SceneLines& l : lines)
        for (const auto& run : l.runs)
            for (const ScenePoint& p : run) box.Add(p);
    return box;
}

namespace {

ScenePoint PointAt(const std::vector<double>& xyz, std::int32_t i) {
    const auto k = static_cast<std::size_t>(i) * 3;
    return {xyz[k], xyz[k + 1], xyz[k + 2]};
}

void AddDrawable(const HostDrawable& d, Scene& scene) {
    const std::string name = "drawable " + std::to_string(d.Number());
    if (d.Shape() == DrawableShape::Mesh && d.CornerCount() > 0) {
        SceneMesh mesh;
        mesh.name = name;
        mesh.colour = d.Colour();
        mesh.opacity = std::clamp(d.Opacity(), 0.0, 1.0);
        mesh.corners.reserve(static_cast<std::size_t>(d.CornerCount()));
        mesh.normals.reserve(static_cast<std::size_t>(d.CornerCount()));
        for (int k = 0; k < d.CornerCount(); ++k) {
            mesh.corners.push_back(PointAt(d.Vertices(), d.CornerVertex(k)));
            const std::int32_t n = d.CornerNormal(k);
            mesh.normals.push_back(n < 0 ? ScenePoint{0, 0, 0} : PointAt(d.Normals(), n));
        }
        scene.meshes.push_back(std::move(mesh));
    } else if (d.Shape() == DrawableShape::Polyline && !d.Polylines().empty()) {
        SceneLines lines;
        lines.name = name;
        lines.colour = d.Colour();
        lines.width = std::max(1, d.LineWidth());
        for (const auto& run : d.Polylines()) {
            std::vector<ScenePoint> points;
            points.reserve(run.size());
            for (std::int32_t i : run) points.push_back(PointAt(d.Vertices(), i));
            if (points.size() >= 2) lines.runs.push_back(std::move(points));
        }
        if (!lines.runs.empty()) scene.lines.push_back(std::move(lines));
    }
}

// The document's own bodies, as the host shows them: every face in its
// colour and opacity. Corners that name no point are left out, so that a
// damaged tessellation shows less rather than reading past its points.
void AddBodies(const HostDocument& doc, Scene& scene) {
    for (const HostObjectPtr& object : doc.ObjectsOfType(HostPart::kObjectType)) {
        const auto* part = dynamic_cast<const HostPart*>(object.get());
        if (!part || !part->HasBody()) continue;
        const std::string partName = part->Name().empty() ? std::string("part") : part->Name();
        for (const std::shared_ptr<HostFace>& face : part->Faces()) {
            const std::shared_ptr<FaceTessellation> tessellation = face ? FaceTessellation::Of(*face) : nullptr;
            if (!tessellation) continue;
            Variant points, indices, normals;
            tessellation->PointsAndIndices(points, indices);
            tessellation->Normals(normals);
            const std::vector<Variant>& p = points.AsArray();
            const std::vector<Variant>& n = normals.AsArray();
            const std::vector<Variant>& corners = indices.AsArray();
            SceneMesh mesh;
            mesh.name = partName + " face " + std::to_string(face->Index());
            mesh.colour = face->Colour();
            mesh.opacity = std::clamp(face->Light()[kOpacityLight], 0.0, 1.0);
            mesh.corners.reserve(corners.size());
            mesh.normals.reserve(corners.size());
            for (std::size_t t = 0; t + 2 < corners.size(); t += 3) {
                bool fits = true;
                for (std::size_t c = t; c < t + 3; ++c) {
                    const std::int32_t i = corners[c].AsI4();
                    fits = fits && i >= 0 && static_cast<std::size_t>(i) * 3 + 2 < std::min(p.size(), n.size());
                }
                if (!fits) continue;
                for (std::size_t c = t; c < t + 3; ++c) {
                    const auto k = static_cast<std::size_t>(corners[c].AsI4()) * 3;
                    mesh.corners.push_back({p[k].AsR8(), p[k + 1].AsR8(), p[k + 2].AsR8()});
                    mesh.normals.push_back({n[k].AsR8(), n[k + 1].AsR8(), n[k + 2].AsR8()});
                }
            }
            if (!mesh.corners.empty()) scene.meshes.push_back(std::move(mesh));
        }
    }
}

}  // namespace

Scene CollectScene(const HostDocument& doc, std::int64_t viewKey) {
    if (doc.Closed()) throw HostError(E_POINTER_, "the document is closed");
    Scene scene;
    AddBodies(doc, scene);
    if (const HostDrawingContainer* drawings = doc.DrawingsOrNull())
        for (const auto& d : drawings->Live())
            if (d->Enabled() && d->VisibleIn(viewKey) && d->Opacity() > 0.0) AddDrawable(*d, scene);
    return scene;
}

}  // namespace zarvento
