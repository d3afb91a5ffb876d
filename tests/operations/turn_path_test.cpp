// The path skeleton every operation shares: opening and closing frames over
// the description versions, tool changes and speed modes, the tool-life stop,
// and failure exits that leave no frames.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "nc/cadre_sp.h"
#include "nc/cadre_t.h"
#include "nc/cycle_auto.h"
#include "operation_runner.h"
#include "operations/turn_plashka.h"
#include "operations_test_support.h"

namespace zarvento {
namespace {

class TurnPathTest : public test::OperationTest {
protected:
    // Two probe operations: the first on tool 0, then the one under test.
    CTurn& TwoOperations(const std::function<void(CTurn&)>& first, const std::function<void(CTurn&)>& second) {
        runner->Clear();
        runner->Add(std::make_unique<test::ProbeTurn>(), test::kStepProfile, [&](CTurn& op) {
            op.nToolPosition = 0;
            if (first) first(op);
        });
        CTurn& op = runner->Add(std::make_unique<test::ProbeTurn>(), test::kStepProfile, second);
        runner->Run();
        return op;
    }
};

// The moves of the probe from where the first probe ended.
constexpr const char* kProbeMoves = "G00  X40 Z5\nG01  Z-30\nG01  X60\n";

TEST_F(TurnPathTest, OpeningAndClosingFramesOverVersionToolChangeAndSpeedMode) {
    struct Version {
        const char* text;
        bool named;
    };
    // A version of digits is a number: "2" comes before "18", "100" after it.
    const Version versions[] = {{"", false}, {"17", false}, {"18", true}, {"2", false}, {"100", true}};
    struct Speed {
        const char* name;
        bool firstVconst, vconst;
        double feed;
        const char* frames;
    };
    const Speed speeds[] = {
        {"constant cutting speed", false, true, 0.15, "G96  S180\nF0.15\n"},
        {"modal G96, the same feed", true, false, 0.15, "G97  S500\n"},
        {"modal G96, another feed", true, false, 0.3, "G97  S500\nF0.3\n"},
        {"plain", false, false, 0.15, "S500 F0.15\n"},
    };
    for (const Version& version : versions) {
        for (int tool : {0, 1}) {
            for (const Speed& speed : speeds) {
                SCOPED_TRACE(std::string("VERSION \"") + version.text + "\", tool " + std::to_string(tool) + ", " +
                             speed.name);
                runner->Version(version.text);
                CTurn& op = TwoOperations([&](CTurn& first) { first.isVconst = speed.firstVconst; },
                                          [&](CTurn& second) {
                                              second.nToolPosition = tool;
                                              second.isVconst = speed.vconst;
                                              second.Spod = speed.feed;
                                              second.indPerehod = 0;
                                          });
                std::string expected = version.named ? "<NameOper>\n<BegOper>\n" : "";
                if (tool == 1) expected += "T2\n";
                expected += std::string(speed.frames) + "M03\n" + kProbeMoves + "M01\n";
                if (version.named) expected += "<EndOper>\n";
                EXPECT_EQ(runner->Text(1), expected);
                EXPECT_EQ(op.indPerehod, tool == 1 ? 2 : 0) << "only a tool change sets the approach mode";
            }
        }
    }
}

TEST_F(TurnPathTest, FirstOperationChangesToolWithTheFirstToolFlag) {
    CTurn& op =
        runner->Add(std::make_unique<test::ProbeTurn>(), test::kStepProfile, [](CTurn& o) { o.nToolPosition = 1; });
    runner->Run();
    ASSERT_FALSE(op.Frames().empty());
    auto* t = dynamic_cast<CCadre_T*>(op.Frames().front().get());
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->toolValue, 2);
    EXPECT_EQ(t->previousToolValue, 0);
    EXPECT_TRUE(t->firstTool);
    EXPECT_EQ(op.indPerehod, 2);
}

TEST_F(TurnPathTest, CoolantCompensationReversedSpindleAndNoOptionalStop) {
    runner->Tool(1, "Резец левый", 0.4, 4);
    TwoOperations({}, [](CTurn& op) {
        op.nToolPosition = 1;
        op.isCheckCooler = true;
        op.DirRcorrect = 2;
        op.isM01end = false;
    });
    EXPECT_EQ(runner->Text(1), std::string("T2\nS500 F0.15\nM04\nM08\nG42\n") + kProbeMoves + "G40\nM09\n");
}

TEST_F(TurnPathTest, TapAndDieLeavesTheSpindleToItsOwnMoves) {
    runner->AddKind(kTurnPLASHKA, test::kStepProfile, [](CTurn& op) {
        op.nToolPosition = 0;
        op.isAutoTool = false;
    });
    runner->Run();
    // No spindle start between the cutting data and the approach: the stroke starts it.
    EXPECT_EQ(runner->Text(0), "T1\nS100 F1.5\nG00  X0 Z6\nM03\nG01  Z-30.2\nM04\nG01  Z6\nM03\nG00  X200 Z100\nM01\n");
}

// Cutting 35 mm and then 10 mm at 500 rpm and 0.15 mm/rev: 7/15 and 2/15 min.
constexpr double kFirstCut = 35.0 / 75.0;
constexpr double kWholeCut = 45.0 / 75.0;

TEST_F(TurnPathTest, ToolLifeStopGoesBeforeTheFrameDuringWhichTheLifeRunsOut) {
    runner->ToolLifeStops(true);
    CTurn& op = runner->Add(std::make_unique<test::ProbeTurn>(), test::kStepProfile, [](CTurn& o) {
        o.nToolPosition = 0;
        o.TT = 0.5;
    });
    runner->Run();
    EXPECT_EQ(runner->Text(0), "T1\nS500 F0.15\nM03\nG00  X40 Z5\nG01  Z-30\n<SP>\nG01  X60\nM01\n");
    EXPECT_NEAR(op.stopTime, kFirstCut, 1e-12);
    EXPECT_NEAR(op.workTime, kWholeCut, 1e-12);
    const auto* stop = dynamic_cast<const CCadre_SP*>(op.Frames()[5].get());
    ASSERT_NE(stop, nullptr);
    EXPECT_NEAR(stop->stopValue, kFirstCut, 1e-12);
    EXPECT_EQ(stop->operation, &op);
}

TEST_F(TurnPathTest, WearCarriesOverFromEarlierOperationsWithTheSameTool) {
    runner->ToolLifeStops(true);
    for (int k = 0; k < 3; ++k) {
        runner->Add(std::make_unique<test::ProbeTurn>(), test::kStepProfile, [](CTurn& o) {
            o.nToolPosition = 0;
            o.TT = 1.0;
        });
    }
    runner->Run();
    // 0.6 of the life in the first; the second runs out in its first cut,
    // so its stop time is its whole time; the third starts on a new tool.
    EXPECT_EQ(runner->Operation(0).stopTime, 0.0);
    EXPECT_EQ(runner->Text(1), "S500 F0.15\nM03\nG00  X40 Z5\n<SP>\nG01  Z-30\nG01  X60\nM01\n");
    EXPECT_NEAR(runner->Operation(1).stopTime, kWholeCut, 1e-12);
    EXPECT_EQ(runner->Operation(2).stopTime, 0.0);
    EXPECT_EQ(runner->Text(2).find("<SP>"), std::string::npos);
}

TEST_F(TurnPathTest, NoToolLifeStopWithoutALifeOrWithStopsOff) {
    runner->ToolLifeStops(true);
    CTurn& op = runner->Add(std::make_unique<test::ProbeTurn>(), test::kStepProfile, [](CTurn& o) {
        o.nToolPosition = 0;
        o.TT = 1e-7;
    });
    runner->Run();
    EXPECT_EQ(runner->Text(0).find("<SP>"), std::string::npos);
    op.TT = 0.5;
    runner->ToolLifeStops(false).Run();
    EXPECT_EQ(runner->Text(0).find("<SP>"), std::string::npos);
}

TEST_F(TurnPathTest, AnExcludedOperationAddsNoWear) {
    runner->ToolLifeStops(true);
    for (int k = 0; k < 2; ++k) {
        runner->Add(std::make_unique<test::ProbeTurn>(), test::kStepProfile, [](CTurn& o) {
            o.nToolPosition = 0;
            o.TT = 1.0;
        });
    }
    runner->Run();
    ASSERT_NE(runner->Text(1).find("<SP>"), std::string::npos);
    runner->Operation(0).isExclude = true;
    runner->Run();
    EXPECT_NEAR(runner->Operation(0).workTime, kWholeCut, 1e-12) << "it keeps the time of its old path";
    EXPECT_EQ(runner->Text(1).find("<SP>"), std::string::npos) << runner->Text(1);
}

TEST_F(TurnPathTest, ZeroSpeedOrFeedGivesNoEndlessTimes) {
    CTurn& op = runner->Add(std::make_unique<test::ProbeTurn>(), test::kStepProfile, [](CTurn& o) {
        o.nToolPosition = 0;
        o.Spod = 0.0;
    });
    runner->ToolLifeStops(true).Run();
    EXPECT_EQ(op.messageText, "Не заданы режимы резания");
    EXPECT_FALSE(op.Frames().empty()) << "the path is still built";
    // Were the message gone, neither the tool life nor the statistics may
    // divide by the zero feed.
    op.messageText.clear();
    op.TT = 1e-3;
    op.FinishContourPath();
    EXPECT_EQ(op.workTime, 0.0);
    EXPECT_EQ(op.stopTime, 0.0);
    op.Nshp = 0.0;
    op.Spod = 0.15;
    const PathStatistics s = op.CalcStatistics();
    EXPECT_EQ(s.workTime, 0.0);
    EXPECT_TRUE(std::isfinite(s.auxTime));
}

// A kind that gives up before the common first step when asked to.
class EarlyExitTurn : public test::ProbeTurn {
public:
    bool CreateContourPath() override { return giveUp ? false : ProbeTurn::CreateContourPath(); }
    bool giveUp = false;
};

TEST_F(TurnPathTest, EveryFailureExitLeavesNoFrames) {
    auto early = std::make_unique<EarlyExitTurn>();
    EarlyExitTurn* raw = early.get();
    runner->Add(std::move(early), test::kStepProfile, [](CTurn& o) { o.nToolPosition = 0; });
    runner->Run();
    ASSERT_FALSE(raw->Frames().empty());
    raw->giveUp = true;
    runner->Run();
    EXPECT_TRUE(raw->Frames().empty()) << "a kind's own early exit";

    raw->giveUp = false;
    runner->Run();
    ASSERT_FALSE(raw->Frames().empty());
    raw->tableWorkContour.reset();
    runner->Run();
    EXPECT_TRUE(raw->Frames().empty()) << "a failed check of the first step";
    EXPECT_EQ(raw->messageText, "Ошибка:\nНе задан рабочий контур");
}

TEST_F(TurnPathTest, TheSpecialPostProcessorFlagHoldsOnlyWhileItsConditionDoes) {
    CPostProcessor special("HEIDENHAIN plus 620", "");
    auto drilling = std::make_unique<CCycle_Auto>();
    drilling->SetType("Drilling");
    drilling->SetGCode("G81");
    special.AddCycleDefinition(std::move(drilling));
    CTurn& op = runner->Add(std::make_unique<test::ProbeTurn>(), test::kStepProfile, [&](CTurn& o) {
        o.nToolPosition = 0;
        o.SetPostProcessorData(&special);
        o.indShema = 1;
    });
    runner->Run();
    EXPECT_TRUE(op.isHeidenhain) << "set even though no cycle fits and the path went elementary";
    EXPECT_EQ(op.indShema, 0);
    runner->Run();
    EXPECT_FALSE(op.isHeidenhain) << "elementary moves take every correction again";
}

TEST_F(TurnPathTest, PlanFixtureFileGivesItsGoldenProgram) {
    runner->Clear().LoadFile(test::FixturePath("operations/skeleton.plan")).Run();
    test::ExpectGolden("operations/skeleton.golden", runner->ProgramText());
}

TEST_F(TurnPathTest, PlanFixtureErrorsNameTheirLine) {
    std::istringstream bad("bar 60 50 0 2\noperation 0\nset Spod fast\n");
    try {
        runner->Load(bad);
        FAIL() << "a bad value is refused";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "plan fixture line 3: no field Spod = fast");
    }
}

}  // namespace
}  // namespace zarvento
