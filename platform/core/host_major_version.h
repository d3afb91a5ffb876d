// The host's major version, by which panels and dialogs lay themselves out
// (16, from 17 on, from 21 on).
#pragma once

namespace zarvento {

int HostMajorVersion();

}  // namespace zarvento
