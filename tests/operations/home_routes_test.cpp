// Approaches and returns over random parts with bores: every kind's routes
// from the home point to its first cut and back, read from the program as a
// control reads it, keep the nose off the part and off the stock as it
// stands then; where none can, the operation says so and writes nothing.
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
        ParamTool& roughing = runner->Tool(0, "Резец проходной", 0.8);
        ParamTool& finishing = runner->Tool(1, "Резец чистовой", 0.4);
        ParamTool& boring = runner->Tool(2, "Резец расточной", 0.4);
        boring.TYPE_ = 12;
        for (ParamTool* tool : {&roughing, &finishing, &boring}) {
            tool->nP = 3;
            tool->isInter = tool == &boring;
            tool->UpdateTipPosition();
            test::SetToolVariable(*tool, "fi", 93.0);
            test::SetToolVariable(*tool, "fi1", 32.0);
        }
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

TEST_F(HomeRoutesTest, Explore) {
    std::mt19937 random(5150);
    int failed = 0;
    for (int run = 0; run < (getenv("ZRUN") ? atoi(getenv("ZRUN")) + 1 : 40); ++run) { if (getenv("ZRUN") && run != atoi(getenv("ZRUN"))) { NextBore(random, run % 2 == 1); continue; }
        const bool through = run % 2 == 1;
        const BorePart b = NextBore(random, through);
        for (int direction = 0; direction < 4; ++direction) {
            runner->Clear();
            runner->Part(b.profile.text);
            if (direction < 3) {
                runner->AddKind(kTurnMnogoProhod, b.profile.text, [&](CTurn& o) {
                    auto& m = dynamic_cast<CTurnMnogoProhod&>(o);
                    o.isAutoTool = false;
                    o.nToolPosition = 2;
                    o.tableWorkContour->GetFirstUnit()->IsMarked = through;
                    test::SetCycleValue(m.turningCycle, "P3", direction);
                    test::SetCycleValue(m.turningCycle, "I", 1.5);
                    test::SetCycleValue(m.turningCycle, "P4", 0.5);
                });
            } else {
                runner->AddKind(kTurnKONTUR, b.profile.text, [&](CTurn& o) {
                    o.tableWorkContour->GetFirstUnit()->IsMarked = through;
                    o.isAutoTool = false;
                    o.nToolPosition = 2;
                });
            }
            runner->Run();
            const std::string fault = test::PlanFault(*runner, *b.bar, *b.part, 0, false);
            if (!fault.empty()) {
                ++failed;
                std::printf("run %d through %d dir %d: %s\n", run, (int)through, direction,
                            fault.substr(0, fault.find("\n", fault.find("\n") + 1)).c_str());
            }
        }
    }
    EXPECT_EQ(failed, 0);
}

}  // namespace
}  // namespace zarvento
