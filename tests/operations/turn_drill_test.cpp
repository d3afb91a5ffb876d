// The drilling operation: pecking passes (depths, chip breaking and removal,
// dwells), the forced single pass, the centring stroke, the drilling cycle
// frame, the tool check and choice, the cycle-variable text, the refusals
// and the record values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "kind_test_support.h"
#include "nc/cadre_g04.h"
#include "nc/cycle_auto.h"
#include "operations/kind_support.h"
#include "operations/turn_drill.h"
#include "operations_test_support.h"
#include "platform/core/variant.h"
#include "platform/documents/storage_record.h"

namespace zarvento {
namespace {

// A hole of diameter 10 with a 90-degree tip from the axis at z = -25, its
// wall from z = -20 out past the bar's face at z = 2.
constexpr const char* kHole = "LineSeg( -25,0, -20,-5, 1 );\nLineSeg( -20,-5, 5,-5, 1 );\n";

class TurnDrillTest : public test::OperationTest {
protected:
    void SetUp() override {
        test::OperationTest::SetUp();
        test::KindTool(*runner, 2, CTurnDRILL::kDrillKind, {{"D", 10.0}, {"__D", 10.0}, {"fi", 45.0}});
    }
    CTurnDRILL& Drill(const std::function<void(CTurnDRILL&)>& setup = {}, const char* hole = kHole) {
        CTurn& op = runner->Add(std::make_unique<CTurnDRILL>(), hole, [&](CTurn& o) {
            auto& d = dynamic_cast<CTurnDRILL&>(o);
            d.AngleDrill = 90.0;
            if (setup) setup(d);
        });
        runner->Run();
        return dynamic_cast<CTurnDRILL&>(op);
    }
    static void Cycle(CTurnDRILL& d, int n, int type, double retract, double k, double pause = 0, double dwell = 0) {
        SetCycleText(d.cycle, "N", std::to_string(n));
        d.cycle.FindParam("T")->intValue = type;
        SetCycleText(d.cycle, "L", FormatDouble(retract));
        SetCycleText(d.cycle, "K", FormatDouble(k));
        SetCycleText(d.cycle, "P1", FormatDouble(pause));
        SetCycleText(d.cycle, "P2", FormatDouble(dwell));
    }
};

TEST_F(TurnDrillTest, GoldenFramesOfThreePecksWithChipRemovalAndOfOnePassWithDwell) {
    // zmin = -25 (the tip), zmax = 2 (the face), so three equal pecks of 9 from the top Z3.
    Drill([](CTurnDRILL& d) { Cycle(d, 3, 1, 1.5, 1.0); });
    EXPECT_EQ(runner->Text(0),
              "T3\nS500 F0.1\nM03\nG00  X0 Z3\n"
              "G01  Z-7\nG00  Z3\n"
              "G00  Z-5.5\nG01  Z-16\nG00  Z3\n"
              "G00  Z-14.5\nG01  Z-25\nG00  Z3\n"
              "G00  X200 Z100\nM01\n");
    runner->Clear();
    Drill([](CTurnDRILL& d) { Cycle(d, 1, 1, 1.5, 1.0, 0, 2); });
    EXPECT_EQ(runner->Text(0), "T3\nS500 F0.1\nM03\nG00  X0 Z3\nG01  Z-25\nG04  P2\nG00  Z3\nG00  X200 Z100\nM01\n");
}

TEST_F(TurnDrillTest, PecksShrinkByTheFactorAndEndExactlyAtTheBottomOnTheAxis) {
    for (int n : {1, 2, 3, 7, 12}) {
        for (double k : {0.5, 0.95, 1.0}) {
            SCOPED_TRACE("N " + std::to_string(n) + ", K " + FormatDouble(k));
            runner->Clear();
            CTurnDRILL& d = Drill([&](CTurnDRILL& o) { Cycle(o, n, 0, 0.0, k); });
            ASSERT_FALSE(d.HasMessage()) << d.messageText;
            const std::vector<test::Move> cuts = test::Cuts(d);
            ASSERT_EQ(cuts.size(), static_cast<std::size_t>(n));
            EXPECT_EQ(cuts.back().z2, -25.0) << "the last peck ends at the bottom exactly";
            for (std::size_t i = 0; i < cuts.size(); ++i) {
                EXPECT_EQ(cuts[i].x1, 0.0);
                EXPECT_EQ(cuts[i].x2, 0.0);
                if (i > 0 && i + 1 < cuts.size()) {
                    const double before = cuts[i - 1].z1 - cuts[i - 1].z2 - (i == 1 ? 1.0 : 0.0);
                    EXPECT_NEAR((cuts[i].z1 - cuts[i].z2) / before, k, 1e-9);
                }
            }
            const std::vector<test::Move> moves = test::Moves(d);
            for (std::size_t i = 1; i + 1 < moves.size(); ++i) {
                EXPECT_EQ(moves[i].x2, 0.0) << "on the axis";
                EXPECT_GE(moves[i].z2, -25.0) << "nothing goes below the bottom";
            }
        }
    }
}

TEST_F(TurnDrillTest, ChipBreakingWithAndWithoutRetractAndPauses) {
    // Chip breaking, no retract: the pecks follow each other without a move between them.
    Drill([](CTurnDRILL& d) { Cycle(d, 3, 0, 0.0, 1.0, 1.0, 0.5); });
    EXPECT_EQ(runner->Text(0),
              "T3\nS500 F0.1\nM03\nG00  X0 Z3\n"
              "G01  Z-7\nG04  P0.5\nG04  P1\n"
              "G01  Z-16\nG04  P0.5\nG04  P1\n"
              "G01  Z-25\nG04  P0.5\nG00  Z3\n"
              "G00  X200 Z100\nM01\n");
    runner->Clear();
    // With a retract each intermediate peck backs off by it and the next feed starts there.
    Drill([](CTurnDRILL& d) { Cycle(d, 3, 0, 1.5, 1.0); });
    EXPECT_EQ(runner->Text(0),
              "T3\nS500 F0.1\nM03\nG00  X0 Z3\n"
              "G01  Z-7\nG00  Z-5.5\n"
              "G01  Z-16\nG00  Z-14.5\n"
              "G01  Z-25\nG00  Z3\n"
              "G00  X200 Z100\nM01\n");
}

TEST_F(TurnDrillTest, AHoleFromABaseDrillsInOnePassUntilTheOperationExists) {
    CTurnDRILL& d = Drill([](CTurnDRILL& o) {
        o.SposobDrill = CTurnDRILL::kFromBase;
        Cycle(o, 3, 1, 1.5, 1.0);
    });
    EXPECT_EQ(test::Cuts(d).size(), 1u);
    EXPECT_EQ(d.cycle.FindParam("N")->valueText, "1");
}

TEST_F(TurnDrillTest, CentringStrokeTopIsTheBottomPlusDepthPlusApproach) {
    test::KindTool(*runner, 3, CTurnDRILL::kCentreDrillKind, {{"d_centr", 4.0}, {"__D", 10.0}, {"fi", 45.0}});
    // The centring contour starts on the axis at z = -3; its top is far above.
    CTurnDRILL& d = Drill(
        [](CTurnDRILL& o) {
            o.SposobDrill = CTurnDRILL::kCentring;
            o.Glubina = 2.5;
            o.Vrezanie = 1.0;
        },
        "LineSeg( -3,0, 1,-4, 1 );\nLineSeg( 1,-4, 5,-4, 1 );\n");
    EXPECT_EQ(d.nToolPosition, 3);
    ASSERT_FALSE(d.HasMessage()) << d.messageText;
    // The stroke's top lies inside the bar (its face is at z = 2): the drill
    // comes along the axis and feeds from just before the face.
    const std::vector<test::Move> cuts = test::Cuts(d);
    ASSERT_EQ(cuts.size(), 2u);
    EXPECT_EQ(cuts[0].x1, 0.0);
    EXPECT_NEAR(cuts[0].z1, 2.0 + 1.0, 1e-9);
    EXPECT_EQ(cuts[1].z1, -3.0 + 2.5 + 1.0);
    EXPECT_EQ(cuts[1].z2, -3.0);
}

TEST_F(TurnDrillTest, OverrunDeepensTheHoleAndTheToolOffsetMovesTheAxis) {
    CTurnDRILL& d = Drill([](CTurnDRILL& o) {
        Cycle(o, 1, 1, 1.5, 1.0);
        o.Perebeg = 2.0;
        o.isCorrectLx = true;
        o.CorrectLx = 0.5;
    });
    ASSERT_FALSE(d.HasMessage()) << d.messageText;
    const std::vector<test::Move> cuts = test::Cuts(d);
    ASSERT_EQ(cuts.size(), 1u);
    EXPECT_EQ(cuts[0].z2, -27.0) << "the overrun below the tip";
    EXPECT_EQ(cuts[0].x1, -0.5);
    EXPECT_EQ(cuts[0].x2, -0.5);
    std::string text;
    d.GetCycleVariables(text);
    EXPECT_EQ(text, "_D=10 _L1=1 _L2=2 _Angle=90 ");
}

TEST_F(TurnDrillTest, TheClosingAngleFollowsTheTip) {
    CTurnDRILL d;
    d.AngleDrill = 120.0;
    EXPECT_TRUE(d.SetToolAngle());
    EXPECT_EQ(d.ClosedAngle1, 120.0);
    EXPECT_EQ(d.ClosedSposob1, 5);
    EXPECT_EQ(d.ClosedSposob2, 5);
    EXPECT_EQ(d.HoleBuilder().startAngle, 120.0);
    EXPECT_EQ(d.HoleBuilder().AngleDrill, 120.0);
    CTurnDRILL copy;
    copy = d;
    EXPECT_EQ(copy.AngleDrill, 120.0);
    EXPECT_EQ(copy.HoleBuilder().AngleDrill, 120.0) << "an assignment hands the hole to the builder";
}

TEST_F(TurnDrillTest, CheckToolTakesTheHoleFromTheToolAndRefusesANonCentringTool) {
    CTurnDRILL d;
    d.nToolPosition = 2;
    d.CheckTool();
    EXPECT_EQ(d.Diametr, 10.0);
    EXPECT_EQ(d.AngleDrill, 90.0);
    EXPECT_FALSE(d.HasMessage());
    d.SposobDrill = CTurnDRILL::kCentring;
    d.isSilent = true;
    d.Diametr = 0.0;
    d.CheckTool();
    EXPECT_EQ(d.messageText, "Ошибка:\nИнструмент в позиции 3 не является центровочным сверлом")
        << "a drill without a centring diameter";
    test::KindTool(*runner, 4, CTurnDRILL::kCentreDrillKind, {{"d_centr", 3.15}, {"fi", 60.0}});
    d.nToolPosition = 4;
    d.messageText.clear();
    d.CheckTool();
    EXPECT_EQ(d.Diametr, 3.15);
    EXPECT_EQ(d.AngleDrill, 120.0);
    EXPECT_EQ(d.messageText, "Ошибка:\nИнструмент в позиции 5 не является центровочным сверлом")
        << "a centring drill without a main diameter";
    test::KindTool(*runner, 4, CTurnDRILL::kCentreDrillKind, {{"d_centr", 3.15}, {"__D", 8.0}});
    d.messageText.clear();
    d.CheckTool();
    EXPECT_FALSE(d.HasMessage());
}

TEST_F(TurnDrillTest, ToolChoiceByNearestDiameterKeepsTheEarlierOfEqualOnes) {
    test::KindTool(*runner, 3, CTurnDRILL::kDrillKind, {{"d", 9.0}});
    test::KindTool(*runner, 4, CTurnDRILL::kDrillKind, {{"D", 11.0}});
    test::KindTool(*runner, 5, CTurnDRILL::kDrillKind, {{"D", 10.5}});
    runner->Tool(2, "", 0.0);  // the exact drill is gone
    CTurnDRILL& d = Drill();
    EXPECT_EQ(d.nToolPosition, 5);
    test::KindTool(*runner, 5, CTurnDRILL::kDrillKind, {{"D", 11.0}});
    runner->Run();
    EXPECT_EQ(d.nToolPosition, 3) << "9 and 11 are as near; the earlier position wins";
    test::KindTool(*runner, 6, CTurnDRILL::kCentreDrillKind, {});
    d.SposobDrill = CTurnDRILL::kCentring;
    d.SetupTool();
    EXPECT_EQ(d.nToolPosition, 6);
}

TEST_F(TurnDrillTest, CycleVariablesLeaveOutZeroDiameterAndAngleButWriteZeroLengths) {
    CTurnDRILL d;
    std::string text;
    d.GetCycleVariables(text);
    EXPECT_EQ(text, "_D=5 _L1=1 _L2=0 _Angle=118 ");
    d.Diametr = 0;
    d.AngleDrill = 0;
    d.Vrezanie = 0;
    d.Perebeg = 2.25;
    text.clear();
    d.GetCycleVariables(text);
    EXPECT_EQ(text, "_L1=0 _L2=2.25 ");
}

TEST_F(TurnDrillTest, MachineCycleIsOneFrameAndAZeroLengthPositioningMove) {
    CPostProcessor post("Станок", "");
    auto drilling = std::make_unique<CCycle_Auto>();
    drilling->SetType("Drilling");
    drilling->SetGCode("G81");
    post.AddCycleDefinition(std::move(drilling));
    CTurnDRILL& d = Drill([&](CTurnDRILL& o) {
        o.SetPostProcessorData(&post);
        o.indShema = 1;
    });
    ASSERT_FALSE(d.HasMessage()) << d.messageText;
    const auto& frames = d.Frames();
    std::vector<CCadreISO*> own;
    for (const auto& f : frames) own.push_back(f.get());
    auto it = std::find_if(own.begin(), own.end(), [](CCadreISO* f) { return dynamic_cast<CCycle_Auto*>(f); });
    ASSERT_NE(it, own.end());
    auto* cycle = dynamic_cast<CCycle_Auto*>(*it);
    EXPECT_EQ(cycle->start.z, 3.0);
    EXPECT_EQ(cycle->end.z, 3.0);
    EXPECT_EQ(cycle->start.x, 0.0);
    EXPECT_EQ(cycle->cycleVariables, "_D=10 _L1=1 _L2=0 _Angle=90 ");
    EXPECT_EQ(cycle->toolNumber, 2);
    ASSERT_TRUE(cycle->workContour);
    double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
    cycle->workContour->GetBoundBox(zmin, xmin, zmax, xmax);
    EXPECT_DOUBLE_EQ(zmin, -25.0) << "the drilled zone reaches the tip";
    EXPECT_DOUBLE_EQ(zmax, 3.0);
    ASSERT_LT(it + 1, own.end());
    auto* stay = dynamic_cast<CCadre_LineG01*>(*(it + 1));
    ASSERT_NE(stay, nullptr);
    EXPECT_TRUE(stay->rapid);
    EXPECT_TRUE(stay->forceAll);
    EXPECT_EQ(stay->start.z, 3.0);
    EXPECT_EQ(stay->end.z, 3.0);
    EXPECT_EQ(test::Cuts(d).size(), 0u) << "no pecks of its own";
}

// A description whose only drilling definition is a group
// (CYCLE_GROUP(G83,,Drilling)) once crashed the operation: it took the group
// as its cycle. Now it has no cycle of its type and says nothing, as with none.
TEST_F(TurnDrillTest, AGroupIsNoDrillingCycle) {
    CPostProcessor post("Станок", "");
    auto group = std::make_unique<CCycle_Auto>();
    group->SetType("Drilling");
    group->SetGCode("G83");
    group->groupFlag = 1;
    post.AddCycleDefinition(std::move(group));
    EXPECT_EQ(post.GetCountCyclesOfType("Drilling"), 0);
    EXPECT_EQ(post.GetCycleOfType("Drilling", 0), nullptr);
    CTurnDRILL& d = Drill([&](CTurnDRILL& o) {
        o.SetPostProcessorData(&post);
        o.indShema = 1;
    });
    for (const auto& f : d.Frames()) EXPECT_EQ(dynamic_cast<CCycle_Auto*>(f.get()), nullptr);
}

TEST_F(TurnDrillTest, WithoutAToolTheOldPathGoesAndTheOperationReportsIt) {
    CTurnDRILL& d = Drill();
    ASSERT_FALSE(d.Frames().empty());
    runner->Tool(2, "", 0.0);
    runner->Run();
    EXPECT_TRUE(d.Frames().empty());
    EXPECT_EQ(d.messageText, "Ошибка:\nНе задан инструмент");
    EXPECT_FALSE(d.IsActive());
}

TEST_F(TurnDrillTest, RefusedPassPlansAndTipAngles) {
    struct Case {
        const char* name;
        int n;
        double retract, k, angle;
        const char* message;
    };
    const Case cases[] = {
        {"no passes", 0, 1.5, 1.0, 90, "Число проходов должно быть больше нуля"},
        {"a runaway count", 20000, 1.5, 1.0, 90, "Число проходов не должно превышать 10000"},
        {"factor 0", 3, 1.5, 0.0, 90, "Коэффициент уменьшения глубины прохода должен быть больше нуля"},
        {"negative retract", 3, -1.0, 1.0, 90, "Длина отвода после прохода не должна быть отрицательной"},
        {"no tip angle", 3, 1.5, 1.0, 0, "Угол при вершине сверла должен быть больше 0 и не больше 180 градусов"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runner->Clear();
        test::KindTool(*runner, 2, CTurnDRILL::kDrillKind, {{"D", 10.0}});
        CTurnDRILL& d = Drill([&](CTurnDRILL& o) {
            Cycle(o, c.n, 1, c.retract, c.k);
            o.AngleDrill = c.angle;
        });
        EXPECT_EQ(d.messageText, std::string("Ошибка:\n") + c.message);
        EXPECT_TRUE(d.Frames().empty());
    }
}

TEST_F(TurnDrillTest, RecordValuesRoundTrip) {
    CTurnDRILL saved;
    saved.SposobDrill = CTurnDRILL::kCentring;
    saved.Zbase = -1.25;
    saved.Glubina = 12.5;
    saved.GlubinaCentr = 0.0;
    saved.Diametr = 6.3;
    saved.AngleDrill = 120.0;
    {
        StorageRecord record;
        ASSERT_TRUE(record.OpenWrite("Zarvento.Turn.3"));
        saved.SaveKindValues(record);
        EXPECT_EQ(record.PendingNames(), (std::vector<std::string>{"SposobDrill", "Zbase", "Glubina", "GlubinaCentr",
                                                                   "Diametr", "AngleDrill"}));
    }
    CTurnDRILL loaded;
    StorageRecord record;
    ASSERT_TRUE(record.OpenRead("Zarvento.Turn.3"));
    loaded.LoadKindValues(record);
    EXPECT_EQ(loaded.SposobDrill, CTurnDRILL::kCentring);
    EXPECT_EQ(loaded.Zbase, -1.25);
    EXPECT_EQ(loaded.Glubina, 12.5);
    EXPECT_EQ(loaded.GlubinaCentr, 12.5) << "a centring depth of 0 takes the depth";
    EXPECT_EQ(loaded.Diametr, 6.3);
    EXPECT_EQ(loaded.AngleDrill, 120.0);
    EXPECT_EQ(loaded.ClosedSposob1, 5);
    EXPECT_EQ(loaded.ClosedAngle1, 120.0);
    EXPECT_EQ(loaded.HoleBuilder().Glubina, 12.5);
}

}  // namespace
}  // namespace zarvento
