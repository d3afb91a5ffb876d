// The run script acting in the plan tree as the user does (a click, a
// context menu and its command) and as the host does (an event), and the
// tree as the run prints it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "catalogs/tool_model_text.h"
#include "host/script_run.h"
#include "host/zarvento_module.h"
#include "platform/processes/host_libraries.h"
#include "platform/processes/module.h"
#include "test_support.h"

namespace zarvento::app {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProfile =
    "LineSeg( 0,0, 0,-10, 1 );\nLineSeg( 0,-10, -30,-10, 1 );\nLineSeg( -30,-10, -30,-15, 1 );\n"
    "LineSeg( -30,-15, -50,-15, 1 );\nLineSeg( -50,-15, -50,0, 1 );\n";
constexpr const char* kMakePart =
    "lsc \"ЛСК-1\"\nprofile shaft.profile\n"
    "panel lsc\n pick ЛСК-1\n set \"Система ЧПУ (постпроцессор)\" ISO_Lathe\n ok\nend\ncoordinate-system\n"
    "answer spid ok L=55 D=34 Z=2 positions=4 x0=40 z0=30 tool1=\"Резец\" model1=roughing_tool.rdp\nplan-data\n"
    "answer turn ok name=\"Первая\" tool=1 work=2-3 allowance=0.5\ncreate 1\n"
    "answer turn ok name=\"Вторая\" tool=1 work=2-3 allowance=0.5\ncreate 1\n";

class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    fs::path previous_;
};

class ScriptTreeTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        const fs::path source = fs::path(test::FixturePath("")) / ".." / "..";
        fs::create_directories(folder.Path() / "POSTPROCESSORS");
        fs::copy_file(source / "POSTPROCESSORS" / "ISO_Lathe.py3", folder.Path() / "POSTPROCESSORS" / "ISO_Lathe.py3");
        working = std::make_unique<WorkingFolder>(folder.Path());
        ToolModelText::Convert((source / "examples" / "tools" / "roughing_tool.txt").string(), "roughing_tool.rdp");
        std::ofstream("shaft.profile") << kProfile;
        std::ofstream("make.zsc") << kMakePart;
        testing::internal::CaptureStdout();
        const int made = Run({"zarvento", "run", "--new", "part.rdp", "make.zsc"});
        const std::string out = testing::internal::GetCapturedStdout();
        // The second operation may report that the first left it nothing
        // to cut; both are in the plan.
        ASSERT_TRUE(made == kExitOk || made == kExitCommandFailed) << out;
        ASSERT_TRUE(Has(out, "0: type 1 \"Первая\"\n1: type 1 \"Вторая\"")) << out;
    }
    void TearDown() override {
        working.reset();
        SetModuleDirectory(std::nullopt);
        CleanStateTest::TearDown();
    }
    // A run of the program; each run ends the host's state, the installed
    // tree control with it, so it is installed again first (unless the run
    // is to go without it).
    static int Run(std::vector<std::string> args, bool withTreeControl = true) {
        if (withTreeControl) test::RegisterTreeControl(ZARVENTO_TREE_CONTROL_MODULE);
        // The library in the host's list, as the program loads it.
        HostLibraries::Instance().Add(HostLibraryEntry{LibraryTitle(), "entry text", &LIBRARYENTRY});
        SetModuleDirectory(fs::current_path());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        return RunScript(static_cast<int>(argv.size()), argv.data());
    }
    static std::string Script(const std::string& text, int& status, bool withTreeControl = true,
                              const std::string& option = "--no-save") {
        std::ofstream("script.zsc") << text;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        status = Run({"zarvento", "run", option, "part.rdp", "script.zsc"}, withTreeControl);
        std::string out = testing::internal::GetCapturedStdout();
        return out + testing::internal::GetCapturedStderr();
    }
    static bool Has(const std::string& out, const std::string& text) { return out.find(text) != std::string::npos; }
    // The printed line of the tree that starts with `start`.
    static std::string Line(const std::string& out, const std::string& start) {
        const std::size_t at = out.find("\n" + start);
        if (at == std::string::npos) return {};
        return out.substr(at + 1, out.find('\n', at + 1) - at - 1);
    }

    test::TempDir folder;
    std::unique_ptr<WorkingFolder> working;
};

TEST_F(ScriptTreeTest, ClickMenuAndEventActAsTheUserAndTheHost) {
    int status = 0;
    const std::string out = Script("tree click Первая\ntree menu 1.3 507\nevent frame-busy\n", status);
    EXPECT_NE(status, kExitUsage) << out;
    // The first operation went down: the plan and the tree say so, the moved
    // item selected.
    EXPECT_TRUE(Has(out, "0: type 1 \"Вторая\"")) << out;
    EXPECT_TRUE(Has(out, "1: type 1 \"Первая\"")) << out;
    const std::string moved = Line(out, "  Первая  [image ");
    EXPECT_TRUE(moved.ends_with(", role 3, selected]")) << out;
    EXPECT_TRUE(Has(out, "== plan tree\nПлан токарной обработки  [image 0 10550, role 1000]\n")) << out;
    EXPECT_TRUE(Has(out, "  Система ЧПУ  [image 1 10230, role 0]\n")) << out;
    // The library subscribes to a document's window at its first menu
    // command; this run sent none.
    EXPECT_TRUE(Has(out, "event frame-busy: true (0 sinks of its kind)\n")) << out;
}

