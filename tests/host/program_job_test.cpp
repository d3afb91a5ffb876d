// The main job as the program runs it: a part made and planned by scripts,
// The main job as the program runs it: a part made and planned by scripts,
// then "zarvento program". A program is written, and the job ends well, only
// when every operation that is not excluded has its moves in it: an
// operation left without them by any message (a warning too), or a path that
// as written cuts into the part, is refused with the operation's message, its
// working contour and exit code 1, and no program is written (nor an older
// one replaced). The runs that make a part from a STEP file: the import's
// refusals end the run with their own exit code, a section that fails fails
// the run, and the section's listing shows every unit.
#include "host/program_job.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalogs/tool_model_text.h"
#include "host/script_run.h"
#include "operations/path_clearance.h"
#include "operations/turn.h"
#include "platform/processes/module.h"
#include "test_parts.h"
#include "test_support.h"

namespace zarvento::app {
namespace {

namespace fs = std::filesystem;

// A shaft of radius 10 to z = -30 and 15 on to z = -50, roughed along Z with
// 0.5 left on it; the same with a groove 5 wide and 2 deep at z = -20 (units
// 3 to 5 of its section).
constexpr const char* kProfile =
    "LineSeg( 0,0, 0,-10, 1 );\nLineSeg( 0,-10, -30,-10, 1 );\nLineSeg( -30,-10, -30,-15, 1 );\n"
    "LineSeg( -30,-15, -50,-15, 1 );\nLineSeg( -50,-15, -50,0, 1 );\n";
constexpr const char* kGrooved =
    "LineSeg( 0,0, 0,-10, 1 );\nLineSeg( 0,-10, -20,-10, 1 );\nLineSeg( -20,-10, -20,-8, 1 );\n"
    "LineSeg( -20,-8, -25,-8, 1 );\nLineSeg( -25,-8, -25,-10, 1 );\nLineSeg( -25,-10, -30,-10, 1 );\n"
    "LineSeg( -30,-10, -30,-15, 1 );\nLineSeg( -30,-15, -50,-15, 1 );\nLineSeg( -50,-15, -50,0, 1 );\n";
// The part of a profile, its coordinate system, bar and two tools.
std::string MakePart(const std::string& profile) {
    return "lsc \"ЛСК-1\"\nprofile " + profile +
           "\n"
           "panel lsc\n pick ЛСК-1\n set \"Система ЧПУ (постпроцессор)\" ISO_Lathe\n ok\nend\ncoordinate-system\n"
           "answer spid ok L=55 D=34 Z=2 positions=4 x0=40 z0=30 tool1=\"Резец\" model1=roughing_tool.rdp "
           "tool2=\"Канавочный\" model2=grooving_tool.rdp\nplan-data\n";
}
constexpr const char* kPlan =
    "answer turn ok name=\"Черновая\" tool=1 work=2-3 allowance=0.5 cycle.P3=1 cycle.I=2 feed=TOOL.FEED1 "
    "spin=TOOL.SPIN\ncreate 1\n";

// The folder the program runs in for a test's life.
class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    fs::path previous_;
};

// A command of the program, run in the folder's set-up: every command ends
// by resetting the process state, the program's folder and the installed
// tree control among it.
int Command(std::vector<std::string> args, int (*command)(int, char**)) {
    test::RegisterTreeControl(ZARVENTO_TREE_CONTROL_MODULE);
    SetModuleDirectory(fs::current_path());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    return command(static_cast<int>(argv.size()), argv.data());
}

// Moves every feed move of the roughing 1 mm towards the axis, into the part.
void PushFeedsIntoThePart(CTurn& op) {
    if (op.kind != kTurnMnogoProhod) return;
    for (const auto& frame : op.Frames())
        if (!frame->rapid) frame->Move(1.0, 0.0, 0.0);
}

// Moves the whole roughing 3 mm away from the axis: its passes stop short
// of the working contour and leave more than one cut on it, but nothing
// they do cuts in.
void LiftTheRoughingOffThePart(CTurn& op) {
    if (op.kind != kTurnMnogoProhod) return;
    for (const auto& frame : op.Frames()) frame->Move(-3.0, 0.0, 0.0);
}

// Runs of the program in a folder of their own, with the installed ISO_Lathe.
class RunFolderTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        fs::create_directories(folder.Path() / "POSTPROCESSORS");
        fs::copy_file(source / "POSTPROCESSORS" / "ISO_Lathe.py3", folder.Path() / "POSTPROCESSORS" / "ISO_Lathe.py3");
        working = std::make_unique<WorkingFolder>(folder.Path());
    }
    void TearDown() override {
        working.reset();
        SetModuleDirectory(std::nullopt);
        CleanStateTest::TearDown();
    }

    const fs::path source = fs::path(test::FixturePath("")) / ".." / "..";
    test::TempDir folder;
    std::unique_ptr<WorkingFolder> working;
};

