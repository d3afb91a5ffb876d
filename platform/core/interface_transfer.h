// The host's interface transfer between its procedural and automation object
// models, and the interface query on the result. In this host every entity
// offers both models, so a transfer gives the entity itself: a reference
// stored in a record reads back as the same entity.
#pragma once

#include <string_view>

#include "platform/core/host_object.h"

namespace zarvento {

// The automation interface of a stored object reference.
inline constexpr std::string_view kStoredObjectInterface = "{E37256D4-9021-47AC-8FAF-3713FB2A50C3}";
// The procedural interface of a live drawing object.
inline constexpr std::string_view kLiveObjectInterface = "{7AA0E540-0301-11D4-A30E-00C026EE094F}";

// Modes of the transfer call: (2, 0) gives the storable form, (3, 105) the
// live object again.
HostObjectPtr TransferInterface(const HostObjectPtr& object, int mode, int kind);
// The object's interface `iid`: null for a null object; E_NOINTERFACE when the
// object does not offer it (a failure injected by tests, here).
HostObjectPtr QueryHostInterface(const HostObjectPtr& object, std::string_view iid);
// The same, with E_NOINTERFACE answered as null; any other error is raised.
HostObjectPtr QueryHostInterfaceOrNull(const HostObjectPtr& object, std::string_view iid);

}  // namespace zarvento
