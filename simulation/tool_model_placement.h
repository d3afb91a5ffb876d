// Where a tool's 3D model stands in the part's view, as the simulation, its
// collision check and the operation panel show it: turned as the tool's
// contour is (ParamTool::ViewFromAbove, ParamTool::ViewTurn) and with its
// origin, the nose centre, where the program puts the nose
// (ParamTool::NoseCentre).
#pragma once

#include <memory>

namespace zarvento {

class CModelTess;
class ParamTool;

// The NC system's (z, x) of the model's origin when the programmed point is
// the contour point (pointZ, pointX) (x the negated radius, the NC system's x
// the radius), moved back by the length corrections in use.
void ToolModelOrigin(const ParamTool& tool, double pointZ, double pointX, double correctZ, double correctX, double& z,
                     double& x);

// Turns the model as the tool is mounted: over about X for a tool seen from
// above, about Y by the mounting angle.
void TurnToolModel(CModelTess& model, const ParamTool& tool);

// The tool's model read from its working copy, drawn with its origin at the
// NC system's (z, x) and turned as the tool is mounted; null when the file
// cannot be read.
std::unique_ptr<CModelTess> LoadToolModel(const ParamTool& tool, double z, double x);

}  // namespace zarvento
