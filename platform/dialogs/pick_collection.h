// A collection of host objects that the host highlights in the 3D view: a
// document's pick collection (the chosen objects) and its second highlight
// collection. An object is in it at most once.
#pragma once

#include <string>
#include <vector>

#include "platform/core/host_object.h"

namespace zarvento {

class PickCollection {
public:
    // The role names the host calls for failure injection ("PickCollection", ...).
    explicit PickCollection(std::string role) : role_(std::move(role)) {}

    bool Contains(const HostObjectPtr& object) const;
    void Add(const HostObjectPtr& object);
    // Nothing when the object is not in it.
    void Remove(const HostObjectPtr& object);
    void Clear();

    const std::vector<HostObjectPtr>& Objects() const { return objects_; }
    int ClearCount() const { return clears_; }

private:
    void Call(const char* what) const;

    std::string role_;
    std::vector<HostObjectPtr> objects_;
    int clears_ = 0;
};

}  // namespace zarvento
