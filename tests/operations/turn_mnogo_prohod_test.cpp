// The multi-pass operation: golden paths of longitudinal and facing roughing
// with finishing, the invariants over the fixture corpus (clearance of the
// nose circle, material left by roughing, continuity, bounded pass loops),
// the one-piece strategies, the regrouping of the finishing pieces, the
// errors, the plan angles from the tool and the stored values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "fixture_parts.h"
#include "geometry/arc_unit.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "golden_file.h"
#include "multipass_test_support.h"
#include "nc/cadre_s_f.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations_test_support.h"
#include "path_checks.h"
#include "plan/spid.h"
#include "platform/documents/storage_record.h"
#include "post/post_processor.h"

namespace zarvento {
namespace {

// A land of radius 22 between two pockets under the bar's surface.
constexpr const char* kLandProfile =
    "LineSeg( 5,-15, -15,-15, 1 );\nLineSeg( -15,-15, -15,-22, 1 );\nLineSeg( -15,-22, -25,-22, 1 );\n"
    "LineSeg( -25,-22, -25,-15, 1 );\nLineSeg( -25,-15, -40,-15, 1 );\nLineSeg( -40,-15, -40,-30, 1 );\n";

class TurnMnogoProhodTest : public test::OperationTest {
protected:
    void SetUp() override {
        test::OperationTest::SetUp();
        ParamTool& boring = runner->Tool(2, "Резец расточной", 0.4);
        boring.TYPE_ = 12;
    }

    CTurnMnogoProhod& MultiPass(const std::string& profile, const std::function<void(CTurnMnogoProhod&)>& setup = {}) {
        runner->Clear();
        runner->Part(profile);
        CTurn& op = runner->AddKind(kTurnMnogoProhod, profile, [&](CTurn& o) {
            if (setup) setup(dynamic_cast<CTurnMnogoProhod&>(o));
        });
        runner->Run();
        return dynamic_cast<CTurnMnogoProhod&>(op);
    }

