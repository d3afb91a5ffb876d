// UniqueFd.
#include "platform/core/unique_fd.h"

#include <unistd.h>

#include <utility>

namespace zarvento {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.Release();
    }
    return *this;
}

int UniqueFd::Release() { return std::exchange(fd_, -1); }

int UniqueFd::Close() {
    if (fd_ < 0) return 0;
    return ::close(std::exchange(fd_, -1));
}

}  // namespace zarvento
