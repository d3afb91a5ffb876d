// Approach and retract routes: the automatic axis orders found once and
// kept, the transfer through the safety zone's corner, the reference-point
// return, and the L-shaped link between pieces of one path.
#include <gtest/gtest.h>

#include <random>

#include "geometry/line_unit.h"
#include "nc/cadre_g28.h"
#include "operation_runner.h"
#include "operations_test_support.h"
#include "path_checks.h"
#include "random_profiles.h"

namespace zarvento {
namespace {

class TurnMovesTest : public test::OperationTest {
protected:
    // A contour operation on the step with tool 0, then run.
    CTurn& Contour0(const std::function<void(CTurn&)>& setup = {}) {
        runner->Clear();
        runner->Part(test::kStepProfile);
        CTurn& op = runner->AddKind(kTurnKONTUR, test::kStepProfile, [&](CTurn& o) {
            o.isAutoTool = false;
            o.nToolPosition = 0;
            if (setup) setup(o);
        });
        runner->Run();
        return op;
    }
};

TEST_F(TurnMovesTest, AutomaticApproachTriesDirectThenXFirstAndKeepsTheOrder) {
    // Home beyond the face at radius 20: the direct line to the start under
    // the shoulder runs through the bar's face; X first comes round it.
    GetSPID()->X0tool = 20;
    GetSPID()->Z0tool = 10;
    CTurn& op = Contour0([](CTurn& o) { o.naprVihod = 0; });
    EXPECT_EQ(op.naprVihod, 3);
    const std::string text = runner->Text(0);
    // The last stretch at feed, where the nose comes within the clearance
    // of the shoulder.
    EXPECT_NE(text.find("M03\nG00  X63 Z10\nG00  X63 Z-29.005\nG01  X63 Z-29.2\nG01"), std::string::npos) << text;
    runner->Run();
    EXPECT_EQ(op.naprVihod, 3) << "kept without a new test";
}

TEST_F(TurnMovesTest, AutomaticReturnTriesDirectThenZFirst) {
    // From the lead-out end under the shoulder the direct line to a home
    // point near the axis beyond the face crosses the part; along Z first
    // it stays clear.
    GetSPID()->X0tool = 10;
    GetSPID()->Z0tool = 10;
    CTurn& op = Contour0([](CTurn& o) {
        o.naprVozvrat = 0;
        o.indNapr = true;  // ends past the shoulder at x = -31.5
    });
    EXPECT_EQ(op.naprVozvrat, 2);
    const std::string text = runner->Text(0);
    EXPECT_NE(text.find("G01  X63\nG00  Z10\nG00  X20\n"), std::string::npos) << text;
}

TEST_F(TurnMovesTest, ReferencePointReturnReplacesTheRetractInOrder) {
    GetSPID()->isReferent = true;
    CTurn& op = Contour0([](CTurn& o) { o.naprVozvrat = 3; });
    int g28 = 0;
    for (const auto& frame : op.Frames()) g28 += dynamic_cast<const CCadre_G28*>(frame.get()) != nullptr;
    EXPECT_EQ(g28, 2);
    const std::string text = runner->Text(0);
    EXPECT_NE(text.find("G28 U0\nG28 W0\nM01\n"), std::string::npos) << text;
}

TEST_F(TurnMovesTest, SameToolFollowsWithoutRetractAndTransfersThroughTheZoneCorner) {
    GetSPID()->Xplane = 30;
    GetSPID()->Zplane = 10;
    runner->Clear();
    runner->Part(test::kStepProfile);
    CTurn& first = runner->AddKind(kTurnKONTUR, test::kStepProfile, [](CTurn& o) {
        o.isAutoTool = false;
        o.nToolPosition = 0;
    });
    CTurn& second = runner->AddKind(kTurnKONTUR, test::kStepProfile, [](CTurn& o) {
        o.isAutoTool = false;
        o.nToolPosition = 0;
        o.indPerehod = 1;
    });
    runner->Run();
    EXPECT_EQ(runner->Text(0).find("X200 Z100"), std::string::npos) << "no retract before the same tool";
    // The first ends at (6.5, -20.8); its return route leaves the zone
    // across Zplane at x = -23.76, and the straight move from there to the
    // start under the shoulder would cut the corner (10, -30): it goes round.
    const std::string text = runner->Text(1);
    // (It comes the last stretch at feed, where the nose is nearer than the
    // clearance to the shoulder.)
    EXPECT_NE(text.find("M03\nG00  X47.529 Z10\nG00  X60 Z10\nG00  X62.984 Z-28.993\nG01  X63 Z-29.2\nG01"),
              std::string::npos)
        << text;
    EXPECT_EQ(first.calc.retractZ, 6.5);
    EXPECT_EQ(second.calc.approachZ, -29.2);
}

TEST_F(TurnMovesTest, PiecesAreLinkedByAnLShapedMove) {
    // In front of the part's face, clear of the part and the stock.
    CTurn& op = Contour0();
    op.calc.retractX = -20;
    op.calc.retractZ = 20;
    op.calc.pieceIndex = 1;
    const std::size_t before = op.Frames().size();
    op.MoveToStart(-25, 10);  // further out: along X first
    ASSERT_EQ(op.Frames().size(), before + 2);
    EXPECT_EQ(op.Frames()[before]->end.x, -25);
    EXPECT_EQ(op.Frames()[before]->end.z, 20);
    op.MoveToStart(-15, 8);  // back in: along Z first from the kept end
    ASSERT_EQ(op.Frames().size(), before + 4);
    EXPECT_EQ(op.Frames()[before + 2]->end.x, -20);
    EXPECT_EQ(op.Frames()[before + 2]->end.z, 8);
    op.internalMachining = true;
    op.MoveToStart(-15, 8);  // inverted inside a bore
    EXPECT_EQ(op.Frames()[before + 4]->end.x, -15);
    EXPECT_EQ(op.Frames()[before + 4]->end.z, 20);
}

// The return is tested against the part's nose obstacle only where a route
// comes near the part: the obstacle lies within the nose radius of the part
// (moved by the tool's offsets), so a route the quick test lets through never
// meets it, while routes that cross the part are held for the full test.
TEST_F(TurnMovesTest, RoutesClearOfThePartNeverMeetItsNoseObstacle) {
    std::mt19937 random(40221);
    std::uniform_real_distribution<double> z(-64.0, 10.0), x(-36.0, 2.0), leg(-8.0, 8.0);
    int clear = 0, held = 0;
    for (int run = 0; run < 12; ++run) {
        const test::RandomProfile profile = test::RandomOuterProfile(random);
        SCOPED_TRACE("run " + std::to_string(run) + "\n" + profile.text);
        runner->Clear();
        runner->Part(profile.text);
        CTurn& op = runner->AddKind(kTurnKONTUR, profile.text, [](CTurn& o) {
            o.isAutoTool = false;
            o.nToolPosition = 0;
        });
        runner->Run();
        ASSERT_TRUE(op.finalContour && !op.finalContour->Empty());
        const Contour& part = *op.finalContour;
        const std::unique_ptr<Contour> obstacle = op.NoseObstacle(&part);
        ASSERT_TRUE(obstacle && !obstacle->Empty());
        // What the quick test rests on: every unit of the obstacle, moved
        // back, lies within the nose radius of the part.
        Contour back;
        back.AppendCopy(*obstacle);
        op.RemoveToolOffsets(back);
        const double r = op.NoseOffsetRadius('s');
        for (int i = 0; i < back.Count(); ++i) {
            const CUnit& u = *back.GetUnit(i);
            IntersectPoint middle;
            u.GetMiddlePoint(middle);
            EXPECT_LE(test::Distance(part, u.StartPoint.z, u.StartPoint.x), r + 1e-6) << "unit " << i;
            EXPECT_LE(test::Distance(part, middle.z, middle.x), r + 1e-6) << "unit " << i;
        }
        for (int k = 0; k < 60; ++k) {
            const double z1 = z(random), x1 = x(random);
            Contour route;
            route.AddUnit(std::make_unique<CLineUnit>(z1, x1, z1 + leg(random), x1 + leg(random), true));
            if (!op.ClearsNoseObstacle(route, &part)) {
                ++held;
                continue;
            }
            ++clear;
            IntersectPointList points(10);
            route.Intersect(*obstacle, points, true);
            EXPECT_TRUE(points.Empty()) << "route " << k;
        }
    }
    EXPECT_GT(clear, 100);
    EXPECT_GT(held, 100);
}

}  // namespace
}  // namespace zarvento
