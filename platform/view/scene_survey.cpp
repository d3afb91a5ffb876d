// SceneSurvey: summaries of the live drawables of a view.
#include "platform/view/scene_survey.h"

#include <cstdio>

#include "platform/documents/host_document.h"
#include "platform/drawings/host_drawing_container.h"

namespace zarvento {

DrawableSummary DrawableSummary::Of(const HostDrawable& d, std::int64_t viewKey) {
    DrawableSummary s;
    s.number = d.Number();
    s.shape = d.Shape();
    s.triangles = d.TriangleCount();
    if (d.Shape() == DrawableShape::Mesh) {
        s.points = static_cast<int>(d.Vertices().size() / 3);
        for (int k = 0; k < d.CornerCount(); ++k) {
            const auto i = static_cast<std::size_t>(d.CornerVertex(k)) * 3;
            s.box.Add({d.Vertices()[i], d.Vertices()[i + 1], d.Vertices()[i + 2]});
        }
    } else if (d.Shape() == DrawableShape::Polyline) {
        for (const auto& run : d.Polylines()) {
            s.points += static_cast<int>(run.size());
            for (std::int32_t n : run) {
                const auto i = static_cast<std::size_t>(n) * 3;
                s.box.Add({d.Vertices()[i], d.Vertices()[i + 1], d.Vertices()[i + 2]});
            }
        }
    }
    s.colour = d.Colour();
    s.opacity = d.Opacity();
    s.lineWidth = d.LineWidth();
    s.enabled = d.Enabled();
    s.visible = d.VisibleIn(viewKey);
    return s;
}

SceneSurvey::SceneSurvey(const HostDocument& doc, std::int64_t viewKey) {
    const HostDrawingContainer* drawings = doc.DrawingsOrNull();
    if (!drawings) return;
    for (const auto& d : drawings->Live()) drawables_.push_back(DrawableSummary::Of(*d, viewKey));
    created_ = drawings->CreatedCount();
    removed_ = drawings->RemovedCount();
}

int SceneSurvey::ShownCount() const {
    int n = 0;
    for (const DrawableSummary& d : drawables_) n += d.enabled && d.visible ? 1 : 0;
    return n;
}

int SceneSurvey::ShownTriangles() const {
    int n = 0;
    for (const DrawableSummary& d : drawables_) n += d.enabled && d.visible ? d.triangles : 0;
    return n;
}

std::vector<DrawableSummary> SceneSurvey::WithColour(std::uint32_t colour) const {
    std::vector<DrawableSummary> out;
    for (const DrawableSummary& d : drawables_)
        if (d.colour == colour) out.push_back(d);
    return out;
}

std::string SceneSurvey::Text() const {
    std::string out;
    char line[256];
    for (const DrawableSummary& d : drawables_) {
        const char* kind = d.shape == DrawableShape::Mesh       ? "mesh"
                           : d.shape == DrawableShape::Polyline ? "polyline"
                                                                : "empty";
        if (d.shape == DrawableShape::Mesh)
            std::snprintf(line, sizeof line, "#%lld %s, %d triangles, colour %06X, opacity %.2f%s\n",
                          static_cast<long long>(d.number), kind, d.triangles, d.colour, d.opacity,
                          d.enabled && d.visible ? "" : ", hidden");
        else
            std::snprintf(line, sizeof line, "#%lld %s, %d points, colour %06X, width %d%s\n",
                          static_cast<long long>(d.number), kind, d.points, d.colour, d.lineWidth,
                          d.enabled && d.visible ? "" : ", hidden");
        out += line;
    }
    std::snprintf(line, sizeof line, "%d drawables (%d shown, %d triangles shown)\n", LiveCount(), ShownCount(),
                  ShownTriangles());
    return out + line;
}

}  // namespace zarvento
