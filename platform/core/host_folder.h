// The host's own folder, under which the library keeps its temporary
// session directories. The headless host has no installation folder of its
// own, so the folder can be set (tests, the command-line program).
#pragma once

#include <filesystem>
#include <optional>

namespace zarvento {

// The host's folder: the one set, else a folder only this user may enter:
// "zarvento" in the user's runtime folder ($XDG_RUNTIME_DIR, made 0700 and
// its owner checked at each call), else a folder of a new random name
// ("zarvento-host-XXXXXX", 0700) under the system's temporary directory, made
// for this process and removed when it ends or its state is reset. Never a
// name another user could take first. Like every host call it can be made
// to fail; a private folder that cannot be made raises STG_E_ACCESSDENIED.
std::filesystem::path HostFolder();
// Sets the folder; nullopt goes back to the default.
void SetHostFolder(std::optional<std::filesystem::path> folder);

// The host's folder call by kind: 2 the temporary folder, 3 the folder of the
// user's settings; E_INVALIDARG for any other kind. The folder exists when
// returned. Defaults: "Temp" and "Settings" under a host folder that was set
// (so tests keep to their own folder); else the host's folder, and
// "zarvento" under $XDG_CONFIG_HOME (or ~/.config), so that settings
// outlive the session.
std::filesystem::path HostFolderOfKind(int kind);
// Sets one kind's folder; nullopt goes back to the default.
void SetHostFolderOfKind(int kind, std::optional<std::filesystem::path> folder);

}  // namespace zarvento