class ProgramJobTest : public RunFolderTest {
protected:
    void SetUp() override {
        RunFolderTest::SetUp();
        for (const char* tool : {"roughing_tool", "grooving_tool"})
            ToolModelText::Convert((source / "examples" / "tools" / (std::string(tool) + ".txt")).string(),
                                   std::string(tool) + ".rdp");
        const std::string make = MakePart("shaft.profile");
        for (const auto& [name, text] : {std::pair{"shaft.profile", kProfile}, std::pair{"grooved.profile", kGrooved},
                                         std::pair{"make.zsc", make.c_str()}, std::pair{"plan.zsc", kPlan}})
            std::ofstream(name) << text;
        testing::internal::CaptureStdout();
        ASSERT_EQ(Command({"zarvento", "run", "--new", "part.rdp", "make.zsc"}, RunScript), kExitOk);
        ASSERT_EQ(Command({"zarvento", "run", "part.rdp", "plan.zsc"}, RunScript), kExitOk);
        testing::internal::GetCapturedStdout();
    }
    void TearDown() override {
        SetPathTamper(nullptr);
        RunFolderTest::TearDown();
    }
};

TEST_F(ProgramJobTest, APathIntoThePartIsRefusedAndNoProgramWritten) {
    testing::internal::CaptureStderr();
    const int made = Command({"zarvento", "program", "part.rdp", "-o", "good.nc"}, RunProgramJob);
    const std::string clean = testing::internal::GetCapturedStderr();
    EXPECT_EQ(made, kExitOk) << clean;
    EXPECT_TRUE(fs::exists("good.nc"));

    SetPathTamper(PushFeedsIntoThePart);
    testing::internal::CaptureStderr();
    EXPECT_EQ(Command({"zarvento", "program", "part.rdp", "-o", "bad.nc"}, RunProgramJob), kExitCommandFailed);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("operation 0 \"Черновая\": Ошибка:\nТраектория врезается в деталь на "), std::string::npos)
        << err;
    // What the user can change: the operation's working contour.
    EXPECT_NE(err.find(" (its working contour: units 2-3 of the part's section, work=2-3)\n"), std::string::npos)
        << err;
    EXPECT_NE(err.find("no program is written"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists("bad.nc"));
}

