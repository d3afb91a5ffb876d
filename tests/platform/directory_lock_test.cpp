// Directory locks seen across processes.
#include "platform/documents/directory_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "test_support.h"

namespace zarvento {
namespace {

using test::TempDir;

// A child process that takes the lock of `dir`, says so through a pipe and
// then waits until it is told to go or killed.
class LockingChild {
public:
    explicit LockingChild(const std::filesystem::path& dir) {
        int ready[2], go[2];
        if (::pipe(ready) != 0 || ::pipe(go) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(go[1]);
            DirectoryLock lock;
            const char answer = lock.Acquire(dir) ? 'y' : 'n';
            (void)!::write(ready[1], &answer, 1);
            char c;
            (void)!::read(go[0], &c, 1);  // returns when the parent closes its end
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(go[0]);
        go_ = go[1];
        char answer = 0;
        locked_ = ::read(ready[0], &answer, 1) == 1 && answer == 'y';
        ::close(ready[0]);
    }
    ~LockingChild() { End(); }

    bool Locked() const { return locked_; }
    // Lets the child end normally; with `kill`, kills it instead.
    void End(bool kill = false) {
        if (pid_ <= 0) return;
        if (kill) ::kill(pid_, SIGKILL);
        ::close(go_);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int go_ = -1;
    bool locked_ = false;
};

TEST(DirectoryLock, ALiveHolderIsSeenAndAStaleOneIsNot) {
    for (bool kill : {false, true}) {
        TempDir dir;
        LockingChild child(dir.Path());
        ASSERT_TRUE(child.Locked());
        EXPECT_TRUE(DirectoryLock::IsLocked(dir.Path()));
        DirectoryLock mine;
        std::string error;
        EXPECT_FALSE(mine.Acquire(dir.Path(), &error));
        EXPECT_NE(error.find("locked"), std::string::npos) << error;
        child.End(kill);
        EXPECT_TRUE(std::filesystem::exists(DirectoryLock::LockFilePath(dir.Path())));
        EXPECT_FALSE(DirectoryLock::IsLocked(dir.Path())) << "killed: " << kill;
        EXPECT_TRUE(mine.Acquire(dir.Path()));
    }
}

TEST(DirectoryLock, HeldForTheObjectsLifeAndMovesWithIt) {
    TempDir dir;
    EXPECT_FALSE(DirectoryLock::IsLocked(dir.Path()));  // no lock file yet
    {
        DirectoryLock lock;
        ASSERT_TRUE(lock.Acquire(dir.Path()));
        EXPECT_TRUE(DirectoryLock::IsLocked(dir.Path()));  // this process counts as live too
        DirectoryLock moved = std::move(lock);
        EXPECT_TRUE(moved.IsHeld());
        EXPECT_EQ(moved.Directory(), dir.Path());
        EXPECT_TRUE(DirectoryLock::IsLocked(dir.Path()));
        LockingChild other(dir.Path());
        EXPECT_FALSE(other.Locked());
    }
    EXPECT_FALSE(DirectoryLock::IsLocked(dir.Path()));
}

TEST(DirectoryLock, ReleaseAndMissingDirectories) {
    TempDir dir;
    DirectoryLock lock;
    ASSERT_TRUE(lock.Acquire(dir.Path()));
    lock.Release();
    EXPECT_FALSE(lock.IsHeld());
    EXPECT_FALSE(DirectoryLock::IsLocked(dir.Path()));
    std::string error;
    EXPECT_FALSE(lock.Acquire(dir / "gone", &error));
    EXPECT_NE(error.find("gone"), std::string::npos);
    EXPECT_FALSE(DirectoryLock::IsLocked(dir / "gone"));
}

}  // namespace
}  // namespace zarvento
