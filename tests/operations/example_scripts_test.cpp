// The bundled example's scripts, run on the real operations as the
// command-line program runs them: the part made, then planned; the NC
// example reopened and synchronised as the main job does it, and its NC
// program written and read back.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <filesystem>

#include "catalogs/tool_model_text.h"
#include "nc/cadre_arc_g02.h"
#include "nc/cadre_line_g01.h"
#include "operations/headless_turn_panels.h"
#include "operations/turn.h"
#include "plan/command_script.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/host_application.h"
#include "platform/host_folder.h"
#include "platform/line_reader.h"
#include "platform/messages.h"
#include "platform/module.h"
#include "platform/text_file.h"
#include "post/program.h"
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

// The folder the program runs in for a test's life: the example's scripts
// name the tool models relative to it.
class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    fs::path previous_;
};

struct MoveEnd {
    double x, z;
};

// The NC example: the tool models beside the part, the installed
// post-processors beside the program, the program run from the folder the
// example's scripts name their files from.
class ExampleProgramTest : public ExampleScriptsTest {
protected:
    void SetUp() override {
        ExampleScriptsTest::SetUp();
        fs::create_directories(folder.Path() / "POSTPROCESSORS");
        for (const char* name : {"ISO_Lathe.py3", "ISO_Python.py3"})
            fs::copy_file(examples / ".." / "POSTPROCESSORS" / name, folder.Path() / "POSTPROCESSORS" / name);
        SetModuleDirectory(folder.Path());
        working = std::make_unique<WorkingFolder>(folder.Path());
        fs::create_directories("example");
        ToolModelText::Convert((examples / "tools" / "roughing_tool.txt").string(), "example/roughing_tool.rdp");
        ToolModelText::Convert((examples / "tools" / "finishing_tool.txt").string(), "example/finishing_tool.rdp");
    }
    void TearDown() override {
        working.reset();
        SetModuleDirectory(std::nullopt);
        ExampleScriptsTest::TearDown();
    }

    // Closes the document and forgets the plan, as a new run of the program would.
    HostDocumentPtr Reopen(HostDocumentPtr part) {
        const std::string path = part->FilePath();
        app->Documents().Close(part);
        DeletePLAN();
        DeleteSPID();
        return app->Documents().Open(path);
    }

    // The end point of every move line, X and Z modal; "G00 G40 G80" of the
    // operations' brackets moves nothing.
    static std::vector<MoveEnd> MoveEnds(const std::vector<std::string>& lines) {
        std::vector<MoveEnd> ends;
        MoveEnd at{0, 0};
        for (const std::string& line : lines) {
            // "N<number> G0<0..3>" and then the words.
            std::size_t p = 1;
            while (p < line.size() && std::isdigit(static_cast<unsigned char>(line[p]))) ++p;
            if (line.empty() || line[0] != 'N' || p == 1 || line.compare(p, 3, " G0") != 0 || p + 3 >= line.size() ||
                line[p + 3] < '0' || line[p + 3] > '3' || (p + 4 < line.size() && line[p + 4] != ' '))
                continue;
            bool moved = false;
            for (std::size_t k = p + 4; k < line.size(); ++k) {
                if (line[k] != 'X' && line[k] != 'Z') continue;
                const std::size_t end = line.find(' ', k);
                double value = 0;
                EXPECT_TRUE(ParseDouble(line.substr(k + 1, end - k - 1), value)) << line;
                (line[k] == 'X' ? at.x : at.z) = value;
                moved = true;
            }
            if (moved) ends.push_back(at);
        }
        return ends;
    }

    std::unique_ptr<WorkingFolder> working;
};

TEST_F(ExampleProgramTest, TheProgramsMovesEndWhereTheFramesEnd) {
    HostDocumentPtr part = app->Documents().Add(DocumentType::Part);
    RunExample("make-stepped-shaft.zsc");
    part->SaveAs((folder.Path() / "example" / "stepped-shaft.rdp").string());
    part = Reopen(part);
    RunExample("nc-plan.zsc");
    part->Save();
    part = Reopen(part);

    CPLAN& plan = *GetPLAN();
    plan.Synchronize();
    ASSERT_EQ(plan.GetTurnCount(), 2);
    for (int i = 0; i < 2; ++i) EXPECT_FALSE(plan.GetTurn(i)->HasMessage()) << plan.GetTurn(i)->messageText;
    ASSERT_NE(GetSPID()->GetPostProcessor(), nullptr);
    EXPECT_EQ(GetSPID()->GetPostProcessor()->GetName(), "ISO_Lathe");

    CPROGRAM program;
    program.CreateProgram();
    std::vector<std::string> lines;
    ASSERT_TRUE(program.MakeProgramText(lines));
    EXPECT_FALSE(CPROGRAM::UsesScript()) << "the templates alone write the program";
    const fs::path file = folder.Path() / "example" / "stepped-shaft.nc";
    ASSERT_TRUE(program.SaveProgramFile(file.string(), lines));
    FileReadResult read = ReadTextFile(file, TextEncoding::Cp1251);
    ASSERT_TRUE(read.ok);
    const std::vector<std::string> saved = SplitLines(read.text);
    EXPECT_EQ(saved.front(), "(stepped-shaft)");
    EXPECT_EQ(saved[1], "%");

    std::vector<MoveEnd> frames;
    for (std::uint32_t i = 0; i < program.frames.Count(); ++i) {
        CCadreISO* frame = program.frames[i];
        if (dynamic_cast<CCadre_LineG01*>(frame) || dynamic_cast<CCadre_ArcG02*>(frame))
            frames.push_back({-2.0 * frame->end.x, frame->end.z});
    }
    const std::vector<MoveEnd> moves = MoveEnds(saved);
    ASSERT_GT(moves.size(), 20u);
    ASSERT_EQ(moves.size(), frames.size());
    for (std::size_t k = 0; k < moves.size(); ++k) {
        // Three decimals are printed.
        EXPECT_NEAR(moves[k].x, frames[k].x, 0.0005 + 1e-9) << k;
        EXPECT_NEAR(moves[k].z, frames[k].z, 0.0005 + 1e-9) << k;
    }
}

}  // namespace
}  // namespace zarvento::test
