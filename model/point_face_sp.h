// C3DPointFace_SP: the start-point marker of the plan data, a small sphere
// placed with DrawAtOffset at the plan's start point.
#pragma once

#include "model/tessellation_object_face.h"

namespace zarvento {

class C3DPointFace_SP : public CTessellationObjectFace {
public:
    // The sphere of radius 2.5 about the model origin, its reference point:
    // 64 triangles on 26 points, poles on the X axis.
    C3DPointFace_SP();
};

}  // namespace zarvento
