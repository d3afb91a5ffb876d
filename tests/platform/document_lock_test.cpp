// The lock a run holds on its document: a second holder is refused, a save
// that replaces the file hands the name on to whoever comes next.
#include "platform/documents/document_lock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "test_support.h"

namespace zarvento {
namespace {

TEST(DocumentLock, OneHolderAtATimeAndTheNameFollowsTheSavedFile) {
    test::TempDir dir;
    const std::string path = (dir / "part.rdp").string();
    std::ofstream(path) << "old";

    DocumentLock first, second;
    std::string error;
    ASSERT_TRUE(first.Acquire(path, &error)) << error;
    EXPECT_FALSE(second.Acquire(path, &error));
    EXPECT_NE(error.find("in use by another run"), std::string::npos) << error;

    // The first holder saves: a new file takes the name; the next run locks
    // that one, while the first still holds the old one until it ends.
    std::ofstream(path + ".new") << "saved";
    std::filesystem::rename(path + ".new", path);
    EXPECT_TRUE(second.Acquire(path, &error)) << error;
    EXPECT_TRUE(first.IsHeld());
    second.Release();
    first.Release();
    EXPECT_TRUE(second.Acquire(path, &error)) << error;

    DocumentLock missing;
    EXPECT_FALSE(missing.Acquire((dir / "none.rdp").string(), &error));
    EXPECT_NE(error.find("none.rdp"), std::string::npos) << error;
    EXPECT_FALSE(missing.IsHeld());
}

}  // namespace
}  // namespace zarvento
