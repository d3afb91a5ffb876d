// "Добавить инструмент из Каталога" in the set-up panel: the position chosen
// in the panel's answer, the model and its size-table row chosen by the user
// in the catalog dialog, settings in braces in the model's name moving it to
// another position.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "catalogs/param_tool.h"
#include "catalogs/tool_model_text.h"
#include "plan/plan_panels.h"
#include "plan/spid.h"
#include "platform/core/messages.h"
#include "platform/dialogs/panel_script.h"
#include "platform/dialogs/scripted_user.h"
#include "platform/documents/host_application.h"
#include "platform/processes/module.h"
#include "test_support.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;

class SpidCatalogTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        ConnectHostApplication();
        const fs::path folder = scratch.Path() / "TOOLS" / "Токарные" / "Проходные";
        fs::create_directories(folder);
        SetModuleDirectory(scratch.Path());
        fs::create_directories(scratch.Path() / "session");
        SetToolSessionDirectory((scratch.Path() / "session").string());
        // Tree rows: the root, "Токарные", "Проходные", then the two models
        // (a blank sorts before the extension's dot).
        for (const char* name : {"Резец", "Резец {T3 M4}"})
            ToolModelText::Convert(test::FixturePath("tools/body_tool.txt"),
                                   (folder / (std::string(name) + ".rdp")).string());
        spid = std::make_unique<CSPID>();
        spid->Npositions = 4;
    }
    void TearDown() override {
        spid.reset();
        SetModuleDirectory(std::nullopt);
        SetToolSessionDirectory({});
        CleanStateTest::TearDown();
    }
    // The panel's OK with the catalog pressed at `position`, the user's steps
    // in the catalog dialog.
    int AddFromCatalog(const std::string& position, std::vector<UserStep> steps) {
        PanelAnswer answer;
        answer.result = 1;
        answer.fields = {{"catalog", position}};
        PanelScript::Instance().Queue("spid", answer);
        UserSession session;
        session.kind = UserSession::Kind::Dialog;
        session.name = "catalog";
        session.steps = std::move(steps);
        ScriptedUser::Instance().Queue(std::move(session));
        return panels.ShowPanelSPID(*spid);
    }
    static UserStep Select(int list, int row) {
        UserStep step;
        step.action = UserStep::Action::Select;
        step.id = list;
        step.row = row;
        return step;
    }
    static UserStep Click(int id) {
        UserStep step;
        step.id = id;
        return step;
    }

    test::TempDir scratch;
    PlanPanels panels;
    std::unique_ptr<CSPID> spid;
};

TEST_F(SpidCatalogTest, TheChosenModelAndRowGoToThePosition) {
    ASSERT_EQ(AddFromCatalog("2", {Select(100, 4), Select(200, 2), Click(1)}), 1);
    const ParamTool& tool = spid->tools[1];
    EXPECT_EQ(tool.sFileName, "Токарные\\Проходные\\Резец.rdp");
    // Named in the size chosen: the model and the row's designation, its mark.
    EXPECT_EQ(tool.sToolName, "Резец SNMG 190612");
    EXPECT_EQ(tool.sPsevName, "Резец SNMG 190612");
    EXPECT_EQ(tool.sComment, "SNMG 190612");
    EXPECT_EQ(tool.sExt, ".rdp");
    EXPECT_TRUE(tool.isFromCatalog);
    EXPECT_TRUE(tool.isModelLoaded);
    EXPECT_EQ(fs::path(tool.sWorkFile).filename(), "Tool_2.rdp");
    double length = 0, radius = 0;
    ASSERT_TRUE(tool.GetVariable("L", length));
    ASSERT_TRUE(tool.GetVariable("r", radius));
    EXPECT_EQ(length, 19);
    EXPECT_EQ(radius, 1.2);
    EXPECT_TRUE(spid->tools[0].sFileName.empty());
}

TEST_F(SpidCatalogTest, BracesMoveTheToolAndAPositionBeyondTheTurretIsRefused) {
    ASSERT_EQ(AddFromCatalog("1", {Select(100, 3), Click(1)}), 1);
    EXPECT_TRUE(spid->tools[0].sFileName.empty());
    const ParamTool& tool = spid->tools[2];
    EXPECT_EQ(tool.sFileName, "Токарные\\Проходные\\Резец {T3 M4}.rdp");
    EXPECT_EQ(tool.sToolName, "Резец SNMG 120408 {T3 M4}");
    EXPECT_EQ(tool.sPsevName, "Резец SNMG 120408");
    EXPECT_EQ(tool.M34, 4);
    EXPECT_EQ(fs::path(tool.sWorkFile).filename(), "Tool_3.rdp");

    spid = std::make_unique<CSPID>();
    spid->Npositions = 2;
    ASSERT_EQ(AddFromCatalog("1", {Select(100, 3), Click(1)}), 1);
    EXPECT_EQ(MessageLog::Instance().Entries().back().text,
              "Инструмент не может быть установлен в позицию 3. Не хватает позиций.");
    for (const ParamTool& t : spid->tools) EXPECT_TRUE(t.sFileName.empty());
}

TEST_F(SpidCatalogTest, CancelInTheCatalogLeavesThePositionAndABadPositionIsRefused) {
    spid->tools[0].sToolName = "Старый";
    spid->tools[0].Npv = 1;
    spid->tools[0].aVariables[0] = {"L", "", 7, "", false, 0};
    const auto before = spid->tools[0].aVariables;
    ASSERT_EQ(AddFromCatalog("1", {Select(100, 4), Select(200, 2), Click(2)}), 1);
    EXPECT_EQ(spid->tools[0].sToolName, "Старый");
    EXPECT_EQ(spid->tools[0].Npv, 1);
    EXPECT_EQ(spid->tools[0].aVariables, before);

    ScriptedUser::Instance().Reset();
    EXPECT_EQ(AddFromCatalog("5", {Click(2)}), 2);
    EXPECT_EQ(ScriptedUser::Instance().Pending(), 1u);  // the catalog never opened
}

}  // namespace
}  // namespace zarvento
