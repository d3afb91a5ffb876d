// SceneSurvey: what a document's 3D view holds, for tests and for the
// program's report: the live drawables with their kind, triangle or point
// count, box, colour, opacity and visibility, and totals over them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/drawings/host_drawable.h"
#include "platform/view/scene.h"

namespace zarvento {

class HostDocument;

struct DrawableSummary {
    std::int64_t number = 0;
    DrawableShape shape = DrawableShape::Empty;
    int triangles = 0;
    int points = 0;  // vertices of a mesh, points of the polylines
    SceneBox box;
    std::uint32_t colour = 0;
    double opacity = 1.0;
    std::int32_t lineWidth = 1;
    bool enabled = false;
    bool visible = false;

    static DrawableSummary Of(const HostDrawable& drawable, std::int64_t viewKey = 0);
};

class SceneSurvey {
public:
    // The view `viewKey` of the document; a document without a 3D view (a
    // drawing) shows nothing.
    explicit SceneSurvey(const HostDocument& doc, std::int64_t viewKey = 0);

    const std::vector<DrawableSummary>& Drawables() const { return drawables_; }
    int LiveCount() const { return static_cast<int>(drawables_.size()); }
    // Over the drawables that are enabled and visible.
    int ShownCount() const;
    int ShownTriangles() const;
    // The drawables of a colour, shown or not.
    std::vector<DrawableSummary> WithColour(std::uint32_t colour) const;
    // Drawables created and removed in the document so far.
    std::int64_t CreatedCount() const { return created_; }
    std::int64_t RemovedCount() const { return removed_; }

    // One line per drawable and a line of totals.
    std::string Text() const;

private:
    std::vector<DrawableSummary> drawables_;
    std::int64_t created_ = 0;
    std::int64_t removed_ = 0;
};

}  // namespace zarvento
