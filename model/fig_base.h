// CFigBase: a figure an operation panel owns: an edge drawn two pixels wide
// with a point marker of its own.
#pragma once

#include "model/point_et.h"
#include "model/shape_builders.h"
#include "model/tessellation_object_edge.h"

namespace zarvento {

class CFigBase : public CTessellationObjectEdge {
public:
    // Destruction erases the point (a member), then the edge and its arrows.
    CFigBase() { lineWidth = 2; }

    // The figure and its point; its arrows stay as they are.
    void Erase() override;
    void Show() override;
    void Hide() override;
    virtual void DrawPoint(double z, double x) = 0;

    double pointSize = 1.5 * PointMarkerRadius;
    CPointET point;
};

}  // namespace zarvento
