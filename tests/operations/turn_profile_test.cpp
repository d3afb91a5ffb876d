// Profile roughing of the multi-pass operation: passes along offsets of the
// working side, outermost first, the facing form of a single face and
// golden paths (the corpus invariants run with the other feed directions).
#include <gtest/gtest.h>

#include <cmath>

#include "fixture_parts.h"
#include "path_checks.h"
#include "geometry/primitives.h"
#include "multipass_test_support.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations_test_support.h"
#include "plan/spid.h"

namespace zarvento {
namespace {

struct ProfileMove {
    double x1, z1, x2, z2;
    bool rapid;
};

class TurnProfileTest : public test::OperationTest {
protected:
    void SetUp() override {
        test::OperationTest::SetUp();
        ParamTool& boring = runner->Tool(2, "Резец расточной", 0.4);
        boring.TYPE_ = 12;
    }

    CTurnMnogoProhod& Profile(const std::string& profile, const std::function<void(CTurnMnogoProhod&)>& setup = {}) {
        runner->Clear();
        runner->Part(profile);
        CTurn& op = runner->AddKind(kTurnMnogoProhod, profile, [&](CTurn& o) {
            auto& m = dynamic_cast<CTurnMnogoProhod&>(o);
            test::SetCycleValue(m.turningCycle, "P3", 2);
            if (setup) setup(m);
        });
        runner->Run();
        return dynamic_cast<CTurnMnogoProhod&>(op);
    }

    static std::vector<ProfileMove> Moves(const CTurn& op) {
        std::vector<ProfileMove> moves;
        for (const auto& frame : op.Frames()) {
            StepArray<CUnit*> units(4);
            frame->AddPathUnits(units);
            if (units.Count() == 0) continue;
            moves.push_back({frame->start.x, frame->start.z, frame->end.x, frame->end.z, frame->rapid != 0});
        }
        return moves;
    }
};

// The cuts that run along Z, in path order, as their X levels.
std::vector<double> AlongZLevels(const std::vector<ProfileMove>& moves) {
    std::vector<double> levels;
    for (const ProfileMove& m : moves)
        if (!m.rapid && std::fabs(m.x1 - m.x2) < 1e-9 && std::fabs(m.z1 - m.z2) > 1.0 &&
            (levels.empty() || std::fabs(levels.back() - m.x1) > 1e-9))
            levels.push_back(m.x1);
    return levels;
}

void ExpectContinuous(const std::vector<ProfileMove>& moves) {
    for (std::size_t k = 1; k < moves.size(); ++k) {
        ASSERT_NEAR(moves[k].x1, moves[k - 1].x2, 1e-6) << "move " << k;
        ASSERT_NEAR(moves[k].z1, moves[k - 1].z2, 1e-6) << "move " << k;
    }
}

// A step 5 deep with t = 2: the offsets at 0, 2 and 4 are cut, the one at 6
// misses the region; the outermost runs first, and a short approach is
// raised to t + 1 for the start point.
TEST_F(TurnProfileTest, PassesFollowTheOffsetsOutermostFirst) {
    CTurnMnogoProhod& op = Profile(test::kStepProfile, [](CTurnMnogoProhod& o) {
        o.isZachistka = false;
        o.Vrezanie = 0.5;
        test::SetCycleValue(o.turningCycle, "I", 2);
    });
    ASSERT_EQ(op.messageText, "");
    const std::vector<ProfileMove> moves = Moves(op);
    ExpectContinuous(moves);
    const std::vector<double> levels = AlongZLevels(moves);
    ASSERT_EQ(levels.size(), 3u);
    EXPECT_NEAR(levels[1] - levels[0], 2.0, 1e-6);
    EXPECT_NEAR(levels[2] - levels[1], 2.0, 1e-6);
    ASSERT_EQ(op.regionList.size(), 1u);
    const Contour& w = *op.regionList[0];
    double nearest = 1e300;
    for (int i = 0; i < w.Count(); ++i)
        nearest = std::min(nearest, std::fabs(w.GetUnit(i)->StartPoint.x - levels[2]));
    EXPECT_LT(nearest, 1e-6) << "the last pass runs on the working side itself";
    BoundBox box;
    ContoursBoundingBox(w, *op.pairedList[0], box);
    ASSERT_FALSE(moves.empty());
    EXPECT_NEAR(moves[0].z2, box.zmax + 3.0, 1e-6);
    EXPECT_NEAR(moves[0].x2, box.xmin - 3.0, 1e-6);
    EXPECT_NEAR(moves.back().z1, box.zmax + 3.0, 1e-6) << "the passes end back at the start point";
}

// A single face is roughed by the facing passes.
TEST_F(TurnProfileTest, OneFacePieceFallsBackToFacing) {
    const char* face = "LineSeg( -5.5,1, -5.5,-30, 1 );\n";
    CTurnMnogoProhod& profile = Profile(face, [](CTurnMnogoProhod& o) { o.isZachistka = false; });
    ASSERT_EQ(profile.messageText, "");
    const std::vector<ProfileMove> byProfile = Moves(profile);
    CTurnMnogoProhod& facing = Profile(face, [](CTurnMnogoProhod& o) {
        o.isZachistka = false;
        test::SetCycleValue(o.turningCycle, "P3", 1);
    });
    const std::vector<ProfileMove> byFacing = Moves(facing);
    ASSERT_GT(byFacing.size(), 2u);
    ASSERT_GE(byProfile.size(), byFacing.size());
    // The facing passes, up to the return home; the clean-up pass of the
    // profile form follows them.
    for (std::size_t k = 0; k + 1 < byFacing.size(); ++k) {
        EXPECT_NEAR(byProfile[k].z1, byFacing[k].z1, 1e-9) << k;
        EXPECT_NEAR(byProfile[k].x1, byFacing[k].x1, 1e-9) << k;
        EXPECT_NEAR(byProfile[k].z2, byFacing[k].z2, 1e-9) << k;
        EXPECT_NEAR(byProfile[k].x2, byFacing[k].x2, 1e-9) << k;
    }
}

// Every part of the corpus, roughed along its offsets at a depth of 1.5 and
// cleaned up, against its stored frames.
TEST_F(TurnProfileTest, GoldenPathsOfTheFixtureCorpus) {
    for (const test::FixturePart& part : test::FixtureParts()) {
        SCOPED_TRACE(part.name);
        runner->Bar(part.barLength, part.barDiameter, part.barInner, part.barZ).InnerPoint(part.innerZ, part.innerX);
        CTurnMnogoProhod& op = Profile(part.profile, [](CTurnMnogoProhod& o) {
            test::SetCycleValue(o.turningCycle, "I", 1.5);
        });
        ASSERT_EQ(op.messageText, "");
        std::string file = std::string("profile/") + part.name + ".txt";
        for (char& c : file)
            if (c == ' ') c = '_';
        test::ExpectGolden(file, runner->Text(0));
    }
}

}  // namespace
}  // namespace zarvento
