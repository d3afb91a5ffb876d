// The host folder setting.
#include "platform/core/host_folder.h"

#include <cstdlib>
#include <map>

#include "platform/core/host_faults.h"
#include "platform/core/process_state.h"

namespace zarvento {

namespace {
std::optional<std::filesystem::path> hostFolder;
std::map<int, std::filesystem::path> kindFolders;

constexpr int kTemporaryFolder = 2;
constexpr int kSettingsFolder = 3;

std::filesystem::path DefaultOfKind(int kind) {
    if (hostFolder) return *hostFolder / (kind == kTemporaryFolder ? "Temp" : "Settings");
    std::error_code ec;
    if (kind == kTemporaryFolder) {
        std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
        return ec ? std::filesystem::path("/tmp") : temp;
    }
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return std::filesystem::path(config) / "zarvento";
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return std::filesystem::path(home) / ".config" / "zarvento";
    return HostFolder() / "Settings";
}
}  // namespace

ZARVENTO_STATE_RESET {
    hostFolder.reset();
    kindFolders.clear();
}

std::filesystem::path HostFolder() {
    HostFaults::Check("HostFolder");
    if (hostFolder) return *hostFolder;
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    // The default stands in for an installed host's folder, which exists.
    const std::filesystem::path folder = base / "zarvento-host";
    std::filesystem::create_directories(folder, ec);
    return folder;
}

void SetHostFolder(std::optional<std::filesystem::path> folder) { hostFolder = std::move(folder); }

std::filesystem::path HostFolderOfKind(int kind) {
    HostFaults::Check("HostFolderOfKind");
    if (kind != kTemporaryFolder && kind != kSettingsFolder)
        throw HostError(E_INVALIDARG_, "the host has no folder of kind " + std::to_string(kind));
    auto set = kindFolders.find(kind);
    const std::filesystem::path folder = set != kindFolders.end() ? set->second : DefaultOfKind(kind);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

void SetHostFolderOfKind(int kind, std::optional<std::filesystem::path> folder) {
    if (folder) {
        kindFolders[kind] = std::move(*folder);
    } else {
        kindFolders.erase(kind);
    }
}

}  // namespace zarvento
