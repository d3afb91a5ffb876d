// A simulation picture as an SVG drawing of the turning plane, as the 3D view
// draws it: Z runs to the right and x upwards from the axis (the part, at
// x <= 0, lies above it), each layer a titled group of one path in its colour.
#pragma once

#include <string>

#include "simulation/simulation_picture.h"

namespace zarvento::app {

std::string SectionSvgText(const SimulationPicture& picture);

}  // namespace zarvento::app
