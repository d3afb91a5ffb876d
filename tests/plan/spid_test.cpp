// Plan data: accessors, copy rules, extents and the post-processor choice.
#include <filesystem>
#include <fstream>

#include "model/model_tess.h"
#include "plan/spid.h"
#include "plan/stock_tab.h"
#include "plan_test_support.h"
#include "platform/processes/module.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;

class SpidTest : public test::PlanTest {};

TEST_F(SpidTest, DefaultsAndToolIndexLimits) {
    CSPID spid;
    EXPECT_EQ(spid.Npositions, 8);
    EXPECT_EQ(spid.SposobBuildSource, 3);
    EXPECT_DOUBLE_EQ(spid.Xplane, 25.0);
    EXPECT_DOUBLE_EQ(spid.Zplane, 10.0);
    EXPECT_DOUBLE_EQ(spid.X0tool, 100.0);
    EXPECT_TRUE(spid.isNewPlan);
    EXPECT_TRUE(spid.StockBuilder().halfPlaneCheck);
    EXPECT_TRUE(spid.sessionDirectory.empty());  // only the plan instance has one
    EXPECT_EQ(spid.GetTool(-1), nullptr);
    EXPECT_EQ(spid.GetTool(8), nullptr);
    ASSERT_NE(spid.GetTool(7), nullptr);
    EXPECT_EQ(spid.GetTool(7)->Position, 7);
    EXPECT_EQ(spid.GetGadget(0), nullptr);
    spid.Ngadgets = 2;
    EXPECT_NE(spid.GetGadget(1), nullptr);
    EXPECT_EQ(spid.GetGadget(2), nullptr);
}

TEST_F(SpidTest, StockMethodNames) {
    CSPID spid;
    const char* expected[] = {"Прокат", "Поковка", "Вытяжка", "Отливка"};
    for (int i = 0; i < 4; ++i) {
        spid.nSposobStock = i;
        EXPECT_STREQ(spid.GetSposobStockName(), expected[i]);
    }
    spid.nSposobStock = 4;
    EXPECT_EQ(spid.GetSposobStockName(), nullptr);
    spid.nSposobStock = -1;
    EXPECT_EQ(spid.GetSposobStockName(), nullptr);
}

// Three tools with built contours; the copy changes tool 1 beyond the
// tolerance and tool 2 within it.
TEST_F(SpidTest, CopyKeepsContoursOfEqualToolsOnly) {
    CSPID plan;
    for (int i = 0; i < 3; ++i) {
        plan.tools[i].sPsevName = "Резец " + std::to_string(i);
        plan.tools[i].Npv = 1;
        plan.tools[i].aVariables[0].sName = "L";
        plan.tools[i].aVariables[0].dValue = 10.0;
        plan.tools[i].pContour = std::make_shared<Contour>();
    }
    CSPID panel;
    panel = plan;
    EXPECT_EQ(panel.tools[0].pContour, nullptr);  // built again for the copy
    panel.tools[1].aVariables[0].dValue = 10.0002;
    panel.tools[2].aVariables[0].dValue = 10.00005;
    const Contour* kept0 = plan.tools[0].pContour.get();
    const Contour* kept2 = plan.tools[2].pContour.get();
    plan = panel;
    EXPECT_EQ(plan.tools[0].pContour.get(), kept0);
    EXPECT_EQ(plan.tools[1].pContour, nullptr);
    EXPECT_DOUBLE_EQ(plan.tools[1].aVariables[0].dValue, 10.0002);
    EXPECT_EQ(plan.tools[2].pContour.get(), kept2);
    EXPECT_DOUBLE_EQ(plan.tools[2].aVariables[0].dValue, 10.0);
    for (int i = 0; i < 3; ++i) EXPECT_LE(plan.tools[i].pContour.use_count(), 1) << i;
}

TEST_F(SpidTest, CopyErasesAndDropsFixtureModels) {
    CSPID plan;
    plan.Ngadgets = 2;
    auto oldModel = std::make_shared<CModelTess>();
    oldModel->DrawAt(0, 0, 0);
    plan.gadgets[0].pDisplayModel = oldModel;
    CSPID panel;
    panel.Ngadgets = 1;
    panel.gadgets[0].sPsevName = "Патрон";
    panel.gadgets[0].pDisplayModel = std::make_shared<CModelTess>();
    plan = panel;
    EXPECT_EQ(plan.Ngadgets, 1);
    EXPECT_EQ(plan.gadgets[0].sPsevName, "Патрон");
    EXPECT_FALSE(oldModel->IsDrawn());
    for (const auto& g : plan.gadgets) EXPECT_EQ(g.pDisplayModel, nullptr);
    EXPECT_EQ(panel.gadgets[0].pDisplayModel.use_count(), 1);
}

TEST_F(SpidTest, CopyTakesTheSetUpAndLeavesThePlanOwnState) {
    CSPID plan;
    plan.errorText = "Ошибка:\nx";
    plan.pDetailContour = std::make_unique<Contour>();
    plan.pContourSourDetail = std::make_unique<Contour>();
    const Contour* ownStockOnPart = plan.pContourSourDetail.get();
    CSPID panel;
    panel.SposobBuildSource = 2;
    panel.sFileModelSour = "/parts/stock.rdp";
    panel.ProkatD = 40;
    panel.Npositions = 12;
    panel.X0tool = 150;
    panel.isPripuskZ = true;
    panel.PripuskZ = 1.5;
    panel.isNewPlan = false;
    plan = panel;
    EXPECT_EQ(plan.SposobBuildSource, 2);
    EXPECT_EQ(plan.Npositions, 12);
    EXPECT_DOUBLE_EQ(plan.X0tool, 150);
    EXPECT_FALSE(plan.isNewPlan);
    EXPECT_EQ(plan.errorText, "Ошибка:\nx");
    EXPECT_NE(plan.pDetailContour, nullptr);
    EXPECT_EQ(plan.pContourSourDetail.get(), ownStockOnPart);  // the copy had none
    const CContourBuilderZagotovka& builder = plan.StockBuilder();
    EXPECT_EQ(builder.buildMethod, 2);
    EXPECT_EQ(builder.GetFileName(), "/parts/stock.rdp");
    EXPECT_DOUBLE_EQ(builder.barDiameter, 40);
    EXPECT_TRUE(builder.isPripuskZ);
    EXPECT_DOUBLE_EQ(builder.PripuskZ, 1.5);
    EXPECT_EQ(builder.sourceContour, ownStockOnPart);
    plan = plan;  // self-assignment changes nothing
    EXPECT_EQ(plan.Npositions, 12);
}

