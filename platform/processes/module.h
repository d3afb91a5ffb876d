// The module's own folder (where the library file lies) and the host view.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zarvento {

// The folder of the loaded library: the one set (a test), else the folder of
// the library module's file registered at its attach, else the folder of the
// module this code was linked into.
std::optional<std::filesystem::path> ModuleDirectory();
void SetModuleDirectory(std::optional<std::filesystem::path> dir);
// The library module's attach step names its file; kept across state resets
// (it is where the library lies, not state of a command).
void RegisterLibraryModule(std::filesystem::path file);

// The library's folder followed by the file name, in `out`; 1 on success,
// 0 when there is no folder or the result would not fit `bufferSize`
// characters (the terminating zero included).
int ModuleFilePath(std::string& out, std::string_view fileName, std::size_t bufferSize = 1024);

// Asks the host to redraw its view (the whole plane). The headless host counts
// the requests.
void RefreshHostView();
int HostViewRefreshCount();

}  // namespace zarvento
