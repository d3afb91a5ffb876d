// The golden-file helper every suite uses: a match passes and clears an old
// review file, a mismatch fails at its first differing line and leaves the
// computed text beside the reference, and the update variable rewrites it.
#include "golden_file.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "test_support.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;

class GoldenFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::unsetenv(test::kUpdateGoldenVariable);
        fs::create_directories(test::FixturePath(folder_));
    }
    void TearDown() override {
        ::unsetenv(test::kUpdateGoldenVariable);
        fs::remove_all(test::FixturePath(folder_));
    }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    const std::string folder_ = "golden-probe-" + std::to_string(::getpid());
    const std::string name_ = folder_ + "/frames.txt";
    const fs::path reference_ = test::FixturePath(name_);
    const fs::path review_ = test::FixturePath(name_ + ".out");
};

TEST_F(GoldenFileTest, AMismatchFailsAtItsLineAndLeavesTheTextForReview) {
    std::ofstream(reference_, std::ios::binary) << "G00 X20\nG01 Z-10\nM05\n";
    EXPECT_NONFATAL_FAILURE(test::ExpectGolden(name_, "G00 X20\nG01 Z-12\nM05\n"),
                            "first at line 2:\n  golden:   G01 Z-10\n  computed: G01 Z-12");
    EXPECT_EQ(Read(review_), "G00 X20\nG01 Z-12\nM05\n");
    EXPECT_EQ(Read(reference_), "G00 X20\nG01 Z-10\nM05\n");

    test::ExpectGolden(name_, "G00 X20\nG01 Z-10\nM05\n");
    EXPECT_FALSE(fs::exists(review_)) << "a match clears the old review file";

    EXPECT_NONFATAL_FAILURE(test::ExpectGolden(folder_ + "/missing.txt", "M30\n"), "no golden file");
    EXPECT_EQ(Read(test::FixturePath(folder_ + "/missing.txt.out")), "M30\n");
}

TEST_F(GoldenFileTest, TheUpdateVariableRewritesTheReference) {
    std::ofstream(reference_, std::ios::binary) << "old\n";
    ::setenv(test::kUpdateGoldenVariable, "1", 1);
    test::ExpectGolden(name_, "new\n");
    EXPECT_EQ(Read(reference_), "new\n");
    EXPECT_FALSE(fs::exists(review_));
}

}  // namespace
}  // namespace zarvento
