// The automation object and the export that hands it out.
#include "platform/host/redozu_object.h"

#include <unistd.h>

#include <cctype>
#include <climits>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/process_state.h"

namespace zarvento {

namespace {
std::optional<std::filesystem::path> executableOverride;
}

ZARVENTO_STATE_RESET { executableOverride.reset(); }

HostApplication& RedozuObject::Application() {
    HostFaults::Check("RedozuObject.Application");
    return ConnectHostApplication();
}

std::string SharedLibraryFileName(const std::string& windowsName) {
    std::string stem = windowsName;
    if (stem.size() > 4) {
        std::string extension = stem.substr(stem.size() - 4);
        for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (extension == ".dll") stem.resize(stem.size() - 4);
    }
    return "lib" + stem + ".so";
}

std::filesystem::path HostExecutablePath() {
    if (executableOverride) return *executableOverride;
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    return std::filesystem::path(std::string(buffer, static_cast<std::size_t>(n)));
}

void SetHostExecutablePath(std::optional<std::filesystem::path> path) { executableOverride = std::move(path); }

}  // namespace zarvento

extern "C" zarvento::RedozuObject* CreateRedozuObject() {
    try {
        zarvento::HostFaults::Check("CreateRedozuObject");
    } catch (const zarvento::HostError&) {
        return nullptr;
    }
    static zarvento::RedozuObject object;
    return &object;
}
