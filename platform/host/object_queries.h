// The host's questions about an object: its type, its entity in the model and
// its conversion to a coordinate-system interface. Each is a host call that
// may fail.
#pragma once

#include <memory>

#include "platform/core/host_object.h"

namespace zarvento {

class LocalCoordinateSystem;

// Host type codes the panels test for.
inline constexpr int kObjectTypeSketch = 5;
inline constexpr int kObjectTypeFace = 6;
inline constexpr int kObjectTypeThreadDesignation = 58;
inline constexpr int kObjectTypeCoordinateSystem = 85;

// The is-of-type test; false for a null object.
bool IsObjectOfType(const HostObjectPtr& object, int type);

// The entity of the model behind a picked object (the object itself when it
// is an entity of an open document); null when any step of the chain gives
// nothing.
HostObjectPtr PickedEntity(const HostObjectPtr& object);

// The conversion call (object, 2), asked for the coordinate-system interface:
// null when the object offers none (no error).
std::shared_ptr<LocalCoordinateSystem> ConvertToCoordinateSystem(const HostObjectPtr& object);

}  // namespace zarvento
