// The host's version query: four numbers, the first the major version. The
// headless host answers what it is set to, (23, 0, 0, 0) by default, so that
// tests and scripts can play an older or newer host.
#pragma once

#include <array>

namespace zarvento {

using HostVersion = std::array<int, 4>;

inline constexpr HostVersion kDefaultHostVersion{23, 0, 0, 0};

// Asks the host for its version (a host call: it can be made to fail).
HostVersion QueryHostVersion();
void SetHostVersion(const HostVersion& version);

}  // namespace zarvento