    static void UseToolPlanAngles(ParamTool& tool, double mainAngle, double auxAngle) {
        test::SetToolVariable(tool, "fi", mainAngle);
        test::SetToolVariable(tool, "fi1", auxAngle);
    }
};

using Move = test::PathMove;
using test::ExpectContinuous;

// The levels of the cuts along the pass direction (along Z, or across it).
std::vector<double> CutLevels(const CTurn& op, bool alongZ) {
    std::vector<double> levels;
    for (const Move& m : test::PathMoves(op)) {
        if (m.rapid) continue;
        if (alongZ && std::fabs(m.x1 - m.x2) < 1e-9) levels.push_back(m.x1);
        if (!alongZ && std::fabs(m.z1 - m.z2) < 1e-9) levels.push_back(m.z1);
    }
    return levels;
}

TEST_F(TurnMnogoProhodTest, GoldenPathsOfLongitudinalAndFacingRoughingWithFinishing) {
    struct Case {
        const char* name;
        const char* profile;
        std::function<void(CTurnMnogoProhod&)> setup;
    };
    const Case cases[] = {
        {"step_longitudinal", test::kStepProfile, [](CTurnMnogoProhod&) {}},
        {"step_facing", test::kStepProfile, [](CTurnMnogoProhod& o) { test::SetCycleValue(o.turningCycle, "P3", 1); }},
        {"step_longitudinal_finishing", test::kStepProfile,
         [](CTurnMnogoProhod& o) {
             test::SetCycleValue(o.turningCycle, "P4", 0.5);
             test::SetCycleValue(o.turningCycle, "P5", 900);
             test::SetCycleValue(o.turningCycle, "P6", 0.1);
         }},
        {"step_facing_finishing_constant_speed", test::kStepProfile,
         [](CTurnMnogoProhod& o) {
             o.isVconst = true;
             test::SetCycleValue(o.turningCycle, "P3", 1);
             test::SetCycleValue(o.turningCycle, "P4", 0.5);
             test::SetCycleValue(o.turningCycle, "P6", 0.1);
         }},
        {"land_two_pockets", kLandProfile,
         [](CTurnMnogoProhod& o) {
             o.isZachistka = false;
             test::SetCycleValue(o.turningCycle, "P7", 1);
         }},
        {"shoulder_fillet_finishing_p10", test::FixturePartNamed("shoulder fillet").profile,
         [](CTurnMnogoProhod& o) {
             test::SetCycleValue(o.turningCycle, "P4", 0.4);
             test::SetCycleValue(o.turningCycle, "P10", 2);
         }},
    };
    UseToolPlanAngles(*GetSPID()->GetTool(0), 93.0, 30.0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTurnMnogoProhod& op = MultiPass(c.profile, c.setup);
        EXPECT_EQ(op.messageText, "");
        test::ExpectGolden(std::string("multipass/") + c.name + ".txt", runner->Text(0));
        ExpectContinuous(test::PathMoves(op));
    }
}

TEST_F(TurnMnogoProhodTest, ReversedRoughingTakesTheEdgesAsTheyCutThatWay) {
    // Passes towards +Z from the shoulder at z = -30, over the region z -30
    // to 2, x -25 to -20, with a tool of plan angles 95 and 30, t = 1, s = 1.
    // Turned round, the tool leads with its 30 degree edge and trails its 95
    // degree one: the oblique entry from the shoulder side, from the
    // clearance (s) over the level cut before, follows the trailing edge (a
    // Z run of 2 / tan 95 back over the start, not the 2 / tan 30 = 3.5 that
    // would come out of the shoulder), and the lift at the end of a chain the
    // leading one (straight up). The operation's angles stay as they are, so
    // a second region or calculation is cut the same way. The tool waits at
    // the free end, never behind the shoulder.
    auto setup = [](CTurnMnogoProhod& o) {
        o.indNapr = true;
        o.isExist = true;
        test::SetCycleValue(o.turningCycle, "I", 1.0);
        test::SetCycleValue(o.turningCycle, "P1", 1.0);
        test::SetCycleValue(o.turningCycle, "P7", 2);
        o.sFi0 = "95";
        o.sFi1 = "30";
        o.isCorrectRadius = false;
        o.isZachistka = false;
    };
    CTurnMnogoProhod& op = MultiPass(test::kStepProfile, setup);
    ASSERT_EQ(op.messageText, "");
    const std::vector<Move> moves = test::PathMoves(op);
    const double kDegree = PI / 180.0;
    ASSERT_FALSE(moves.empty());
    EXPECT_GT(moves.front().z2, 2.0) << "the approach comes to the free end, not behind the shoulder";
    int entries = 0, lifts = 0;
    for (std::size_t k = 1; k + 1 < moves.size(); ++k) {
        const Move& m = moves[k];
        // No move goes behind the shoulder.
        EXPECT_GE(std::min(m.z1, m.z2), -30.0 - 1e-9) << "(" << m.z1 << ", " << m.x1 << ")";
        // The oblique entries: from t + s above the pass, down to the shoulder.
        if (!m.rapid && std::fabs(m.x2 - m.x1 - 2.0) < 1e-9) {
            ++entries;
            EXPECT_NEAR(m.z1, -30.0 - 2.0 / std::tan(95.0 * kDegree), 1e-9);
            EXPECT_NEAR(m.z2, -30.0, 1e-9);
        }
        // The lift at the end of the chain, from the last retract out to X_S.
        if (m.rapid && std::fabs(m.x2 + 26.5) < 1e-9 && m.x1 > -26.0) {
            ++lifts;
            EXPECT_NEAR(m.z2, m.z1, 1e-9) << "straight up";
            EXPECT_NEAR(m.z1, 2.0 + 1.5 - 1.0 / std::tan(95.0 * kDegree), 1e-9) << "the retract follows the 95 edge";
        }
    }
    EXPECT_EQ(entries, 4);
    EXPECT_EQ(lifts, 1);
    EXPECT_DOUBLE_EQ(op.calc.fi, 95.0);
    EXPECT_DOUBLE_EQ(op.calc.fi1, 30.0);
    const std::string first = runner->Text(0);
    runner->Run();
    EXPECT_EQ(runner->Text(0), first) << "the angles do not alternate between calculations";
}

TEST_F(TurnMnogoProhodTest, TwoPocketsAreRoughedChainByChain) {
    UseToolPlanAngles(*GetSPID()->GetTool(0), 93.0, 30.0);
    CTurnMnogoProhod& op = MultiPass(kLandProfile, [](CTurnMnogoProhod& o) {
        o.isZachistka = false;
        test::SetCycleValue(o.turningCycle, "P7", 1);
    });
    // The cuts along Z in order: every pass of the front pocket comes before
    // any pass behind the land (z below -25).
    bool behind = false;
    int front = 0, back = 0;
    for (const Move& m : test::PathMoves(op)) {
        // (The approaches' stretches at feed within the clearance are no passes.)
        if (m.rapid || std::fabs(m.x1 - m.x2) > 1e-9 || std::fabs(m.z1 - m.z2) < 1.0) continue;
        const bool isBack = std::max(m.z1, m.z2) < -25.0 + 1e-6;
        if (isBack) {
            behind = true;
            ++back;
        } else {
            EXPECT_FALSE(behind) << "a front pass after the back pocket was entered";
            ++front;
        }
    }
    EXPECT_EQ(front, 6);
    EXPECT_EQ(back, 5);
}

// The nose-circle centre keeps the nose radius plus the allowance from the
// part; every pass of the roughing leaves at most one depth of cut under it
// across the pass direction; the path is continuous.
TEST_F(TurnMnogoProhodTest, InvariantsOverTheFixtureCorpus) {
    for (const auto& part : test::FixtureParts()) {
        for (int direction : {0, 1, 2}) {
            for (double allowance : {0.0, 0.3}) {
                const char* form = direction == 2 ? ", profile" : direction ? ", facing" : ", longitudinal";
                SCOPED_TRACE(std::string(part.name) + form + (allowance > 0 ? ", finishing" : ""));
                runner->Bar(part.barLength, part.barDiameter, part.barInner, part.barZ)
                    .InnerPoint(part.innerZ, part.innerX);
                CTurnMnogoProhod& op = MultiPass(part.profile, [&](CTurnMnogoProhod& o) {
                    test::SetCycleValue(o.turningCycle, "P3", direction);
                    test::SetCycleValue(o.turningCycle, "P4", allowance);
                    test::SetCycleValue(o.turningCycle, "I", 1.25);
                });
                ASSERT_EQ(op.messageText, "");
                const auto profile = test::OperationRunner::Parse(part.profile);
                ExpectContinuous(test::PathMoves(op));
                EXPECT_EQ(test::FirstGouge(op, *profile, allowance), "");
            }
        }
    }
}

// Roughing alone: under every point of a region's working side that lies
// deeper than one depth of cut, a pass along the pass direction runs at
// most one depth of cut above it.
TEST_F(TurnMnogoProhodTest, RoughingLeavesAtMostOneDepthOfCut) {
    const double t = 1.25;
    for (const auto& part : test::FixtureParts()) {
        for (int direction : {0, 1}) {
            SCOPED_TRACE(std::string(part.name) + (direction ? ", facing" : ", longitudinal"));
            runner->Bar(part.barLength, part.barDiameter, part.barInner, part.barZ)
                .InnerPoint(part.innerZ, part.innerX);
            CTurnMnogoProhod& op = MultiPass(part.profile, [&](CTurnMnogoProhod& o) {
                o.isZachistka = false;
                test::SetCycleValue(o.turningCycle, "P3", direction);
                test::SetCycleValue(o.turningCycle, "I", t);
            });
            ASSERT_EQ(op.messageText, "");
            const bool facing = direction == 1;
            // The passes: cuts parallel to the pass direction.
            std::vector<Move> passes;
            for (const Move& m : test::PathMoves(op)) {
                if (m.rapid) continue;
                const bool along = facing ? std::fabs(m.z1 - m.z2) < 1e-9 : std::fabs(m.x1 - m.x2) < 1e-9;
                if (along) passes.push_back(m);
            }
            ASSERT_FALSE(passes.empty());
            for (std::size_t i = 0; i < op.calc.regionList.size(); ++i) {
                const Contour& w = *op.calc.regionList[i];
                auto outline = ReverseContour(w.Clone());
                outline->AppendCopy(*op.calc.pairedList[i]);
                BoundBox box;
                ContoursBoundingBox(w, *op.calc.pairedList[i], box);
                // The stacking starts on the stock side of the region.
                const bool internal = op.internalMachining;
                const double n0 = facing ? box.zmax : (internal ? box.xmax : box.xmin);
                const double d = facing ? -1.0 : (internal ? -1.0 : 1.0);
                IntersectPointList samples(256);
                for (int k = 0; k < w.Count(); ++k) w.GetUnit(k)->GetPointsByStep(samples, 0.1, 1);
                for (std::uint32_t p = 0; p < samples.Count(); ++p) {
                    const double n = facing ? samples[p].z : samples[p].x;
                    const double a = facing ? samples[p].x : samples[p].z;
                    if (d * (n - n0) <= t + 1e-6) continue;  // within one depth of the stock
                    if (op.calc.pairedList[i]->IsPointOnContour(samples[p].z, samples[p].x)) continue;
                    // Only where more than one depth of material stands over the point.
                    bool thick = true;
                    for (double k : {0.01, 0.25, 0.5, 0.75, 1.0}) {
                        const double probe = n - d * (k * t + (k == 1.0 ? 0.01 : 0.0));
                        const double pz = facing ? probe : samples[p].z, px = facing ? samples[p].x : probe;
                        thick = thick && outline->IsPointInside(pz, px);
                    }
                    if (!thick) continue;
                    bool covered = false;
                    for (const Move& m : passes) {
                        const double level = facing ? m.z1 : m.x1;
                        const double lo = facing ? std::min(m.x1, m.x2) : std::min(m.z1, m.z2);
                        const double hi = facing ? std::max(m.x1, m.x2) : std::max(m.z1, m.z2);
                        const double gap = d * (n - level);
                        if (a >= lo - 1e-6 && a <= hi + 1e-6 && gap >= -1e-6 && gap <= t + 1e-6) {
                            covered = true;
                            break;
                        }
                    }
                    EXPECT_TRUE(covered) << "region " << i << " point (" << samples[p].z << ", " << samples[p].x << ")";
                    if (!covered) break;
                }
            }
        }
    }
}

// Random stepped profiles and depths: every run ends, with a path whose
// size is bounded by the passes the depth allows, and continuous.
TEST_F(TurnMnogoProhodTest, RandomProfilesAndDepthsNeverRunAway) {
    std::mt19937 random(20261209);
    std::uniform_real_distribution<double> radius(6.0, 24.0), length(1.0, 12.0), depth(0.05, 6.0);
    for (int run = 0; run < 40; ++run) {
        std::ostringstream profile;
        double z = 5.0, x = -radius(random);
        const int steps = 1 + run % 6;
        for (int s = 0; s < steps; ++s) {
            const double z2 = z - length(random);
            profile << "LineSeg( " << z << "," << x << ", " << z2 << "," << x << ", 1 );\n";
            const double x2 = s + 1 == steps ? -30.0 : -radius(random);
            profile << "LineSeg( " << z2 << "," << x << ", " << z2 << "," << x2 << ", 1 );\n";
            z = z2;
            x = x2;
        }
        const double t = depth(random);
        const int direction = run % 2;
        SCOPED_TRACE(profile.str() + "depth " + std::to_string(t) + (direction ? " facing" : " longitudinal"));
        CTurnMnogoProhod& op = MultiPass(profile.str(), [&](CTurnMnogoProhod& o) {
            test::SetCycleValue(o.turningCycle, "P3", direction);
            test::SetCycleValue(o.turningCycle, "I", t);
            test::SetCycleValue(o.turningCycle, "P4", run % 3 == 0 ? 0.3 : 0.0);
        });
        const std::vector<Move> moves = test::PathMoves(op);
        ExpectContinuous(moves);
        // 60 mm of stock at most in either direction, a few moves per segment.
        const double levels = 60.0 / t + 2.0;
        EXPECT_LT(static_cast<double>(moves.size()), 8.0 * levels * (steps + 1) + 100.0);
    }
}

TEST_F(TurnMnogoProhodTest, OnePieceStrategiesSpreadTheDepth) {
    // A cylinder through the whole bar: one working unit at one X.
    CTurnMnogoProhod& along = MultiPass("LineSeg( 5,-20, -70,-20, 1 );\n", [](CTurnMnogoProhod& o) {
        o.isZachistka = false;
        test::SetCycleValue(o.turningCycle, "I", 1.5);
    });
    EXPECT_TRUE(along.OnePieceAlongPass);
    // 5 mm (bar 25.8 to 20.8 with the nose) in four passes of 1.25.
    const std::vector<double> levels = CutLevels(along, true);
    ASSERT_EQ(levels.size(), 4u);
    for (std::size_t k = 0; k < levels.size(); ++k) EXPECT_NEAR(levels[k], -25.8 + 1.25 * (k + 1), 1e-9);

    // A face through the whole bar, its nose-centre path 7.5 below the bar's
    // offset end (2.8 down to -4.7): the face is the only working unit.
    CTurnMnogoProhod& face = MultiPass("LineSeg( -5.5,1, -5.5,-30, 1 );\n", [](CTurnMnogoProhod& o) {
        o.isZachistka = false;
        test::SetCycleValue(o.turningCycle, "P3", 1);
        test::SetCycleValue(o.turningCycle, "I", 2.0);
    });
    EXPECT_TRUE(face.OnePieceAcrossPass);
    const std::vector<double> faces = CutLevels(face, false);
    ASSERT_EQ(faces.size(), 4u);
    EXPECT_NEAR(faces[0], 0.8, 1e-9);
    EXPECT_NEAR(faces[1], -1.2, 1e-9);
    EXPECT_NEAR(faces[2], -3.2, 1e-9);
    EXPECT_NEAR(faces[3], -4.7, 1e-9) << "the last pass is the thinner one, on the face";
}

// At the least depth of cut a region deeper than kMaxPasses passes of it is
// refused in every strategy, with the message and without a frame, rather
// than cut part of the way.
TEST_F(TurnMnogoProhodTest, ADepthTooSmallForTheRegionIsRefusedWithoutFrames) {
    // A diameter of 20 in the bar of 50: 15 deep across the axis, 32 along it.
    constexpr const char* kDeepStep = "LineSeg( 5,-10, -30,-10, 1 );\nLineSeg( -30,-10, -30,-30, 1 );\n";
    struct Case {
        const char* strategy;
        const char* profile;
        int feed;
    };
    const Case cases[] = {
        {"longitudinal", kDeepStep, 0},
        {"facing", kDeepStep, 1},
        {"profile", kDeepStep, 2},
        {"one piece along the axis", "LineSeg( 5,-10, -70,-10, 1 );\n", 0},
        {"one piece across it", "LineSeg( -15,1, -15,-30, 1 );\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.strategy);
        CTurnMnogoProhod& op = MultiPass(c.profile, [&](CTurnMnogoProhod& o) {
            o.isZachistka = false;
            test::SetCycleValue(o.turningCycle, "P3", c.feed);
            test::SetCycleValue(o.turningCycle, "I", 0.001);
        });
        EXPECT_EQ(op.messageText, std::string("Ошибка:\n") + CTurnMnogoProhod::kTooManyPassesText);
        EXPECT_TRUE(op.Frames().empty());
    }
    // A depth that needs just under the limit still cuts.
    CTurnMnogoProhod& op = MultiPass(kDeepStep, [](CTurnMnogoProhod& o) {
        o.isZachistka = false;
        test::SetCycleValue(o.turningCycle, "I", 0.002);
    });
    EXPECT_EQ(op.messageText, "");
    EXPECT_FALSE(op.Frames().empty());
}

// A face whose working unit runs towards the axis has its material on the
// far side all the same: the passes step towards it instead of being left out.
TEST_F(TurnMnogoProhodTest, OnePieceFacingMachinesAFaceWhateverItsSense) {
    for (bool outward : {true, false}) {
        SCOPED_TRACE(outward ? "outward" : "towards the axis");
        CTurnMnogoProhod op;
        op.Rtool = 0.0;
        op.DepthPass = 2.0;
        op.SafeDistance = 1.0;
        op.calc.feedDirection = 1;
        // The face at z = -5.5 and the stock side round to the bar's end at z = 2.
        op.calc.regionContour = std::make_unique<Contour>();
        op.calc.pairedContour = std::make_unique<Contour>();
        if (outward) {
            op.calc.regionContour->AddUnit(std::make_unique<CLineUnit>(-5.5, 0, -5.5, -25));
            op.calc.pairedContour->AddUnit(std::make_unique<CLineUnit>(-5.5, -25, 2, -25));
            op.calc.pairedContour->AddUnit(std::make_unique<CLineUnit>(2, -25, 2, 0));
            op.calc.pairedContour->AddUnit(std::make_unique<CLineUnit>(2, 0, -5.5, 0));
        } else {
            op.calc.regionContour->AddUnit(std::make_unique<CLineUnit>(-5.5, -25, -5.5, 0));
            op.calc.pairedContour->AddUnit(std::make_unique<CLineUnit>(-5.5, 0, 2, 0));
            op.calc.pairedContour->AddUnit(std::make_unique<CLineUnit>(2, 0, 2, -25));
            op.calc.pairedContour->AddUnit(std::make_unique<CLineUnit>(2, -25, -5.5, -25));
        }
        op.FacingOnePiece();
        const std::vector<double> faces = CutLevels(op, false);
        ASSERT_EQ(faces.size(), 4u);
        EXPECT_NEAR(faces[0], 0.0, 1e-9);
        EXPECT_NEAR(faces[3], -5.5, 1e-9);
    }
}

TEST_F(TurnMnogoProhodTest, FinishingPiecesRegroupIntoDiameterAndFaceRuns) {
    CTurnMnogoProhod op;
    auto pieces = [] {
        std::vector<std::unique_ptr<Contour>> list;
        auto c = std::make_unique<Contour>();
        c->AddUnit(std::make_unique<CLineUnit>(5, -20, -10, -20));      // diameter
        c->AddUnit(std::make_unique<CLineUnit>(-10, -20, -10, -24));    // face
        c->AddUnit(std::make_unique<CLineUnit>(-10, -24, -12, -26));    // 45 degrees: a diameter
        c->AddUnit(std::make_unique<CLineUnit>(-12, -26, -20, -26));    // diameter
        c->AddUnit(std::make_unique<CLineUnit>(-20, -26, -20.5, -30));  // steep: a face
        list.push_back(std::move(c));
        return list;
    };
    EXPECT_FALSE(CTurnMnogoProhod::IsFaceUnit(CLineUnit(-10, -24, -12, -26)));
    EXPECT_TRUE(CTurnMnogoProhod::IsFaceUnit(CLineUnit(-10, -24, -12, -26.00001)));
    EXPECT_FALSE(CTurnMnogoProhod::IsFaceUnit(CArcUnit(0, 0, 1, 1, 0, 0, -1, 1)));

    auto list = pieces();
    op.ChainContourPieces(list);
    ASSERT_EQ(list.size(), 1u) << "continuous: the pieces stay as built";
    EXPECT_EQ(list[0]->Tag, 0);

    test::SetCycleValue(op.turningCycle, "P10", 1);
    list = pieces();
    op.ChainContourPieces(list);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0]->Tag, 1);
    EXPECT_EQ(list[0]->Count(), 1);
    EXPECT_EQ(list[1]->Tag, 1);
    EXPECT_EQ(list[1]->Count(), 2) << "the chamfer and the next diameter are one run";
    EXPECT_EQ(list[2]->Tag, 2);
    EXPECT_EQ(list[3]->Tag, 2);

