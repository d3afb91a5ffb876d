// CFacetFace: a face of loose triangles that its owner fills itself (the
// simulation's swept figures and stock pieces).
#pragma once

#include "model/tessellation_object_face.h"

namespace zarvento {

class CFacetFace : public CTessellationObjectFace {};

}  // namespace zarvento
