// The module's own folder (where the library file lies) and the host view.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zarvento {

// The folder of the loaded library (the executable when linked statically),
// found from the loaded module. A test or the command-line program may set it.
std::optional<std::filesystem::path> ModuleDirectory();
void SetModuleDirectory(std::optional<std::filesystem::path> dir);

// The library's folder followed by the file name, in `out`; 1 on success,
// 0 when there is no folder or the result would not fit `bufferSize`
// characters (the terminating zero included).
int ModuleFilePath(std::string& out, std::string_view fileName, std::size_t bufferSize = 1024);

// Asks the host to redraw its view (the whole plane). The headless host counts
// the requests.
void RefreshHostView();
int HostViewRefreshCount();

}  // namespace zarvento
