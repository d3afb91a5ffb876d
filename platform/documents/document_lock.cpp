// DocumentLock over flock(2).
#include "platform/documents/document_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace zarvento {

namespace {

// A save between our open and our lock moves the name to a new file; each
// such race costs one more try, and a handful are plenty.
constexpr int kAttempts = 8;

}  // namespace

bool DocumentLock::Acquire(const std::string& path, std::string* error) {
    Release();
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // Read-only is enough for flock, and works on a document the user
        // may only read (a save is refused later, with its own reason).
        UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (!fd.IsOpen()) return fail("cannot open \"" + path + "\": " + std::strerror(errno));
        int r = 0;
        do {
            r = ::flock(fd.Get(), LOCK_EX | LOCK_NB);
        } while (r != 0 && errno == EINTR);
        if (r != 0) {
            if (errno == EWOULDBLOCK)
                return fail("the document \"" + path + "\" is in use by another run; try again when it has ended");
            return fail("cannot lock \"" + path + "\": " + std::strerror(errno));
        }
        struct stat held {
        }, named{};
        if (::fstat(fd.Get(), &held) != 0) return fail("cannot lock \"" + path + "\": " + std::strerror(errno));
        if (::stat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
            fd_ = std::move(fd);
            return true;
        }
    }
    return fail("the document \"" + path + "\" keeps being replaced by another program");
}

}  // namespace zarvento
