// The operation panels' registrations: the layers below wired first (the
// simulation's start-up call), then the panel that edits each operation kind
// that has one in place of the plan's panel model.
#pragma once

namespace zarvento {

void RegisterOperationPanelsLayer();
// Gives the kinds back to the plan's panel model.
void UnregisterOperationPanelsLayer();

}  // namespace zarvento
