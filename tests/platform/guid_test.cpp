// GUID texts for session folders.
#include "platform/core/guid.h"

#include <gtest/gtest.h>

#include <set>

namespace zarvento {
namespace {

TEST(Guid, NewTextsHaveTheRegistryFormAndDiffer) {
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string g = NewGuidText();
        ASSERT_EQ(g.size(), kGuidTextLength);
        EXPECT_TRUE(IsGuidText(g)) << g;
        for (char c : g) EXPECT_FALSE(c >= 'a' && c <= 'z') << g;  // upper case
        EXPECT_EQ(g[15], '4') << g;                                // version 4
        EXPECT_NE(std::string("89AB").find(g[20]), std::string::npos) << g;
        seen.insert(g);
    }
    EXPECT_EQ(seen.size(), 200u);
    EXPECT_EQ(("NC_" + NewGuidText()).size(), 41u);  // the session folder's name length
}

TEST(Guid, TextRecognition) {
    EXPECT_TRUE(IsGuidText("{0123ABCD-4567-89ab-CDEF-0123456789AB}"));
    for (const char* bad : {"", "0123ABCD-4567-89AB-CDEF-0123456789AB", "{0123ABCD-4567-89AB-CDEF-0123456789AB",
                            "{0123ABCD-4567-89AB-CDEF-0123456789AG}", "{0123ABCD_4567-89AB-CDEF-0123456789AB}",
                            "{0123ABCD-4567-89AB-CDEF-0123456789ABC}"}) {
        EXPECT_FALSE(IsGuidText(bad)) << bad;
    }
}

}  // namespace
}  // namespace zarvento