// A roughing whose passes stop short of its working contour (here lifted
// off it, as dense profiles of 95,000 segments and more once made it with
// exit 0) is no program: refused with the place and what is left there.
TEST_F(ProgramJobTest, ARoughingThatStopsShortOfItsContourIsRefused) {
    SetPathTamper(LiftTheRoughingOffThePart);
    testing::internal::CaptureStderr();
    EXPECT_EQ(Command({"zarvento", "program", "part.rdp", "-o", "short.nc"}, RunProgramJob), kExitCommandFailed);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("operation 0 \"Черновая\": Ошибка:\nПроходы не доходят до рабочего контура: у точки Z"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("no program is written"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists("short.nc"));
}

// Plans whose operation is left without its moves by a message once made
// a program without them and ended well: a groove wider than its blade,
// machine-cycle parameters that do not evaluate or are missing
// (warnings), a depth of cut "1/0" that wrote "G71 U0" without a word, and a
// refused roughing that still left its file. Each fails the job, names the
// operation and its message, and leaves the older program as it was.
TEST_F(ProgramJobTest, AnOperationWithoutItsMovesFailsTheJobAndWritesNoProgram) {
    struct Case {
        const char* name;
        bool grooved;  // the part with a groove
        const char* plan;
        const char* message;
    } cases[] = {
        {"a groove wider than its blade", true,
         "answer turn ok name=\"Канавка\" tool=2 work=3-5 feed=TOOL.FEED1 spin=TOOL.SPIN\ncreate 3\n",
         "operation 0 \"Канавка\": Ошибка:\nШирина резца меньше ширины канавки"},
        {"a cycle parameter that reaches itself", false, "output=cycle cycle._DEPTH=_DEPTH+1",
         "operation 0 \"Черновая\": Ошибка:\nПараметр цикла G71 _DEPTH = _DEPTH+1 не вычисляется: Циклическая"},
        {"a cycle parameter of an unknown name", false, "output=cycle cycle._DEPTH=nosuch",
         "operation 0 \"Черновая\": Ошибка:\nПараметр цикла G71 _DEPTH = nosuch не вычисляется"},
        {"a depth of cut of 0", false, "output=cycle cycle._DEPTH=0",
         "operation 0 \"Черновая\": Предупреждение\nНе заданы обязательные параметры цикла G71:\n_DEPTH"},
        {"a negative depth of cut", false, "output=cycle cycle._DEPTH=-1",
         "operation 0 \"Черновая\": Предупреждение\nНе заданы обязательные параметры цикла G71:\n_DEPTH"},
        {"a depth of cut that divides by zero", false, "output=cycle cycle._DEPTH=1/0",
         "operation 0 \"Черновая\": Ошибка:\nПараметр цикла G71 _DEPTH = 1/0 не вычисляется: деление на ноль"},
        {"a refused roughing", false, "cycle.I=0", "operation 0 \"Черновая\": Ошибка:\n"},
    };
    std::ofstream("old.nc") << "older program\n";
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string part = "case" + std::to_string(++n) + ".rdp";
        std::ofstream("case.zsc") << MakePart(c.grooved ? "grooved.profile" : "shaft.profile");
        std::ofstream("case-plan.zsc") << (c.plan[0] == 'a'
                                               ? std::string(c.plan)
                                               : "answer turn ok name=\"Черновая\" tool=1 work=2-3 allowance=0.5 " +
                                                     std::string(c.plan) +
                                                     " feed=TOOL.FEED1 spin=TOOL.SPIN\ncreate 1\n");
        testing::internal::CaptureStdout();
        ASSERT_EQ(Command({"zarvento", "run", "--new", part, "case.zsc"}, RunScript), kExitOk);
        Command({"zarvento", "run", part, "case-plan.zsc"}, RunScript);
        testing::internal::GetCapturedStdout();
        testing::internal::CaptureStderr();
        const int exit = Command({"zarvento", "program", part, "-o", "old.nc"}, RunProgramJob);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(exit, kExitCommandFailed) << err;
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_NE(err.find("no program is written"), std::string::npos) << err;
        std::ifstream old("old.nc");
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "older program\n");
    }
}

// What is judged is the program as written, not the path computed: a
// description that prints X to a tenth writes a finishing pass on a
// diameter of 20.04 as X20, 0.02 into the part, and the program is refused
// though the path itself keeps to the part.
TEST_F(ProgramJobTest, AProgramThatAsWrittenCutsIntoThePartIsRefused) {
    std::ifstream lathe("POSTPROCESSORS/ISO_Lathe.py3");
    std::string description(std::istreambuf_iterator<char>(lathe), {});
    const std::string fine = "%m=%6.3m";
    ASSERT_NE(description.find(fine), std::string::npos);
    description.replace(description.find(fine), fine.size(), "%m=%6.1m");
    std::ofstream("POSTPROCESSORS/ISO_Coarse.py3") << description;
    std::ofstream("thin.profile") << "LineSeg( 0,0, 0,-10.02, 1 );\nLineSeg( 0,-10.02, -30,-10.02, 1 );\n"
                                     "LineSeg( -30,-10.02, -30,-15, 1 );\nLineSeg( -30,-15, -50,-15, 1 );\n"
                                     "LineSeg( -50,-15, -50,0, 1 );\n";
    const std::string finish =
        "answer turn ok name=\"Чистовая\" tool=1 work=2-2 direction=along feed=TOOL.FEED1 spin=TOOL.SPIN\n"
        "create 2\n";
    for (const char* post : {"ISO_Lathe", "ISO_Coarse"}) {
        SCOPED_TRACE(post);
        std::string make = MakePart("thin.profile");
        make.replace(make.find("ISO_Lathe"), 9, post);
        std::ofstream("thin.zsc") << make;
        std::ofstream("thin-plan.zsc") << finish;
        const std::string part = std::string(post) + ".rdp", program = std::string(post) + ".nc";
        testing::internal::CaptureStdout();
        ASSERT_EQ(Command({"zarvento", "run", "--new", part, "thin.zsc"}, RunScript), kExitOk);
        ASSERT_EQ(Command({"zarvento", "run", part, "thin-plan.zsc"}, RunScript), kExitOk);
        testing::internal::GetCapturedStdout();
        testing::internal::CaptureStderr();
        const int exit = Command({"zarvento", "program", part, "-o", program}, RunProgramJob);
        const std::string err = testing::internal::GetCapturedStderr();
        if (std::string(post) == "ISO_Lathe") {
            EXPECT_EQ(exit, kExitOk) << err;
            EXPECT_TRUE(fs::exists(program));
        } else {
            EXPECT_EQ(exit, kExitCommandFailed) << err;
            EXPECT_NE(err.find("operation 0 \"Чистовая\": Ошибка:\nТраектория врезается в деталь на 0.02"),
                      std::string::npos)
                << err;
            EXPECT_NE(err.find("D20.000 (N9 G01 Z-30"), std::string::npos) << err;
            EXPECT_FALSE(fs::exists(program));
        }
    }
}

