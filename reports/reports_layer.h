// The start-up call of the reports layer: the plan's drawings (sketches and
// document sets) put in place under the plan, explicitly, by whoever starts
// the library.
#pragma once

namespace zarvento {

// Registers the operations layer first, then the plan's drawings.
void RegisterReportsLayer();
// Takes the registrations of this layer back.
void UnregisterReportsLayer();

}  // namespace zarvento
