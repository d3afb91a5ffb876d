// The reach of a roughing's passes, as the main job judges it: over random
// shafts and bores in every roughing strategy the passes come within one
// depth of cut of the working contour wherever the nose fits and the stock
// stands thicker; passes cut short of it are found, with the place.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "multipass_test_support.h"
#include "operations/path_clearance.h"
#include "operations/roughing_reach.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations_test_support.h"
#include "path_checks.h"
#include "plan/spid.h"
#include "random_profiles.h"

namespace zarvento {
namespace {

class RoughingReachTest : public test::OperationTest {
protected:
    void SetUp() override {
        test::OperationTest::SetUp();
        ParamTool& boring = runner->Tool(2, "Резец расточной", 0.4);
        boring.TYPE_ = 12;
        boring.nP = 3;
        boring.isInter = true;
        boring.UpdateTipPosition();
        for (int i = 0; i < 3; ++i) {
            test::SetToolVariable(*GetSPID()->GetTool(i), "fi", 93.0);
            test::SetToolVariable(*GetSPID()->GetTool(i), "fi1", 32.0);
        }
    }

    // A roughing of the profile (0.5 left on it) in feed direction `direction`
    // (0 along Z, 1 across, 2 along the profile) at depth t, with the plan
    // angles heeded or not, its clean-up pass or its own finishing pass.
    CTurn& Rough(const std::string& profile, bool bore, int direction, double t, bool planAngles, int finish,
                 test::ShaftEnds ends = {}) {
        runner->Clear();
        runner->Part(profile);
        CTurn& op = runner->AddKind(kTurnMnogoProhod, profile, [&](CTurn& o) {
            auto& m = dynamic_cast<CTurnMnogoProhod&>(o);
            o.tableWorkContour->GetFirstUnit()->IsMarked = ends.face;
            o.tableWorkContour->GetLastUnit()->IsMarked = ends.chuck;
            o.isAutoTool = false;
            o.nToolPosition = bore ? 2 : 0;
            o.isPripuskW = true;
            o.PripuskW = 0.5;
            test::SetCycleValue(m.turningCycle, "P3", direction);
            test::SetCycleValue(m.turningCycle, "I", t);
            if (planAngles) test::SetCycleValue(m.turningCycle, "P7", 1);
            m.isZachistka = finish == 1;
            if (finish == 2) test::SetCycleValue(m.turningCycle, "P4", 0.5);
        });
        runner->Run();
        return op;
    }

    // The operation's computed moves with its feed moves stopped at z:
    // what reaches deeper is cut off (passes that stop there).
    static std::vector<ClearanceMove> StoppedAt(const CTurn& op, double z) {
        std::vector<ClearanceMove> kept;
        for (ClearanceMove m : ComputedMoves(op)) {
            Curve2D& c = m.piece;
            if (!m.rapid && std::min(c.a.x, c.b.x) < z) {
                if (c.arc || std::max(c.a.x, c.b.x) <= z) continue;
                const double t = (z - c.a.x) / (c.b.x - c.a.x);
                const Point2D at{z, c.a.y + t * (c.b.y - c.a.y)};
                c = c.a.x < z ? Curve2D::Line(at, c.b) : Curve2D::Line(c.a, at);
            }
            kept.push_back(m);
        }
        return kept;
    }
};

// Random shafts and bores, each roughed in every strategy: the passes reach
// the working contour, and with the deeper half of them dropped the check
// finds stock left (on all but the few whose deeper half stands under one
// cut).
TEST_F(RoughingReachTest, RandomRoughingsReachTheirContourAndPassesCutShortAreFound) {
    const int runs = test::kSanitizedBuild ? 6 : 36;
    std::mt19937 random(4242);
    std::uniform_real_distribution<double> depth(0.8, 3.0);
    int cut = 0, found = 0;
    for (int run = 0; run < runs; ++run) {
        const int form = run % 3;  // a shaft, a blind bore, a bore through the bar
        const test::ShaftEnds ends{run % 2 == 1, run % 4 >= 2};
        const test::RandomProfile profile = form == 0   ? test::RandomShaftProfile(random, ends)
                                            : form == 1 ? test::RandomBoreProfile(random)
                                                        : test::RandomThroughBoreProfile(random);
        const bool bore = form != 0;
        if (bore)
            runner->Bar(60, 50, test::kBoreBarInner, 2).InnerPoint(test::kBoreInnerZ, test::kBoreInnerX);
        else
            runner->Bar(60, 50, 0, 2).InnerPoint(-10, -3);
        const double t = depth(random);
        for (int direction = 0; direction < 3; ++direction) {
            for (int variant = 0; variant < 3; ++variant) {
                SCOPED_TRACE("run " + std::to_string(run) + ", direction " + std::to_string(direction) + ", variant " +
                             std::to_string(variant) + ", depth " + FormatDouble(t) + "\n" + profile.text);
                CTurn& op = Rough(profile.text, bore, direction, t, variant == 1, variant == 2 ? 2 : variant,
                                  bore ? test::ShaftEnds{form == 2, false} : ends);
                ASSERT_EQ(op.messageText, "");
                const std::optional<double> reach = RoughingReachDepth(op);
                ASSERT_TRUE(reach);
                const auto left = FindStockLeft(op, ComputedMoves(op), *reach);
                EXPECT_FALSE(left) << left->Describe();
                const BoundBox w = op.workContour->GetBoundBox(), s = op.sourceContour->GetBoundBox();
                const double middle = 0.5 * (std::max(w.zmin, s.zmin) + std::min(w.zmax, s.zmax));
                ++cut;
                if (FindStockLeft(op, StoppedAt(op, middle), *reach)) ++found;
            }
        }
    }
    EXPECT_GE(found * 10, cut * 9) << found << " of " << cut << " roughings cut short found";
}

// A shaft of diameter 20 from the face to z = -30 and 40 on, from a bar of
// 50: its passes cut short at z = -15 leave the whole diameter beyond, and
// the check says where and how much against the depth of cut, in every
// strategy.
TEST_F(RoughingReachTest, PassesCutShortSayWhereAndHowMuchIsLeft) {
    const std::string shaft =
        "LineSeg( 5,-10, 0,-10, 1 );\nLineSeg( 0,-10, -30,-10, 1 );\nLineSeg( -30,-10, -30,-20, 1 );\n"
        "LineSeg( -30,-20, -40,-20, 1 );\nLineSeg( -40,-20, -40,-30, 1 );\n";
    for (int direction = 0; direction < 3; ++direction) {
        SCOPED_TRACE("direction " + std::to_string(direction));
        CTurn& op = Rough(shaft, false, direction, 2.0, false, 0);
        ASSERT_EQ(op.messageText, "");
        EXPECT_FALSE(FindStockLeft(op, ComputedMoves(op), 2.0));
        const auto left = FindStockLeft(op, StoppedAt(op, -15.0), 2.0);
        ASSERT_TRUE(left);
        EXPECT_LT(left->z, -15.0);
        EXPECT_GT(left->left, 2.0);
        const std::string text = left->Describe();
        EXPECT_EQ(text.rfind("Проходы не доходят до рабочего контура: у точки Z", 0), 0u) << text;
        EXPECT_NE(text.find(" мм при глубине резания 2.000 мм"), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace zarvento
