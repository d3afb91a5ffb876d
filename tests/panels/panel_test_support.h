// A fixture for the panel suites: clean process state, a host with a part
// document, the installed post-processors beside the library, the panels on
// the host over the headless ones, and a stepped shaft with an NC coordinate
// system ready to be planned by scripts.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "catalogs/tool_model_text.h"
#include "geometry/contour_script.h"
#include "model/revolution_part.h"
#include "operations/headless_turn_panels.h"
#include "operations/turn.h"
#include "panels/host_panels.h"
#include "plan/command_script.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_folder.h"
#include "platform/core/text_file.h"
#include "platform/dialogs/property_manager.h"
#include "platform/dialogs/scripted_user.h"
#include "platform/documents/host_application.h"
#include "platform/drawings/local_coordinate_system.h"
#include "platform/processes/module.h"
#include "test_support.h"

namespace zarvento::test {

namespace fs = std::filesystem;

class PanelTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        SetHostFolder(folder.Path());
        fs::create_directories(folder.Path() / "POSTPROCESSORS" / "sample");
        for (const char* name : {"ISO_Lathe.py3", "ISO_Python.py3", "sample/sample.py3"})
            fs::copy_file(repository / "POSTPROCESSORS" / name, folder.Path() / "POSTPROCESSORS" / name);
        SetModuleDirectory(folder.Path());
        RegisterTurnFactory();
        StartPanels(headless);
        app = &ConnectHostApplication();
        part = app->Documents().Add(DocumentType::Part);
    }
    void TearDown() override {
        StopPanels();
        SetModuleDirectory(std::nullopt);
        SetHostFolder(std::nullopt);
        CleanStateTest::TearDown();
    }

    // Runs script lines; files it names are found beside the bundled example.
    CommandScript& Run(const std::string& text) {
        script.Run(text);
        return script;
    }

    // The stepped shaft of the bundled example with two coordinate systems.
    void MakePart() {
        lsc1 = part->AddLocalCoordinateSystem("ЛСК-1", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
        lsc2 = part->AddLocalCoordinateSystem("ЛСК-2", {0, 0, 10}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
        Run("profile stepped-shaft.profile\n");
    }

    // The part planned: the coordinate system and post-processor chosen in
    // the panel (none when `post` is empty), a bar stock, the roughing tool
    // of the example with its model, and one roughing operation.
    void MakePlan(const std::string& post) {
        MakePart();
        const fs::path model = folder.Path() / "roughing_tool.rdp";
        ToolModelText::Convert((repository / "examples" / "tools" / "roughing_tool.txt").string(), model.string());
        Run("panel lsc\n pick ЛСК-1\n" +
            (post.empty() ? std::string() : " set \"Система ЧПУ (постпроцессор)\" " + post + "\n") +
            " ok\nend\ncoordinate-system\n"
            "answer spid ok L=90 D=45 Z=2 positions=4 x0=60 z0=40 tool1=\"Резец черновой\" model1=" +
            model.string() +
            "\nplan-data\n"
            "answer turn ok name=\"Черновой проход\" tool=1 work=2-11 allowance=0.5 feed=TOOL.FEED1 spin=TOOL.SPIN\n"
            "create 1\n");
        ASSERT_EQ(script.CommandsFailed(), 0);
        ASSERT_NE(GetSPID()->GetLSC(), nullptr);
        ASSERT_EQ(GetPLAN()->GetTurnCount(), 1);
        ASSERT_FALSE(GetPLAN()->GetTurn(0)->HasMessage()) << GetPLAN()->GetTurn(0)->messageText;
    }

    // The application's property manager: the panel shown last, as it was left.
    static PropertyManager& Shown() { return *ApplicationPropertyManager(); }
    static PropertyControl& Control(const std::string& name, int occurrence = 1) {
        PropertyControl* c = Shown().FindControl(name, occurrence);
        if (!c) throw std::runtime_error("no control " + name);
        return *c;
    }
    // The lines the scripted user printed and was refused with.
    static const std::vector<std::string>& UserOutput() { return ScriptedUser::Instance().Output(); }

    const fs::path repository = fs::path(FixturePath("")) / ".." / "..";
    TempDir folder;
    HeadlessTurnPanels headless;
    HostApplication* app = nullptr;
    HostDocumentPtr part;
    std::shared_ptr<LocalCoordinateSystem> lsc1, lsc2;
    CommandScript script{fs::path(FixturePath("")) / ".." / ".." / "examples" / "shaft"};
};

// An environment variable set (or removed, for none) for a scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) previous_ = old;
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        if (previous_) {
            ::setenv(name_, previous_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    std::optional<std::string> previous_;
};

}  // namespace zarvento::test
