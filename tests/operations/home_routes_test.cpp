// Approaches and returns over random parts with bores: every kind's routes
// from the home point to its first cut and back, read from the program as a
// control reads it, keep the nose off the part and off the stock as it
// stands then.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "multipass_test_support.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations_test_support.h"
#include "path_checks.h"
#include "plan/spid.h"
#include "program_checks.h"
#include "random_profiles.h"

namespace zarvento {
namespace {

// A bore of the table: blind (from its bottom) or through the whole bar.
struct BorePart {
    bool through = false;
    test::RandomProfile profile;
    std::unique_ptr<Contour> bar, part;
};

class HomeRoutesTest : public test::OperationTest {
protected:
    void SetUp() override {
        test::OperationTest::SetUp();
        // A boring bar with its theoretical tip where a tool model puts it.
        ParamTool& boring = runner->Tool(2, "Резец расточной", 0.4);
        boring.TYPE_ = 12;
        boring.nP = 3;
        boring.isInter = true;
        boring.UpdateTipPosition();
        test::SetToolVariable(boring, "fi", 93.0);
        test::SetToolVariable(boring, "fi1", 32.0);
    }

    BorePart NextBore(std::mt19937& random, bool through) {
        BorePart b;
        b.through = through;
        b.profile = through ? test::RandomThroughBoreProfile(random) : test::RandomBoreProfile(random);
        runner->Bar(60, 50, test::kBoreBarInner, 2).InnerPoint(test::kBoreInnerZ, test::kBoreInnerX);
        b.bar = test::BarContour(60, 50, test::kBoreBarInner, 2);
        b.part = test::ClosedPart(*test::OperationRunner::Parse(b.profile.inBar), true);
        return b;
    }
};

// Roughing along, across and along the profile, and a contour pass, by a
// boring bar inside blind bores and bores through the bar: the bar leaves
// each bore along its axis before it moves out across it.
TEST_F(HomeRoutesTest, ABoringBarLeavesAndEntersBoresClearOfThePartAndTheStock) {
#ifdef __SANITIZE_ADDRESS__
    constexpr int kRuns = 8;
#else
    constexpr int kRuns = 24;
#endif
    std::mt19937 random(5150);
    for (int run = 0; run < kRuns; ++run) {
        const bool through = run % 2 == 1;
        const BorePart b = NextBore(random, through);
        for (int direction = 0; direction < 4; ++direction) {
            SCOPED_TRACE("run " + std::to_string(run) + ", direction " + std::to_string(direction) + "\n" +
                         b.profile.text);
            runner->Clear();
            runner->Part(b.profile.text);
            const auto bar = [&](CTurn& o) {
                o.tableWorkContour->GetFirstUnit()->IsMarked = through;
                o.isAutoTool = false;
                o.nToolPosition = 2;
            };
            if (direction < 3) {
                runner->AddKind(kTurnMnogoProhod, b.profile.text, [&](CTurn& o) {
                    bar(o);
                    auto& m = dynamic_cast<CTurnMnogoProhod&>(o);
                    test::SetCycleValue(m.turningCycle, "P3", direction);
                    test::SetCycleValue(m.turningCycle, "I", 1.5);
                    test::SetCycleValue(m.turningCycle, "P4", 0.5);
                });
            } else {
                runner->AddKind(kTurnKONTUR, b.profile.text, bar);
            }
            runner->Run();
            EXPECT_EQ(test::PlanFault(*runner, *b.bar, *b.part, 0, false), "");
        }
    }
}

}  // namespace
}  // namespace zarvento
