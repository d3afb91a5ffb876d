// Objects the host hands out by handle (menus, image lists, bitmaps, resource
// modules): a table from handle to object. Each kind of object counts its
// handles from a base of its own, so that a handle of one kind is never valid
// as another, and a handle is never given twice in a process.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <utility>

namespace zarvento {

template <typename T>
class HandleTable {
public:
    explicit HandleTable(std::uint32_t firstHandle) : next_(firstHandle) {}

    std::uint32_t Add(std::unique_ptr<T> object) {
        const std::uint32_t handle = next_++;
        objects_.emplace(handle, std::move(object));
        return handle;
    }
    // The object of a handle; null for 0, a freed or a foreign handle.
    T* Find(std::uint32_t handle) const {
        auto it = objects_.find(handle);
        return it == objects_.end() ? nullptr : it->second.get();
    }
    // Frees the object; false when the handle names none.
    bool Remove(std::uint32_t handle) { return objects_.erase(handle) != 0; }
    void Clear() { objects_.clear(); }
    std::size_t Count() const { return objects_.size(); }

private:
    std::unordered_map<std::uint32_t, std::unique_ptr<T>> objects_;
    std::uint32_t next_;
};

}  // namespace zarvento
