// A host entity known only by its object type and name (a face, an axis, a
// dimension): enough for a record to refer to it and find it again.
#pragma once

#include <string>

#include "platform/core/host_object.h"

namespace zarvento {

class HostNamedObject : public HostObject {
public:
    HostNamedObject(int objectType, std::string name) : objectType_(objectType) { SetName(std::move(name)); }

    int ObjectType() const override { return objectType_; }

private:
    int objectType_;
};

}  // namespace zarvento
