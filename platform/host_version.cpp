// The headless host's version and its reset.
#include "platform/host_version.h"

#include "platform/process_state.h"

namespace zarvento {

namespace {
HostVersionNumbers current;
}

ZARVENTO_STATE_RESET { current = HostVersionNumbers{}; }

HostVersionNumbers HostVersion() { return current; }

int HostMajorVersion() { return current.major; }

void SetHostVersion(HostVersionNumbers version) { current = version; }

}  // namespace zarvento
