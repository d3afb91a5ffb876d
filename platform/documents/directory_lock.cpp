// DirectoryLock over flock(2). The descriptor is close-on-exec so that child
// processes (a post-processor script) never keep a directory locked.
#include "platform/documents/directory_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace zarvento {

std::filesystem::path DirectoryLock::LockFilePath(const std::filesystem::path& dir) { return dir / kFileName; }

bool DirectoryLock::Acquire(const std::filesystem::path& dir, std::string* error) {
    Release();
    const std::filesystem::path file = LockFilePath(dir);
    UniqueFd fd(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (!fd.IsOpen()) {
        if (error) *error = "cannot open the lock file \"" + file.string() + "\": " + std::strerror(errno);
        return false;
    }
    int r = 0;
    do {
        r = ::flock(fd.Get(), LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
        const int err = errno;
        if (error) {
            *error = err == EWOULDBLOCK ? "the directory \"" + dir.string() + "\" is locked by another holder"
                                        : "cannot lock \"" + file.string() + "\": " + std::strerror(err);
        }
        return false;
    }
    fd_ = std::move(fd);
    dir_ = dir;
    return true;
}

void DirectoryLock::Release() {
    fd_.Close();  // closing the only descriptor drops the lock
    dir_.clear();
}

bool DirectoryLock::IsLocked(const std::filesystem::path& dir) {
    UniqueFd fd(::open(LockFilePath(dir).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.IsOpen()) return false;
    // A shared probe: two sweeps probing at once do not see each other as holders.
    int r = 0;
    do {
        r = ::flock(fd.Get(), LOCK_SH | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    return r != 0 && errno == EWOULDBLOCK;
}

}  // namespace zarvento
