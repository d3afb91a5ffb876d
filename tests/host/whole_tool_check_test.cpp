// The main job and the simulation judge a plan with one tool: its outline
// from its model, the insert's edges and holder as well as its nose. A
// shaft's finishing contour (after roughing) given the catalog's boring bar
// keeps the nose on the part while the insert, which reaches from the nose
// towards the axis, runs through it: "zarvento program" refuses it naming
// the operation, the insert's edge and the block, and "simulate --check"
// fails on the same plan; the catalog's turning tool on the same contour is
// written and simulated clean.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bundled_catalog.h"
#include "host/program_job.h"
#include "host/script_run.h"
#include "host/simulation_job.h"
#include "host_test_support.h"
#include "platform/processes/module.h"

namespace zarvento::app {
namespace {

namespace fs = std::filesystem;

// A shaft of radius 20 to z = -30 and 25 on to z = -100 in a bar of 54; the
// catalog's turning tool (its tree row 13) at position 1 and its boring bar
// (row 15) at position 2.
constexpr const char* kProfile =
    "LineSeg( 0,0, 0,-20, 1 );\nLineSeg( 0,-20, -30,-20, 1 );\nLineSeg( -30,-20, -30,-25, 1 );\n"
    "LineSeg( -30,-25, -100,-25, 1 );\nLineSeg( -100,-25, -100,0, 1 );\n";
constexpr const char* kMake =
    "lsc \"ЛСК-1\"\nprofile shaft.profile\n"
    "panel lsc\n pick ЛСК-1\n set \"Система ЧПУ (постпроцессор)\" ISO_Lathe\n ok\nend\ncoordinate-system\n"
    "answer spid ok L=105 D=54 Z=2 positions=2 x0=40 z0=30\nplan-data\n"
    "answer spid ok catalog=1\ndialog catalog\n  select 100 13\n  ok\nend\nplan-data\n"
    "answer spid ok catalog=2\ndialog catalog\n  select 100 15\n  ok\nend\nplan-data\n";

class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    fs::path previous_;
};

// A command of the program, run in the folder, which is the program's own:
// the catalog and the description lie there.
int Command(std::vector<std::string> args, int (*command)(int, char**)) {
    SetModuleDirectory(fs::current_path());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    return command(static_cast<int>(argv.size()), argv.data());
}

// The simulation's commands run on the host the library is connected to.
class WholeToolCheckTest : public test::HostBindingTest {
protected:
    void SetUp() override {
        HostBindingTest::SetUp();
        const fs::path source = fs::path(test::FixturePath("")) / ".." / "..";
        fs::create_directories(folder.Path() / "POSTPROCESSORS");
        fs::copy_file(source / "POSTPROCESSORS" / "ISO_Lathe.py3", folder.Path() / "POSTPROCESSORS" / "ISO_Lathe.py3");
        test::InstallBundledCatalog(source / "catalog", folder.Path());
        working = std::make_unique<WorkingFolder>(folder.Path());
    }
    void TearDown() override {
        working.reset();
        SetModuleDirectory(std::nullopt);
        HostBindingTest::TearDown();
    }

    // The part roughed by the turning tool, 0.5 left, and finished by a
    // contour pass of the tool at the position.
    void MakePlan(const std::string& part, int tool) {
        std::ofstream("shaft.profile") << kProfile;
        std::ofstream("make.zsc") << kMake;
        std::ofstream("plan.zsc") << "answer turn ok name=\"Черновая\" tool=1 work=2-3 allowance=0.5\ncreate 1\n"
                                  << "answer turn ok name=\"Чистовая\" tool=" << tool
                                  << " work=2-3 direction=along feed=0.1 spin=1000\ncreate 2\n";
        testing::internal::CaptureStdout();
        ASSERT_EQ(Command({"zarvento", "run", "--new", part, "make.zsc"}, RunScript), kExitOk);
        ASSERT_EQ(Command({"zarvento", "run", part, "plan.zsc"}, RunScript), kExitOk);
        testing::internal::GetCapturedStdout();
    }

    struct Run {
        int exit = 0;
        std::string out, err;
    };
    Run Program(const std::string& part, const std::string& program) {
        Run r;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        r.exit = Command({"zarvento", "program", part, "-o", program}, RunProgramJob);
        r.err = testing::internal::GetCapturedStderr();
        r.out = testing::internal::GetCapturedStdout();
        return r;
    }
    Run SimulationCheck(const std::string& part) {
        Connect();
        Run r;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        r.exit = Command({"zarvento", "simulate", part, "--check"}, RunSimulationJob);
        r.err = testing::internal::GetCapturedStderr();
        r.out = testing::internal::GetCapturedStdout();
        return r;
    }

    std::unique_ptr<WorkingFolder> working;
};

TEST_F(WholeToolCheckTest, ABoringBarOnAnOutsideContourIsRefusedWhereTheSimulationFails) {
    MakePlan("bar.rdp", 2);
    if (HasFailure()) return;
    const Run program = Program("bar.rdp", "bar.nc");
    EXPECT_EQ(program.exit, kExitCommandFailed) << program.err;
    EXPECT_NE(program.err.find("operation 1 \"Чистовая\": Ошибка:\nТраектория врезается в деталь на "),
              std::string::npos)
        << program.err;
    EXPECT_NE(program.err.find(" мм режущей кромкой: перемещение из Z"), std::string::npos) << program.err;
    EXPECT_NE(program.err.find(" (N"), std::string::npos) << "the block as written: " << program.err;
    EXPECT_NE(program.err.find("no program is written"), std::string::npos) << program.err;
    EXPECT_FALSE(fs::exists("bar.nc"));

    const Run simulation = SimulationCheck("bar.rdp");
    EXPECT_EQ(simulation.exit, kExitCommandFailed) << simulation.out << simulation.err;
    EXPECT_NE(simulation.out.find(" cut into the part"), std::string::npos) << simulation.out << simulation.err;

    // The turning tool on the same contour: both let it pass.
    MakePlan("turning.rdp", 1);
    if (HasFailure()) return;
    const Run turning = Program("turning.rdp", "turning.nc");
    EXPECT_EQ(turning.exit, kExitOk) << turning.err;
    EXPECT_TRUE(fs::exists("turning.nc"));
    const Run clean = SimulationCheck("turning.rdp");
    EXPECT_EQ(clean.exit, kExitOk) << clean.out << clean.err;
    EXPECT_EQ(clean.out.find(" cut into the part"), std::string::npos) << clean.out;
}

}  // namespace
}  // namespace zarvento::app
