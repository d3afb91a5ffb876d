// The host's own folder, under which the library keeps its temporary
// session directories. The headless host has no installation folder of its
// own, so the folder can be set (tests, the command-line program).
#pragma once

#include <filesystem>
#include <optional>

namespace zarvento {

// The host's folder: the one set, else "zarvento-host" under the system's
// temporary directory. Like every host call it can be made to fail.
std::filesystem::path HostFolder();
// Sets the folder; nullopt goes back to the default.
void SetHostFolder(std::optional<std::filesystem::path> folder);

}  // namespace zarvento
