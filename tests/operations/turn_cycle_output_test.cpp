// Machine-cycle output of the multi-pass operation: the whole region as one
// cycle frame with its three contours, the trapezoid forms chosen by the
// cycle's profile demands, and the refusal when none fits.
#include <gtest/gtest.h>

#include <cmath>

#include "multipass_test_support.h"
#include "nc/cycle_auto.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations_test_support.h"
#include "post/post_processor.h"

namespace zarvento {
namespace {

// Two steps down from the free end: a staircase that the Z-stepping
// trapezoids take, two steps of a diameter and a face each.
constexpr const char* kStairs =
    "LineSeg( 5,-15, -10,-15, 1 );\nLineSeg( -10,-15, -10,-20, 1 );\nLineSeg( -10,-20, -30,-20, 1 );\n"
    "LineSeg( -30,-20, -30,-30, 1 );\n";

class TurnCycleOutputTest : public test::OperationTest {
protected:
    CTurnMnogoProhod& Cycle(const std::string& profile, const std::string& demands) {
        post = std::make_unique<CPostProcessor>("Станок", "");
        auto turning = std::make_unique<CCycle_Auto>();
        turning->SetType("Turning");
        turning->SetGCode("G71");
        turning->profilDemands = demands;
        post->AddCycleDefinition(std::move(turning));
        // A sharp tool keeps the region's corners sharp: trapezoids take lines only.
        runner->Tool(0, "Резец проходной", 0.0);
        runner->Clear();
        runner->Part(profile);
        CTurn& op = runner->AddKind(kTurnMnogoProhod, profile, [&](CTurn& o) {
            o.SetPostProcessorData(post.get());
            o.indShema = 1;
        });
        runner->Run();
        return dynamic_cast<CTurnMnogoProhod&>(op);
    }

    static std::vector<const CCycle_Auto*> Cycles(const CTurn& op) {
        std::vector<const CCycle_Auto*> cycles;
        for (const auto& frame : op.Frames())
            if (const auto* c = dynamic_cast<const CCycle_Auto*>(frame.get())) cycles.push_back(c);
        return cycles;
    }

    std::unique_ptr<CPostProcessor> post;
};

TEST_F(TurnCycleOutputTest, BlankDemandsGiveOneFrameWithThreeContours) {
    for (const char* demands : {"", " "}) {
        SCOPED_TRACE(std::string("demands '") + demands + "'");
        CTurnMnogoProhod& op = Cycle(kStairs, demands);
        ASSERT_EQ(op.messageText, "");
        const auto cycles = Cycles(op);
        ASSERT_EQ(cycles.size(), 1u);
        const CCycle_Auto& c = *cycles[0];
        ASSERT_TRUE(c.workContour && c.secondContour && c.printContour);
        EXPECT_TRUE(c.workContour->IsClosed()) << "the region with its stock side";
        EXPECT_EQ(c.start.x, c.end.x);
        EXPECT_EQ(c.start.z, c.end.z);
        // The stairs fall from the free end: the start lies beyond the stock's
        // least X and greatest Z.
        BoundBox box;
        ContoursBoundingBox(*op.pairedList[0], *op.pairedList[0], box);
        EXPECT_NEAR(c.start.x, box.xmin - op.Perebeg, 1e-9);
        EXPECT_NEAR(c.start.z, box.zmax + op.Vrezanie, 1e-9);
        EXPECT_NEAR(c.printContour->GetFirstUnit()->GetLength(), 1000.0, 1e-6) << "the lead-in";
    }
}

// Only the forms named are tried: the staircase fits form 1 (one trapezoid
// per step) but not the mirrored V2, which alone is asked for the refusal.
TEST_F(TurnCycleOutputTest, DemandsChooseTheTrapezoidForm) {
    CTurnMnogoProhod& g1 = Cycle(kStairs, "TrapecG1");
    ASSERT_EQ(g1.messageText, "");
    const auto traps = Cycles(g1);
    ASSERT_GE(traps.size(), 2u);
    for (const CCycle_Auto* c : traps) {
        ASSERT_TRUE(c->workContour && c->secondContour);
        EXPECT_EQ(c->workContour->Count(), 4);
        EXPECT_TRUE(c->workContour->IsClosed());
        EXPECT_EQ(c->start.z, c->workContour->GetFirstUnit()->StartPoint.z);
        EXPECT_EQ(c->start.x, c->workContour->GetFirstUnit()->StartPoint.x);
    }

    CTurnMnogoProhod& v2 = Cycle(kStairs, "TrapecV2");
    EXPECT_EQ(v2.messageText, "Ошибка:\nКонтур нельзя обработать в циклах G71");
    EXPECT_TRUE(Cycles(v2).empty());
}

// Start points by the region's shape: a step falling from the free end, a
// single face and a single diameter, each from the stock's rectangle.
TEST_F(TurnCycleOutputTest, StartPointFollowsTheRegionShape) {
    struct Case {
        const char* name;
        const char* profile;
        bool across, along;
    };
    const std::vector<Case> cases = {
        {"stairs", kStairs, false, false},
        {"face", "LineSeg( -5.5,1, -5.5,-30, 1 );\n", true, false},
        {"diameter", "LineSeg( 5,-20, -70,-20, 1 );\n", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTurnMnogoProhod& op = Cycle(c.profile, " ");
        ASSERT_EQ(op.messageText, "");
        ASSERT_EQ(op.regionList.size(), 1u);
        EXPECT_EQ(op.OnePieceAcrossPass, c.across);
        EXPECT_EQ(op.OnePieceAlongPass, c.along);
        const auto cycles = Cycles(op);
        ASSERT_EQ(cycles.size(), 1u);
        BoundBox box;
        ContoursBoundingBox(*op.pairedList[0], *op.pairedList[0], box);
        const Contour& w = *op.regionList[0];
        const double x1 = w.GetFirstUnit()->StartPoint.x, xn = w.GetLastUnit()->EndPoint.x;
        const double a = op.Vrezanie, o = op.Perebeg;
        double rx = box.xmin - o, rz = box.zmax + a;
        if (c.across) {
            rz = x1 <= xn ? box.zmin - a : box.zmax + a;
            rx = box.xmin - a;
        }
        if (c.along) {
            rx = box.xmin - a;
            rz = box.zmax + a;
        }
        EXPECT_NEAR(cycles[0]->start.x, rx, 1e-9);
        EXPECT_NEAR(cycles[0]->start.z, rz, 1e-9);
    }
}

}  // namespace
}  // namespace zarvento
