// The bundled example's second plan script: a groove set up step by step in
// its operation panel, a thread and a cut-off with tools from the catalog, as
// the command-line program runs the script; then a drilling set up the same
// way, and the NC program that holds them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bundled_catalog.h"
#include "catalogs/tool_model_text.h"
#include "geometry/contour_script.h"
#include "model/revolution_part.h"
#include "operations/headless_turn_panels.h"
#include "operations/turn_drill.h"
#include "operations/turn_kanavka.h"
#include "panels/host_panels.h"
#include "plan/command_script.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/host_folder.h"
#include "platform/core/line_reader.h"
#include "platform/core/messages.h"
#include "platform/core/text_file.h"
#include "platform/documents/host_application.h"
#include "platform/processes/module.h"
#include "post/program.h"
#include "test_support.h"

namespace zarvento::test {
namespace {

namespace fs = std::filesystem;

class ExampleDrillGrooveTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        SetHostFolder(folder.Path());
        RegisterTurnFactory();
        app = &ConnectHostApplication();
        StartPanels(panels);
        fs::create_directories(folder.Path() / "POSTPROCESSORS");
        for (const char* name : {"ISO_Lathe.py3", "ISO_Python.py3"})
            fs::copy_file(examples / ".." / "POSTPROCESSORS" / name, folder.Path() / "POSTPROCESSORS" / name);
        SetModuleDirectory(folder.Path());
        // The bundled catalog beside the library, as the build makes it.
        InstallBundledCatalog(examples / ".." / "catalog", folder.Path());
        previous = fs::current_path();
        fs::current_path(folder.Path());
        fs::create_directories("example");
        for (const char* tool : {"roughing_tool", "finishing_tool", "drill_tool", "grooving_tool"})
            ToolModelText::Convert((examples / "tools" / (std::string(tool) + ".txt")).string(),
                                   "example/" + std::string(tool) + ".rdp");
        FileReadResult profile = ReadTextFile(examples / "shaft" / "stepped-shaft.profile", TextEncoding::Utf8);
        ASSERT_TRUE(profile.ok);
        BodyOfProfile(*ParseContourScript(profile.text)).WriteStep("example/stepped-shaft.step", "stepped-shaft");
    }
    void TearDown() override {
        fs::current_path(previous);
        SetModuleDirectory(std::nullopt);
        StopPanels();
        CleanStateTest::TearDown();
    }

    void RunExample(const std::string& name) {
        const fs::path script = examples / "shaft" / name;
        FileReadResult text = ReadTextFile(script, TextEncoding::Utf8);
        ASSERT_TRUE(text.ok) << script;
        RunLines(text.text, name);
    }
    void RunLines(const std::string& text, const std::string& name) {
        CommandScript runner(examples / "shaft");
        runner.Run(text);
        EXPECT_EQ(runner.CommandsFailed(), 0) << name;
        EXPECT_EQ(MessageLog::Instance().ModalDepth(), 0);
    }
    // Closes the document and forgets the plan, as a new run of the program would.
    HostDocumentPtr Reopen(HostDocumentPtr part) {
        const std::string path = part->FilePath();
        app->Documents().Close(part);
        DeletePLAN();
        DeleteSPID();
        return app->Documents().Open(path);
    }

    const fs::path examples = fs::path(FixturePath("")) / ".." / ".." / "examples";
    TempDir folder;
    fs::path previous;
    HostApplication* app = nullptr;
    HeadlessTurnPanels panels;
};

TEST_F(ExampleDrillGrooveTest, TheGrooveAndTheDrillingSetInTheirPanelsReachTheProgram) {
    HostDocumentPtr part = app->Documents().Add(DocumentType::Part);
    RunExample("make-stepped-shaft.zsc");
    part->SaveAs((folder.Path() / "example" / "stepped-shaft.rdp").string());
    part = Reopen(part);
    RunExample("nc-plan.zsc");
    RunExample("groove-thread-cutoff.zsc");
    // A hole drilled from a base (the face at z = 0), 12 deep; its diameter
    // and tip are the drill's, which the panel chooses itself. The drill
    // takes the last free position.
    RunLines(
        "answer spid ok tool6=\"Сверло\" model6=example/drill_tool.rdp\nplan-data\n"
        "panel turn\n  tab \"Рабочий контур\"\n  select \"Способ задания контура отверстия\" 1\n"
        "  set \"Глубина отверстия\" 12\n  tab \"Свойства/статистика\"\n  ok\nend\ncreate 4\n",
        "drilling");
    part->Save();
    part = Reopen(part);

    CPLAN& plan = *GetPLAN();
    plan.Synchronize();
    ASSERT_EQ(plan.GetTurnCount(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(plan.GetTurn(i)->HasMessage()) << plan.GetTurn(i)->messageText;
    const auto* groove = dynamic_cast<const CTurnKANAVKA*>(plan.GetTurn(1));
    ASSERT_NE(groove, nullptr) << "the groove goes after the roughing pass";
    EXPECT_EQ(groove->Pause, 0.5);
    EXPECT_FALSE(groove->indNapr);
    EXPECT_EQ(groove->nToolPosition, 2) << "chosen automatically";
    EXPECT_EQ(plan.GetTurn(3)->kind, kTurnTHREADING);
    EXPECT_EQ(plan.GetTurn(4)->kind, kTurnOTREZKA);
    const auto* drill = dynamic_cast<const CTurnDRILL*>(plan.GetTurn(5));
    ASSERT_NE(drill, nullptr);
    EXPECT_EQ(drill->SposobDrill, CTurnDRILL::kFromBase);
    EXPECT_EQ(drill->Glubina, 12.0);
    EXPECT_EQ(drill->Diametr, 6.0) << "the drill's";
    EXPECT_EQ(drill->nToolPosition, 5);
    EXPECT_EQ(drill->GetNameTurn(), "Сверление d6");

    CPROGRAM program;
    program.CreateProgram();
    std::vector<std::string> lines;
    ASSERT_TRUE(program.MakeProgramText(lines));
    auto has = [&lines](const std::string& piece) {
        return std::any_of(lines.begin(), lines.end(),
                           [&piece](const std::string& line) { return line.find(piece) != std::string::npos; });
    };
    // The plunge to the undercut's bottom (diameter 28) with its dwell, the
    // thread's passes, the cut-off through the axis, and the drill on the
    // axis down to the tip of a hole 12 deep.
    EXPECT_TRUE(has("M06 T0303"));
    EXPECT_TRUE(has("G01 X28 "));
    EXPECT_TRUE(has("G04 P500"));
    EXPECT_TRUE(has("M06 T0404"));
    EXPECT_TRUE(has("G32 Z-36.445 F1.5"));
    EXPECT_TRUE(has("M06 T0505"));
    EXPECT_TRUE(has("G01 X-1 "));
    EXPECT_TRUE(has("M06 T0606"));
    EXPECT_TRUE(has("G00 X0 Z3"));
    EXPECT_TRUE(has("G01 Z-13.803 "));
}

}  // namespace
}  // namespace zarvento::test
