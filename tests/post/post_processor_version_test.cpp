// Which description versions count as a given one or later.
#include <gtest/gtest.h>

#include "post/post_processor_settings.h"

namespace zarvento {
namespace {

TEST(PostProcessorVersionTest, VersionsOfDigitsCompareAsNumbersAndOtherTextsByCharacters) {
    struct Case {
        const char* version;
        const char* least;
        bool atLeast;
    };
    const Case cases[] = {
        {"18", "18", true},  {"17", "18", false}, {"19", "18", true},  {"2", "18", false},
        {"9", "18", false},  {"100", "18", true}, {"018", "18", true}, {"", "18", false},
        {"18a", "18", true}, {"1a", "18", true},  {"abc", "18", true}, {"0", "0", true},
    };
    for (const Case& c : cases) EXPECT_EQ(VersionTextAtLeast(c.version, c.least), c.atLeast) << c.version;
    PostProcessorSettings settings;
    settings.Version = "2";
    EXPECT_FALSE(settings.VersionAtLeast("18"));
    settings.Version = "21";
    EXPECT_TRUE(settings.VersionAtLeast("18"));
}

}  // namespace
}  // namespace zarvento