    test::SetCycleValue(op.turningCycle, "P10", 2);
    list = pieces();
    op.ChainContourPieces(list);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0]->Tag, 2);
    EXPECT_EQ(list[1]->Tag, 2);
    EXPECT_EQ(list[2]->Tag, 1);
    EXPECT_EQ(list[3]->Tag, 1);
}

TEST_F(TurnMnogoProhodTest, FinishingPassHasItsOwnCuttingDataOnlyWithAFinishingDepth) {
    auto count = [](const std::string& text, const std::string& what) {
        int n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    };
    MultiPass(test::kStepProfile, [](CTurnMnogoProhod& o) { test::SetCycleValue(o.turningCycle, "P4", 0.001); });
    EXPECT_EQ(count(runner->Text(0), "S500 F0.25"), 1) << runner->Text(0);

    // Zero finishing speed and feed fall back to the operation's.
    MultiPass(test::kStepProfile, [](CTurnMnogoProhod& o) { test::SetCycleValue(o.turningCycle, "P4", 0.5); });
    EXPECT_EQ(count(runner->Text(0), "S500 F0.25"), 2) << runner->Text(0);

    MultiPass(test::kStepProfile, [](CTurnMnogoProhod& o) {
        test::SetCycleValue(o.turningCycle, "P4", 0.5);
        test::SetCycleValue(o.turningCycle, "P5", 800);
        test::SetCycleValue(o.turningCycle, "P6", 0.12);
    });
    EXPECT_EQ(count(runner->Text(0), "S800 F0.12"), 1) << runner->Text(0);
}

