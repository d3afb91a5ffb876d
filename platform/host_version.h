// The host's version as its version query answers it. The headless host
// reports 23.0.0.0 unless a test sets another: panels lay themselves out by
// the major version (16, 17, 21 and later differ).
#pragma once

namespace zarvento {

struct HostVersionNumbers {
    int major = 23;
    int minor = 0;
    int build = 0;
    int revision = 0;
};

HostVersionNumbers HostVersion();
int HostMajorVersion();
void SetHostVersion(HostVersionNumbers version);

}  // namespace zarvento
