// CArrowFace: the dart that shows the direction of a path line.
#pragma once

#include <cstdint>

#include "model/tessellation_object_face.h"

namespace zarvento {

class CArrowFace : public CTessellationObjectFace {
public:
    // A dart of ArrowLength with its tip at (z, x) of the turning plane,
    // pointing along `angle` reversed (its wings open towards `angle`);
    // `mirrored` turns its facing. An arrow already drawn is only drawn again
    // in the new colour: it does not move.
    void CreateArrow(double z, double x, double angle, std::uint32_t colour, bool mirrored);
};

}  // namespace zarvento
