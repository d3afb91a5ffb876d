// CPointET: the point marker of a figure, a small disc in the turning plane.
#pragma once

#include "model/tessellation_object_face.h"

namespace zarvento {

class CPointET : public CTessellationObjectFace {
public:
    // A disc of PointMarkerRadius about (z, x) in the settings' point colour;
    // a drawn point does not move.
    virtual void DrawPoint(double z, double x);
};

}  // namespace zarvento
