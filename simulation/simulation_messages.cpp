// The message list of a simulation run.
#include "simulation/simulation_messages.h"

#include "platform/dialogs/list_control.h"

namespace zarvento {

void SimulationMessages::Add(std::int32_t frameNumber, const std::string& text) {
    for (std::int32_t number : frameNumbers_)
        if (number == frameNumber) return;
    frameNumbers_.Add(frameNumber);
    texts_.Add(text);
    if (list_ != nullptr) list_->AddLine(text);
}

void SimulationMessages::Clear() {
    frameNumbers_.RemoveAll();
    texts_.RemoveAll();
    if (list_ != nullptr) list_->Clear();
}

}  // namespace zarvento