TEST_F(TurnMnogoProhodTest, ProfileFeedRunsTheCleanUpPassOnce) {
    auto cuts = [this](bool cleanUp) {
        CTurnMnogoProhod& op = MultiPass(test::kStepProfile, [&](CTurnMnogoProhod& o) {
            o.isZachistka = cleanUp;
            test::SetCycleValue(o.turningCycle, "P3", 2);
        });
        const std::vector<Move> moves = test::PathMoves(op);
        ExpectContinuous(moves);
        int n = 0;
        for (const Move& m : moves) n += m.rapid ? 0 : 1;
        return n;
    };
    const int without = cuts(false);
    EXPECT_GT(without, 0);
    EXPECT_EQ(cuts(true), without) << "asking for the clean-up adds no second pass over the same contour";
}

TEST_F(TurnMnogoProhodTest, DepthBelowTheLimitFailsAndLeavesNoOldFrames) {
    CTurnMnogoProhod& op = MultiPass(test::kStepProfile);
    ASSERT_FALSE(op.Frames().empty());
    test::SetCycleValue(op.turningCycle, "I", 0.0009);
    runner->Run();
    EXPECT_EQ(op.messageText, "Ошибка:\nГлубина резания должна быть больше 0.001 мм");
    EXPECT_TRUE(op.Frames().empty());
    EXPECT_FALSE(op.IsActive());
}

