// Fixtures of the simulation suite: the bundled example's plan made by its
// scripts, as the command-line program makes it, and programs of frames
// written by hand on that plan (its bar stock of diameter 45 from z = 2 to
// z = -88, its two tools at positions 0 and 1, its start point Z 40, X 60).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "catalogs/tool_model_text.h"
#include "geometry/contour.h"
#include "geometry/contour_script.h"
#include "geometry/simulation_hook.h"
#include "model/model_layer.h"
#include "model/revolution_part.h"
#include "nc/cadre_comment.h"
#include "nc/cadre_iso.h"
#include "nc/cadre_line_g01.h"
#include "nc/cadre_t.h"
#include "nc/modal_state.h"
#include "operations/headless_turn_panels.h"
#include "operations/turn.h"
#include "panels/host_panels.h"
#include "plan/command_script.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/host_folder.h"
#include "platform/core/messages.h"
#include "platform/core/text_file.h"
#include "platform/dialogs/host_timers.h"
#include "platform/documents/host_application.h"
#include "platform/processes/module.h"
#include "post/program.h"
#include "simulation/simulation.h"
#include "simulation/simulation_controls.h"
#include "simulation/simulation_layer.h"
#include "simulation/simulation_messages.h"
#include "test_support.h"

namespace zarvento::test {

namespace fs = std::filesystem;

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

// The panel's controls as a test reads them.
class RecordingControls final : public SimulationControls {
public:
    void ShowValues(double s, double f, std::int32_t t) override {
        spindleSpeed = s;
        feed = f;
        tool = t;
    }
    void ShowStatusText(const std::string& text) override { status = text; }
    void MarkRow(std::int32_t row, int state) override { marks.push_back({row, state}); }
    void ClearRowMarks() override { ++rowMarksCleared; }
    std::string RowText(std::int32_t row) const override {
        return row >= 0 && static_cast<std::size_t>(row) < rows.size() ? rows[static_cast<std::size_t>(row)] : "";
    }
    void ClearMessageList() override { ++messageListsCleared; }
    void RestoreAfterRun() override { ++restored; }

    std::vector<std::string> rows;
    double spindleSpeed = 0, feed = 0;
    std::int32_t tool = 0;
    std::string status;
    std::vector<std::pair<int, int>> marks;
    int rowMarksCleared = 0, messageListsCleared = 0, restored = 0;
};

// The host the plan's scripts run on: the turning layers and panels, the
// installed post-processor ISO_Lathe, the library's folder and the folder
// the program runs in, both a fresh temporary folder.
class PlanHostTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        SetHostFolder(folder.Path());
        RegisterTurnFactory();
        app = &ConnectHostApplication();
        // The example's scripts drive the panels that run on the host.
        StartPanels(panels);
        RegisterModelLayer();
        RegisterSimulationLayer();
        fs::create_directories(folder.Path() / "POSTPROCESSORS");
        fs::copy_file(examples / ".." / "POSTPROCESSORS" / "ISO_Lathe.py3",
                      folder.Path() / "POSTPROCESSORS" / "ISO_Lathe.py3");
        SetModuleDirectory(folder.Path());
        working = std::make_unique<WorkingFolder>(folder.Path());
    }
    void TearDown() override {
        owned.clear();
        working.reset();
        SetModuleDirectory(std::nullopt);
        UnregisterSimulationLayer();
        UnregisterModelLayer();
        StopPanels();
        CleanStateTest::TearDown();
    }

    const fs::path examples = fs::path(FixturePath("")) / ".." / ".." / "examples";
    TempDir folder;
    HostApplication* app = nullptr;
    HostDocumentPtr part;
    HeadlessTurnPanels panels;
    std::unique_ptr<WorkingFolder> working;
    std::vector<std::unique_ptr<CCadreISO>> owned;
};

class ExamplePlanTest : public PlanHostTest {
protected:
    void SetUp() override {
        PlanHostTest::SetUp();
        fs::create_directories("example");
        ToolModelText::Convert((examples / "tools" / "roughing_tool.txt").string(), "example/roughing_tool.rdp");
        ToolModelText::Convert((examples / "tools" / "finishing_tool.txt").string(), "example/finishing_tool.rdp");
        // The example's STEP file, as the build writes it from the profile.
        FileReadResult profile = ReadTextFile(examples / "shaft" / "stepped-shaft.profile", TextEncoding::Utf8);
        ASSERT_TRUE(profile.ok);
        BodyOfProfile(*ParseContourScript(profile.text)).WriteStep("example/stepped-shaft.step", "stepped-shaft");
        part = app->Documents().Add(DocumentType::Part);
        RunExample("make-stepped-shaft.zsc");
    }

    void RunExample(const std::string& name) {
        const fs::path script = examples / "shaft" / name;
        FileReadResult text = ReadTextFile(script, TextEncoding::Utf8);
        ASSERT_TRUE(text.ok) << script;
        CommandScript runner(script.parent_path());
        runner.Run(text.text);
        ASSERT_EQ(runner.CommandsFailed(), 0) << name;
    }

    // The example's operations planned and calculated.
    void PlanExample() {
        RunExample("nc-plan.zsc");
        ASSERT_EQ(GetPLAN()->GetTurnCount(), 2);
        GetSPID()->CreateContourTool(CSPID::kAllPositions);
    }

    // The plan's program as the simulation panel takes it: listed, so that
    // frames have their block numbers and rows.
    std::unique_ptr<CPROGRAM> Program(std::vector<std::string>* rows = nullptr) {
        auto program = std::make_unique<CPROGRAM>();
        program->CreateProgram();
        std::vector<std::string> lines;
        program->WriteProgramText(lines);
        if (rows) *rows = lines;
        return program;
    }

    // A frame written by hand, with its path made; x as the contour has it
    // (the negated radius).
    CCadreISO* Line(double z1, double x1, double z2, double x2, bool rapid, int tool = 0) {
        auto frame = std::make_unique<CCadre_LineG01>(x1, z1, x2, z2, 0.2, rapid);
        frame->spindleSpeed = 800;
        frame->feed = 0.2;
        frame->toolNumber = tool;
        frame->CreatePathFigure();
        owned.push_back(std::move(frame));
        return owned.back().get();
    }
    CCadreISO* Tool(int position) {
        owned.push_back(std::make_unique<CCadre_T>(position, position + 1, 0, true));
        return owned.back().get();
    }
    CCadreISO* Comment(const std::string& text) {
        owned.push_back(std::make_unique<CCadre_Comment>(text));
        return owned.back().get();
    }

    // Runs the simulation on the virtual clock until it ends; the ticks.
    static int RunToEnd(CSimulation& simulation, int bound = 100000) {
        int ticks = 0;
        while (simulation.IsRunning() && ticks < bound && FireNextHostTimer()) ++ticks;
        return ticks;
    }
    static std::vector<std::string> Boxes() { return MessageLog::Instance().Texts(MessageRole::MessageBox); }
    static std::vector<std::string> TextOutput() { return MessageLog::Instance().Texts(MessageRole::TextOutput); }
    static std::vector<std::string> Listed(const SimulationMessages& messages) {
        std::vector<std::string> out;
        for (std::uint32_t k = 0; k < messages.Count(); ++k) out.push_back(messages.Text(k));
        return out;
    }
};

}  // namespace zarvento::test
