// Tool models with a body rebuilt from their variables and a size table, and
// the tool contour taken from the projected body.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "catalog_test_support.h"
#include "catalogs/param_tool.h"
#include "catalogs/tool_model_text.h"
#include "geometry/contour.h"
#include "geometry/unit.h"
#include "platform/core/host_variable.h"
#include "platform/core/messages.h"
#include "platform/core/numbers.h"
#include "platform/documents/host_size_table.h"
#include "platform/part_model.h"
#include "platform/processes/module.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;
using test::CatalogTest;

class ToolBodyTest : public CatalogTest {
protected:
    void SetUp() override {
        CatalogTest::SetUp();
        fs::create_directories(dir / "lib" / "TOOLS");
        fs::create_directories(dir / "session");
        SetModuleDirectory(dir / "lib");
        SetToolSessionDirectory((dir / "session").string());
        ToolModelText::Convert(test::FixturePath("tools/body_tool.txt"), (dir / "lib" / "TOOLS" / "Тело.rdp").string());
    }
    void TearDown() override {
        SetSizeTableChooser({});
        SetModuleDirectory(std::nullopt);
        CatalogTest::TearDown();
    }
    static ParamTool Loaded(int m34 = 3, double angle = 90, int index = 0) {
        ParamTool t;
        t.sToolName = "Тело";
        t.sFileName = "Тело.rdp";
        t.nCopyIndex = index;
        t.M34 = static_cast<std::int16_t>(m34);
        t.Angle = angle;
        t.LoadModel();
        return t;
    }
    struct Box {
        double zmin, xmin, zmax, xmax;
    };
    static Box BoxOf(const ParamTool& t) {
        Box b{};
        t.pContour->GetBoundBox(b.zmin, b.xmin, b.zmax, b.xmax);
        return b;
    }
};

TEST_F(ToolBodyTest, TheBodyIsRebuiltFromTheVariablesAndKeptWithTheDocument) {
    HostDocumentPtr model = app->Documents().Open((dir / "lib" / "TOOLS" / "Тело.rdp").string(), false);
    std::shared_ptr<HostPart> part = TopPart(model);
    ASSERT_TRUE(part->HasBody());
    const double insert = 12 * 12 * 4 - (0.8 * 0.8 - PI * 0.8 * 0.8 / 4) * 4;
    const double holder = 46 * 16 * 20;
    EXPECT_NEAR(part->Body().Volume(), insert + holder, 1e-6);

    model->FindVariable("isSimple")->SetValue(1);
    model->FindVariable("S")->SetValue(5);
    model->Rebuild();
    EXPECT_NEAR(TopPart(model)->Body().Volume(), insert * 5 / 4, 1e-6);

    // A value that makes no body keeps the last one.
    model->FindVariable("S")->SetValue(0);
    model->Rebuild();
    EXPECT_NEAR(TopPart(model)->Body().Volume(), insert * 5 / 4, 1e-6);

    auto table = FindSizeTable(*model);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->Columns(), (std::vector<std::string>{"L", "r", "S"}));
    ASSERT_EQ(table->RowCount(), 3);
    EXPECT_EQ(table->Rows()[2].name, "SNMG 190612");
    EXPECT_EQ(table->Rows()[2].values, (std::vector<double>{19, 1.2, 6}));
}

