// The host's procedural reference of an automation object, and the search of
// a document's objects of one type for a given one. Loaders use both to tell
// a live stored reference from one whose object was deleted meanwhile.
#pragma once

#include <cstdint>

#include "platform/documents/host_document.h"

namespace zarvento {

// The procedural reference of the object (its persistent id here); 0 when the
// object is null or no open document of the connected application holds it
// any more. The two mode arguments select the kind of reference and are kept
// for the caller's record only.
std::int64_t ProceduralReference(const HostObjectPtr& object, int mode, int kind);

// The document's object of that type that is the same entity as `object`
// (identity, not equality of contents), or null. Objects are walked in the
// document's order, each through the host's interface transfer.
HostObjectPtr FindSameObjectOfType(const HostDocument& document, int objectType, const HostObjectPtr& object);

}  // namespace zarvento
