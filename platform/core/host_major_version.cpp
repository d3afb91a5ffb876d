// The major version from the host's version query.
#include "platform/core/host_major_version.h"

#include "platform/core/host_version.h"

namespace zarvento {

int HostMajorVersion() { return QueryHostVersion()[0]; }

}  // namespace zarvento
