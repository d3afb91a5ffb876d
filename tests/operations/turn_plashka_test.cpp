// The tap and die operation: the strokes of both hands with the spindle
// started and reversed only where it must be, the machine-cycle stroke, the
// tool choice, the frames that remove no material, the cycle-variable text
// and the record values.
#include <gtest/gtest.h>

#include "kind_test_support.h"
#include "nc/cycle_auto.h"
#include "operations/turn_plashka.h"
#include "operations_test_support.h"
#include "platform/documents/storage_record.h"

namespace zarvento {
namespace {

// An M8 thread in a bore of radius 4 from z = -15 out past the face.
constexpr const char* kThread = "LineSeg( -15,-4, 5,-4, 1 );\n";
constexpr const char* kThreadReversed = "LineSeg( 5,-4, -15,-4, 1 );\n";

class TapDieTest : public test::OperationTest {
protected:
    void SetUp() override {
        test::OperationTest::SetUp();
        test::KindTool(*runner, 3, CTurnPLASHKA::kTapKind, {{"D", 8.0}});
        test::KindTool(*runner, 4, CTurnPLASHKA::kDieKind, {});
    }
    // An operation on tool 0 running the spindle the given way.
    void Before(bool reversed) {
        runner->Add(std::make_unique<test::ProbeTurn>(), test::kStepProfile, [reversed](CTurn& o) {
            o.nToolPosition = 0;
            o.isAutoTool = false;
            o.isAutoM34 = false;
            o.isM04 = reversed;
        });
    }
    CTurnPLASHKA& Tap(bool left, const char* thread = kThread, const std::function<void(CTurnPLASHKA&)>& setup = {}) {
        CTurn& op = runner->AddKind(kTurnPLASHKA, thread, [&](CTurn& o) {
            o.indNapr = left;
            o.isAutoM34 = false;
            if (setup) setup(dynamic_cast<CTurnPLASHKA&>(o));
        });
        runner->Run();
        return dynamic_cast<CTurnPLASHKA&>(op);
    }
};

constexpr const char* kOpening = "T4\nS100 F1.5\nG00  X0 Z6\n";
constexpr const char* kClosing = "G00  X200 Z100\nM01\n";

TEST_F(TapDieTest, StrokesStartAndReverseTheSpindleOnlyWhereTheyMust) {
    struct Case {
        const char* name;
        int before;  // -1 none, 0 an M03 operation, 1 an M04 operation
        bool left;
        const char* stroke;
    };
    const Case cases[] = {
        {"right hand first in the plan", -1, false, "M03\nG01  Z-16\nM04\nG01  Z6\nM03\n"},
        {"right hand after M03", 0, false, "G01  Z-16\nM04\nG01  Z6\nM03\n"},
        {"right hand after M04", 1, false, "M03\nG01  Z-16\nM04\nG01  Z6\nM03\n"},
        {"left hand first in the plan", -1, true, "M04\nG01  Z-16\nM03\nG01  Z6\n"},
        {"left hand after M03", 0, true, "M04\nG01  Z-16\nM03\nG01  Z6\n"},
        {"left hand after M04", 1, true, "G01  Z-16\nM03\nG01  Z6\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runner->Clear();
        if (c.before >= 0) Before(c.before == 1);
        CTurnPLASHKA& op = Tap(c.left);
        ASSERT_FALSE(op.HasMessage()) << op.messageText;
        EXPECT_EQ(op.nToolPosition, 3) << "a tap for a thread running towards the face";
        std::string expected = std::string(kOpening) + c.stroke + kClosing;
        EXPECT_EQ(runner->Text(c.before >= 0 ? 1 : 0), expected);
        EXPECT_FALSE(op.isM04) << "every stroke ends turning forward";
    }
}

TEST_F(TapDieTest, TheStrokeStaysOnTheAxisWhicheverWayTheContourRunsAndRemovesNothing) {
    CTurnPLASHKA& forward = Tap(false);
    const std::vector<test::Move> a = test::Moves(forward);
    runner->Clear();
    CTurnPLASHKA& backward = Tap(false, kThreadReversed);
    EXPECT_EQ(backward.nToolPosition, 4) << "a contour towards -Z takes a die";
    const std::vector<test::Move> b = test::Moves(backward);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].z1, b[i].z1);
        EXPECT_EQ(a[i].z2, b[i].z2);
    }
    for (std::size_t i = 1; i + 1 < b.size(); ++i) {
        EXPECT_EQ(b[i].x1, 0.0);
        EXPECT_EQ(b[i].x2, 0.0);
        EXPECT_GE(b[i].z2, -16.0) << "no deeper than the overrun";
    }
    // The closing frames come after the marking; every frame before them is marked unless rapid.
    const auto& frames = backward.Frames();
    ASSERT_EQ(test::FrameKindName(*frames.back()), "M1");
    for (std::size_t i = 0; i + 1 < frames.size(); ++i) EXPECT_EQ(frames[i]->noMaterial, frames[i]->rapid ? 0 : 1);
}

