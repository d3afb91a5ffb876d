// Making a part document's faces of revolution from a turning profile, the
// way the part model gets parts until it reads model files.
#pragma once

#include <array>

#include "geometry/contour.h"
#include "platform/host_document.h"

namespace zarvento {

// Adds one face of revolution per unit of the profile (z along the axis, x
// the negated radius) to the document, turned about the axis through
// `origin` along `direction`: a line of constant z a plane, of constant x a
// cylinder, any other line a cone; an arc centred on the axis a sphere, any
// other a torus. Units lying on the axis make no face. Returns the number of
// faces added.
int AddPartFaces(HostDocument& document, const Contour& profile, std::array<double, 3> origin = {0, 0, 0},
                 std::array<double, 3> direction = {0, 0, 1});

}  // namespace zarvento
