// Base of every host entity a record or a unit can refer to (local coordinate
// systems, sketches, faces, 2D objects). Identity is the object itself: two
// references are the same entity when they point to the same HostObject.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zarvento {

class HostObject : public std::enable_shared_from_this<HostObject> {
public:
    virtual ~HostObject() = default;

    // The host's object type code (85 local coordinate system, 6 face, ...).
    virtual int ObjectType() const { return 0; }
    // Persistent id inside its document; 0 for objects that are never stored.
    std::int64_t PersistentId() const { return persistentId_; }
    void SetPersistentId(std::int64_t id) { persistentId_ = id; }

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

private:
    std::int64_t persistentId_ = 0;
    std::string name_;
};

using HostObjectPtr = std::shared_ptr<HostObject>;

inline bool SameHostObject(const HostObjectPtr& a, const HostObjectPtr& b) { return a.get() == b.get(); }

}  // namespace zarvento