TEST_F(ScriptTreeTest, StatementsThatCannotBeRunNameTheirLine) {
    struct Case {
        const char* script;
        int status;
        const char* said;
    };
    for (const Case& c :
         {Case{"tree click Нет\n", kExitUsage, "line 1: the plan tree has no item \"Нет\""},
          Case{"tree menu 1 x\n", kExitUsage, "line 1: a menu command id is a positive number"},
          Case{"tree push 1\n", kExitUsage, "line 1: tree click <item> or tree menu"},
          Case{"event explode\n", kExitUsage, "line 1: no host event \"explode\""},
          Case{"tree menu 1.9 560\n", kExitUsage, "line 1: the plan tree has no item \"1.9\""},
          // A command the library has not ran as done.
          Case{"command 2147483647 2147483647 2147483647\n", kExitUsage,
               "line 1: no command of the library has the action 2147483647"},
          Case{"command -1 4 0\n", kExitUsage, "line 1: no command of the library has the action 4"},
          Case{"menu 12\n", kExitUsage, "line 1: no menu command of the library has the id 12"},
          Case{"menu 99999\n", kExitUsage, "line 1: no menu command of the library has the id 99999"}}) {
        int status = 0;
        const std::string out = Script(c.script, status);
        EXPECT_EQ(status, c.status) << c.script << out;
        EXPECT_TRUE(Has(out, c.said)) << c.script << out;
    }
}

// A plan shown without its tree control (never registered, or its entry
// stale) is no run to check the plan by: the run says so on the standard
// error, naming the command that registers the control, and fails. A run
// that leaves the tree out needs none.
TEST_F(ScriptTreeTest, ARunWithoutTheTreeControlSaysSoAndFails) {
    int status = 0;
    std::string out = Script("synchronize\n", status, false);
    EXPECT_EQ(status, kExitCommandFailed) << out;
    EXPECT_TRUE(Has(out, "message: Не обнаружен компонент Tindral.ocx\n")) << out;
    EXPECT_TRUE(Has(out,
                    "zarvento: the plan tree cannot be shown: its control \"Tindral.TreeDlgCtrl.1\" is not "
                    "registered in the host's registry "))
        << out;
    EXPECT_TRUE(Has(out, "; register Pelmora's control with: ")) << out;
    EXPECT_TRUE(Has(out, "pelmora register\n")) << out;

    out = Script("synchronize\n", status, false, "--no-tree");
    EXPECT_EQ(status, kExitOk) << out;
    EXPECT_FALSE(Has(out, "== plan tree")) << out;
    EXPECT_FALSE(Has(out, "the plan tree cannot be shown")) << out;
    // With the control the tree is shown and the run ends well.
    out = Script("synchronize\n", status);
    EXPECT_EQ(status, kExitOk) << out;
    EXPECT_TRUE(Has(out, "== plan tree\nПлан токарной обработки  [image 0 10550, role 1000]\n")) << out;
}

// An operation the script made or edited that ends with a message (a warning
// too: either leaves it without its moves) is listed after the run's summary
// by its index, name and message, and fails the run; the plan read again from
// the document keeps it by its place. Operations the script did not touch are
// not its failures.
TEST_F(ScriptTreeTest, OperationsTheScriptLeavesWithAMessageAreListedAndFailTheRun) {
    constexpr const char* kNoDepth = "tool=1 work=2-3 allowance=0.5 output=cycle cycle._DEPTH=0";
    constexpr const char* kWarning =
        "ends with a message: Предупреждение: Не заданы обязательные параметры цикла G71: _DEPTH ";
    struct Case {
        const char* name;
        std::string script;
        std::string listed;  // empty: none, and the run ends well
    };
    const Case cases[] = {
        {"created", std::string("answer turn ok name=Третья ") + kNoDepth + "\ncreate 1 0\n",
         "== operation 0 \"Третья\" " + std::string(kWarning)},
        {"created, then the plan read again",
         std::string("answer turn ok name=Третья ") + kNoDepth + "\ncreate 1 0\nsynchronize\n",
         "== operation 0 \"Третья\" " + std::string(kWarning)},
        {"edited", std::string("answer turn ok ") + kNoDepth + "\nedit 0\n",
         "== operation 0 \"Первая\" " + std::string(kWarning)},
        {"untouched", "synchronize\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int status = 0;
        const std::string out = Script(c.script, status);
        if (c.listed.empty()) {
            EXPECT_EQ(status, kExitOk) << out;
            EXPECT_FALSE(Has(out, "== operation ")) << out;
            continue;
        }
        EXPECT_EQ(status, kExitCommandFailed) << out;
        EXPECT_TRUE(Has(out, " commands, 0 failed, 0 modal brackets open\n" + c.listed)) << out;
        EXPECT_TRUE(Has(out, "zarvento: 1 operation the script made or edited ends with a message (listed last)\n"))
            << out;
    }
}

}  // namespace
}  // namespace zarvento::app
