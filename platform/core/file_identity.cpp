// FileIdentity over stat(2).
#include "platform/core/file_identity.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace zarvento {

FileIdentity FileIdentity::Of(const std::filesystem::path& path) {
    FileIdentity id;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return id;
    id.exists = true;
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.inode = static_cast<std::uint64_t>(st.st_ino);
    id.size = static_cast<std::int64_t>(st.st_size);
    id.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return id;
}

bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    return FileIdentity::Of(a).SameFile(FileIdentity::Of(b));
}

bool ThroughLinks(const std::filesystem::path& path, std::filesystem::path& target, std::string& error) {
    // The kernel's own limit on the links of one lookup.
    constexpr int kMaxLinks = 40;
    target = path;
    for (int followed = 0; followed <= kMaxLinks; ++followed) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(target, ec))) return true;
        const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec) {
            error = "cannot read the link \"" + target.string() + "\": " + ec.message();
            return false;
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    error = "the links from \"" + path.string() + "\" go round or run deeper than " + std::to_string(kMaxLinks);
    return false;
}

std::string ReplaceRefusal(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    const std::string quoted = "\"" + path.string() + "\"";
    if (S_ISDIR(st.st_mode)) return quoted + " is a folder";
    if (!S_ISREG(st.st_mode)) return quoted + " is not a regular file";
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0)
        return quoted + " is write-protected";
    return {};
}

}  // namespace zarvento
