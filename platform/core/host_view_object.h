// An object of the 3D view that stands for an entity of the model: what a
// click on a drawn object gives the picking process. The host reaches the
// entity through a chain of its calls; the entity may be gone.
#pragma once

#include <memory>

#include "platform/core/host_object.h"

namespace zarvento {

class HostViewObject : public HostObject {
public:
    explicit HostViewObject(HostObjectPtr entity = {}) : entity_(entity) {}

    // The object type of the view object itself (none of the model's).
    int ObjectType() const override { return kObjectType; }
    static constexpr int kObjectType = 1;

    HostObjectPtr Entity() const { return entity_.lock(); }

private:
    std::weak_ptr<HostObject> entity_;
};

}  // namespace zarvento
