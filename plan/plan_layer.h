// The start-up call of the plan layer: what it provides to the layers below
// it, put in place explicitly by whoever starts the library.
#pragma once

namespace zarvento {

// Registers the post-processing and display layers first (the display layer:
// the 3D view's drawables behind the geometry's seams), then the plan's answers
// to the NC program (its temporary folder, post-processor and operations) and
// the part model's services (the part variables' reader with its materials
// reference, the stock form, the section's error report).
void RegisterPlanLayer();

}  // namespace zarvento
