// An advisory lock that marks a directory as in use by a live process, so that
// a sweep of stale directories (left by processes that died) can pass it by.
#pragma once

#include <filesystem>
#include <string>

#include "platform/core/unique_fd.h"

namespace zarvento {

// Holds flock() on a lock file inside the directory for the object's life.
// The kernel drops the lock when the process ends however it ends, so a lock
// file without a holder marks a stale directory.
class DirectoryLock {
public:
    // The lock file's name. Longer than seven characters on purpose: the
    // sweep deletes such files, so a stale directory can be emptied.
    static constexpr const char* kFileName = "zarvento.lock";

    DirectoryLock() = default;
    DirectoryLock(DirectoryLock&& other) noexcept = default;
    DirectoryLock& operator=(DirectoryLock&& other) noexcept = default;
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

    // Takes the lock of `dir`, creating the lock file; never waits. False, with
    // the reason in `error`, when the directory is missing or someone (this
    // process included) already holds it. A held lock is released first.
    bool Acquire(const std::filesystem::path& dir, std::string* error = nullptr);
    // Drops the lock; the lock file stays (the directory's owner deletes it).
    void Release();

    bool IsHeld() const { return fd_.IsOpen(); }
    const std::filesystem::path& Directory() const { return dir_; }

    static std::filesystem::path LockFilePath(const std::filesystem::path& dir);
    // True when a live process, this one included, holds the lock of `dir`.
    // A directory without a lock file is not locked.
    static bool IsLocked(const std::filesystem::path& dir);

private:
    UniqueFd fd_;
    std::filesystem::path dir_;
};

}  // namespace zarvento