TEST_F(SpidTest, CopyPointsTheCurrentPostProcessorIntoItsOwnList) {
    fs::create_directories(folder->Path() / "lib" / "POSTPROCESSORS");
    std::ofstream(folder->Path() / "lib" / "POSTPROCESSORS" / "Fanuc.py3") << "FILE_EXTENSION=nc\n";
    SetModuleDirectory(folder->Path() / "lib");
    CSPID panel;
    panel.sNamePostProcessor = "Fanuc";
    panel.CheckPostProcessor();
    ASSERT_NE(panel.GetPostProcessor(), nullptr);
    CSPID plan;
    plan = panel;
    ASSERT_NE(plan.GetPostProcessor(), nullptr);
    EXPECT_EQ(plan.GetPostProcessor(), plan.PostProcessors().FindPostProcessor("Fanuc"));
    EXPECT_NE(plan.GetPostProcessor(), panel.GetPostProcessor());
    panel.sNamePostProcessor = "Sinumerik";
    plan = panel;
    EXPECT_EQ(plan.GetPostProcessor(), nullptr);
    SetModuleDirectory(std::nullopt);
}

TEST_F(SpidTest, MissingPostProcessorMessageIsExact) {
    CSPID spid;
    spid.sNamePostProcessor = "Mazak";
    spid.CheckPostProcessor();
    EXPECT_EQ(spid.GetPostProcessor(), nullptr);
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_EQ(Entries()[0].text,
              "Не обнаружен постпроцессор \"Mazak\"\nВсе обработки будут приняты в элементарных перемещениях");
    EXPECT_EQ(Entries()[0].caption, "Orbisel");
    EXPECT_EQ(Entries()[0].style, 0x30);
}

TEST_F(SpidTest, UnreadableDescriptionCountsAsMissing) {
    fs::create_directories(folder->Path() / "POSTPROCESSORS" / "Broken.py3");  // a folder, not a file
    SetModuleDirectory(folder->Path());
    CSPID spid;
    spid.sNamePostProcessor = "Broken";
    spid.CheckPostProcessor();
    EXPECT_EQ(spid.GetPostProcessor(), nullptr);
    EXPECT_EQ(Entries().size(), 1u);
    SetModuleDirectory(std::nullopt);
}

TEST_F(SpidTest, ExtentsAreWrittenOnceInTheirOrder) {
    CSPID spid;
    spid.pDetailContour = ParseContourScript("LineSeg( -5,0, -5,-20, 1 );\nLineSeg( -5,-20, 30,-20, 1 );");
    double v[6] = {1, 1, 1, 1, 1, 1};
    spid.GetDetailExtents(v[0], v[1], v[2], v[3], v[4], v[5]);
    EXPECT_EQ((std::vector<double>(v, v + 6)), (std::vector<double>{20, 20, 30, -20, -20, -5}));
    spid.pDetailContour = ParseContourScript("LineSeg( 0,0, 0,-50, 1 );");
    double w[6] = {7, 7, 7, 7, 7, 7};
    spid.GetDetailExtents(w[0], w[1], w[2], w[3], w[4], w[5]);
    EXPECT_EQ((std::vector<double>(w, w + 6)), (std::vector<double>(6, 7.0)));
}

TEST_F(SpidTest, StockExtentsFromTheBarAndNothingWithoutAStock) {
    CSPID spid;
    double v[6] = {9, 9, 9, 9, 9, 9};
    spid.GetSourceExtents(v[0], v[1], v[2], v[3], v[4], v[5]);  // bar sizes 0: no stock
    EXPECT_EQ((std::vector<double>(v, v + 6)), (std::vector<double>(6, 9.0)));
    EXPECT_FALSE(spid.isSourceExtents);
    spid.ProkatL = 100, spid.ProkatD = 50, spid.ProkatZ = 2;
    spid.RefreshStockBuilder();
    spid.GetSourceExtents(v[0], v[1], v[2], v[3], v[4], v[5]);
    EXPECT_EQ((std::vector<double>(v, v + 6)), (std::vector<double>{25, 25, 2, -25, -25, -98}));
    ASSERT_NE(spid.pSourceContour, nullptr);
}

TEST_F(SpidTest, AttachedStockTabRebuildsAndNoContourComesBack) {
    struct Tab : StockTab {
        int rebuilds = 0;
        void RebuildContour() override { ++rebuilds; }
    } tab;
    CSPID spid;
    spid.ProkatL = 100, spid.ProkatD = 50;
    spid.RefreshStockBuilder();
    spid.pStockTab = &tab;
    EXPECT_EQ(spid.CreateSourceContour(), nullptr);
    EXPECT_EQ(tab.rebuilds, 1);
    spid.pStockTab = nullptr;
    auto contour = spid.CreateSourceContour();
    ASSERT_NE(contour, nullptr);
    EXPECT_EQ(contour->Count(), 4);
}

}  // namespace
}  // namespace zarvento
