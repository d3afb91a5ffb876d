// Object registry: a hash set of addresses, so that registering and removing
// many contours stays linear.
#include "geometry/object_registry.h"

#include <unordered_set>

#include "platform/core/messages.h"
#include "platform/core/process_state.h"

namespace zarvento {

namespace {
std::unordered_set<const void*>& Registry() {
    static std::unordered_set<const void*> registry;
    return registry;
}
}  // namespace

ZARVENTO_STATE_RESET { Registry().clear(); }

void RegisterObject(const void*, const void* object) {
    if (!Registry().insert(object).second) ShowMessageBox("Object dublicate");
}

void UnregisterObject(const void*, const void* object) {
    if (Registry().erase(object) == 0) ShowMessageBox("Object not exist");
}

bool IsObjectRegistered(const void* object) { return Registry().count(object) != 0; }

std::size_t RegisteredObjectCount() { return Registry().size(); }

}  // namespace zarvento