TEST_F(TurnMnogoProhodTest, GrooveStepBelowTheCornerRadiusIsReported) {
    CTurnMnogoProhod& op = MultiPass(test::kStepProfile, [](CTurnMnogoProhod& o) {
        o.indCycleElementar = 1;
        o.isAutoTool = false;
        o.nToolPosition = 0;  // corner radius 0.8
        test::SetCycleValue(o.grooveCycle, "P1", 0.5);
    });
    EXPECT_EQ(op.messageText, "Ошибка:\nГлубина резания должна быть больше радиуса резца при вершине");

    CTurnMnogoProhod& zero = MultiPass(test::kStepProfile, [](CTurnMnogoProhod& o) {
        o.indCycleElementar = 1;
        o.isAutoTool = false;
        o.nToolPosition = 3;  // no tool: no radius
        test::SetCycleValue(o.grooveCycle, "P1", 0.0005);
    });
    EXPECT_EQ(zero.messageText, "Ошибка:\nГлубина резания должна быть больше 0.001 мм");
}

TEST_F(TurnMnogoProhodTest, DefaultToolFollowsTheKindOfMachining) {
    CTurnMnogoProhod& outer = MultiPass(test::kStepProfile);
    EXPECT_EQ(outer.nToolPosition, 0);
    EXPECT_FALSE(outer.internalMachining);
    runner->Bar(60, 50, 20, 2).InnerPoint(-10, -20);
    CTurnMnogoProhod& bore = MultiPass(test::FixturePartNamed("bore with chamfer").profile);
    EXPECT_TRUE(bore.internalMachining);
    EXPECT_EQ(bore.nToolPosition, 2);
}

