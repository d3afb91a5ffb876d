// The plan's display services: the stock, the coordinate system's model and
// the fixture models, each leaving the busy flag as it found it.
#include <filesystem>
#include <fstream>

#include "catalogs/tool_model_text.h"
#include "plan/spid.h"
#include "plan_test_support.h"
#include "platform/core/busy_flag.h"
#include "platform/part_model.h"
#include "platform/processes/module.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;

class SpidDisplayTest : public test::PlanTest {
protected:
    // A fixture whose working copy is a model with the given variables.
    void MountFixture(CSPID& spid, int i, const std::string& variables) {
        const std::string path = (folder->Path() / ("Device_" + std::to_string(i + 1) + ".rdp")).string();
        HostDocumentPtr fixture = ToolModelText::Parse("zarvento-tool-model 1\n" + variables, "fixture");
        // A jaw: the body the view shows.
        SetPartBody(*TopPart(fixture), PartShape::Box({20, -5, 0}, {40, 5, 30}));
        fixture->SaveAs(path);
        ParamGadget& g = spid.gadgets[static_cast<std::size_t>(i)];
        g.sWorkFile = path;
        g.isModelCopied = g.isModelLoaded = true;
        HostDocumentPtr model = app->Documents().Open(path, false);
        g.ReadModelVariables(*model);
        app->Documents().Close(model);
        app->SetActiveDocument(part);
    }
};

TEST_F(SpidDisplayTest, StockIsDrawnAndHiddenAndTheBusyFlagKeepsItsValue) {
    CSPID spid;
    spid.ProkatL = 50, spid.ProkatD = 30;
    spid.RefreshStockBuilder();
    BusyFlag = true;
    spid.ToggleShowSource();
    EXPECT_TRUE(BusyFlag);
    ASSERT_NE(spid.pSourceContour, nullptr);
    EXPECT_NE(spid.pSourceContour->GetUnit(0)->Face, nullptr);
    BusyFlag = false;
    spid.ToggleShowSource();
    EXPECT_FALSE(BusyFlag);
    EXPECT_FALSE(spid.isShowSource);
}

TEST_F(SpidDisplayTest, CoordinateSystemModelComesAndGoes) {
    fs::create_directories(folder->Path() / "TESS");
    HostDocumentPtr sign = app->Documents().Add(DocumentType::Part, false);
    SetPartBody(*TopPart(sign), PartShape::Cylinder({0, 0, 0}, {0, 0, 1}, 1, 20));
    sign->SaveAs((folder->Path() / "TESS" / "LSK.rdp").string());
    app->Documents().Close(sign);
    SetModuleDirectory(folder->Path());
    CSPID spid;
    spid.ToggleShowLSC();
    ASSERT_NE(spid.pLSCModel, nullptr);
    EXPECT_TRUE(spid.pLSCModel->IsDrawn());
    EXPECT_TRUE(spid.pLSCModel->displayFlag);
    spid.ToggleShowLSC();
    EXPECT_EQ(spid.pLSCModel, nullptr);
    SetModuleDirectory(std::nullopt);
}

TEST_F(SpidDisplayTest, FixturesAreShownHiddenAndShownAgainWithoutNewModels) {
    CSPID spid;
    spid.Ngadgets = 2;
    MountFixture(spid, 0, "variable D 100 \"Диаметр\"\n");
    spid.gadgets[0].CorrectZ = -40;
    spid.ToggleShowGadgets();
    ASSERT_NE(spid.gadgets[0].pDisplayModel, nullptr);
    EXPECT_EQ(spid.gadgets[1].pDisplayModel, nullptr);  // no model file
    auto* model = spid.gadgets[0].pDisplayModel.get();
    EXPECT_TRUE(model->IsVisible());
    spid.ToggleShowGadgets();
    EXPECT_FALSE(model->IsVisible());
    spid.ToggleShowGadgets();
    EXPECT_EQ(spid.gadgets[0].pDisplayModel.get(), model);
    EXPECT_TRUE(model->IsVisible());
    EXPECT_FALSE(BusyFlag);
}

TEST_F(SpidDisplayTest, OnlyFixturesThatTurnAreRemadeWhenRotated) {
    CSPID spid;
    spid.Ngadgets = 2;
    MountFixture(spid, 0, "variable D 100 \"Диаметр\"\nvariable rotated 0 \"Повёрнут\"\n");
    MountFixture(spid, 1, "variable D 60 \"Диаметр\"\n");
    spid.RebuildGadgetModels();
    auto first = spid.gadgets[0].pDisplayModel;
    auto second = spid.gadgets[1].pDisplayModel;
    ASSERT_TRUE(first && second);
    ASSERT_GT(first->triangles.Count(), 0u);
    EXPECT_NEAR(first->modelBox[0], 20.0, 1e-9) << "triangles with their boxes";
    EXPECT_NEAR(first->modelBox[5], 30.0, 1e-9);
    spid.SetGadgetsRotated(true);
    EXPECT_NE(spid.gadgets[0].pDisplayModel, first);
    EXPECT_FALSE(first->IsDrawn());  // the old one leaves the view
    EXPECT_TRUE(spid.gadgets[0].pDisplayModel->displayFlag);
    EXPECT_EQ(spid.gadgets[1].pDisplayModel, second);
    double rotated = 0;
    ASSERT_TRUE(spid.gadgets[0].GetVariable("rotated", rotated));
    EXPECT_EQ(rotated, 1.0);
    spid.SetGadgetsRotated(false);
    ASSERT_TRUE(spid.gadgets[0].GetVariable("rotated", rotated));
    EXPECT_EQ(rotated, 0.0);
}

}  // namespace
}  // namespace zarvento