// "-o link.nc", a link into the machine's shared folder, once became a file
// of its own while the machine kept the old program; a protected program
// read "cannot write out.nc: cannot write ...".
TEST_F(ProgramJobTest, TheProgramGoesWhereALinkLeadsAndARefusalSaysItOnce) {
    fs::create_directory("machine");
    std::ofstream("machine/part.nc") << "old program";
    fs::create_symlink("machine/part.nc", "link.nc");
    testing::internal::CaptureStderr();
    const int made = Command({"zarvento", "program", "part.rdp", "-o", "link.nc"}, RunProgramJob);
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_EQ(made, kExitOk) << err;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status("link.nc")));
    std::ifstream program("machine/part.nc");
    std::string first;
    std::getline(program, first);
    EXPECT_NE(first, "old program");
    EXPECT_FALSE(first.empty());

    fs::permissions("machine/part.nc", fs::perms::owner_read);
    testing::internal::CaptureStderr();
    EXPECT_EQ(Command({"zarvento", "program", "part.rdp", "-o", "link.nc"}, RunProgramJob), kExitCommandFailed);
    const std::string refused = testing::internal::GetCapturedStderr();
    EXPECT_NE(refused.find("zarvento: cannot write the NC program: \""), std::string::npos) << refused;
    EXPECT_NE(refused.find("machine/part.nc\" is write-protected and is left as it is"), std::string::npos) << refused;
}

