// Ownership of one POSIX file descriptor.
#pragma once

namespace zarvento {

// Closes its descriptor when destroyed. Writers call Close() themselves,
// because close can report a failed write that must not pass unseen.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Close(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    // Gives the descriptor up without closing it.
    int Release();
    // Closes the descriptor; close's result (0 when none was open).
    int Close();

private:
    int fd_ = -1;
};

}  // namespace zarvento
