// An advisory lock on a document file for as long as a run works on it, so
// that a second run on the same document is refused instead of saving over
// the first one's change.
#pragma once

#include <string>

#include "platform/core/unique_fd.h"

namespace zarvento {

// Holds flock() on the document file itself for the object's life. The
// kernel drops it when the process ends however it ends; the descriptor is
// close-on-exec, so a script the run starts does not keep it.
//
// A save replaces the file by a new one: the lock stays on the old file,
// which then has no name. A run that starts after the save locks the new
// file and reads what was saved; one that opened the old file just before
// sees that the name now leads elsewhere and tries again.
class DocumentLock {
public:
    DocumentLock() = default;
    DocumentLock(const DocumentLock&) = delete;
    DocumentLock& operator=(const DocumentLock&) = delete;

    // Takes the lock of the existing file at `path`; never waits. False, with
    // the reason in `error`, when the file cannot be opened or another run
    // (or this process, through another lock) holds it.
    bool Acquire(const std::string& path, std::string* error = nullptr);
    void Release() { fd_.Close(); }
    bool IsHeld() const { return fd_.IsOpen(); }

private:
    UniqueFd fd_;
};

}  // namespace zarvento
