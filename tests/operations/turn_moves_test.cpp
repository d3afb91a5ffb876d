// Approach and retract routes: the automatic axis orders found once and
// kept, the transfer through the safety zone's corner, the reference-point
// return, and the L-shaped link between pieces of one path.
#include <gtest/gtest.h>

#include "nc/cadre_g28.h"
#include "operation_runner.h"
#include "operations_test_support.h"

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
    EXPECT_NE(text.find("M03\nG00  X63 Z10\nG00  X63 Z-29.2\nG01"), std::string::npos) << text;
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
    EXPECT_NE(text.find("M03\nG00  X47.529 Z10\nG00  X60 Z10\nG00  X63 Z-29.2\nG01"), std::string::npos) << text;
    EXPECT_EQ(first.calc.retractZ, 6.5);
    EXPECT_EQ(second.calc.approachZ, -29.2);
}

TEST_F(TurnMovesTest, PiecesAreLinkedByAnLShapedMove) {
    CTurn& op = Contour0();
    op.calc.retractX = -20;
    op.calc.retractZ = 0;
    op.calc.pieceIndex = 1;
    const std::size_t before = op.Frames().size();
    op.MoveToStart(-25, -10);  // further out: along X first
    ASSERT_EQ(op.Frames().size(), before + 2);
    EXPECT_EQ(op.Frames()[before]->end.x, -25);
    EXPECT_EQ(op.Frames()[before]->end.z, 0);
    op.MoveToStart(-15, -12);  // back in: along Z first from the kept end
    ASSERT_EQ(op.Frames().size(), before + 4);
    EXPECT_EQ(op.Frames()[before + 2]->end.x, -20);
    EXPECT_EQ(op.Frames()[before + 2]->end.z, -12);
    op.internalMachining = true;
    op.MoveToStart(-15, -12);  // inverted inside a bore
    EXPECT_EQ(op.Frames()[before + 4]->end.x, -15);
    EXPECT_EQ(op.Frames()[before + 4]->end.z, 0);
}

}  // namespace
}  // namespace zarvento
