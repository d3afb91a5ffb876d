// CTessellationObjectEdge: a polyline of the 3D view (a tool path or a
// contour's edge), with two direction arrows it owns.
#pragma once

#include <cstdint>

#include "geometry/intersect_point.h"
#include "model/arrow_face.h"
#include "model/tessellation_object.h"

namespace zarvento {

class CTessellationObjectEdge : public CTessellationObject {
public:
    // Destruction erases the arrows (members), then the edge itself (base).

    // Erases the edge, then both arrows.
    void Erase() override;
    // Sends the polyline in the colour, always opaque, with the line width.
    void Draw(std::uint32_t colour) override;
    void Show() override;
    void Hide() override;

    // A segment of the turning plane; in the settings' path or rapid-move
    // colour and longer than 7.0 it gets an arrow pointing to its end. A
    // drawn edge keeps its points.
    void CreateLine(double z1, double x1, double z2, double x2, std::uint32_t colour);
    // A polyline through the points (z, x) of the turning plane; a drawn edge
    // keeps its points.
    void CreatePolyline(const IntersectPointList& points, std::uint32_t colour);

    CArrowFace arrows[2];
};

// Lines longer than this get an arrow.
inline constexpr double kArrowedLineLength = 7.0;

}  // namespace zarvento
