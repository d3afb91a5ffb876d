// The main job as the program runs it: a part made and planned by scripts,
// then "zarvento program"; a path spoiled through the test seam after it is
// built is refused, with a message and exit code 1, and no program is written.
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
#include "platform/module.h"
#include "test_support.h"

namespace zarvento::app {
namespace {

namespace fs = std::filesystem;

// A shaft of radius 10 to z = -30 and 15 on to z = -50, roughed along Z with
// 0.5 left on it.
constexpr const char* kProfile =
    "LineSeg( 0,0, 0,-10, 1 );\nLineSeg( 0,-10, -30,-10, 1 );\nLineSeg( -30,-10, -30,-15, 1 );\n"
    "LineSeg( -30,-15, -50,-15, 1 );\nLineSeg( -50,-15, -50,0, 1 );\n";
constexpr const char* kMakePart =
    "lsc \"ЛСК-1\"\nprofile shaft.profile\n"
    "panel lsc\n pick ЛСК-1\n set \"Система ЧПУ (постпроцессор)\" ISO_Lathe\n ok\nend\ncoordinate-system\n"
    "answer spid ok L=55 D=34 Z=2 positions=4 x0=40 z0=30 tool1=\"Резец\" model1=roughing_tool.rdp\nplan-data\n";
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
// by resetting the process state, the program's folder among it.
int Command(std::vector<std::string> args, int (*command)(int, char**)) {
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

class ProgramJobTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        const fs::path source = fs::path(test::FixturePath("")) / ".." / "..";
        fs::create_directories(folder.Path() / "POSTPROCESSORS");
        fs::copy_file(source / "POSTPROCESSORS" / "ISO_Lathe.py3", folder.Path() / "POSTPROCESSORS" / "ISO_Lathe.py3");
        working = std::make_unique<WorkingFolder>(folder.Path());
        ToolModelText::Convert((source / "examples" / "tools" / "roughing_tool.txt").string(), "roughing_tool.rdp");
        for (const auto& [name, text] :
             {std::pair{"shaft.profile", kProfile}, std::pair{"make.zsc", kMakePart}, std::pair{"plan.zsc", kPlan}})
            std::ofstream(name) << text;
        testing::internal::CaptureStdout();
        ASSERT_EQ(Command({"zarvento", "run", "--new", "part.rdp", "make.zsc"}, RunScript), kExitOk);
        ASSERT_EQ(Command({"zarvento", "run", "part.rdp", "plan.zsc"}, RunScript), kExitOk);
        testing::internal::GetCapturedStdout();
    }
    void TearDown() override {
        SetPathTamper(nullptr);
        working.reset();
        SetModuleDirectory(std::nullopt);
        CleanStateTest::TearDown();
    }

    test::TempDir folder;
    std::unique_ptr<WorkingFolder> working;
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
    EXPECT_NE(err.find("no program is written"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists("bad.nc"));
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

}  // namespace
}  // namespace zarvento::app
