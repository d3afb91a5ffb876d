// The registry of live contour objects: catches a double construction and the
// destruction of an unknown object, reporting each in a plain message box.
#pragma once

#include <cstddef>

namespace zarvento {

// The first argument is kept for the callers' shape and not used.
void RegisterObject(const void* unused, const void* object);
void UnregisterObject(const void* unused, const void* object);
bool IsObjectRegistered(const void* object);
std::size_t RegisteredObjectCount();

}  // namespace zarvento
