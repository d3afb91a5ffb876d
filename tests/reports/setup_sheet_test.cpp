// The setup sheet of a fixture plan: the tool texts, the table's rows, top
// and cells, the picture placed by its size, the coordinate system's sign in
// the picture only, the texts, and the busy flag and the paths afterwards;
// the sheet exported to SVG (read back by an XML parser) and looked at.
#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <cmath>
#include <filesystem>

#include "catalogs/tool_model_text.h"
#include "fixture_parts.h"
#include "operations/turn.h"
#include "operations_test_support.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/busy_flag.h"
#include "platform/core/check.h"
#include "platform/core/host_faults.h"
#include "platform/documents/drawing_document.h"
#include "platform/documents/host_documents.h"
#include "platform/documents/settings_record.h"
#include "platform/part_model.h"
#include "platform/processes/module.h"
#include "platform/view/scene.h"
#include "reports/setup_sheet.h"
#include "reports/statistics_dialog.h"
#include "reports/statistics_text.h"

namespace zarvento {
namespace {

constexpr const char* kTwoSteps =
    "LineSeg( 5,-15, -10,-15, 1 );\nLineSeg( -10,-15, -10,-20, 1 );\nLineSeg( -10,-20, -30,-20, 1 );\n"
    "LineSeg( -30,-20, -30,-30, 1 );\n";

class SetupSheetTest : public test::OperationTest {
protected:
    void SetUp() override {
        test::OperationTest::SetUp();
        runner->Part(kTwoSteps);
        for (int i : {0, 1}) GetSPID()->GetTool(i)->isModelLoaded = true;
    }
    void TearDown() override {
        SetModuleDirectory(std::nullopt);
        test::OperationTest::TearDown();
    }

    CTurn& Roughing() {
        CTurn& op = runner->AddKind(kTurnMnogoProhod, kTwoSteps);
        runner->Run();
        return op;
    }

    DrawingDocument& ActiveDrawing() {
        HostDocumentPtr doc = app->ActiveDocument();
        EXPECT_EQ(doc->Type(), DocumentType::Drawing2D);
        return DrawingOf(*doc);
    }

