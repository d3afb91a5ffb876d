// The start-up call of the post-processing layer: what it provides to the
// layers below it, put in place explicitly by whoever starts the library.
#pragma once

namespace zarvento {

// Registers the NC-frame layer first, then the post-processors' answers to
// formulas (tables, address words) and to machine cycles (their definitions).
void RegisterPostLayer();

}  // namespace zarvento
