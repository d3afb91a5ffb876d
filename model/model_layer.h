// The start-up call of the display layer: what it provides to the layers
// below it (the drawables units, contours and frames draw with, and the
// simulation's list of changed units), put in place explicitly by whoever
// starts the library.
#pragma once

namespace zarvento {

void RegisterModelLayer();
// Puts the recording stand-ins of the lower layers back (tests).
void UnregisterModelLayer();

}  // namespace zarvento
