// Module folder from the loaded image, and the view refresh counter.
#include "platform/processes/module.h"

#include <dlfcn.h>

#include "platform/core/host_faults.h"
#include "platform/core/process_state.h"

namespace zarvento {

namespace {
std::optional<std::filesystem::path> moduleOverride;
std::filesystem::path libraryModuleFile;
int refreshCount = 0;
}  // namespace

ZARVENTO_STATE_RESET {
    moduleOverride.reset();
    refreshCount = 0;
}

std::optional<std::filesystem::path> ModuleDirectory() {
    if (moduleOverride) return moduleOverride;
    if (libraryModuleFile.has_parent_path()) return libraryModuleFile.parent_path();
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ModuleDirectory), &info) == 0 || info.dli_fname == nullptr) return std::nullopt;
    std::error_code ec;
    auto file = std::filesystem::canonical(info.dli_fname, ec);
    if (ec) file = info.dli_fname;
    if (!file.has_parent_path()) return std::nullopt;
    return file.parent_path();
}

void SetModuleDirectory(std::optional<std::filesystem::path> dir) { moduleOverride = std::move(dir); }

void RegisterLibraryModule(std::filesystem::path file) { libraryModuleFile = std::move(file); }

int ModuleFilePath(std::string& out, std::string_view fileName, std::size_t bufferSize) {
    const auto dir = ModuleDirectory();
    if (!dir) return 0;
    std::string joined = dir->string();
    if (joined.empty()) return 0;
    if (joined.back() != '/') joined += '/';
    joined += fileName;
    if (joined.size() + 1 > bufferSize) return 0;
    out = std::move(joined);
    return 1;
}

void RefreshHostView() {
    HostFaults::Check("RefreshHostView");
    ++refreshCount;
}

int HostViewRefreshCount() { return refreshCount; }

}  // namespace zarvento
