// CPlaneFace: a safety plane of the plan data: a rectangle across the axis
// (X plane) or a square across it at Z = 0, translucent.
#pragma once

#include <cstdint>

#include "model/tessellation_object_face.h"

namespace zarvento {

class CPlaneFace : public CTessellationObjectFace {
public:
    // The rectangle in the LSC plane X = 0, `width` across Y and `length`
    // along -Z from the origin.
    void DrawPlaneX(std::uint32_t colour);
    // The square of side `length` about the axis in the LSC plane Z = 0.
    void DrawPlaneZ(std::uint32_t colour);

    double length = 0.0;
    double width = 0.0;
};

inline constexpr double kPlaneOpacity = 0.7;

}  // namespace zarvento
