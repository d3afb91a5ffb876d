// Scene: the view's body and drawables as plain triangles and polylines.
#include "platform/scene.h"

#include <algorithm>
#include <string>

#include "platform/host_document.h"
#include "platform/host_drawing_container.h"
#include "platform/host_error.h"

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

}  // namespace

Scene CollectScene(const HostDocument& doc, std::int64_t viewKey) {
    if (doc.Closed()) throw HostError(E_POINTER_, "the document is closed");
    Scene scene;
    if (const HostDrawingContainer* drawings = doc.DrawingsOrNull())
        for (const auto& d : drawings->Live())
            if (d->Enabled() && d->VisibleIn(viewKey) && d->Opacity() > 0.0) AddDrawable(*d, scene);
    return scene;
}

}  // namespace zarvento
