// Profile roughing of the multi-pass operation: passes along offsets of the
// working side, outermost first, the facing form of a single face and
// golden paths (the corpus invariants run with the other feed directions).
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "fixture_parts.h"
#include "geometry/primitives.h"
#include "multipass_test_support.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations_test_support.h"
#include "path_checks.h"
#include "plan/spid.h"
#include "platform/core/host_faults.h"
#include "platform/core/variant.h"
#include "random_profiles.h"

namespace zarvento {
namespace {

using Move = test::PathMove;
using test::ExpectContinuous;
using test::kBoreBarInner;
using test::kBoreInnerX;
using test::kBoreInnerZ;
using test::RandomBoreProfile;
using test::RandomOuterProfile;
using test::RandomProfile;

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
};

// The cuts that run along Z, in path order, as their X levels.
std::vector<double> AlongZLevels(const std::vector<Move>& moves) {
    std::vector<double> levels;
    for (const Move& m : moves)
        if (!m.rapid && std::fabs(m.x1 - m.x2) < 1e-9 && std::fabs(m.z1 - m.z2) > 1.0 &&
            (levels.empty() || std::fabs(levels.back() - m.x1) > 1e-9))
            levels.push_back(m.x1);
    return levels;
}

// A step 5 deep with t = 2: the offsets at 0, 2 and 4 are cut, the one at 6
// misses the region; the outermost runs first, and a short approach is
// raised to t and the clearance (the retract distance, 1.5) for the start
// point.
TEST_F(TurnProfileTest, PassesFollowTheOffsetsOutermostFirst) {
    CTurnMnogoProhod& op = Profile(test::kStepProfile, [](CTurnMnogoProhod& o) {
        o.isZachistka = false;
        o.Vrezanie = 0.5;
        test::SetCycleValue(o.turningCycle, "I", 2);
    });
    ASSERT_EQ(op.messageText, "");
    const std::vector<Move> moves = test::PathMoves(op);
    ExpectContinuous(moves);
    const std::vector<double> levels = AlongZLevels(moves);
    ASSERT_EQ(levels.size(), 3u);
    EXPECT_NEAR(levels[1] - levels[0], 2.0, 1e-6);
    EXPECT_NEAR(levels[2] - levels[1], 2.0, 1e-6);
    ASSERT_EQ(op.calc.regionList.size(), 1u);
    const Contour& w = *op.calc.regionList[0];
    double nearest = 1e300;
    for (int i = 0; i < w.Count(); ++i) nearest = std::min(nearest, std::fabs(w.GetUnit(i)->StartPoint.x - levels[2]));
    EXPECT_LT(nearest, 1e-6) << "the last pass runs on the working side itself";
    BoundBox box;
    ContoursBoundingBox(w, *op.calc.pairedList[0], box);
    ASSERT_FALSE(moves.empty());
    EXPECT_NEAR(moves[0].z2, box.zmax + 3.5, 1e-6);
    EXPECT_NEAR(moves[0].x2, box.xmin - 3.5, 1e-6);
    EXPECT_NEAR(moves.back().z1, box.zmax + 3.5, 1e-6) << "the passes end back at the start point";
}

// A single face is roughed by the facing passes.
TEST_F(TurnProfileTest, OneFacePieceFallsBackToFacing) {
    const char* face = "LineSeg( -5.5,1, -5.5,-30, 1 );\n";
    CTurnMnogoProhod& profile = Profile(face, [](CTurnMnogoProhod& o) { o.isZachistka = false; });
    ASSERT_EQ(profile.messageText, "");
    const std::vector<Move> byProfile = test::PathMoves(profile);
    CTurnMnogoProhod& facing = Profile(face, [](CTurnMnogoProhod& o) {
        o.isZachistka = false;
        test::SetCycleValue(o.turningCycle, "P3", 1);
    });
    const std::vector<Move> byFacing = test::PathMoves(facing);
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

// The distance from a point to the nearest of the cuts, or more than `reach`.
double NearestCut(const std::vector<const CUnit*>& cuts, double z, double x, double reach) {
    double best = reach + 1.0;
    for (const CUnit* u : cuts) {
        BoundBox b;
        u->GetBoundBox(b);
        if (z < b.zmin - best || z > b.zmax + best || x < b.xmin - best || x > b.xmax + best) continue;
        best = std::min(best, test::Distance(*u, z, x));
        if (best <= reach) break;
    }
    return best;
}

// The invariants of profile roughing over one part, roughed at depth t
// without the optional clean-up: no error, a continuous path within a
// bounded number of moves, the nose circle clear of the part, and every
// point of every region within one depth of cut of a cut, so no more than
// one depth of material is left behind. Passes along Z stop at levels one
// depth apart and leave what lies past the last level they reach: with
// `thinLayersStay` a point may instead lie in a layer thinner than one depth
// between the working and the stock side.
void ExpectProfileInvariants(const CTurnMnogoProhod& op, const RandomProfile& profile, double t,
                             bool thinLayersStay = false) {
    ASSERT_EQ(op.messageText, "");
    const std::vector<Move> moves = test::PathMoves(op);
    ExpectContinuous(moves);
    const auto part = test::OperationRunner::Parse(profile.inBar);
    ASSERT_EQ(test::FirstGouge(op, *part, 0.0), "");
    // At most 26 mm of stock over the part: that many offsets, each cut into
    // a few pieces of the profile's units with their moves.
    const double offsets = 26.0 / t + 2.0, units = part->Count();
    EXPECT_LT(static_cast<double>(moves.size()), offsets * (units / 2.0 + 1.0) * (2.0 * units + 10.0));

    std::vector<const CUnit*> cuts;
    std::vector<StepArray<CUnit*>> held;
    held.reserve(op.Frames().size());
    for (const auto& frame : op.Frames()) {
        if (frame->rapid) continue;
        held.emplace_back(4);
        frame->AddPathUnits(held.back());
        for (std::uint32_t k = 0; k < held.back().Count(); ++k) cuts.push_back(held.back()[k]);
    }
    ASSERT_FALSE(op.calc.regionList.empty());
    for (std::size_t i = 0; i < op.calc.regionList.size(); ++i) {
        auto outline = ReverseContour(op.calc.regionList[i]->Clone());
        outline->AppendCopy(*op.calc.pairedList[i]);
        const BoundBox box = outline->GetBoundBox();
        const int columns = static_cast<int>((box.zmax - box.zmin) / 0.5) + 1;
        const int rows = static_cast<int>((box.xmax - box.xmin) / 0.5) + 1;
        for (int c = 0; c < columns; ++c) {
            for (int r = 0; r < rows; ++r) {
                const double z = box.zmin + 0.5 * c + 0.01, x = box.xmin + 0.5 * r + 0.01;
                if (!outline->IsPointInside(z, x)) continue;
                if (NearestCut(cuts, z, x, t + 1e-3) <= t + 1e-3) continue;
                ASSERT_TRUE(thinLayersStay && test::Distance(*op.calc.regionList[i], z, x) +
                                                      test::Distance(*op.calc.pairedList[i], z, x) <=
                                                  t + 1e-3)
                    << "region " << i << " point (" << z << ", " << x << ")";
            }
        }
    }
}

// Random outer profiles from a fixed seed, so every run sees the same 200.
TEST_F(TurnProfileTest, InvariantsOnRandomProfiles) {
    std::mt19937 random(24116);
    std::uniform_real_distribution<double> depth(0.5, 4.0);
    for (int run = 0; run < 200; ++run) {
        const RandomProfile profile = RandomOuterProfile(random);
        const double t = depth(random);
        SCOPED_TRACE("run " + std::to_string(run) + ", depth " + FormatDouble(t) + "\n" + profile.text);
        const CTurnMnogoProhod& op = Profile(profile.text, [&](CTurnMnogoProhod& o) {
            o.isZachistka = false;
            test::SetCycleValue(o.turningCycle, "I", t);
        });
        ExpectProfileInvariants(op, profile, t);
    }
}

// Random bores from a fixed seed, roughed along the profile and along Z
// with noses of 0.4 to 1.6, a third of them heeding the plan angles.
TEST_F(TurnProfileTest, InvariantsOnRandomBores) {
    runner->Bar(60, 50, kBoreBarInner, 2).InnerPoint(kBoreInnerZ, kBoreInnerX);
    for (int feed : {2, 0}) {
        std::mt19937 random(52061);
        std::uniform_real_distribution<double> depth(0.5, 4.0), angle(0.0, 1.0);
        for (int run = 0; run < 100; ++run) {
            const RandomProfile profile = RandomBoreProfile(random);
            const double t = depth(random), nose = 0.4 * static_cast<double>(1 + random() % 4);
            // Now and then the tool's plan angles are heeded, which bridges a recess.
            const bool planAngles = random() % 3 == 0;
            const double fi = 90.5 + 10.0 * angle(random), fi1 = 5.0 + 55.0 * angle(random);
            ParamTool& boring = runner->Tool(2, "Резец расточной", nose);
            boring.TYPE_ = 12;
            test::SetToolVariable(boring, "fi", fi);
            test::SetToolVariable(boring, "fi1", fi1);
            SCOPED_TRACE("feed direction " + std::to_string(feed) + ", run " + std::to_string(run) + ", depth " +
                         FormatDouble(t) + ", nose radius " + FormatDouble(nose) +
                         (planAngles ? ", plan angles " + FormatDouble(fi) + " and " + FormatDouble(fi1) : "") + "\n" +
                         profile.text);
            const CTurnMnogoProhod& op = Profile(profile.text, [&](CTurnMnogoProhod& o) {
                o.isZachistka = false;
                test::SetCycleValue(o.turningCycle, "P3", feed);
                test::SetCycleValue(o.turningCycle, "I", t);
                if (planAngles) {
                    o.indCycleElementar = 0;
                    test::SetCycleValue(o.turningCycle, "P7", 1);
                }
            });
            ExpectProfileInvariants(op, profile, t, feed == 0);
        }
    }
}

// Profiles that once broke an invariant.
TEST_F(TurnProfileTest, InvariantsOnProfilesThatOnceFailed) {
    struct Case {
        const char* why;
        double t;
        RandomProfile profile;
        double barInner = 0.0;  // a bore's bar is bored to this
        int feed = 2;
        double nose = 0.4;
        double fi = 0.0, fi1 = 0.0;  // the tool's plan angles, heeded when set
    };
    // A pass that starts on the round of a step's edge, its approach carried
    // on round the circle back towards the diameter in front of the step.
    const std::string edgeRound =
        "LineSeg( 2,-12.283614202958121, -0.12106544310206324,-12.283614202958121, 1 );\n"
        "ArcByPoint( -0.12106544310206324,-13.85227951977863, 1.5686653168205085, -0.12106544310206324,"
        "-12.283614202958121, -1.6897307599225717,-13.85227951977863, 1, 1 );\n"
        "LineSeg( -1.6897307599225717,-13.85227951977863, -1.6897307599225717,-15.922986103850656, 1 );\n"
        "LineSeg( -1.6897307599225717,-15.922986103850656, -5.097292588608513,-15.922986103850656, 1 );\n"
        "LineSeg( -5.097292588608513,-15.922986103850656, -5.097292588608513,-16.893555311022045, 1 );\n"
        "ArcByPoint( -5.547065053967629,-16.893555311022045, 0.44977246535911564, -5.097292588608513,"
        "-16.893555311022045, -5.547065053967629,-17.34332777638116, -1, 1 );\n"
        "LineSeg( -5.547065053967629,-17.34332777638116, -9.529235672403885,-17.34332777638116, 1 );\n"
        "LineSeg( -9.529235672403885,-17.34332777638116, -9.529235672403885,-30, 1 );\n";
    // A bore whose diameter turns by less than a ten-thousandth of a degree:
    // the offset working side rounds that corner by an arc some 3e-5 long.
    const std::string barelyTurning =
        "LineSeg( -16.806804964563803,-15.67234575902675, -12.190062421469756,-15.67234575902675, 1 );\n"
        "LineSeg( -12.190062421469756,-15.67234575902675, -6.735797262817917,-15.67275989803599, 1 );\n";
    // A bore with a hollow in its narrow diameter and another past a step:
    // the last cut in the first hollow starts nearer the second than the
    // cut along the diameter above it does.
    const std::string twoPockets =
        "LineSeg( -36,-14, -27.5,-14, 1 );\nArcByPoint( -25,-14, 2.5, -27.5,-14, -22.5,-14, 1, 1 );\n"
        "LineSeg( -22.5,-14, -18,-14, 1 );\nLineSeg( -18,-14, -18,-17, 1 );\nLineSeg( -18,-17, -16.5,-17, 1 );\n"
        "ArcByPoint( -13.75,-17, 2.75, -16.5,-17, -11,-17, 1, 1 );\n";
    // A hollow in a bore a little narrower than the nose: the one cut in it
    // is short, and a retract at the usual slant would pass the far rim
    // nearer than the nose radius.
    const std::string narrowHollow =
        "LineSeg( -36,-19.5, -22.1,-19.5, 1 );\nArcByPoint( -20.6,-19.5, 1.5, -22.1,-19.5, -19.1,-19.5, 1, 1 );\n";
    // A bore recessed behind a lip, with a hollow further out and a chamfer
    // at the mouth: one pass cuts at the mouth and in the hollow, and the
    // hollow's cut lies under no cut of the chain it joins.
    const std::string lipAndHollow =
        "LineSeg( -23.06120090035619,-13.506111121242235, -20.401555625555858,-13.506111121242235, 1 );\n"
        "LineSeg( -20.401555625555858,-13.506111121242235, -20.401555625555858,-11, 1 );\n"
        "LineSeg( -20.401555625555858,-11, -18.953815555641192,-11, 1 );\n"
        "LineSeg( -18.953815555641192,-11, -14.86023695289253,-14.393181915524881, 1 );\n"
        "LineSeg( -14.86023695289253,-14.393181915524881, -11.755680330247275,-14.393181915524881, 1 );\n"
        "ArcByPoint( -10.72837905992793,-14.331209020532812, 1.0291688586978511, -11.755680330247275,"
        "-14.393181915524881, -9.701077789608586,-14.393181915524881, 1, 1 );\n"
        "LineSeg( -9.701077789608586,-14.393181915524881, 0.6101560908727535,-14.393181915524881, 1 );\n"
        "LineSeg( 0.6101560908727535,-14.393181915524881, 2,-15.783025824652128, 1 );\n";
    const Case cases[] = {
        {"approach round an edge",
         3.8306238500028047,
         {"LineSeg( 5,-12.283614202958121, 2,-12.283614202958121, 1 );\n" + edgeRound,
          "LineSeg( 2,0, 2,-12.283614202958121, 1 );\n" + edgeRound}},
        {"offsets lost at a corner that barely turns",
         2.2759481168341438,
         {"LineSeg( -16.806804964563803,-5, -16.806804964563803,-15.67234575902675, 1 );\n" + barelyTurning +
              "LineSeg( -6.735797262817917,-15.67275989803599, 5,-15.67275989803599, 1 );\n",
          "LineSeg( -16.806804964563803,-10, -16.806804964563803,-15.67234575902675, 1 );\n" + barelyTurning +
              "LineSeg( -6.735797262817917,-15.67275989803599, 2,-15.67275989803599, 1 );\n"
              "LineSeg( 2,-15.67275989803599, 2,-25, 1 );\n"},
         20.0},
        {"along Z from one pocket into the next through the wall between",
         2.5,
         {"LineSeg( -36,-5, -36,-14, 1 );\n" + twoPockets + "LineSeg( -11,-17, 5,-17, 1 );\n",
          "LineSeg( -36,-6, -36,-14, 1 );\n" + twoPockets +
              "LineSeg( -11,-17, 2,-17, 1 );\nLineSeg( 2,-17, 2,-25, 1 );\n"},
         12.0,
         0},
        {"a retract out of a narrow hollow into its other rim",
         1.80625,
         {"LineSeg( -36,-2, -36,-19.5, 1 );\n" + narrowHollow + "LineSeg( -19.1,-19.5, 5,-19.5, 1 );\n",
          "LineSeg( -36,-6, -36,-19.5, 1 );\n" + narrowHollow +
              "LineSeg( -19.1,-19.5, 2,-19.5, 1 );\nLineSeg( 2,-19.5, 2,-25, 1 );\n"},
         12.0,
         0,
         1.6},
        {"along Z at one level from a cut past the mouth into a hollow",
         1.784906407284494,
         {"LineSeg( -23.06120090035619,-2, -23.06120090035619,-13.506111121242235, 1 );\n" + lipAndHollow +
              "LineSeg( 2,-15.783025824652128, 5,-15.783025824652128, 1 );\n",
          "LineSeg( -23.06120090035619,-6, -23.06120090035619,-13.506111121242235, 1 );\n" + lipAndHollow +
              "LineSeg( 2,-15.783025824652128, 2,-25, 1 );\n"},
         12.0,
         0,
         0.4,
         93.0,
         60.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ParamTool& boring = runner->Tool(2, "Резец расточной", c.nose);
        boring.TYPE_ = 12;
        if (c.fi > 0) {
            test::SetToolVariable(boring, "fi", c.fi);
            test::SetToolVariable(boring, "fi1", c.fi1);
        }
        if (c.barInner > 0)
            runner->Bar(60, 50, c.barInner, 2).InnerPoint(kBoreInnerZ, kBoreInnerX);
        else
            runner->Bar(60, 50, 0, 2).InnerPoint(-10, -5);
        const CTurnMnogoProhod& op = Profile(c.profile.text, [&](CTurnMnogoProhod& o) {
            o.isZachistka = false;
            test::SetCycleValue(o.turningCycle, "P3", c.feed);
            test::SetCycleValue(o.turningCycle, "I", c.t);
            if (c.fi > 0) {
                o.indCycleElementar = 0;
                test::SetCycleValue(o.turningCycle, "P7", 1);
            }
        });
        ExpectProfileInvariants(op, c.profile, c.t, c.feed == 0);
    }
}

// After the passes of each region the host is asked once to show them, in
// every feed direction.
TEST_F(TurnProfileTest, HostIsCalledOnceAfterThePassesOfARegion) {
    for (const char* name : {"step", "shaft with a land", "bore"}) {
        const test::FixturePart* part = &test::FixturePartNamed(name);
        runner->Bar(part->barLength, part->barDiameter, part->barInner, part->barZ)
            .InnerPoint(part->innerZ, part->innerX);
        // What running an operation asks of the host anyway: a contour pass
        // lays no roughing passes.
        int before = HostFaults::Calls("RefreshHostView");
        runner->Clear();
        runner->Part(part->profile);
        runner->AddKind(kTurnKONTUR, part->profile);
        runner->Run();
        const int anyway = HostFaults::Calls("RefreshHostView") - before;
        for (int feed : {0, 1, 2}) {
            SCOPED_TRACE(std::string(name) + ", feed direction " + std::to_string(feed));
            before = HostFaults::Calls("RefreshHostView");
            const CTurnMnogoProhod& op =
                Profile(part->profile, [&](CTurnMnogoProhod& o) { test::SetCycleValue(o.turningCycle, "P3", feed); });
            ASSERT_EQ(op.messageText, "");
            EXPECT_EQ(HostFaults::Calls("RefreshHostView") - before - anyway,
                      static_cast<int>(op.calc.regionList.size()));
        }
    }
}

// Every part of the corpus, roughed along its offsets at a depth of 1.5 and
// cleaned up, against its stored frames.
TEST_F(TurnProfileTest, GoldenPathsOfTheFixtureCorpus) {
    for (const test::FixturePart& part : test::FixtureParts()) {
        SCOPED_TRACE(part.name);
        runner->Bar(part.barLength, part.barDiameter, part.barInner, part.barZ).InnerPoint(part.innerZ, part.innerX);
        CTurnMnogoProhod& op =
            Profile(part.profile, [](CTurnMnogoProhod& o) { test::SetCycleValue(o.turningCycle, "I", 1.5); });
        ASSERT_EQ(op.messageText, "");
        std::string file = std::string("profile/") + part.name + ".txt";
        for (char& c : file)
            if (c == ' ') c = '_';
        test::ExpectGolden(file, runner->Text(0));
    }
}

}  // namespace
}  // namespace zarvento
