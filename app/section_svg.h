// A simulation picture as an SVG drawing of the turning plane, for a person to
// look at: Z runs to the right and x upwards from the axis (the part, at
// x <= 0, lies above it), each layer a path in its colour, with a legend.
#pragma once

#include <string>

#include "simulation/simulation_picture.h"

namespace zarvento::app {

std::string SectionSvgText(const SimulationPicture& picture);

}  // namespace zarvento::app
