// Machining regions and the final contour over the fixture parts, the texts
// of the failures, finishing pieces, plan-angle trimming, and the working
// contour's check keeping what the diagnosis found before it.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "fixture_parts.h"
#include "geometry/contour_script.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "multipass_test_support.h"
#include "operations/plan_angle_trim.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations_test_support.h"
#include "plan/spid.h"
#include "platform/drawings/document_2d.h"
#include "random_profiles.h"

namespace zarvento {
namespace {

class TurnRegionTest : public test::OperationTest {
protected:
    // A multi-pass operation on tool 0 (nose radius 0.8) over the fixture
    // part, recalculated; in a cycle form unless told otherwise, so that the
    // profile is taken as it stands (elementary moves trim it first).
    CTurn& MultiPass(const test::FixturePart& part, const std::function<void(CTurn&)>& setup = {}) {
        runner->Clear();
        runner->Bar(part.barLength, part.barDiameter, part.barInner, part.barZ).InnerPoint(part.innerZ, part.innerX);
        runner->Part(part.profile);
        CTurn& op = runner->AddKind(kTurnMnogoProhod, part.profile, [&](CTurn& o) {
            o.nToolPosition = 0;
            o.isAutoTool = false;  // tool 0 whatever kind the default choice looks for
            o.indCycleElementar = 1;
            if (setup) setup(o);
        });
        runner->Run();
        return op;
    }
    static double MidZ(const Contour& c) {
        double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
        c.GetBoundBox(zmin, xmin, zmax, xmax);
        return (zmin + zmax) / 2.0;
    }
};

TEST_F(TurnRegionTest, FixturePartsGiveTheirRegionsWithStockSidePairs) {
    ASSERT_GE(test::FixtureParts().size(), 20u);
    for (const auto& part : test::FixtureParts()) {
        SCOPED_TRACE(part.name);
        CTurn& op = MultiPass(part);
        EXPECT_EQ(op.messageText, "");
        EXPECT_EQ(static_cast<int>(op.calc.regionList.size()), part.regions);
        EXPECT_EQ(op.calc.pairedList.size(), op.calc.regionList.size());
        for (std::size_t i = 0; i < op.calc.regionList.size(); ++i) {
            // Each pair closes one area: the stock side runs back from the
            // working side's end to its start.
            double wsx = 0, wsz = 0, wex = 0, wez = 0, ssx = 0, ssz = 0, sex = 0, sez = 0;
            op.calc.regionList[i]->GetStartPoint(wsx, wsz);
            op.calc.regionList[i]->GetEndPoint(wex, wez);
            op.calc.pairedList[i]->GetStartPoint(ssx, ssz);
            op.calc.pairedList[i]->GetEndPoint(sex, sez);
            EXPECT_TRUE((IsEqualPoint(wsz, wsx, ssz, ssx) && IsEqualPoint(wez, wex, sez, sex)) ||
                        (IsEqualPoint(wsz, wsx, sez, sex) && IsEqualPoint(wez, wex, ssz, ssx)))
                << "region " << i;
        }
        ASSERT_TRUE(op.finalContour);
        EXPECT_TRUE(op.finalContour->IsClosed());
        EXPECT_TRUE(op.finalContour->IsPointInside(part.innerZ, part.innerX));
    }
}

TEST_F(TurnRegionTest, SteppedShaftFromBarHasOneRegionAndTheStepAsFinalContour) {
    CTurn& op = MultiPass(test::FixturePartNamed("step"));
    ASSERT_EQ(op.calc.regionList.size(), 1u);
    // The working side is the profile offset by the nose radius.
    double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
    op.calc.regionList[0]->GetBoundBox(zmin, xmin, zmax, xmax);
    EXPECT_NEAR(xmax, -20.8, 1e-6);
    const Contour& final = *op.finalContour;
    EXPECT_TRUE(final.IsPointInside(-10, -19.9));
    EXPECT_FALSE(final.IsPointInside(-10, -20.1));
    EXPECT_TRUE(final.IsPointInside(-40, -24.9));
    final.GetBoundBox(zmin, xmin, zmax, xmax);
    EXPECT_NEAR(zmin, -58, 1e-6);
    EXPECT_NEAR(xmin, -25, 1e-6);
    EXPECT_NEAR(zmax, 2, 1e-6);
}

// The offsets are made in the hidden work document and leave nothing in it:
// recalculating again and again does not make it grow.
TEST_F(TurnRegionTest, OffsetsLeaveTheWorkDocumentAsTheyFoundIt) {
    const std::size_t before = HiddenWorkDocument2D().Objects().size();
    for (int direction : {0, 2}) {
        MultiPass(test::FixturePartNamed("shaft with a land"), [direction](CTurn& o) {
            o.indCycleElementar = 0;
            auto& m = dynamic_cast<CTurnMnogoProhod&>(o);
            test::SetCycleValue(m.turningCycle, "P3", direction);
            test::SetCycleValue(m.turningCycle, "P4", 0.3);
        });
        EXPECT_EQ(HiddenWorkDocument2D().Objects().size(), before) << "direction " << direction;
    }
}

TEST_F(TurnRegionTest, ShaftWithALandHasTwoRegionsInCrossingOrder) {
    CTurn& op = MultiPass(test::FixturePartNamed("shaft with a land"));
    ASSERT_EQ(op.calc.regionList.size(), 2u);
    EXPECT_GT(MidZ(*op.calc.regionList[0]), -15.0);
    EXPECT_LT(MidZ(*op.calc.regionList[1]), -25.0);
    EXPECT_GT(MidZ(*op.calc.pairedList[0]), MidZ(*op.calc.pairedList[1]));
    // The land stays in the part as machined.
    EXPECT_TRUE(op.finalContour->IsPointInside(-20, -24.9));
}

TEST_F(TurnRegionTest, BoreRegionLiesInsideTheBarsHole) {
    CTurn& op = MultiPass(test::FixturePartNamed("bore"));
    ASSERT_EQ(op.calc.regionList.size(), 1u);
    double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
    op.calc.regionList[0]->GetBoundBox(zmin, xmin, zmax, xmax);
    EXPECT_NEAR(xmin, -14.2, 1e-6) << "the offset keeps the nose inside the bore";
    EXPECT_TRUE(op.finalContour->IsPointInside(-10, -20));
    EXPECT_FALSE(op.finalContour->IsPointInside(-10, -14));
    EXPECT_FALSE(op.finalContour->IsPointInside(-30, -11));
}

TEST_F(TurnRegionTest, UndercutIsBridgedAlongTheAuxiliaryEdge) {
    // The plan angles come from the tool's variables.
    test::SetToolVariable(*GetSPID()->GetTool(0), "fi", 93.0);
    test::SetToolVariable(*GetSPID()->GetTool(0), "fi1", 30.0);
    CTurn& op = MultiPass(test::FixturePartNamed("undercut"), [](CTurn& o) {
        o.indCycleElementar = 0;
        test::SetCycleValue(dynamic_cast<CTurnMnogoProhod&>(o).turningCycle, "P7", 1);
    });
    ASSERT_EQ(op.messageText, "");
    // The entry wall at 135 degrees is steeper than the tool's edge at
    // 150 degrees: the working contour now leaves (-10, -20) along the edge.
    const Contour& w = *op.workContour;
    bool bridged = false;
    for (int i = 0; i < w.Count(); ++i) {
        const CUnit& u = *w.GetUnit(i);
        if (IsEqualPoint(u.StartPoint.z, u.StartPoint.x, -10, -20)) {
            EXPECT_NEAR(u.EndPoint.x, -16, 1e-6);
            EXPECT_NEAR(u.EndPoint.z, -10 - 4 / std::tan(30 * PI / 180), 1e-6);
            bridged = true;
        }
    }
    EXPECT_TRUE(bridged);
    EXPECT_EQ(op.calc.regionList.size(), 1u);
}

// Two lands at the full diameter round a pocket whose far wall stands on a
// fillet smaller than the nose radius: the straight bridge across the pocket
// ends on the foot of that wall, and the land and shoulder beyond still count.
const char* const kPocketWithSmallFillet =
    "LineSeg( 5,-23, -9.901041635976672,-23, 1 );\n"
    "LineSeg( -9.901041635976672,-23, -9.901041635976672,-22.0771952303352, 1 );\n"
    "LineSeg( -9.901041635976672,-22.0771952303352, -15.004001809721217,-22.0771952303352, 1 );\n"
    "ArcByPoint( -15.004001809721217,-22.289050601619447, 0.21185537128424903, -15.004001809721217,"
    "-22.0771952303352, -15.215857181005466,-22.289050601619447, 1, 1 );\n"
    "LineSeg( -15.215857181005466,-22.289050601619447, -15.215857181005466,-23, 1 );\n"
    "LineSeg( -15.215857181005466,-23, -21.997048157022974,-23, 1 );\n"
    "LineSeg( -21.997048157022974,-23, -21.997048157022974,-30, 1 );\n";

TEST_F(TurnRegionTest, PocketBehindAFilletSmallerThanTheNoseKeepsItsRegion) {
    const test::FixturePart part{"pocket with a small fillet", kPocketWithSmallFillet, 60, 50, 0, 2, -10, -5, 1};
    // Elementary moves bridge the pocket in every feed direction, so the
    // nose centre stays one radius over the lands; the cycle form follows the
    // pocket's floor, its offset dropping the fillet the nose cannot enter.
    const double overLands = -23.8, overFloor = -22.0771952303352 - 0.8;
    const struct {
        int elementary, feed;
        double top;  // the highest x of the working side
    } cases[] = {{0, 0, overLands}, {0, 1, overLands}, {0, 2, overLands}, {1, 2, overFloor}};
    for (const auto& c : cases) {
        SCOPED_TRACE("cycle form " + std::to_string(c.elementary) + ", feed direction " + std::to_string(c.feed));
        CTurn& op = MultiPass(part, [c](CTurn& o) {
            o.indCycleElementar = c.elementary;
            test::SetCycleValue(dynamic_cast<CTurnMnogoProhod&>(o).turningCycle, "P3", c.feed);
        });
        EXPECT_EQ(op.messageText, "");
        ASSERT_EQ(op.calc.regionList.size(), 1u);
        // The region reaches the shoulder, well past the pocket.
        double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
        op.calc.regionList[0]->GetBoundBox(zmin, xmin, zmax, xmax);
        EXPECT_LT(zmin, -21.0);
        EXPECT_NEAR(xmax, c.top, 1e-6);
    }
}

TEST_F(TurnRegionTest, FailureTextsAreExact) {
    const std::string a =
        "Ошибка:\nИсходный контур и контур обработки должны пересекаться и образовывать хотя бы одну замкнутую "
        "область.\n";
    const std::string hints =
        "Возможноые причины:\n1. Если Вы хотите проточить канавку, то выберите цикл \"Многопроходная канавка\"\n"
        "2. Если Вы хотите проточить поднутрение, то включите учет углов в плане резца в цикле \"Многопроходный "
        "токарный цкл\"\n3. Попробуйте немного продлить концы рабочего контуры, чтобы пересечь контур заготовки\n";
    // A profile wholly outside the bar bounds no area: the message says why.
    const std::string why =
        "Контур обработки не заходит в материал заготовки, оставшийся после предыдущих обработок.\n";
    const test::FixturePart outside{"outside", "LineSeg( 5,-30, -30,-30, 1 );\n", 60, 50, 0, 2, -10, -5, 0};
    EXPECT_EQ(MultiPass(outside, [](CTurn& o) { o.indCycleElementar = 0; }).messageText, a + why + hints);
    EXPECT_EQ(MultiPass(outside).messageText, a + why) << "the hints are the elementary turning's only";
    runner->Clear();
    CTurn& groove = runner->AddKind(kTurnKANAVKA, outside.profile, [](CTurn& o) { o.nToolPosition = 0; });
    runner->Run();
    EXPECT_EQ(groove.messageText, a + why) << "the hints are the multi-pass turning's only";
    EXPECT_TRUE(groove.Frames().empty());

    EXPECT_EQ(MultiPass(test::FixturePartNamed("step"),
                        [](CTurn& o) {
                            o.tableWorkContour = test::OperationRunner::Parse(
                                "LineSeg( 5,-20, -30,-20, 1 );\n"
                                "LineSeg( -30,-20, -30,-10, 1 );\n"
                                "LineSeg( -30,-10, -10,-25, 1 );\n");
                        })
                  .messageText,
              "Ошибка:\nРабочий контур не должен самопересекаться");
}

TEST_F(TurnRegionTest, FinishingPiecesFollowTheWorkingContourOnlyWithAnAllowance) {
    // In the machine-cycle form the regions made again with an allowance
    // keep it (as when the cycle cannot be used and the passes are elementary).
    CTurn& op = MultiPass(test::FixturePartNamed("shaft with a land"), [](CTurn& o) { o.indShema = 1; });
    ASSERT_EQ(op.messageText, "");
    op.calc.finishAllowance = 0.5;
    ASSERT_TRUE(op.CreateRegionAndFinalContour());
    ASSERT_EQ(op.calc.finishList.size(), 2u);
    double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
    op.calc.finishList[0]->GetBoundBox(zmin, xmin, zmax, xmax);
    EXPECT_NEAR(xmax, -20.8, 1e-6) << "finishing pieces lie at the nose radius only";
    op.calc.regionList[0]->GetBoundBox(zmin, xmin, zmax, xmax);
    EXPECT_NEAR(xmax, -21.3, 1e-6) << "regions keep the allowance";

    EXPECT_TRUE(MultiPass(test::FixturePartNamed("shaft with a land")).calc.finishList.empty());
}

TEST_F(TurnRegionTest, TouchingFinishingPiecesAreJoinedInFrontAndBehind) {
    CTurn& op = MultiPass(test::FixturePartNamed("step"));
    op.calc.finishList.clear();
    auto piece = [](double z1, double z2) {
        return test::OperationRunner::Parse("LineSeg( " + std::to_string(z1) + ",-20, " + std::to_string(z2) +
                                            ",-20, 1 );\n");
    };
    struct Access : CTurn {
        using CTurn::JoinFinishingPiece;
    };
    auto join = [&](std::unique_ptr<Contour> c) { (op.*(&Access::JoinFinishingPiece))(std::move(c)); };
    join(piece(0, -5));
    join(piece(-10, -15));
    join(piece(-5, -10));  // appended to the first
    join(piece(5, 0));     // put in front of the first, in its place
    ASSERT_EQ(op.calc.finishList.size(), 2u);
    double x = 0, z = 0;
    op.calc.finishList[0]->GetStartPoint(x, z);
    EXPECT_NEAR(z, 5, 1e-9);
    op.calc.finishList[0]->GetEndPoint(x, z);
    EXPECT_NEAR(z, -10, 1e-9);
    EXPECT_EQ(op.calc.finishList[0]->Count(), 3);
}

// Undercuts ignored, with a trimmed contour that fails its test: the report
// of that first test is dropped, what the diagnosis found before stands.
class BreakingTrimTurn : public CTurnMnogoProhod {
public:
    bool SetPlanAnglesFromTool(CCycle_Auto*, Contour* w) override {
        if (w && w->Count() > 1) w->GetUnit(1)->Move(0.0, 1.0);  // the copy only
        return true;
    }
};

TEST_F(TurnRegionTest, FailedTrimmedContourKeepsTheMissingCuttingDataMessage) {
    runner->Part(test::kStepProfile);
    CTurn& op = runner->Add(std::make_unique<BreakingTrimTurn>(), test::kStepProfile, [](CTurn& o) {
        o.nToolPosition = 0;
        o.indCycleElementar = 0;
        o.Spod = 0.0;
        o.sSpod.clear();
    });
    runner->Run();
    EXPECT_EQ(op.messageText, "Не заданы режимы резания");
    EXPECT_EQ(op.calc.regionList.size(), 1u) << "the operation's own contour took the trimmed one's place";
}

TEST(PlanAngleTrim, ContourThatNeverTurnsBeyondTheLimitIsCopied) {
    auto w = test::OperationRunner::Parse(test::kStepProfile);
    auto s = test::OperationRunner::Parse("LineSeg( 2,0, 2,-25, 1 );\nLineSeg( 2,-25, -58,-25, 1 );\n");
    auto t = TrimContourByAngle(*w, 30.0, *s);
    ASSERT_TRUE(t);
    EXPECT_EQ(ContourScriptText(*t), ContourScriptText(*test::OperationRunner::Parse(test::kStepProfile)));
}

TEST(PlanAngleTrim, LongProfilesAreTrimmedWhole) {
    // 600 collinear pieces, then a groove the edge bridges: every piece is kept.
    std::string script;
    for (int i = 0; i < 600; ++i)
        script +=
            "LineSeg( " + std::to_string(5 - 0.05 * i) + ",-20, " + std::to_string(5 - 0.05 * (i + 1)) + ",-20, 1 );\n";
    script +=
        "LineSeg( -25,-20, -25,-17, 1 );\nLineSeg( -25,-17, -28,-17, 1 );\nLineSeg( -28,-17, -28,-20, 1 );\n"
        "LineSeg( -28,-20, -35,-20, 1 );\n";
    auto w = test::OperationRunner::Parse(script);
    auto s = test::OperationRunner::Parse("LineSeg( 2,0, 2,-25, 1 );\nLineSeg( 2,-25, -58,-25, 1 );\n");
    auto t = TrimContourByAngle(*w, 0.0, *s);
    ASSERT_TRUE(t);
    EXPECT_FALSE(t->HasBreaks());
    EXPECT_NEAR(t->GetLastUnit()->EndPoint.z, -35, 1e-9);
    EXPECT_GE(t->Count(), 600);
    // The groove is bridged straight across.
    for (int i = 0; i < t->Count(); ++i) EXPECT_NEAR(t->GetUnit(i)->EndPoint.x, -20, 1e-9) << i;
}

TEST(PlanAngleTrim, ClippedArcWithoutBridgeKeepsTheChainWhole) {
    // A clockwise arc whose travel direction turns from 30 degrees through
    // 0 to 330: it reaches the limit 10 degrees inside, and its end
    // direction lies above the limit once past the full turn.
    auto w = test::OperationRunner::Parse(
        "LineSeg( -10,0, -5,8.660254037844387, 1 );\n"
        "ArcByPoint( 0,0, 10, -5,8.660254037844387, 5,8.660254037844387, -1, 1 );\n"
        "LineSeg( 5,8.660254037844387, 10,0, 1 );\n");
    auto s = test::OperationRunner::Parse("LineSeg( -20,-5, 20,-5, 1 );\n");
    auto t = TrimContourByAngle(*w, 170.0, *s);
    ASSERT_TRUE(t);
    EXPECT_FALSE(t->HasBreaks());
    EXPECT_NEAR(t->GetLastUnit()->EndPoint.z, 10, 1e-9);
    EXPECT_NEAR(t->GetLength(), w->GetLength(), 1e-6);
}

TEST(PlanAngleTrim, BridgeEndingOnTheFootOfAWallGoesOnBeyondIt) {
    struct Case {
        const char* what;
        std::string profile;
        std::vector<std::array<double, 4>> want;  // each unit's start and end (z, x)
    };
    const double wall = -15.215857181005466;
    const std::vector<Case> cases = {
        {"fillet smaller than the nose at the foot",
         kPocketWithSmallFillet,
         {{5, -23, -9.901041635976672, -23},
          {-9.901041635976672, -23, wall, -23},
          {wall, -23, -21.997048157022974, -23},
          {-21.997048157022974, -23, -21.997048157022974, -30}}},
        {"sharp foot",
         "LineSeg( 5,-20, -10,-20, 1 );\nLineSeg( -10,-20, -10,-17, 1 );\nLineSeg( -10,-17, -15,-17, 1 );\n"
         "LineSeg( -15,-17, -15,-20, 1 );\nLineSeg( -15,-20, -22,-20, 1 );\nLineSeg( -22,-20, -22,-30, 1 );\n",
         {{5, -20, -10, -20}, {-10, -20, -15, -20}, {-15, -20, -22, -20}, {-22, -20, -22, -30}}},
        {"the wall ends the contour",
         "LineSeg( 5,-20, -10,-20, 1 );\nLineSeg( -10,-20, -10,-17, 1 );\nLineSeg( -10,-17, -15,-17, 1 );\n"
         "LineSeg( -15,-17, -15,-20, 1 );\n",
         {{5, -20, -10, -20}, {-10, -20, -15, -20}}},
    };
    auto s = test::OperationRunner::Parse("LineSeg( 2,0, 2,-25, 1 );\nLineSeg( 2,-25, -58,-25, 1 );\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto w = test::OperationRunner::Parse(c.profile);
        auto t = TrimContourByAngle(*w, 0.0, *s);
        ASSERT_TRUE(t);
        if (t->Count() != static_cast<int>(c.want.size())) {
            ADD_FAILURE() << "units\n" << ContourScriptText(*t);
            continue;
        }
        for (int i = 0; i < t->Count(); ++i) {
            const CUnit& u = *t->GetUnit(i);
            const auto& e = c.want[static_cast<std::size_t>(i)];
            EXPECT_NEAR(u.StartPoint.z, e[0], 1e-9) << i;
            EXPECT_NEAR(u.StartPoint.x, e[1], 1e-9) << i;
            EXPECT_NEAR(u.EndPoint.z, e[2], 1e-9) << i;
            EXPECT_NEAR(u.EndPoint.x, e[3], 1e-9) << i;
        }
    }
}

TEST(PlanAngleTrim, NoCrossingWithTheSourceGivesNothingAndKeepsTheFlag) {
    auto w = test::OperationRunner::Parse(test::kStepProfile);
    auto s = test::OperationRunner::Parse("LineSeg( 50,0, 50,-25, 1 );\n");
    bool mirrored = true;
    EXPECT_FALSE(TrimContourByPlanAngles(*w, 93, 30, *s, mirrored, false));
    EXPECT_TRUE(mirrored);
}

// The trim as it was before its crossings were looked up through an index:
// every bridge ray meets the whole working contour. Kept here as the
// reference the indexed trim must match unit for unit.
std::unique_ptr<Contour> WholeContourTrim(Contour& w, double angleDegrees, const Contour& s) {
    const double theta = PI - angleDegrees * PI / 180.0;
    const double rz = 10000.0 * std::cos(theta), rx = 10000.0 * std::sin(theta);
    const int n = w.Count();
    std::vector<UnitPtr> out;
    const auto fullTurnForZero = [](double a) { return std::fabs(a) < EPS ? 2.0 * PI : a; };
    auto bridge = [&](int& i, double pz, double px) {
        auto ray = MakeLineContour(pz, px, pz + rz, px + rx);
        IntersectPointList onW(10);
        ray->Intersect(w, onW, true);
        std::uint32_t ahead = 0;
        while (ahead < onW.Count() && IsEqualPoint(onW[ahead].z, onW[ahead].x, pz, px)) ++ahead;
        double qz = 0, qx = 0;
        int j = n;
        if (ahead < onW.Count()) {
            qz = onW[ahead].z;
            qx = onW[ahead].x;
            j = onW[ahead].index2;
        } else {
            IntersectPointList onS(1);
            ray->Intersect(s, onS, true);
            if (onS.Count() == 0) return false;
            qz = onS[0].z;
            qx = onS[0].x;
            i = n - 1;
        }
        if (j <= i) return false;
        out.push_back(std::make_unique<CLineUnit>(pz, px, qz, qx));
        if (i < n - 1) {
            const CUnit& reached = *w.GetUnit(j);
            if (IsEqualPoint(qz, qx, reached.EndPoint.z, reached.EndPoint.x)) {
                if (j == n - 1) {
                    i = n - 1;
                    return true;
                }
                ++j;
            }
            w.GetUnit(j)->SetStartPoint(qz, qx);
            i = j - 1;
        }
        return true;
    };
    for (int i = 0; i < n; ++i) {
        CUnit& u = *w.GetUnit(i);
        double pz = 0, px = 0;
        const int r = u.GetPointAtAngle(theta, pz, px);
        if (r == 1) {
            const double d = fullTurnForZero(AngleOfVector(u.StartPoint.z, u.StartPoint.x, u.EndPoint.z, u.EndPoint.x));
            if (!(theta > d && bridge(i, pz, px))) out.push_back(u.Clone());
        } else if (r == 3 && u.DirVector == 1) {
            out.push_back(u.CloneWithEnds(u.StartPoint.z, u.StartPoint.x, pz, px));
            if (!(theta > fullTurnForZero(u.GetEndAngle()) && bridge(i, pz, px)))
                out.push_back(u.CloneWithEnds(pz, px, u.EndPoint.z, u.EndPoint.x));
        } else if (r == 3) {
            out.push_back(std::make_unique<CLineUnit>(u.StartPoint.z, u.StartPoint.x, pz, px));
            out.push_back(u.CloneWithEnds(pz, px, u.EndPoint.z, u.EndPoint.x));
        } else {
            out.push_back(u.Clone());
        }
    }
    if (out.size() >= 2) {
        const CUnit& last = *out.back();
        const CUnit& before = *out[out.size() - 2];
        if (IsEqualPoint(last.StartPoint.z, last.StartPoint.x, before.StartPoint.z, before.StartPoint.x)) {
            if (before.IsZeroLength() && !last.IsZeroLength())
                out.erase(out.end() - 2);
            else
                out.pop_back();
        }
    }
    if (out.empty()) return nullptr;
    auto result = Contour::ContourSized(static_cast<int>(out.size()));
    for (UnitPtr& unit : out) result->AddUnit(std::move(unit));
    return result;
}

// Every unit's kind, ends and centre, to the last bit.
std::vector<std::array<double, 7>> UnitsExactly(const Contour& c) {
    std::vector<std::array<double, 7>> units;
    for (int i = 0; i < c.Count(); ++i) {
        const CUnit& u = *c.GetUnit(i);
        units.push_back({static_cast<double>(u.Kind), u.StartPoint.z, u.StartPoint.x, u.EndPoint.z, u.EndPoint.x,
                         u.CentrePoint.z, u.CentrePoint.x});
    }
    return units;
}

TEST(PlanAngleTrim, IndexedBridgesMeetTheContourAsTheWholeSearchDoes) {
    std::vector<std::string> profiles;
    // After many short units, a wall whose bridge meets first a long taper
    // that begins at its top, far off, while an undercut coming back beneath
    // the taper, and the wall it ends on, lie nearer: units that begin well
    // ahead of the ray's start still decide where it lands.
    test::ProfileWriter undercut{"", 5.0, -20.0};
    for (int i = 0; i < 200; ++i) undercut.Line(undercut.z - 0.025, -20.0);
    undercut.Line(0.0, -17.0);
    undercut.Line(-30.0, -21.0);
    undercut.Line(-10.0, -19.5);
    undercut.Line(-10.0, -22.0);
    undercut.Line(-40.0, -22.0);
    undercut.Line(-40.0, -25.0);
    profiles.push_back(undercut.text);
    // Dense ribs and grooves on a grid of quarter millimetres, so that rays
    // run through vertices two units share and along the edges of their
    // boxes, with round bumps and dents among them.
    std::mt19937 random(20261211);
    for (int profile = 0; profile < 12; ++profile) {
        test::ProfileWriter p{"", 5.0, -20.0};
        const int units = 150 + static_cast<int>(random() % 250);
        while (static_cast<int>(random() % units) != 0 && p.z > -80.0) {
            const int kind = static_cast<int>(random() % 6);
            const double step = 0.25 * static_cast<double>(1 + random() % 3);
            const double rise = 0.25 * static_cast<double>(static_cast<int>(random() % 9) - 4);
            const double x2 = std::clamp(p.x + rise, -23.0, -17.0);
            if (kind < 3) {
                if (kind > 0 || x2 != p.x) p.Line(p.z - (kind == 0 ? 0.0 : step), x2);  // a wall, or a rib
            } else if (kind < 5) {
                const double r = step / 2.0;
                p.Arc(p.z - r, p.x, r, p.z - step, p.x, kind == 3 ? 1 : -1);
            } else {
                p.Line(p.z - step, p.x + 0.001 * static_cast<double>(random() % 5));
            }
        }
        p.Line(p.z, -25.0);
        profiles.push_back(p.text);
    }
    auto s = test::OperationRunner::Parse("LineSeg( 6,0, 6,-25, 1 );\nLineSeg( 6,-25, -90,-25, 1 );\n");
    for (std::size_t profile = 0; profile < profiles.size(); ++profile)
        for (double angle : {0.0, 2.0, 30.0, 45.0, 90.0, 150.0}) {
            SCOPED_TRACE("profile " + std::to_string(profile) + ", angle " + std::to_string(angle));
            auto w = test::OperationRunner::Parse(profiles[profile]);
            auto reference = test::OperationRunner::Parse(profiles[profile]);
            ASSERT_TRUE(w && reference);
            auto t = TrimContourByAngle(*w, angle, *s);
            auto want = WholeContourTrim(*reference, angle, *s);
            ASSERT_EQ(t != nullptr, want != nullptr);
            if (t) {
                EXPECT_EQ(UnitsExactly(*t), UnitsExactly(*want));
            }
            EXPECT_EQ(UnitsExactly(*w), UnitsExactly(*reference));
        }
}

}  // namespace
}  // namespace zarvento
