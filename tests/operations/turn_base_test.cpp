// The operation base: every kind's defaults, the copy rules (what is copied,
// shared, deep-copied or left), builders bound to the target's own choices,
// and the editor seam.
#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <variant>

#include "operations/turn_drill.h"
#include "operations/turn_otrezka.h"
#include "operations/turn_settings.h"
#include "operations/turn_threading.h"
#include "operations_test_support.h"

namespace zarvento {
namespace {

class TurnBaseTest : public test::OperationTest {};

TEST_F(TurnBaseTest, EveryKindStartsWithItsDefaults) {
    struct Defaults {
        int kind;
        const char* name;
        const char* key;
        double vrezanie, perebeg, spod, nshp, vconst, tt;
        const char* description;  // after the name
    };
    const Defaults table[] = {
        {1, "Многопроходная", "Turning", 1.5, 1.5, 0.25, 500, 180, 60,
         " (позволяет производить точение, растачивание, подрезание и многопроходные канавки)"},
        {2, "Контур", "Turning", 1.5, 1.5, 0.25, 700, 180, 60,
         " (позволяет производить однопроходное перемещение по контуру)"},
        {3, "Канавка", "Turning", 1.0, 0.0, 0.05, 500, 180, 60,
         " (позволяет точить простую канавку одним движением. Для многопроходных канавок нужно выбрать "
         "Многопроходную)"},
        {4, "Сверление", "Drilling", 1.0, 0.0, 0.1, 500, 180, 45,
         " (позволяет производить центрование, сверление и другие виды обработки осевым инструментом кроме резьб)"},
        {5, "Нарезание резьбы резцом", "Threading_Chisel", 3.0, 3.0, 1.5, 500, 30, 60, ""},
        {6, "Нарезание резьбы плашкой/метчиком", "Threading_Tap_Die", 1.0, 1.0, 1.5, 100, 180, 60, ""},
        {7, "Отрезка", "Turning", 1.0, 0.5, 0.05, 500, 180, 60, ""},
    };
    for (const Defaults& d : table) {
        SCOPED_TRACE(d.name);
        std::unique_ptr<PlanTurn> made = CPLAN::CreateTurnClass(d.kind);
        auto& op = dynamic_cast<CTurn&>(*made);
        EXPECT_EQ(op.kind, d.kind);
        EXPECT_EQ(op.sNameTurn, d.name);
        EXPECT_EQ(op.typeKey, d.key);
        EXPECT_EQ(op.sDescription, std::string(d.name) + d.description);
        // A copy describes itself alike.
        std::unique_ptr<PlanTurn> copy = CPLAN::CreateTurnClass(d.kind);
        dynamic_cast<CTurn&>(*copy).sDescription.clear();
        dynamic_cast<CTurn&>(*copy).Copy(op);
        EXPECT_EQ(dynamic_cast<CTurn&>(*copy).sDescription, op.sDescription);
        EXPECT_EQ(op.Vrezanie, d.vrezanie);
        EXPECT_EQ(op.Perebeg, d.perebeg);
        EXPECT_EQ(op.Spod, d.spod);
        EXPECT_EQ(op.Spod2, d.spod);
        EXPECT_EQ(op.Nshp, d.nshp);
        EXPECT_EQ(op.Nshp2, d.nshp);
        EXPECT_EQ(op.Vconst, d.vconst);
        EXPECT_EQ(op.TT, d.tt);
        EXPECT_EQ(op.nToolPosition, -1);
        EXPECT_EQ(op.sSpod, "TOOL.FEED1");
        EXPECT_EQ(op.sNshp, "TOOL.SPIN");
        EXPECT_EQ(op.sVcut, "TOOL.VCUT");
        EXPECT_EQ(op.indPerehod, 2);
        EXPECT_TRUE(op.isM01end);
        EXPECT_TRUE(op.Frames().empty());
    }
    CTurnDRILL drill;
    EXPECT_EQ(drill.ClosedSposob1, 5);
    EXPECT_EQ(drill.ClosedAngle1, 121.0) << "the closing angle of the default tip of 118";
    test::ProbeTurn bare;
    EXPECT_EQ(bare.kind, 0);
    EXPECT_EQ(CTurn::RecordName(3), "Zarvento.Turn.3");
}

TEST_F(TurnBaseTest, ChoicesAreCopiesOfThePartContourBoundToTheirBuilders) {
    test::ProbeTurn without;
    EXPECT_EQ(without.workChoice, nullptr) << "no part contour: no choices";
    GetSPID()->pDetailContour = test::OperationRunner::Parse(test::kStepProfile);
    test::ProbeTurn with;
    ASSERT_NE(with.workChoice, nullptr);
    ASSERT_NE(with.sourceChoice, nullptr);
    EXPECT_NE(with.workChoice.get(), with.sourceChoice.get());
    EXPECT_EQ(with.workChoice->Count(), 2);
    EXPECT_EQ(with.workBuilder->partContour, with.workChoice.get());
    EXPECT_EQ(with.sourceBuilder->partContour, with.sourceChoice.get());
    // A kind with its own builder binds it to the same choice.
    CTurnDRILL drill;
    EXPECT_NE(dynamic_cast<CContourBuilderDrill*>(drill.workBuilder.get()), nullptr);
    EXPECT_EQ(drill.workBuilder->partContour, drill.workChoice.get());
    EXPECT_EQ(with.workBuilder->Build(), nullptr) << "nothing chosen yet";
    with.workChoice->GetUnit(1)->Selected = true;
    std::unique_ptr<Contour> built = with.workBuilder->Build();
    ASSERT_NE(built, nullptr);
    EXPECT_EQ(built->Count(), 1);
}

TEST_F(TurnBaseTest, CopyTakesSettingsAndDeepCopiesButNeverFramesOrBuiltContours) {
    // A threading tool: the threading kind picks its own tool by kind.
    runner->Tool(0, "Резец", 0.8).TYPE_ = 15;
    CTurnTHREADING& source = dynamic_cast<CTurnTHREADING&>(
        runner->AddKind(kTurnTHREADING, test::kStepProfile, [](CTurn& o) { o.nToolPosition = 0; }));
    runner->Run();
    ASSERT_FALSE(source.Frames().empty());
    source.Step = 2.0;
    source.Spod = 0.33;
    source.sSpod = "TOOL.FEED2";
    source.isExclude = true;
    source.index = 4;
    source.messageText = "Ошибка:\nчто-то";
    auto sketch = std::make_shared<HostSketch>("Эскиз");
    source.pWorkSketch = sketch;

    CTurnTHREADING target;
    target = source;
    EXPECT_EQ(target.Step, 2.0);
    EXPECT_EQ(target.Spod, 0.33);
    EXPECT_EQ(target.sSpod, "TOOL.FEED2");
    EXPECT_TRUE(target.isExclude);
    EXPECT_EQ(target.index, 4);
    EXPECT_EQ(target.nToolPosition, 0);
    EXPECT_EQ(target.Rtool, 0.8);
    EXPECT_EQ(target.pWorkSketch, sketch) << "sketches are shared";
    EXPECT_EQ(sketch.use_count(), 4) << "here, in both operations and in the target's builder";
    EXPECT_TRUE(target.messageText.empty()) << "the message is not copied";
    EXPECT_TRUE(target.Frames().empty()) << "frames are not copied";
    EXPECT_EQ(target.workContour, nullptr) << "built contours are not copied";
    EXPECT_EQ(target.sourceContour, nullptr);
    ASSERT_NE(target.finalContour, nullptr);
    EXPECT_NE(target.finalContour.get(), source.finalContour.get());
    EXPECT_EQ(ContourScriptText(*target.finalContour), ContourScriptText(*source.finalContour));
    // Missing choices become empty ones, and the builders hold the target's own.
    ASSERT_NE(target.workChoice, nullptr);
    EXPECT_TRUE(target.workChoice->Empty());
    EXPECT_EQ(target.workBuilder->partContour, target.workChoice.get());
    EXPECT_EQ(target.sourceBuilder->partContour, target.sourceChoice.get());
    EXPECT_EQ(target.workBuilder->sketch, sketch);
    EXPECT_EQ(GetSPID()->GetTool(0)->pSketchSource, &target.workContour)
        << "the tool consults the copy's working contour";

    const std::string before = ContourScriptText(*target.finalContour);
    target = target;
    EXPECT_EQ(ContourScriptText(*target.finalContour), before) << "self-assignment changes nothing";
}

// The record is written by the table of settings and copies take them by
// it: a setting added there is stored and copied alike.
TEST_F(TurnBaseTest, EverySettingOfTheRecordReachesACopy) {
    CTurn source, target;
    int k = 0;
    const auto value = [&k](auto* kind) {
        using T = std::remove_pointer_t<decltype(kind)>;
        if constexpr (std::is_same_v<T, bool>)
            return T{k % 2 == 0};
        else if constexpr (std::is_same_v<T, std::string>)
            return "setting " + std::to_string(k);
        else
            return static_cast<T>(1000 + k);
    };
    for (const TurnSetting& setting : TurnSettings()) {
        ++k;
        std::visit([&](auto member) { source.*member = value(&(source.*member)); }, setting.member);
    }
    target = source;
    k = 0;
    for (const TurnSetting& setting : TurnSettings()) {
        ++k;
        std::visit([&](auto member) { EXPECT_EQ(target.*member, value(&(target.*member))) << setting.name; },
                   setting.member);
    }
}

TEST_F(TurnBaseTest, BuildersReceiveTheApproximationStepsAndTheCutOffWidth) {
    // On copy, on load and on assignment the builders get the channel's
    // spline step, and the cut-off builder the tool width.
    CTurnOTREZKA source;
    EXPECT_EQ(source.CutOffBuilder().width, 5.0) << "from the construction";
    source.workChoice = std::make_unique<Contour>();
    source.sourceChoice = std::make_unique<Contour>();
    source.StepBezieW = 0.25;
    source.StepBezieS = 0.75;
    source.Width = 3.0;
    auto expect = [](CTurnOTREZKA& op, const char* how) {
        EXPECT_EQ(op.workBuilder->stepBezie, 0.25) << how;
        EXPECT_EQ(op.sourceBuilder->stepBezie, 0.75) << how;
        EXPECT_EQ(op.CutOffBuilder().width, 3.0) << how;
    };
    CTurnOTREZKA copy;
    copy = source;
    expect(copy, "assigned");
    ASSERT_TRUE(copy.SaveTurn(0));
    CTurnOTREZKA loaded;
    ASSERT_TRUE(loaded.LoadTurn(0));
    expect(loaded, "loaded");
}

TEST_F(TurnBaseTest, ANewOperationStandsAtThePlansFirstIndexAndRemovingItsRecordSucceeds) {
    test::ProbeTurn op;
    EXPECT_EQ(op.index, 0);
    EXPECT_TRUE(op.RemoveStorage(0)) << "even without a record to remove";
}

TEST_F(TurnBaseTest, ADeletedOperationLeavesNoToolLookingAtItsContour) {
    runner->Tool(0, "Резец", 0.8);
    auto op = std::make_unique<test::ProbeTurn>();
    op->nToolPosition = 0;
    test::ProbeTurn other;
    other = *op;
    ASSERT_EQ(GetSPID()->GetTool(0)->pSketchSource, &other.workContour);
    *op = other;
    ASSERT_EQ(GetSPID()->GetTool(0)->pSketchSource, &op->workContour);
    op.reset();
    EXPECT_EQ(GetSPID()->GetTool(0)->pSketchSource, nullptr);
}

int ConfirmAndRename(CTurn& op) {
    op.sNameTurn = "Изменена";
    return 1;
}

TEST_F(TurnBaseTest, EditRunsTheRegisteredEditor) {
    test::ProbeTurn op;
    EXPECT_NE(op.Edit(), 1) << "no panel: the plan's panel model, unanswered, confirms nothing";
    const TurnEditor previous = SetTurnEditor(op.kind, ConfirmAndRename);
    EXPECT_EQ(op.Edit(), 1);
    EXPECT_EQ(op.sNameTurn, "Изменена");
    SetTurnEditor(op.kind, previous);
    EXPECT_EQ(SetTurnEditor(kLastTurnType + 1, ConfirmAndRename), nullptr) << "no such kind";
    EXPECT_EQ(GetTurnEditor(kLastTurnType + 1), nullptr);
}

TEST_F(TurnBaseTest, ReverseContourTurnsUnitsAndOrder) {
    std::unique_ptr<Contour> reversed = ReverseContour(test::OperationRunner::Parse(test::kStepProfile));
    ASSERT_NE(reversed, nullptr);
    EXPECT_EQ(ContourScriptText(*reversed),
              ContourScriptText(*test::OperationRunner::Parse("LineSeg( -30,-30, -30,-20, 1 );\n"
                                                              "LineSeg( -30,-20, 5,-20, 1 );\n")));
    EXPECT_EQ(ReverseContour(nullptr), nullptr);
    std::unique_ptr<Contour> empty = ReverseContour(std::make_unique<Contour>());
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->Empty());
}

}  // namespace
}  // namespace zarvento
