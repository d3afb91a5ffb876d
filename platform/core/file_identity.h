// Which file a path names and how it stood when it was looked at: so that a
// save can tell whether it would replace an input, a file the user
// protected, or a file someone else changed since it was read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace zarvento {

struct FileIdentity {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;  // the last change of the content

    // The file the path names now (following links); exists false when none.
    static FileIdentity Of(const std::filesystem::path& path);
    // The same file (device and inode), whatever its content.
    bool SameFile(const FileIdentity& other) const {
        return exists && other.exists && device == other.device && inode == other.inode;
    }
    // The same file, not written since.
    bool operator==(const FileIdentity& other) const = default;
};

// Whether two paths name one file (a link, another spelling, a hard link).
// False when either does not exist.
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// The file a save to `path` is to write: where its symbolic links lead,
// link after link, even to a file that does not exist yet, so that a link
// (say into a machine's shared folder) keeps being a link to the new file.
// A path that is no link is given back as it is; false, with `error` set,
// for links that go round or run deeper than the system follows.
bool ThroughLinks(const std::filesystem::path& path, std::filesystem::path& target, std::string& error);

// Why a save may not replace what stands at `path`, or an empty text when it
// may (a regular file its user may write, or nothing). A file without any
// write permission is protected even from root: its user made it read-only
// on purpose.
std::string ReplaceRefusal(const std::filesystem::path& path);

}  // namespace zarvento
