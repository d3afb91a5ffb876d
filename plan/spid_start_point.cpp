// The start-point marker of the plan data.
#include "plan/spid.h"

namespace zarvento {

// The start point is kept as the coordinate system's own X and Z.
void CSPID::ShowStartPoint() { startPointMarker.DrawAtOffset(X0tool, 0.0, Z0tool); }

void CSPID::HideStartPoint() { startPointMarker.Hide(); }

void CSPID::RemoveStartPoint() { startPointMarker.Erase(); }

}  // namespace zarvento
