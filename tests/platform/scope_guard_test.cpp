// The scope guard: what it undoes runs on every way out of the scope, once,
// and not at all when dismissed.
#include "platform/core/scope_guard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace zarvento {
namespace {

TEST(ScopeGuardTest, UndoesOnReturnAndOnThrowUnlessDismissed) {
    int undone = 0;
    const auto leave = [&undone](bool dismiss, bool fail) {
        ScopeGuard guard([&undone] { ++undone; });
        if (dismiss) guard.Dismiss();
        if (fail) throw std::runtime_error("failed");
    };
    leave(false, false);
    EXPECT_EQ(undone, 1);
    EXPECT_THROW(leave(false, true), std::runtime_error);
    EXPECT_EQ(undone, 2);
    EXPECT_THROW(leave(true, true), std::runtime_error);
    leave(true, false);
    EXPECT_EQ(undone, 2);
}

TEST(ScopeGuardTest, SetForScopePutsThePreviousValueBackAlsoWhenNested) {
    std::string mode = "outer";
    try {
        const auto first = SetForScope(mode, "first");
        {
            const auto second = SetForScope(mode, std::string("second"));
            EXPECT_EQ(mode, "second");
        }
        EXPECT_EQ(mode, "first");
        throw std::runtime_error("failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(mode, "outer");
}

}  // namespace
}  // namespace zarvento
