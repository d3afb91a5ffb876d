// The sketch of one operation, and the view of a tool's model that it shows.
#pragma once

#include <string>

namespace zarvento {

class CTurn;
class DrawingDocument;

// The operation's sketch ("Переход %d"): stock before it, the hatched section
// after it, the surfaces it machines with their dimensions, its path, its
// tool, the cutting-data table, the title and the roughness mark. An empty
// name leaves the drawing open; otherwise it is saved there and closed, and
// the part document is active again.
void CreateSketch(CTurn& turn, const std::string& fileName);

// The diameter the cutting table shows and works its speeds out at (mm): the
// operation's mean machining diameter `_DMID` is the mean of its path's X,
// a radius, save for drilling and tap/die threading, where it is the tool's
// diameter already. Given as a size: a part on the -X side of its system
// has a negative X.
double SketchCuttingDiameter(CTurn& turn);

// A view of the model file in the projection "#Снизу", turned by the angle
// (degrees) and placed at (x, y); its number, or -1 when the model cannot be
// read (no view is made then).
int AddToolModelView(DrawingDocument& drawing, const std::string& modelFile, double x, double y, double angle);

}  // namespace zarvento
