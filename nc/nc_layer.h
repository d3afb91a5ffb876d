// The start-up call of the NC-frame layer: what it provides to the layers
// below it, put in place explicitly by whoever starts the library.
#pragma once

namespace zarvento {

// Registers the frame factory that contour units make their move frames with.
void RegisterNcLayer();

}  // namespace zarvento