// A contour pass after roughing that bridged over a pocket meets the pocket
// whole: the main job says so on a line of its own, naming the operation,
// the place and the depth, and still writes the program with the pass in it.
TEST_F(ProgramJobTest, AFinishingPassMeetingMoreThanOneCutIsReportedAndWritten) {
    std::ofstream("pocket.profile") << "LineSeg( 0,0, 0,-15, 1 );\nLineSeg( 0,-15, -10,-15, 1 );\n"
                                       "LineSeg( -10,-15, -10,-11, 1 );\nLineSeg( -10,-11, -25,-11, 1 );\n"
                                       "LineSeg( -25,-11, -25,-15, 1 );\nLineSeg( -25,-15, -40,-15, 1 );\n"
                                       "LineSeg( -40,-15, -40,0, 1 );\n";
    std::ofstream("pocket.zsc")
        << "lsc \"ЛСК-1\"\nprofile pocket.profile\n"
           "panel lsc\n pick ЛСК-1\n set \"Система ЧПУ (постпроцессор)\" ISO_Lathe\n ok\nend\ncoordinate-system\n"
           "answer spid ok L=60 D=40 Z=2 positions=4 x0=40 z0=30 tool1=\"Черновой\" model1=roughing_tool.rdp "
           "tool2=\"Чистовой\" model2=roughing_tool.rdp\nplan-data\n"
           "answer turn ok name=\"Черновая\" tool=1 work=2-6 allowance=0.5\ncreate 1\n"
           "answer turn ok name=\"Чистовая\" tool=2 work=2-6\ncreate 2\n";
    testing::internal::CaptureStdout();
    ASSERT_EQ(Command({"zarvento", "run", "--new", "pocket.rdp", "pocket.zsc"}, RunScript), kExitOk);
    testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int made = Command({"zarvento", "program", "pocket.rdp", "-o", "pocket.nc"}, RunProgramJob);
    const std::string err = testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(made, kExitOk) << err;
    EXPECT_NE(err.find("engagement: operation 1 \"Чистовая\": the finishing pass meets 4.500 mm of stock at Z-"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find(", more than the 1.500 mm depth of cut of operation 0 \"Черновая\"\n"), std::string::npos)
        << err;
    EXPECT_EQ(err.find("engagement: operation 0"), std::string::npos) << err;
    ASSERT_TRUE(fs::exists("pocket.nc"));
    std::ifstream written("pocket.nc");
    const std::string program((std::istreambuf_iterator<char>(written)), std::istreambuf_iterator<char>());
    EXPECT_NE(program.find("T0202"), std::string::npos) << "the finishing pass is in the program";
}

class PartImportRunTest : public RunFolderTest {
protected:
    // zarvento run --new part.rdp on the script; its exit code, what it printed.
    int Run(const std::string& script, std::string& out, std::string& err) {
        std::ofstream("run.zsc") << script;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int code = Command({"zarvento", "run", "--new", "--replace", "part.rdp", "run.zsc"}, RunScript);
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
        return code;
    }
};

// A refused import ends the run with exit code 5 (2 stays wrong usage) and
// the reason; the document is not saved.
TEST_F(PartImportRunTest, ARefusedImportEndsTheRunWithItsOwnExitCode) {
    std::ofstream("notes.step") << "no STEP here\n";
    std::string out, err;
    for (const char* line : {"step notes.step", "step missing.step", "step /dev/null"}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(Run(std::string(line) + "\n", out, err), kExitImport);
        EXPECT_NE(err.find("run.zsc, line 1: cannot import"), std::string::npos) << err;
        EXPECT_FALSE(fs::exists("part.rdp"));
    }
    EXPECT_EQ(Run("step a.step b c\n", out, err), kExitUsage);
}

// A part lying along X under a system along Z has no face of rotation about
// Z: the section fails, and so does the run that set the system.
TEST_F(PartImportRunTest, ASectionThatFailsFailsTheRun) {
    RevolutionAxis alongX;
    alongX.direction = {1, 0, 0};
    alongX.radial = {0, 1, 0};
    test::SteppedShaft(alongX).WriteStep("shaft.step", "Вал");
    std::string out, err;
    const std::string make = "step shaft.step\npanel lsc\n pick ЛСК-1\n ok\nend\ncoordinate-system\n";
    EXPECT_EQ(Run("lsc ЛСК-1\n" + make, out, err), kExitCommandFailed) << out << err;
    EXPECT_NE(out.find("Деталь не содержит поверхностей вращения, совпадающих с осью Z ЛСК"), std::string::npos) << out;
    EXPECT_NE(out.find("== 1 commands, 1 failed (line 7)"), std::string::npos) << out;
    // The system along the part's axis takes it.
    EXPECT_EQ(Run("lsc ЛСК-1 0 0 0 1 0 0\n" + make, out, err), kExitOk) << out << err;
}

// A unit of a curve that is neither a line nor an arc (a turned spline's)
// is listed by its ends, in diameters, and its surface.
TEST_F(PartImportRunTest, TheSectionListsSplineUnitsByTheirEndsAndSurface) {
    test::TurnedSpline().WriteStep("spline.step", "Веретено");
    std::string out, err;
    ASSERT_EQ(Run("lsc ЛСК-1\nstep spline.step\npanel lsc\n pick ЛСК-1\n ok\nend\ncoordinate-system\n", out, err),
              kExitOk)
        << out << err;
    EXPECT_NE(out.find("\n2: curve Z40 D20 to Z0 D20, NURBS, "), std::string::npos) << out;
    EXPECT_NE(out.find(" chords\n3: line Z0 D20 to Z0 D"), std::string::npos) << out;
}

}  // namespace
}  // namespace zarvento::app
