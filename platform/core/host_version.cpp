// The version the headless host reports.
#include "platform/core/host_version.h"

#include "platform/core/host_faults.h"
#include "platform/core/process_state.h"

namespace zarvento {

namespace {
HostVersion hostVersion = kDefaultHostVersion;
}

ZARVENTO_STATE_RESET { hostVersion = kDefaultHostVersion; }

HostVersion QueryHostVersion() {
    HostFaults::Check("QueryHostVersion");
    return hostVersion;
}

void SetHostVersion(const HostVersion& version) { hostVersion = version; }

}  // namespace zarvento
