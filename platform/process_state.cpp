// The list of registered resets of process-wide state.
#include "platform/process_state.h"

#include <vector>

namespace zarvento {

namespace {
std::vector<std::function<void()>>& Resets() {
    static std::vector<std::function<void()>> resets;
    return resets;
}
}  // namespace

void RegisterStateReset(std::function<void()> reset) { Resets().push_back(std::move(reset)); }

void ResetProcessState() {
    for (auto& r : Resets()) r();
}

}  // namespace zarvento
