// Lines split at CR, LF and CR LF alike.
#include "platform/core/line_reader.h"

#include <gtest/gtest.h>

namespace zarvento {
namespace {

using Lines = std::vector<std::string>;

TEST(LineReader, EveryLineEndCountsOnce) {
    struct Case {
        std::string text;
        Lines lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r", {"a"}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},  // a blank line stays
        {"\n", {""}},
        {"\r\n\n", {"", ""}},
        {"a\n\r", {"a", ""}},  // LF CR is two line ends
        {"a\r\r\n", {"a", ""}},
        {"M30\r\n%", {"M30", "%"}},                            // the last line without a line end is kept
        {std::string("x\0y\n", 4), {std::string("x\0y", 3)}},  // other bytes are data
    };
    for (const auto& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines) << '"' << c.text << '"';
}

TEST(LineReader, PositionFollowsTheLineEnds) {
    LineReader reader("ab\r\ncd");
    std::string_view line;
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "ab");
    EXPECT_EQ(reader.Position(), 4u);
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "cd");
    EXPECT_FALSE(reader.Next(line));
    EXPECT_FALSE(reader.Next(line));
}

}  // namespace
}  // namespace zarvento
