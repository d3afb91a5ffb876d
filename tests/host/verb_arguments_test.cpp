// The verbs' one argument reader: options with and without a value, plain
// arguments and their count, --help, and the one-line refusals.
#include "host/verb_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zarvento::app {
namespace {

const VerbSyntax kSyntax{
    "usage: zarvento job <document> [<angle>] [--check] [-o <file>]\n", {{"--check"}, {"--output", "-o", true}}, 1, 2};

struct Read {
    bool ok;
    int status;
    std::string out, err;
    VerbArguments args;
};

Read ReadArguments(std::vector<std::string> words) {
    words.insert(words.begin(), {"zarvento", "job"});
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    Read read;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    read.ok = read.args.Read(kSyntax, static_cast<int>(argv.size()), argv.data());
    read.out = testing::internal::GetCapturedStdout();
    read.err = testing::internal::GetCapturedStderr();
    read.status = read.args.ExitStatus();
    return read;
}

TEST(VerbArgumentsTest, ReadsOptionsValuesAndPlainArguments) {
    const Read read = ReadArguments({"--check", "part.rdp", "-o", "a.nc", "-30", "--output", "b.nc"});
    ASSERT_TRUE(read.ok) << read.err;
    EXPECT_EQ(read.args.Plain(), (std::vector<std::string>{"part.rdp", "-30"}));
    EXPECT_TRUE(read.args.Has("--check"));
    // The short form is the same option; the value given last counts.
    EXPECT_EQ(read.args.Value("--output"), "b.nc");
    EXPECT_EQ(read.out + read.err, "");

    const Read bare = ReadArguments({"part.rdp"});
    ASSERT_TRUE(bare.ok);
    EXPECT_FALSE(bare.args.Has("--check"));
    EXPECT_EQ(bare.args.Value("--output", "part.nc"), "part.nc");
}

TEST(VerbArgumentsTest, RefusesWithOneLineAndAsksHelpWithTheUsage) {
    const std::string usage(kSyntax.usage);
    const struct {
        std::vector<std::string> words;
        int status;
        std::string out, err;
    } cases[] = {
        {{"part.rdp", "--fast"}, 2, "", "zarvento: unknown option '--fast'\n"},
        {{"-x", "part.rdp"}, 2, "", "zarvento: unknown option '-x'\n"},
        {{"part.rdp", "-o"}, 2, "", usage},
        {{}, 2, "", usage},
        {{"a.rdp", "1", "2"}, 2, "", usage},
        {{"-o", "part.rdp"}, 2, "", usage},  // the document went as the value
        {{"--help"}, 0, usage, ""},
        {{"part.rdp", "-h", "-o", "a.nc"}, 0, usage, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        const Read read = ReadArguments(c.words);
        EXPECT_FALSE(read.ok);
        EXPECT_EQ(read.status, c.status);
        EXPECT_EQ(read.out, c.out);
        EXPECT_EQ(read.err, c.err);
    }
}

}  // namespace
}  // namespace zarvento::app
