// The host folder setting, and the private folder that stands in for an
// installed host's own.
#include "platform/core/host_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "platform/core/host_faults.h"
#include "platform/core/process_state.h"

namespace zarvento {

namespace {
std::optional<std::filesystem::path> hostFolder;
std::map<int, std::filesystem::path> kindFolders;
// The folder made for this process when the user has no runtime folder.
std::optional<std::filesystem::path> freshFolder;

constexpr int kTemporaryFolder = 2;
constexpr int kSettingsFolder = 3;
constexpr const char* kRuntimeName = "zarvento";
constexpr const char* kFreshPattern = "zarvento-host-XXXXXX";

// Whether `folder` is a folder (no link to one) of this user that no one
// else may enter. One of ours that others may is narrowed to 0700 when
// `narrow` says so, else refused.
bool IsPrivateFolder(const std::filesystem::path& folder, bool narrow) {
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
    if ((st.st_mode & 077) == 0) return true;
    return narrow && ::chmod(folder.c_str(), 0700) == 0;
}

// "zarvento" in the user's runtime folder ($XDG_RUNTIME_DIR, which only the
// user may enter), made when missing; nullopt without a runtime folder, or
// when it or ours is not the user's alone.
std::optional<std::filesystem::path> RuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || *runtime != '/' || !IsPrivateFolder(runtime, false)) return std::nullopt;
    const std::filesystem::path folder = std::filesystem::path(runtime) / kRuntimeName;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
    if (!IsPrivateFolder(folder, true)) return std::nullopt;
    return folder;
}

void RemoveFreshFolder() {
    if (!freshFolder) return;
    std::error_code ec;
    std::filesystem::remove_all(*freshFolder, ec);
    freshFolder.reset();
}

// A folder of a new random name under the system's temporary folder, made
// 0700 for this process and removed when it ends (or its state is reset).
std::filesystem::path FreshFolder() {
    if (freshFolder && IsPrivateFolder(*freshFolder, false)) return *freshFolder;
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string pattern = (base / kFreshPattern).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw HostError(STG_E_ACCESSDENIED_,
                        "cannot make the host's temporary folder in " + base.string() + ": " + std::strerror(errno));
    if (!IsPrivateFolder(pattern, false))
        throw HostError(STG_E_ACCESSDENIED_, "the host's temporary folder " + pattern + " is not the user's alone");
    freshFolder = pattern;
    [[maybe_unused]] static const bool removedAtExit = std::atexit(RemoveFreshFolder) == 0;
    return *freshFolder;
}

std::filesystem::path DefaultOfKind(int kind) {
    if (hostFolder) return *hostFolder / (kind == kTemporaryFolder ? "Temp" : "Settings");
    if (kind == kTemporaryFolder) return HostFolder();
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
    RemoveFreshFolder();
}

std::filesystem::path HostFolder() {
    HostFaults::Check("HostFolder");
    if (hostFolder) return *hostFolder;
    // The default stands in for an installed host's folder: it exists, and
    // only this user may enter it, so no one else can put a file or a
    // folder of their own where the library writes its scripts and their input.
    if (std::optional<std::filesystem::path> runtime = RuntimeFolder()) return *runtime;
    return FreshFolder();
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
