// The host folder setting.
#include "platform/host_folder.h"

#include "platform/host_faults.h"
#include "platform/process_state.h"

namespace zarvento {

namespace {
std::optional<std::filesystem::path> hostFolder;
}

ZARVENTO_STATE_RESET { hostFolder.reset(); }

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

}  // namespace zarvento
