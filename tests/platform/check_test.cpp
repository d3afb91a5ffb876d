// The invariant check: silent while it holds, and a stop that names the
// place, the message and the condition when it breaks.
#include <gtest/gtest.h>

#include "platform/core/check.h"

namespace zarvento {
namespace {

#ifndef NDEBUG
TEST(CheckDeathTest, ABrokenInvariantStopsWithItsMessageAndCondition) {
    const int index = 3;
    const int count = 3;
    ZARVENTO_CHECK(index - 1 < count, "index within the chain");
    EXPECT_DEATH(ZARVENTO_CHECK(index < count, "index within the chain"),
                 "check_test.cpp:[0-9]+: invariant broken: index within the chain \\(index < count\\)");
}
#endif

}  // namespace
}  // namespace zarvento
