// FileIdentity over stat(2).
#include "platform/file_identity.h"

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
