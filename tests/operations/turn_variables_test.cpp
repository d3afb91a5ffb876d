// The operation's variables through its provider, the tool values and their
// error text, the cycle-variable text, the mean diameter and the statistics.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <utility>

#include "operations_test_support.h"
#include "platform/documents/settings_record.h"

namespace zarvento {
namespace {

class TurnVariablesTest : public test::OperationTest {
protected:
    CTurn& Probe(int tool) {
        return runner->Add(std::make_unique<test::ProbeTurn>(), test::kStepProfile,
                           [tool](CTurn& o) { o.nToolPosition = tool; });
    }
    // A formula through the operation's provider, as cycles and templates ask.
    static double Eval(CTurn& op, const std::string& formula) {
        double value = -999;
        EXPECT_TRUE(op.Parameters().CalcFormula(value, formula, true)) << formula << ": " << op.Parameters().errorText;
        return value;
    }
};

TEST_F(TurnVariablesTest, NumericVariablesAnswerFromTheOperation) {
    CTurn& op = Probe(0);
    op.isAutoM34 = false;
    op.isM04 = true;
    op.isVconst = true;
    op.naprVihod = 2;
    runner->Run();
    const std::pair<const char*, double> table[] = {
        {"_TPOS", 1}, {"_RCOR", 0.8}, {"_FEED", 0.15}, {"_SPIN", 500}, {"_SDIR", 4}, {"_VCUT", 180},
        {"_VCON", 1}, {"_NMIN", 200}, {"_NMAX", 2000}, {"_TIME", 60},  {"_TYPE", 0}, {"_FRWS", 2},
        {"_TOWS", 1}, {"_VREZ", 0},   {"_PRBG", 0},    {"_INDP", 0},
    };
    for (const auto& [name, value] : table) EXPECT_EQ(Eval(op, std::string(name) + "+0"), value) << name;
    EXPECT_EQ(op.GetNumericVariable("_NONE"), nullptr);
    EXPECT_EQ(*op.GetStringVariable("_sNAMEOPER"), "Проба");
    EXPECT_EQ(*op.GetStringVariable("_sNAMETOOL"), "Резец проходной");
    EXPECT_EQ(*op.GetStringVariable("TOOL.sName"), "Резец проходной");
}

TEST_F(TurnVariablesTest, ToolValuesAndTheirErrorText) {
    ParamTool& tool = runner->Tool(0, "Резец", 0.8);
    tool.D = 12;
    tool.CorrectX = 1.5;
    tool.CorrectZ = -2;
    tool.aVariables[0].sName = "fi";
    tool.aVariables[0].dValue = 93;
    tool.Npv = 1;
    CTurn& op = Probe(0);
    EXPECT_EQ(Eval(op, "TOOL._DIAM+0"), 12);
    EXPECT_EQ(Eval(op, "TOOL._Wx+TOOL._Wz"), -0.5);
    EXPECT_EQ(Eval(op, "TOOL.fi+0"), 93);
    EXPECT_EQ(Eval(op, "TOOL._EXIS+0"), 0) << "no model file";

    op.Parameters().errorText.clear();
    EXPECT_EQ(op.GetNumericVariable("TOOL.xyz"), nullptr);
    EXPECT_EQ(op.Parameters().errorText, "Инструмент не содержит параметр xyz");

    CTurn& none = Probe(-1);
    none.Parameters().errorText.clear();
    EXPECT_EQ(none.GetNumericVariable("TOOL._DIAM"), nullptr);
    EXPECT_EQ(none.Parameters().errorText, "") << "without a tool there is no text";
    CTurn& empty = Probe(5);
    EXPECT_EQ(empty.GetNumericVariable("TOOL._DIAM"), nullptr) << "an empty turret position";
}

TEST_F(TurnVariablesTest, NeighbouringToolsSkipInactiveOperations) {
    CTurn& a = Probe(0);
    CTurn& b = Probe(1);
    CTurn& excluded = Probe(2);
    runner->Tool(2, "Сверло", 0);
    CTurn& d = Probe(3);
    runner->Tool(3, "Метчик", 0);
    excluded.isExclude = true;
    runner->Run();
    EXPECT_EQ(*b.GetNumericVariable("_TPRV"), 1);
    EXPECT_EQ(*b.GetNumericVariable("_TNXT"), 4) << "the next active tool, never this one's";
    EXPECT_EQ(*d.GetNumericVariable("_TPRV"), 2);
    EXPECT_EQ(*d.GetNumericVariable("_INDP"), 2);
    EXPECT_EQ(*d.GetNumericVariable("_TNXT"), 0) << "none after it: the value stays";
    EXPECT_EQ(*a.GetNumericVariable("_TPRV"), 0);
}

TEST_F(TurnVariablesTest, FramesOfAPathMadeFromCycleValuesStillReachTheOperation) {
    // The multi-pass roughing makes its moves from its turning cycle's
    // values; the frames' templates still print the operation's name and
    // the tool of the tool change.
    runner->Part(test::kStepProfile);
    CTurn& op = runner->AddKind(kTurnMnogoProhod, test::kStepProfile, [](CTurn& o) { o.sNameTurn = "Обдирка"; });
    runner->Run();
    ASSERT_EQ(op.messageText, "");
    ASSERT_FALSE(op.Frames().empty());
    for (const auto& frame : op.Frames()) {
        const std::string* name = frame->codeParameters->GetStringParameter("_sNAMEOPER");
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(*name, "Обдирка");
        double position = -1, depth = -1;
        EXPECT_TRUE(frame->codeParameters->CalcFormula(position, "_TPOS+0", true));
        EXPECT_EQ(position, 1);
        EXPECT_TRUE(frame->codeParameters->CalcFormula(depth, "I+0", true));  // the cycle's own value first
        EXPECT_EQ(depth, 1.5);
    }
}

TEST_F(TurnVariablesTest, CycleVariableEntries) {
    EXPECT_EQ(CTurn::CycleVariablesString("_L1", 1.5), "_L1=1.5 ");
    EXPECT_EQ(CTurn::CycleVariablesString("_L2", 2.0), "_L2=2 ");
    EXPECT_EQ(CTurn::CycleVariablesString("_Angle", 1.2346), "_Angle=1.235 ");
    EXPECT_EQ(CTurn::CycleVariablesString("_L1", -0.25), "_L1=-0.25 ");
    EXPECT_EQ(CTurn::CycleVariablesString("_L1", 0.0), "");
    EXPECT_EQ(CTurn::CycleVariablesString("_L1", 0.0009), "");
}

TEST_F(TurnVariablesTest, MeanDiameterOfTheCuttingMoves) {
    CTurn& op = Probe(0);
    runner->Run();
    // The cuts run at x -20 (35 mm) and from -20 to -30; the rapid approach counts not.
    EXPECT_DOUBLE_EQ(op.meanDiameter, (-20.0 + -25.0) / 2);
    EXPECT_EQ(*op.GetNumericVariable("_DMID"), op.meanDiameter);
}

// Second of two operations on one tool: no tool change, S and F, M03, the
// rapid from the first's end (x -30, z -30) to (x -20, z 5), 45 mm of cuts, M01.
TEST_F(TurnVariablesTest, StatisticsFollowTheirFormulas) {
    SettingsRecord& settings = SettingsRecord::Global();
    settings.rapidSpeed = 5.0;
    settings.spindleTime = 3.0;
    Probe(0);
    CTurn& op = Probe(0);
    runner->Run();
    const double rapid = std::hypot(35.0, 10.0);
    const PathStatistics s = op.CalcStatistics();
    EXPECT_NEAR(s.workLength, 45.0, 1e-9);
    EXPECT_NEAR(s.idleLength, rapid, 1e-9);
    EXPECT_NEAR(s.workTime, 45.0 / 500 / 0.15, 1e-12);
    // The M03 frame's own spindle time, then the spindle on and off of the operation.
    EXPECT_NEAR(s.auxTime, rapid * 0.001 / 5.0 + 3.0 / 60 + 3.0 * 2 / 60, 1e-12);
    EXPECT_EQ(op.workTime, s.workTime);
    EXPECT_EQ(op.idleTime, s.auxTime);
    EXPECT_EQ(op.workLength, s.workLength);
    EXPECT_EQ(op.idleLength, s.idleLength);

    op.isExclude = true;
    const PathStatistics none = op.CalcStatistics();
    EXPECT_EQ(none.workLength, 0.0);
    EXPECT_EQ(none.auxTime, 0.0);
    EXPECT_NEAR(op.workLength, 45.0, 1e-9) << "an excluded operation keeps its results";
}

TEST_F(TurnVariablesTest, WorkingTimeAtConstantSpeedComesFromTheFrames) {
    CTurn& op = Probe(0);
    op.isVconst = true;
    runner->Run();
    const PathStatistics s = op.CalcStatistics();
    EXPECT_GT(s.workTime, 0.0);
    EXPECT_NE(s.workTime, 45.0 / 500 / 0.15) << "not the spindle-speed formula";
}

TEST_F(TurnVariablesTest, WorkingTimeVariableCalculatesTheStatisticsWhenUnset) {
    CTurn& op = Probe(0);
    runner->Run();
    op.workTime = 0.0;
    EXPECT_NEAR(Eval(op, "_TRAB+0"), 45.0 / 500 / 0.15, 1e-12);
    EXPECT_NEAR(op.workLength, 45.0, 1e-9);
}

TEST_F(TurnVariablesTest, ToolOffsetsMoveContourPoints) {
    ParamTool& tool = runner->Tool(0, "Резец", 0.8);
    tool.dNoseDx = 0.5;
    tool.dNoseDy = 0.3;
    tool.CorrectZ = 1.0;
    tool.CorrectX = 2.0;
    CTurn& op = Probe(0);
    op.Rtool = 0.8;
    op.isCorrectLz = op.isCorrectLx = true;
    op.CorrectLz = 0.1;
    op.CorrectLx = 0.2;
    auto moved = [&op](void (CTurn::*move)(Contour&) const) {
        std::unique_ptr<Contour> c = test::OperationRunner::Parse("LineSeg( 0,-10, -5,-10, 1 );");
        (op.*move)(*c);
        return std::make_pair(c->GetUnit(0)->StartPoint.z, c->GetUnit(0)->StartPoint.x);
    };
    auto [z, x] = moved(&CTurn::ApplyToolOffsets);
    EXPECT_NEAR(z, 0.1 - 0.5 + 1.0, 1e-12);
    EXPECT_NEAR(x, -10 - 0.2 + 0.3 - 2.0, 1e-12);
    std::tie(z, x) = moved(&CTurn::RemoveToolOffsets);
    EXPECT_NEAR(z, 0.1 + 0.5 - 1.0, 1e-12);
    EXPECT_NEAR(x, -10 - 0.2 - 0.3 + 2.0, 1e-12);
    op.isHeidenhain = true;
    std::tie(z, x) = moved(&CTurn::ApplyToolOffsets);
    EXPECT_EQ(z, 0.0);
    EXPECT_EQ(x, -10.0);
}

}  // namespace
}  // namespace zarvento