TEST_F(ToolBodyTest, BadBodyAndTableStatementsNameTheirLine) {
    const std::string head =
        "zarvento-tool-model 1\nvariable L 10\nsketch S\nline 0 0 L 0\nline L 0 L L\nline L L 0 0\nend\n";
    const struct {
        std::string text;
        const char* what;
    } cases[] = {
        {head + "body\nextrude T 0 1\nend\n", ":9: there is no sketch \"T\" above"},
        {head + "body\nextrude S 0\nend\n", ":9:"},
        {head + "body\nsphere 1\nend\n", ":9:"},
        {head + "body\nwhen q box 0 0 0 1 1 1\nend\n", ":9: the condition q"},
        {head + "body\ncylinder 0 0 0 0 0 1 0 5\nend\n", ":9: a cylinder needs"},
        {head + "body\nbox 0 0 0 1 1 1\n", "the body has no \"end\""},
        {head + "body\nextrude S 0 0\nend\n", "the body cannot be made"},
        {head + "table L W\nend\n", ":8: the size table's column W"},
        {head + "table L\nrow \"A\" 1 2\nend\n", ":9:"},
        {head + "table L\nrow 1\nend\n", ":9:"},
        {head + "table L\nrow \"A\" 1\n", "the size table has no \"end\""},
    };
    for (const auto& c : cases) {
        HostError e = test::CaughtHostError([&] { ToolModelText::Parse(c.text, "m.txt"); });
        EXPECT_EQ(e.Code(), E_INVALIDARG_) << c.text;
        EXPECT_NE(std::string(e.what()).find(c.what), std::string::npos) << e.what();
    }
}

TEST_F(ToolBodyTest, LoadingPushesSizeTableColumnsAndTheRowChooserAppliesARow) {
    ParamTool t;
    t.sToolName = "Тело";
    t.sFileName = "Тело.rdp";
    t.Npv = 3;
    t.aVariables[0] = {"L", "", 19, "", false, 0};
    t.aVariables[1] = {"S", "", 6, "", false, 0};   // a reference variable, but a column of the table
    t.aVariables[2] = {"nP", "", 5, "", false, 0};  // hidden and no column: the model's value stays
    t.LoadModel();
    EXPECT_TRUE(t.hasSizeTable);
    double l = 0, thickness = 0;
    ASSERT_TRUE(t.GetVariable("L", l));
    ASSERT_TRUE(t.GetVariable("S", thickness));
    EXPECT_EQ(l, 19);
    EXPECT_EQ(thickness, 6);
    EXPECT_EQ(t.nP, 3);

    MessageLog::Instance().QueueAnswer(2);  // the second row
    t.EditVariablesTable();
    EXPECT_EQ(t.sComment, "SNMG 120404");
    // The tool is named in the size chosen, so the papers tell it apart.
    EXPECT_EQ(t.sToolName, "Тело SNMG 120404");
    EXPECT_EQ(t.sPsevName, "Тело SNMG 120404");
    ASSERT_TRUE(t.GetVariable("L", l));
    EXPECT_EQ(l, 12);
    EXPECT_EQ(t.r, 0.4);
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_EQ(Entries()[0].role, MessageRole::Question);
    // Closed without a choice: nothing changes.
    t.EditVariablesTable();
    EXPECT_EQ(t.sComment, "SNMG 120404");
    EXPECT_EQ(t.sToolName, "Тело SNMG 120404");
}

TEST_F(ToolBodyTest, AModelWithoutATableSaysSo) {
    ToolModelText::Convert(test::FixturePath("tools/turning_tool.txt"), (dir / "lib" / "TOOLS" / "Без.rdp").string());
    ParamTool t;
    t.sToolName = "Без";
    t.sFileName = "Без.rdp";
    t.LoadModel();
    EXPECT_FALSE(t.hasSizeTable);
    t.EditVariablesTable();
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_EQ(Entries()[0].text, "Модель не содержит таблицу переменных");
    EXPECT_EQ(Entries()[0].caption, "Orbisel");
    EXPECT_EQ(Entries()[0].style, 0x30);
}

