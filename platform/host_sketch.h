// A sketch of a part document (host entity type 5). Loaders that receive an
// object reference ask for this class the way the host is asked for its
// sketch interface.
#pragma once

#include <string>

#include "platform/host_named_object.h"

namespace zarvento {

class HostSketch : public HostNamedObject {
public:
    static constexpr int kObjectType = 5;

    explicit HostSketch(std::string name) : HostNamedObject(kObjectType, std::move(name)) {}
};

}  // namespace zarvento