TEST_F(TurnMnogoProhodTest, PlanAnglesByTraversalMode) {
    ParamTool& tool = *GetSPID()->GetTool(0);
    CTurnMnogoProhod op;
    op.nToolPosition = 0;
    // Mode 0: fixed, read-only.
    EXPECT_TRUE(op.SetPlanAnglesFromTool(nullptr, nullptr));
    EXPECT_EQ(op.turningCycle.FindParam("P8")->valueText, "90");
    EXPECT_EQ(op.turningCycle.FindParam("P9")->valueText, "0");
    EXPECT_EQ(op.turningCycle.FindParam("P8")->kind, 'R');

    // Mode 1 without the tool's angles: editable, nothing else.
    test::SetCycleValue(op.turningCycle, "P7", 1);
    EXPECT_FALSE(op.SetPlanAnglesFromTool(nullptr, nullptr));
    EXPECT_EQ(op.turningCycle.FindParam("P8")->kind, 'd');
    // With them, corrected by the tool's angle for a contour running outwards.
    UseToolPlanAngles(tool, 93.0, 30.0);
    tool.Angle = 2.0;
    EXPECT_FALSE(op.SetPlanAnglesFromTool(nullptr, nullptr));
    EXPECT_DOUBLE_EQ(op.calc.fi, 93.0);
    EXPECT_DOUBLE_EQ(op.calc.fi1, 30.0);
    Contour down;
    down.AddUnit(std::make_unique<CLineUnit>(0, -20, -10, -20));
    op.SetPlanAnglesFromTool(nullptr, &down);
    EXPECT_DOUBLE_EQ(op.calc.fi, 95.0);
    EXPECT_DOUBLE_EQ(op.calc.fi1, 28.0);
    EXPECT_EQ(op.turningCycle.FindParam("P8")->valueText, "95");
    EXPECT_EQ(op.turningCycle.FindParam("P8")->kind, 'R');

    // Mode 2: the manual formulas, kept across a switch to another mode.
    test::SetCycleValue(op.turningCycle, "P7", 2);
    op.sFi0 = "80+5";
    op.sFi1 = "12";
    op.SetPlanAnglesFromTool(nullptr, nullptr);
    EXPECT_DOUBLE_EQ(op.calc.fi, 85.0);
    EXPECT_DOUBLE_EQ(op.calc.fi1, 12.0);
    op.turningCycle.FindParam("P8")->valueText = "70";
    test::SetCycleValue(op.turningCycle, "P7", 0);
    op.SetPlanAnglesFromTool(nullptr, nullptr);
    EXPECT_EQ(op.sFi0, "70");
    EXPECT_EQ(op.sFi1, "12");
    test::SetCycleValue(op.turningCycle, "P7", 2);
    op.SetPlanAnglesFromTool(nullptr, nullptr);
    EXPECT_EQ(op.turningCycle.FindParam("P8")->valueText, "70");
    EXPECT_DOUBLE_EQ(op.calc.fi, 70.0);

    // No tool: modes 1 and 2 change nothing.
    op.nToolPosition = 5;
    op.calc.fi = 1.0;
    EXPECT_FALSE(op.SetPlanAnglesFromTool(nullptr, nullptr));
    EXPECT_DOUBLE_EQ(op.calc.fi, 1.0);
}