// The simple representation (the insert alone: a square of 12 with its nose
// of radius 0.8 at the origin) is projected; 2D x is Z, 2D y is X.
TEST_F(ToolBodyTest, TheContourIsTheProjectedBodyInTheViewOfTheSpindleDirection) {
    ParamTool below = Loaded(3, 90, 0);
    below.CreateToolContour();
    ASSERT_TRUE(below.pContour);
    EXPECT_FALSE(below.isNoContour);
    // The switch was set before projecting: the holder is not in the view.
    const Box b = BoxOf(below);
    EXPECT_NEAR(b.zmin, 0 + below.dNoseDx, 0.01);
    EXPECT_NEAR(b.zmax, 12 + below.dNoseDx, 0.01);
    EXPECT_NEAR(b.xmin, 0 - below.dNoseDy, 0.01);
    EXPECT_NEAR(b.xmax, 12 - below.dNoseDy, 0.01);
    int lines = 0, arcs = 0;
    for (int i = 0; i < below.pContour->Count(); ++i) {
        const CUnit* u = below.pContour->GetUnit(i);
        if (u->Kind == 'L') ++lines;
        if (u->Kind == 'A') {
            ++arcs;
            EXPECT_NEAR(u->CentrePoint.z, 0.8 + below.dNoseDx, 0.01);
            // Counter-clockwise in the view: the opposite direction here.
            EXPECT_EQ(u->DirVector, -1);
        }
    }
    EXPECT_EQ(lines, 4);
    EXPECT_EQ(arcs, 1);

    // "#Сверху" for M4 shows the mirror image.
    ParamTool above = Loaded(4, 90, 1);
    above.CreateToolContour();
    ASSERT_TRUE(above.pContour);
    const Box a = BoxOf(above);
    EXPECT_NEAR(a.xmin, -12 - above.dNoseDy, 0.01);
    EXPECT_NEAR(a.xmax, 0 - above.dNoseDy, 0.01);

    // Angle 45 turns the view by -45 degrees: the far corner (12, 12)
    // comes to (12*sqrt(2), 0).
    ParamTool turned = Loaded(3, 45, 2);
    turned.CreateToolContour();
    ASSERT_TRUE(turned.pContour);
    const Box t = BoxOf(turned);
    EXPECT_NEAR(t.zmax, 12 * std::sqrt(2.0) + turned.dNoseDx, 0.01);
    EXPECT_NEAR(t.xmax - t.xmin, 12 * std::sqrt(2.0), 0.01);

    // A second call keeps the first contour.
    const auto first = below.pContour;
    below.Angle = 0;
    below.CreateToolContour();
    EXPECT_EQ(below.pContour, first);
}

TEST_F(ToolBodyTest, AModelWhoseViewIsEmptyHasNoContour) {
    const std::string text =
        "zarvento-tool-model 1\nvariable isHide 0 \"isHide\"\nsketch S\nline 0 0 5 0\nline 5 0 5 5\nline 5 5 0 0\nend\n"
        "body\nwhen 1-isHide extrude S 0 1\nend\n";
    HostDocumentPtr doc = ToolModelText::Parse(text, "empty.txt");
    doc->SaveAs((dir / "lib" / "TOOLS" / "Пустой.rdp").string());
    app->Documents().CloseAll();
    ParamTool t;
    t.sToolName = "Пустой";
    t.sFileName = "Пустой.rdp";
    t.LoadModel();
    ASSERT_TRUE(t.isModelLoaded);
    t.CreateToolContour();
    EXPECT_TRUE(t.isNoContour);
    EXPECT_FALSE(t.pContour);
}

TEST_F(ToolBodyTest, ABodyTooLargeForAViewRaisesAndLeavesNoDocumentOpen) {
    HostDocumentPtr doc = ToolModelText::Parse(
        "zarvento-tool-model 1\nvariable L 1000000\nbody\ncylinder L 0 0 1 0 0 1 L\nend\n", "far.txt");
    doc->SaveAs((dir / "lib" / "TOOLS" / "Далеко.rdp").string());
    app->Documents().CloseAll();
    ParamTool t;
    t.sToolName = "Далеко";
    t.sFileName = "Далеко.rdp";
    t.LoadModel();
    EXPECT_EQ(test::ErrorCodeOf([&] { t.CreateToolContour(); }), E_INVALIDARG_);
    EXPECT_FALSE(t.pContour);
    EXPECT_EQ(app->Documents().Count(), 0u);
}

}  // namespace
}  // namespace zarvento
