// The invariant helpers: silent while the condition holds, a stop that names
// the place and the condition in a strict build, and in a user's build the
// condition's value back, so that the caller refuses with its message.
#include <gtest/gtest.h>

#include "platform/core/check.h"

namespace zarvento {
namespace {

int IndexOrRefusal(int index, int count, std::string& message) {
    if (ZARVENTO_NEVER(index >= count)) {
        message = BrokenInvariantText("Глава не прочитана");
        return -1;
    }
    if (!ZARVENTO_ALWAYS(index >= 0)) {
        message = BrokenInvariantText("Глава не прочитана");
        return -1;
    }
    return index;
}

TEST(CheckTest, AHeldInvariantGivesItsValueAndNoMessage) {
    std::string message;
    EXPECT_EQ(IndexOrRefusal(2, 3, message), 2);
    EXPECT_TRUE(message.empty());
}

#ifdef ZARVENTO_STRICT_INVARIANTS
TEST(CheckDeathTest, ABrokenInvariantStopsAStrictBuildWithItsPlaceAndCondition) {
    std::string message;
    EXPECT_DEATH(IndexOrRefusal(3, 3, message), "check_test.cpp:[0-9]+: invariant broken: !\\(index >= count\\)");
    EXPECT_DEATH(IndexOrRefusal(-1, 3, message), "check_test.cpp:[0-9]+: invariant broken: index >= 0");
    const int index = 3, count = 3;
    EXPECT_DEATH(ZARVENTO_CHECK(index < count, "index within the chain"),
                 "check_test.cpp:[0-9]+: invariant broken: index within the chain \\(index < count\\)");
}
#endif

TEST(CheckTest, InAUsersBuildABrokenInvariantRefusesWithItsPlace) {
    const detail::UserBuildInvariants userBuild;
    struct Case {
        int index;
        const char* condition;
    };
    for (const Case& c : {Case{3, "!(index >= count)"}, Case{-1, "index >= 0"}}) {
        std::string message;
        EXPECT_EQ(IndexOrRefusal(c.index, 3, message), -1) << c.condition;
        EXPECT_EQ(message.rfind("Глава не прочитана: внутренняя ошибка программы (check_test.cpp:", 0), 0u) << message;
        EXPECT_NE(message.find(c.condition), std::string::npos) << message;
    }
    // The statement form runs on.
    const int index = 3, count = 3;
    ZARVENTO_CHECK(index < count, "index within the chain");
}

}  // namespace
}  // namespace zarvento