// The special post-processor takes no tool-offset corrections in the first
// round; the second round machines the regions again with them.
TEST_F(TurnMnogoProhodTest, SpecialPostProcessorRunsASecondRoundWithCorrections) {
    CPostProcessor special(CTurn::kHeidenhain, "");
    auto drilling = std::make_unique<CCycle_Auto>();
    drilling->SetType("Drilling");
    drilling->SetGCode("G81");
    special.AddCycleDefinition(std::move(drilling));
    CTurnMnogoProhod& op = MultiPass(test::kStepProfile, [&](CTurnMnogoProhod& o) {
        o.SetPostProcessorData(&special);
        o.indShema = 1;  // no turning cycle: the moves are elementary all the same
        test::SetCycleValue(o.turningCycle, "I", 2.0);
    });
    EXPECT_EQ(op.messageText, "");
    EXPECT_FALSE(op.isHeidenhain);
    const std::string text = runner->Text(0);
    // The clean-up pass on the part itself, then on the nose-radius offset
    // (come to at feed from the clearance over it).
    const std::size_t first = text.find("G01  X40\nG01  Z-30\n");
    const std::size_t second = text.find("G00  X44.601\nG01  X41.6\nG01  Z-29.2\n");
    EXPECT_NE(first, std::string::npos) << text;
    EXPECT_NE(second, std::string::npos) << text;
    EXPECT_LT(first, second);
    ExpectContinuous(test::PathMoves(op));

    // A depth of cut that counts as zero stops it before any frame.
    test::SetCycleValue(op.turningCycle, "I", 0.0);
    runner->Run();
    EXPECT_EQ(op.messageText, "Ошибка:\nГлубина резания должна быть больше 0.001 мм");
    EXPECT_TRUE(op.Frames().empty());
}

