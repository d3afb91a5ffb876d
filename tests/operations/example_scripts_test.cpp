// The bundled example's scripts, run on the real operations as the
// command-line program runs them: the part made, then planned.
#include <gtest/gtest.h>

#include <filesystem>

#include "operations/headless_turn_panels.h"
#include "operations/turn.h"
#include "plan/command_script.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/host_application.h"
#include "platform/host_folder.h"
#include "platform/messages.h"
#include "platform/text_file.h"
#include "test_support.h"

namespace zarvento::test {
namespace {

namespace fs = std::filesystem;

class ExampleScriptsTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        SetHostFolder(folder.Path());
        RegisterTurnFactory();
        app = &ConnectHostApplication();
        previous = RegisterPlanPanels(&panels);
    }
    void TearDown() override {
        RegisterPlanPanels(previous);
        CleanStateTest::TearDown();
    }

    void RunExample(const std::string& name) {
        const fs::path script = examples / "shaft" / name;
        FileReadResult text = ReadTextFile(script, TextEncoding::Utf8);
        ASSERT_TRUE(text.ok) << script;
        CommandScript runner(script.parent_path());
        runner.Run(text.text);
        EXPECT_EQ(runner.CommandsFailed(), 0) << name;
        EXPECT_EQ(MessageLog::Instance().ModalDepth(), 0);
    }

    const fs::path examples = fs::path(FixturePath("")) / ".." / ".." / "examples";
    TempDir folder;
    HostApplication* app = nullptr;
    HeadlessTurnPanels panels;
    PlanPanels* previous = nullptr;
};

TEST_F(ExampleScriptsTest, ShaftIsMadeThenPlannedByItsScripts) {
    auto part = app->Documents().Add(DocumentType::Part);
    RunExample("make-shaft.zsc");
    ASSERT_NE(GetSPID()->GetLSC(), nullptr);
    EXPECT_DOUBLE_EQ(GetSPID()->ProkatL, 90.0);
    EXPECT_EQ(GetSPID()->tools[0].sPsevName, "Резец проходной");
    const std::string path = (folder.Path() / "shaft.rdp").string();
    part->SaveAs(path);

    // Opened again in a fresh process state, as a second run of the program.
    app->Documents().Close(part);
    DeletePLAN();
    DeleteSPID();
    part = app->Documents().Open(path);
    RunExample("turning.zsc");
    CPLAN* plan = GetPLAN();
    ASSERT_EQ(plan->GetTurnCount(), 2);
    EXPECT_EQ(plan->GetTurn(0)->GetNameTurn(), "Черновая обработка");
    EXPECT_EQ(plan->GetTurn(1)->GetNameTurn(), "Чистовая обработка");
    EXPECT_TRUE(plan->GetTurn(1)->isExclude);
    EXPECT_EQ(plan->GetTurn(1)->kind, kTurnKONTUR);
}

}  // namespace
}  // namespace zarvento::test