    static const DrawingText* FindText(const DrawingDocument& d, const std::string& text) {
        for (const DrawingText& t : d.Texts())
            if (t.text == text) return &t;
        return nullptr;
    }
};

TEST(SetupSheetTextTest, ToolTextsAndTableTop) {
    struct Case {
        const char* name;
        double r, D;
        const char* expected;
    } cases[] = {
        {"Резец(ГОСТ 18879)", 0.8, 0, "Резец (ГОСТ 18879) r0.8"},
        {"Резец (ГОСТ 18879)", 0.8, 0, "Резец (ГОСТ 18879) r0.8"},
        {"Резец  (ГОСТ 18879)", 0.1, 0, "Резец  (ГОСТ 18879)"},
        {"Резец проходной", 0.1, 0.1, "Резец проходной"},
        {"Сверло", 0, 12.5, "Сверло d12.5"},
        {"Сверло", 1.25, 10, "Сверло r1.25 d10"},
        {"Резец", 0.4, 0, "Резец r0.4"},
        {"Резец", 0.1234, 0, "Резец r0.123"},
        {"", 0.8, 0, " r0.8"},
    };
    for (const Case& c : cases) EXPECT_EQ(SetupSheetToolText(c.name, c.r, c.D), c.expected) << c.name;
    EXPECT_DOUBLE_EQ(SetupSheetTop(2), 36.0);
    EXPECT_DOUBLE_EQ(SetupSheetTop(32), 276.0);
}

TEST_F(SetupSheetTest, TableOfTheCountedOperations) {
    runner->Tool(0, "Резец(ГОСТ 18879)", 0.8);
    CTurn& first = Roughing();
    CTurn& second = runner->Add(std::make_unique<test::ProbeTurn>(), kTwoSteps, [](CTurn& op) {
        op.nToolPosition = 1;
        op.isVconst = true;
        op.Vconst = 180.0;
    });
    CTurn& excluded = runner->AddKind(kTurnMnogoProhod, kTwoSteps);
    excluded.isExclude = true;
    runner->Run();
    ASSERT_FALSE(first.HasMessage()) << first.messageText;
    ASSERT_FALSE(second.HasMessage()) << second.messageText;
    const SetupSheetTable table = MakeSetupSheetTable(*GetPLAN());
    ASSERT_EQ(table.rows.size(), 4u);
    EXPECT_DOUBLE_EQ(table.top, 52.0);
    EXPECT_EQ(table.rows[0], (SetupSheetRow{"T", "Инструмент", "n, об/мин", "s, мм/об", "t, мин"}));
    EXPECT_EQ(table.rows[1][0], std::to_string(first.nToolPosition + 1));
    EXPECT_EQ(table.rows[1][1], first.nToolPosition == 0 ? "Резец (ГОСТ 18879) r0.8" : "Резец подрезной r0.4");
    EXPECT_EQ(table.rows[2][0], "2");
    EXPECT_EQ(table.rows[2][1], "Резец подрезной r0.4");
    EXPECT_EQ(table.rows[2][2], "V=180");
    char feed[32];
    std::snprintf(feed, sizeof feed, "%1.3f", second.Spod);
    EXPECT_EQ(table.rows[2][3], feed);
    const PathStatistics a = first.CalcStatistics(), b = second.CalcStatistics();
    EXPECT_EQ(table.rows[1][4], FormatFixed2(a.workTime + a.auxTime));
    EXPECT_EQ(table.rows[3][0], "время обработки, мин");
    EXPECT_EQ(table.rows[3][4], FormatFixed2(a.workTime + a.auxTime + b.workTime + b.auxTime));
}

// An operation's time is always a finite number; one that is not, in a
// user's build, refuses the sheet with a message and makes no drawing.
TEST_F(SetupSheetTest, AnOperationsTimeThatIsNoNumberRefusesTheSheet) {
    const detail::UserBuildInvariants userBuild;
    ASSERT_FALSE(Roughing().HasMessage());
    const double spindleTime = SettingsRecord::Global().spindleTime;
    SettingsRecord::Global().spindleTime = std::nan("");
    const std::size_t documents = app->Documents().Count();
    CreateSetupSheet(*GetPLAN());
    SettingsRecord::Global().spindleTime = spindleTime;
    EXPECT_EQ(app->Documents().Count(), documents) << "no sheet";
    EXPECT_FALSE(BusyFlag);
    const std::vector<std::string> boxes = MessageLog::Instance().Texts(MessageRole::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Карта наладки не создана: внутренняя ошибка программы (setup_sheet.cpp:", 0), 0u)
        << boxes[0];
}

TEST_F(SetupSheetTest, AllOperationsExcludedGiveTwoRowsAtThirtySix) {
    Roughing().isExclude = true;
    CreateSetupSheet(*GetPLAN());
    EXPECT_FALSE(BusyFlag);
    DrawingDocument& d = ActiveDrawing();
    ASSERT_EQ(d.Tables().size(), 1u);
    const DrawingTable& table = *d.Tables()[0];
    EXPECT_EQ(table.Rows(), 2);
    EXPECT_DOUBLE_EQ(table.y, 36.0);
    EXPECT_DOUBLE_EQ(table.x, 20.0);
    EXPECT_EQ(table.columnWidths, (std::vector<double>{7.4, 114.7, 22.2, 22.2, 18.5}));
    EXPECT_EQ(table.Cell(1, 0)->text, "время обработки, мин");
    EXPECT_EQ(table.Cell(1, 0)->align, 2);
    EXPECT_EQ(table.Cell(1, 0)->colSpan, 4);
    EXPECT_EQ(table.Cell(1, 4)->text, "0.00");
    EXPECT_EQ(table.Cell(0, 1)->text, "Инструмент");
    ASSERT_TRUE(FindText(d, "Список переходов"));
    EXPECT_DOUBLE_EQ(FindText(d, "Список переходов")->x, 157.0);
    EXPECT_DOUBLE_EQ(FindText(d, "Список переходов")->y, 38.5);
    for (const DrawingText& t : d.Texts())
        if (t.text.rfind("Масса детали", 0) == 0) {
            EXPECT_DOUBLE_EQ(t.x, 23.0);
            EXPECT_DOUBLE_EQ(t.y, 38.5);
        }
}

TEST_F(SetupSheetTest, SheetWithPictureSignTextsAndTable) {
    // The sign of the coordinate system, made from the text the build installs.
    const std::filesystem::path module = folder.Path() / "module";
    std::filesystem::create_directories(module / "TESS");
    ToolModelText::Convert(test::FixturePath("../../resources/TESS/LSK.txt"), (module / "TESS" / "LSK.rdp").string());
    SetModuleDirectory(module);
    TopPart(part)->SetName("Вал ступенчатый");
    TopPart(part)->Properties().designation = "ЗРВ.001.002";
    runner->Tool(0, "Резец(ГОСТ 18879)", 0.8);
    Roughing();
    // The paths and the start point as the sheet leaves them shown.
    GetPLAN()->HidePaths();
    GetPLAN()->RestorePaths();
    const std::size_t meshesBefore = CollectScene(*part).meshes.size();
    CreateSetupSheet(*GetPLAN());
    EXPECT_FALSE(BusyFlag);
    // The sign is gone from the part's view again.
    EXPECT_EQ(CollectScene(*part).meshes.size(), meshesBefore);
    DrawingDocument& d = ActiveDrawing();
    EXPECT_EQ(d.Sheet().format, 4);
    EXPECT_EQ(d.Sheet().orientation, 1);
    EXPECT_EQ(d.Sheet().layoutStyle, 2);
    EXPECT_EQ(d.Sheet().titleCells.at(2), "ЗРВ.001.002");
    ASSERT_TRUE(FindText(d, "Вал ступенчатый"));
    EXPECT_DOUBLE_EQ(FindText(d, "Вал ступенчатый")->y, 283.0);
    ASSERT_TRUE(FindText(d, "ЗРВ.001.002"));
    EXPECT_DOUBLE_EQ(FindText(d, "ЗРВ.001.002")->y, 54.0);
    ASSERT_EQ(d.Tables().size(), 1u);
    const DrawingTable& table = *d.Tables()[0];
    ASSERT_EQ(table.Rows(), 3);
    EXPECT_DOUBLE_EQ(table.y, 44.0);
    EXPECT_EQ(table.Cell(1, 1)->text, "Резец (ГОСТ 18879) r0.8");
    EXPECT_EQ(table.Cell(1, 1)->align, 0);
    ASSERT_EQ(d.Rasters().size(), 1u);
    const DrawingRaster& picture = *d.Rasters()[0];
    EXPECT_DOUBLE_EQ(picture.x, 23.0);
    EXPECT_NEAR(picture.Width(), kSetupSheetPictureWidth, 1e-9);
    EXPECT_NEAR(picture.y + picture.Height(), 275.0, 1e-9);
    EXPECT_FALSE(std::filesystem::exists(picture.file));
    // Exported for people to look at.
    const std::filesystem::path svg = folder.Path() / "setup.svg";
    ExportDrawing(d, svg.string());
    xmlDocPtr xml = xmlReadFile(svg.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_HUGE);
    ASSERT_NE(xml, nullptr);
    xmlFreeDoc(xml);
    if (const char* keep = std::getenv("ZARVENTO_KEEP_SETUP_SHEET"))
        std::filesystem::copy_file(svg, keep, std::filesystem::copy_options::overwrite_existing);
}

TEST_F(SetupSheetTest, ThirtyOperationsPutThePictureAboveTheTable) {
    for (int i = 0; i < 30; ++i) runner->Add(std::make_unique<test::ProbeTurn>(), kTwoSteps);
    runner->Run();
    for (int i = 0; i < 30; ++i) ASSERT_FALSE(runner->Operation(i).HasMessage()) << runner->Operation(i).messageText;
    CreateSetupSheet(*GetPLAN());
    DrawingDocument& d = ActiveDrawing();
    ASSERT_EQ(d.Tables().size(), 1u);
    EXPECT_EQ(d.Tables()[0]->Rows(), 32);
    EXPECT_DOUBLE_EQ(d.Tables()[0]->y, 276.0);
    ASSERT_EQ(d.Rasters().size(), 1u);
    EXPECT_DOUBLE_EQ(d.Rasters()[0]->y, 276.0);
}

TEST_F(SetupSheetTest, AFailingHostCallPutsBackTheFlag) {
    Roughing();
    HostFaults::Arm("Drawing.AddTable", E_FAIL_);
    const std::size_t documents = app->Documents().Count();
    EXPECT_THROW(CreateSetupSheet(*GetPLAN()), HostError);
    EXPECT_FALSE(BusyFlag);
    // The sheet made so far stays open; the part is in front again.
    EXPECT_EQ(app->Documents().Count(), documents + 1);
    EXPECT_EQ(app->ActiveDocument(), part);
    // A sheet afterwards goes through.
    CreateSetupSheet(*GetPLAN());
    EXPECT_EQ(ActiveDrawing().Tables().size(), 1u);
}

TEST_F(SetupSheetTest, TheStatisticsDialogsButtonMakesTheSheet) {
    Roughing();
    CDialogStatistics dialog(*GetPLAN());
    dialog.OnInitDialog();
    dialog.OnCommand(CDialogStatistics::kSetupSheet, kButtonClicked);
    EXPECT_EQ(ActiveDrawing().Tables().size(), 1u);
    dialog.OnDestroy();
}

}  // namespace
}  // namespace zarvento
