// The host's highlight collections.
#include "platform/dialogs/pick_collection.h"

#include <algorithm>

#include "platform/core/host_faults.h"

namespace zarvento {

void PickCollection::Call(const char* what) const { HostFaults::Check(role_ + "." + what); }

bool PickCollection::Contains(const HostObjectPtr& object) const {
    Call("Contains");
    return std::any_of(objects_.begin(), objects_.end(),
                       [&](const HostObjectPtr& o) { return SameHostObject(o, object); });
}

void PickCollection::Add(const HostObjectPtr& object) {
    Call("Add");
    if (!object) throw HostError(E_POINTER_, role_ + ": no object");
    if (std::none_of(objects_.begin(), objects_.end(),
                     [&](const HostObjectPtr& o) { return SameHostObject(o, object); }))
        objects_.push_back(object);
}

void PickCollection::Remove(const HostObjectPtr& object) {
    Call("Remove");
    std::erase_if(objects_, [&](const HostObjectPtr& o) { return SameHostObject(o, object); });
}

void PickCollection::Clear() {
    Call("Clear");
    objects_.clear();
    ++clears_;
}

}  // namespace zarvento