TEST_F(TapDieTest, AShortContourTakesADie) {
    CTurnPLASHKA& op = Tap(false, "LineSeg( 0,-4, 2,-4, 1 );\n");
    EXPECT_EQ(op.nToolPosition, 4) << "not longer than approach plus overrun";
    EXPECT_EQ(op.threadDiameter, 0.0);
    runner->Clear();
    EXPECT_EQ(Tap(false).threadDiameter, 8.0);
}

TEST_F(TapDieTest, MachineCycleStrokeIsOneFrameFollowedByM03) {
    CPostProcessor post("Станок", "");
    auto tapping = std::make_unique<CCycle_Auto>();
    tapping->SetType("Threading_Tap_Die");
    tapping->SetGCode("G84");
    post.AddCycleDefinition(std::move(tapping));
    Before(true);
    CTurnPLASHKA& op = Tap(true, kThread, [&](CTurnPLASHKA& o) {
        o.SetPostProcessorData(&post);
        o.indShema = 1;
    });
    ASSERT_FALSE(op.HasMessage()) << op.messageText;
    const auto& frames = op.Frames();
    auto it = std::find_if(frames.begin(), frames.end(),
                           [](const auto& f) { return dynamic_cast<const CCycle_Auto*>(f.get()) != nullptr; });
    ASSERT_NE(it, frames.end());
    const auto& cycle = dynamic_cast<const CCycle_Auto&>(**it);
    EXPECT_EQ(cycle.start.z, 6.0);
    EXPECT_EQ(cycle.end.z, 6.0);
    EXPECT_EQ(cycle.cycleVariables, "_FEED=1.5 _NTHREADS=1 _LEFT=1 _L1=1 _L2=1 ");
    ASSERT_TRUE(cycle.workContour);
    EXPECT_EQ(cycle.workContour->Count(), 2);
    EXPECT_EQ(cycle.workContour->GetUnit(0)->EndPoint.z, -16.0);
    ASSERT_NE(it + 1, frames.end());
    EXPECT_EQ(test::FrameKindName(**(it + 1)), "M3");
    EXPECT_NE(test::FrameKindName(**(it - 1)), "M4") << "the operation before left the spindle reversed";
    EXPECT_FALSE(op.isM04);
}

TEST_F(TapDieTest, CycleVariablesAndRecordValues) {
    CTurnPLASHKA op;
    std::string text;
    op.GetCycleVariables(text);
    EXPECT_EQ(text, "_FEED=1.5 _NTHREADS=1 _L1=1 _L2=1 ");
    op.Spod = 0;
    op.Nzahod = 0;
    op.Vrezanie = 0;
    op.Perebeg = 0;
    text.clear();
    op.GetCycleVariables(text);
    EXPECT_EQ(text, "_L1=0 _L2=0 ");

    CTurnPLASHKA saved;
    saved.Step = 1.25;
    saved.isAutoStep = false;
    saved.Nzahod = 2;
    saved.threadDiameter = 10.0;
    {
        StorageRecord record;
        ASSERT_TRUE(record.OpenWrite("Zarvento.Turn.4"));
        EXPECT_TRUE(saved.SaveKindValues(record));
        EXPECT_EQ(record.PendingNames(), (std::vector<std::string>{"Step", "isAutoStep", "Nzahod"}));
    }
    CTurnPLASHKA loaded;
    StorageRecord record;
    ASSERT_TRUE(record.OpenRead("Zarvento.Turn.4"));
    EXPECT_TRUE(loaded.LoadKindValues(record));
    EXPECT_EQ(loaded.Step, 1.25);
    EXPECT_FALSE(loaded.isAutoStep);
    EXPECT_EQ(loaded.Nzahod, 2);
    EXPECT_EQ(loaded.threadDiameter, 0.0) << "the diameter belongs to the tool choice";
    loaded = saved;
    EXPECT_EQ(loaded.Nzahod, 2);
    EXPECT_EQ(loaded.threadDiameter, 0.0) << "nor is it copied";
}

}  // namespace
}  // namespace zarvento
