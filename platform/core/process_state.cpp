// The list of registered resets of process-wide state.
#include "platform/core/process_state.h"

#include <dlfcn.h>

#include <vector>

namespace zarvento {

namespace {

using Reset = void (*)();

std::vector<Reset>& Resets() {
    static std::vector<Reset> resets;
    return resets;
}

// The base address of the loaded module that holds `address`, or null.
const void* ModuleBase(const void* address) {
    Dl_info info{};
    return dladdr(address, &info) != 0 ? info.dli_fbase : nullptr;
}

}  // namespace

void RegisterStateReset(Reset reset) { Resets().push_back(reset); }

void ResetProcessState() {
    // A reset registers none; the list stays as it is while it runs.
    const std::vector<Reset> resets = Resets();
    for (Reset r : resets) r();
}

void DropStateResetsOfUnloadedModules() {
    std::erase_if(Resets(), [](Reset r) { return ModuleBase(reinterpret_cast<const void*>(r)) == nullptr; });
}

}  // namespace zarvento
