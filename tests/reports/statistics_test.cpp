// The statistics dialog on plans of the real operations: its list, totals
// and marks, its check boxes, and its closing; the plan's masses and times.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "geometry/contour_script.h"
#include "golden_file.h"
#include "operations/turn.h"
#include "plan/plan.h"
#include "platform/core/messages.h"
#include "platform/core/numbers.h"
#include "platform/core/text_file.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/documents/host_application.h"
#include "platform/documents/storage_record.h"
#include "platform/part_model.h"
#include "post/program.h"
#include "post/program_plan_links.h"
#include "reports/statistics_dialog.h"
#include "reports/statistics_reports.h"
#include "tests/reports/cost_test_support.h"

namespace zarvento::test {
namespace {

class StatisticsTest : public ReportsTest {
protected:
    // The roughing operation of the panels' plan, then a finishing pass that
    // is excluded, an operation without a working contour (in error) and
    // roughing handed to the machine's cycle.
    void MakeFixturePlan() {
        MakePlan("ISO_Lathe");
        Run("answer turn ok name=\"Чистовой проход\" tool=1 work=2-11 feed=TOOL.FEED1 spin=TOOL.SPIN\n"
            "create 2\n"
            "exclude 1\n"
            "answer turn ok name=\"Без контура\" tool=1\n"
            "create 1\n"
            "answer turn ok name=\"Цикл станка\" tool=1 work=2-11 allowance=0.5 output=cycle\n"
            "create 1\n");
    }
};

// The fixture plan's list: the measured row, the excluded one, the one in
// error and the machine cycle without a path; then counted in elementary
// moves; then with tool-life stops, after the first operation's tool life
// was shortened below its working time.
TEST_F(StatisticsTest, ListOfTheFixturePlan) {
    MakeFixturePlan();
    CPLAN& plan = *GetPLAN();
    CDialogStatistics dialog(plan);
    dialog.OnInitDialog();
    std::string text = StatisticsListText(dialog);
    ASSERT_TRUE(dialog.UserSetValue(CDialogStatistics::kElementStat, "on").done);
    text += "-- elementary\n" + StatisticsListText(dialog);
    ASSERT_TRUE(dialog.UserSetValue(CDialogStatistics::kElementStat, "off").done);
    dynamic_cast<CTurn&>(*plan.GetTurn(0)).TT = 1.0;
    ASSERT_TRUE(dialog.UserClick(CDialogStatistics::kStop).done);
    text += "-- tool-life stops\n" + StatisticsListText(dialog);
    dialog.OnDestroy();
    ExpectGolden("reports/statistics_list.txt", text);
}

TEST_F(StatisticsTest, ClosingRestoresTheCyclesAndSavesOnlyWhenAFlagChanged) {
    MakeFixturePlan();
    CPLAN& plan = *GetPLAN();
    auto& cycleOperation = dynamic_cast<CTurn&>(*plan.GetTurn(3));
    auto& roughing = dynamic_cast<CTurn&>(*plan.GetTurn(0));
    ASSERT_EQ(cycleOperation.indShema, 1);
    roughing.indCycle = 300;  // a choice beyond a byte survives
    StorageRecord record;
    record.Remove(CPLAN::kPlanRecord);
    {
        CDialogStatistics dialog(plan);
        dialog.OnInitDialog();
        dialog.UserClick(CDialogStatistics::kElementStat);
        EXPECT_EQ(cycleOperation.indShema, 0);
        EXPECT_EQ(roughing.indCycle, 0);
        dialog.UserClick(CDialogStatistics::kElementStat);
        dialog.UserClick(CDialogStatistics::kElementStat);
        dialog.OnDestroy();
    }
    EXPECT_EQ(cycleOperation.indShema, 1);
    EXPECT_EQ(roughing.indCycle, 300);
    EXPECT_TRUE(plan.isElementStat);
    EXPECT_TRUE(record.OpenRead(CPLAN::kPlanRecord));
    // Back and forth: the flags end as they began, nothing is saved.
    record.Remove(CPLAN::kPlanRecord);
    {
        CDialogStatistics dialog(plan);
        dialog.OnInitDialog();
        dialog.UserClick(CDialogStatistics::kStop);
        dialog.UserClick(CDialogStatistics::kStop);
        dialog.OnDestroy();
    }
    EXPECT_FALSE(StorageRecord().OpenRead(CPLAN::kPlanRecord));
    EXPECT_EQ(cycleOperation.indShema, 1);
}

TEST_F(StatisticsTest, PlanWithoutOperationsShowsTheTotalsRowAndTheNotes) {
    MakePart();
    CDialogStatistics dialog(*GetPLAN());
    dialog.OnInitDialog();
    const DialogControl& list = dialog.Control(CDialogStatistics::kList);
    ASSERT_EQ(list.RowCount(), 1);
    EXPECT_EQ(list.Row(0),
              (std::vector<std::string>{"", "СУММА", "", "", "", "", "0.00", "0.00", "0.00", "0.00", "0.00", ""}));
    ASSERT_EQ(list.Columns().size(), 12u);
    EXPECT_EQ(list.Columns()[3].title, "S, об(м)/мин");
    EXPECT_EQ(list.Columns()[3].width, 77);
    EXPECT_EQ(dialog.Control(CDialogStatistics::kNote).Text(),
              "Статистика не учитывает станочные циклы, для которых постпроцессор не генерирует траекторию, "
              "отключенные обработки и обработки с ошибками");
    dialog.UserClick(CDialogStatistics::kElementStat);
    EXPECT_EQ(dialog.Control(CDialogStatistics::kNote).Text(),
              "Статистика не учитывает отключенные обработки и обработки с ошибками");
    // The export asks for its file first (cancelled: nothing happens); the
    // setup sheet is drawn and left in front. The dialog stays open.
    FileDialogs::Instance().QueueSave(std::nullopt);
    for (int button : {CDialogStatistics::kExport, CDialogStatistics::kSetupSheet}) {
        EXPECT_TRUE(dialog.UserClick(button).done);
        EXPECT_FALSE(dialog.Ended());
    }
    EXPECT_EQ(ConnectHostApplication().ActiveDocument()->Type(), DocumentType::Drawing2D);
    dialog.OnDestroy();
}

TEST_F(StatisticsTest, TheCommandRunsTheDialogOnTheHost) {
    MakePlan("ISO_Lathe");
    ASSERT_EQ(GetPlanPanels().ShownOnHost("statistics"), PlanPanels::HostShown::Dialog);
    // The cost estimate opens from it and is cancelled.
    Run("dialog costs\n cancel\nend\n"
        "dialog statistics\n click 103\n click 703\n ok\nend\n"
        "statistics\n");
    EXPECT_EQ(script.CommandsFailed(), 0);
    EXPECT_EQ(ScriptedUser::Instance().Pending(), 0u);
    EXPECT_TRUE(GetPLAN()->isSTOP);
    EXPECT_TRUE(StorageRecord().OpenRead(CPLAN::kPlanRecord));
}

// An operation handed to the machine's roughing cycle, under a
// post-processor whose script expands that cycle into two passes along Z
// (74 mm of feed moves) in its path file. The plan's roughing is excluded,
// so that in elementary moves the operation has the whole region to cut.
class CyclePathTest : public StatisticsTest {
protected:
    void MakeCyclePlan() {
        fs::copy_file(FixturePath("reports/Cycle_Path.py3"), folder.Path() / "POSTPROCESSORS" / "Cycle_Path.py3");
        MakePlan("Cycle_Path");
        Run("answer turn ok name=\"Цикл станка\" tool=1 work=2-11 allowance=0.5 output=cycle\n"
            "create 1\n"
            "exclude 0\n");
        ASSERT_EQ(script.CommandsFailed(), 0);
        ASSERT_EQ(Cycle().indShema, 1);
        ASSERT_FALSE(Cycle().HasMessage()) << Cycle().messageText;
    }
    static CTurn& Cycle() { return dynamic_cast<CTurn&>(*GetPLAN()->GetTurn(1)); }
    static std::vector<std::string> CycleRow(const CDialogStatistics& dialog) {
        return dialog.Control(CDialogStatistics::kList).Row(1);
    }
    // How many times the script ran.
    static int ScriptRuns() {
        const fs::path log = GetProgramPlanLinks()->TemporaryDirectory() / "runs.log";
        const FileReadResult file = ReadFileBytes(log);
        return file.ok ? static_cast<int>(std::count(file.text.begin(), file.text.end(), '\n')) : 0;
    }
};

// The cycle's row counts the script's moves, 74 mm of feed at 500 rpm and
// 0.25 mm/rev, and no mark. Counted in
// elementary moves and back, the row is the same again: the recalculation
// is followed by a new pass.
TEST_F(CyclePathTest, DialogCountsTheScriptsMovesOfTheCycle) {
    MakeCyclePlan();
    CDialogStatistics dialog(*GetPLAN());
    dialog.OnInitDialog();
    const std::vector<std::string> row = CycleRow(dialog);
    EXPECT_EQ(row, (std::vector<std::string>{"2", "Цикл станка", "1", "500", "0.25", "60", "74.00", "185.25", "0.59",
                                             "0.05", "0.65", ""}));
    EXPECT_EQ(ScriptRuns(), 1);
    dialog.UserClick(CDialogStatistics::kElementStat);
    EXPECT_EQ(CycleRow(dialog)[1], "Цикл станка");
    EXPECT_NE(CycleRow(dialog)[6], "74.00");
    EXPECT_EQ(CycleRow(dialog)[10].find("(!)"), std::string::npos);
    // Nothing outputs a cycle: no script runs.
    EXPECT_EQ(ScriptRuns(), 1);
    dialog.UserClick(CDialogStatistics::kElementStat);
    EXPECT_EQ(CycleRow(dialog), row);
    EXPECT_EQ(ScriptRuns(), 2);
    dialog.OnDestroy();
}

// The command passes the program through the post-processor before the
// dialog opens; the dialog shows those paths without a recalculation of
// its own, and the cycle keeps its moves after it.
TEST_F(CyclePathTest, TheCommandPassesTheProgramBeforeTheDialog) {
    MakeCyclePlan();
    Run("dialog statistics\n ok\nend\nstatistics\n");
    EXPECT_EQ(script.CommandsFailed(), 0);
    EXPECT_EQ(ScriptRuns(), 1);
    const PathStatistics s = Cycle().CalcStatistics();
    EXPECT_EQ(s.count, 0);
    EXPECT_NEAR(s.workLength, 74.0, 1e-9);
    EXPECT_NEAR(s.workTime, 74.0 / 500 / 0.25, 1e-9);
    // Back and forth through elementary moves: one more pass.
    Run("dialog statistics\n click 101\n click 101\n ok\nend\nstatistics\n");
    EXPECT_EQ(script.CommandsFailed(), 0);
    EXPECT_EQ(ScriptRuns(), 3);
    EXPECT_EQ(Cycle().CalcStatistics().count, 0);
    EXPECT_EQ(Cycle().indShema, 1);
}

// A script that fails gives the cycle no path: its row is marked and the
// failure shown. Once the script works, the next recalculation counts the
// moves.
TEST_F(CyclePathTest, AFailedScriptLeavesTheCycleMarked) {
    MakeCyclePlan();
    const fs::path flag = GetProgramPlanLinks()->TemporaryDirectory() / "fail.flag";
    ASSERT_TRUE(WriteFileAtomic(flag, "fail").ok);
    MessageLog::Instance().Clear();
    CDialogStatistics dialog(*GetPLAN());
    dialog.OnInitDialog();
    EXPECT_EQ(CycleRow(dialog)[1], "Цикл станка  (нет траектории внутри цикла)");
    EXPECT_EQ(CycleRow(dialog)[10].substr(CycleRow(dialog)[10].size() - 5), "  (!)");
    ASSERT_FALSE(MessageLog::Instance().Entries().empty());
    EXPECT_EQ(MessageLog::Instance().Entries().back().text.rfind(CPROGRAM::kScriptFailed, 0), 0u)
        << MessageLog::Instance().Entries().back().text;
    fs::remove(flag);
    dialog.UserClick(CDialogStatistics::kElementStat);
    dialog.UserClick(CDialogStatistics::kElementStat);
    EXPECT_EQ(CycleRow(dialog)[1], "Цикл станка");
    EXPECT_EQ(CycleRow(dialog)[6], "74.00");
    dialog.OnDestroy();
}

// Volumes of revolution of closed contours against their formulas: the
// sampled arcs within the sampling's tolerance.
TEST(StockVolumeTest, AnalyticContours) {
    struct Case {
        const char* name;
        const char* contour;
        double volume;
        double tolerance;
    } cases[] = {
        {"cylinder r 20, L 100",
         "LineSeg( 100,20, 0,20, 1 );\nLineSeg( 0,20, 0,0, 1 );\nLineSeg( 0,0, 100,0, 1 );\nLineSeg( 100,0, 100,20, 1 "
         ");",
         PI * 400 * 100, 1e-6},
        {"tube 20 / 10",
         "LineSeg( 100,20, 0,20, 1 );\nLineSeg( 0,20, 0,10, 1 );\nLineSeg( 0,10, 100,10, 1 );\nLineSeg( 100,10, "
         "100,20, "
         "1 );",
         PI * (400 - 100) * 100, 1e-6},
        {"cone r 20, h 60", "LineSeg( 60,0, 0,20, 1 );\nLineSeg( 0,20, 0,0, 1 );\nLineSeg( 0,0, 60,0, 1 );",
         PI * 400 * 60 / 3, 1e-6},
        {"sphere r 15 by two arcs",
         "ArcByPoint( 0,0, 15, 15,0, 0,15, 1, 1 );\nArcByPoint( 0,0, 15, 0,15, -15,0, 1, 1 );\nLineSeg( -15,0, 15,0, 1 "
         ");",
         4.0 / 3.0 * PI * 15 * 15 * 15, 1e-4},
        {"along Z there and back", "LineSeg( 100,20, 0,20, 1 );\nLineSeg( 0,20, 100,20, 1 );", 0.0, 1e-9},
        {"radial units only", "LineSeg( 0,0, 0,20, 1 );\nLineSeg( 0,20, 0,5, 1 );", 0.0, 1e-9},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto contour = ParseContourScript(c.contour, &error);
        ASSERT_TRUE(contour) << c.name << ": " << error;
        const double v = VolumeOfRevolution(*contour, 0.01);
        EXPECT_NEAR(v, c.volume, std::max(1e-9, c.tolerance * c.volume)) << c.name;
    }
    // The cylinder's mass at 7.85 g/cm3.
    const auto cylinder = ParseContourScript(cases[0].contour);
    EXPECT_NEAR(VolumeOfRevolution(*cylinder, 0.01) * 7.85 / 1e6, 0.98646, 5e-6);
}

// The plan's variables from the reports: the part's density and mass, the
// stock's mass and the plan's times.
TEST_F(StatisticsTest, PlanVariablesAnswerFromTheReports) {
    MakePlan("ISO_Lathe");
    Run("part density=7.85\n");
    CPLAN& plan = *GetPLAN();
    EXPECT_DOUBLE_EQ(*plan.GetNumericVariable("_DENS"), 7.85);
    const double detail = *plan.GetNumericVariable("_MDET");
    EXPECT_NEAR(detail, TopPart(part)->Mass(), 1e-12);
    EXPECT_GT(detail, 0.0);
    // The bar stock is larger than the part it is machined to.
    EXPECT_GT(*plan.GetNumericVariable("_MZAG"), detail);
    const PathStatistics s = dynamic_cast<CTurn&>(*plan.GetTurn(0)).CalcStatistics();
    EXPECT_NEAR(*plan.GetNumericVariable("_TOSN"), s.workTime + s.auxTime, 1e-12);
    EXPECT_NEAR(*plan.GetNumericVariable("_TVSP"), s.auxTime, 1e-12);
}

}  // namespace
}  // namespace zarvento::test