TEST_F(TurnMnogoProhodTest, StoredValuesRoundTrip) {
    CTurnMnogoProhod saved;
    saved.isZachistka = false;
    saved.sFi0 = "TOOL.fi+1";
    saved.sFi1 = "";
    test::SetCycleValue(saved.turningCycle, "I", 2.5);
    test::SetCycleValue(saved.grooveCycle, "P2", 4.0);
    {
        StorageRecord record;
        ASSERT_TRUE(record.OpenWrite("Zarvento.Turn.0"));
        saved.SaveCycleParameters(record);
        EXPECT_TRUE(saved.SaveKindValues(record));
    }
    CTurnMnogoProhod loaded;
    {
        StorageRecord record;
        ASSERT_TRUE(record.OpenRead("Zarvento.Turn.0"));
        loaded.LoadCycleParameters(record);
        EXPECT_TRUE(loaded.LoadKindValues(record));
    }
    EXPECT_FALSE(loaded.isZachistka);
    EXPECT_EQ(loaded.sFi0, "TOOL.fi+1");
    EXPECT_EQ(loaded.sFi1, loaded.turningCycle.FindParam("P9")->valueText) << "an empty text takes P9's formula";
    EXPECT_EQ(loaded.turningCycle.FindParam("I")->valueText, "2.5");
    EXPECT_EQ(loaded.grooveCycle.FindParam("P2")->valueText, "4");

    // The copy takes the stored values and the cycles, never the working copies.
    saved.DepthPass = 3.0;
    CTurnMnogoProhod copy;
    copy = saved;
    EXPECT_FALSE(copy.isZachistka);
    EXPECT_EQ(copy.turningCycle.FindParam("I")->valueText, "2.5");
    EXPECT_DOUBLE_EQ(copy.DepthPass, 0.0);

    std::string variables;
    copy.GetCycleVariables(variables);
    EXPECT_EQ(variables, "_L1=1.5 _L2=1.5 ");
}

}  // namespace
}  // namespace zarvento
