// Every road that writes an NC program judges it alike: the main job
// ("zarvento program"), the program panel's save and the export to TECHPLAN,
// through a post-processor of templates (ISO_Lathe) and one whose script
// makes the program (ISO_Python). A plan is written on every road or on none;
// what is written moves the same; a refused plan leaves an older file as it
// was; and the main job calculates the plan once.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "catalogs/tool_model_text.h"
#include "host/document_jobs.h"
#include "host/program_job.h"
#include "host/script_run.h"
#include "host_test_support.h"
#include "operations/path_clearance.h"
#include "operations/turn.h"
#include "plan/plan.h"
#include "platform/core/code_page.h"
#include "platform/processes/module.h"
#include "post/written_program_reader.h"
#include "test_support.h"

namespace zarvento::app {
namespace {

namespace fs = std::filesystem;

// A shaft of radius 10 to z = -24, a relief of radius 8.2 on to z = -30, and
// radius 15 to z = -50: units 2 (the journal), 3 to 5 (the relief), 6 and 7.
constexpr const char* kProfile =
    "LineSeg( 0,0, 0,-10, 1 );\nLineSeg( 0,-10, -24,-10, 1 );\nLineSeg( -24,-10, -24,-8.2, 1 );\n"
    "LineSeg( -24,-8.2, -30,-8.2, 1 );\nLineSeg( -30,-8.2, -30,-10, 1 );\nLineSeg( -30,-10, -30,-15, 1 );\n"
    "LineSeg( -30,-15, -50,-15, 1 );\nLineSeg( -50,-15, -50,0, 1 );\n";

std::string MakePart(const std::string& post) {
    return "lsc \"ЛСК-1\"\nprofile shaft.profile\npart name=\"Вал\" material=\"Сталь 40Х\" density=7.85\n"
           "panel lsc\n pick ЛСК-1\n set \"Система ЧПУ (постпроцессор)\" " +
           post +
           "\n ok\nend\ncoordinate-system\n"
           "answer spid ok L=55 D=34 Z=2 positions=4 x0=40 z0=30 tool1=\"Черновой\" model1=roughing_tool.rdp "
           "tool2=\"Чистовой\" model2=finishing_tool.rdp\nplan-data\n";
}

constexpr const char* kRoughAndFinish =
    "answer turn ok name=\"Черновая\" tool=1 work=2-6 allowance=0.5 feed=TOOL.FEED1 spin=TOOL.SPIN\ncreate 1\n"
    "answer turn ok name=\"Чистовая\" tool=2 work=2-6 direction=along feed=TOOL.FEED1 spin=TOOL.SPIN\ncreate 2\n";
// The catalog's threading tool 16ER AG60 in position 3, and an M20 x 1.5
// thread in passes along the journal, running out into the relief.
constexpr const char* kThread =
    "answer spid ok catalog=3\ndialog catalog\n  select 100 17\n  ok\nend\nplan-data\n"
    "answer turn ok name=\"Резьба\" tool=3 work=2 pitch=1.5 starts=1 depth=auto spin=600\ncreate 5\n";

// The roughing, then the finishing contour given the catalog's boring bar
// (its tree row 15) at position 3: the nose keeps to the part while the
// insert, reaching from it towards the axis, runs through the shaft.
constexpr const char* kWrongTool =
    "answer turn ok name=\"Черновая\" tool=1 work=2-6 allowance=0.5 feed=TOOL.FEED1 spin=TOOL.SPIN\ncreate 1\n"
    "answer spid ok catalog=3\ndialog catalog\n  select 100 15\n  ok\nend\nplan-data\n"
    "answer turn ok name=\"Чистовая\" tool=3 work=2-6 direction=along feed=0.1 spin=800\ncreate 2\n";

// Moves every feed move of the roughing 1 mm towards the axis, into the part.
void PushFeedsIntoThePart(CTurn& op) {
    if (op.kind != kTurnMnogoProhod) return;
    for (const auto& frame : op.Frames())
        if (!frame->rapid) frame->Move(1.0, 0.0, 0.0);
}

std::vector<std::string> ReadLines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(Cp1251ToUtf8(line));
    }
    return lines;
}

// The moves of a written program as a control runs them, a line each: the
// motion and the end point to the micrometre; moves of no length left out.
std::string MovesOf(const fs::path& file) {
    std::ostringstream out;
    for (const WrittenMove& m : ReadWrittenProgram(ReadLines(file), WrittenProgramFormat{})) {
        if (std::hypot(m.z2 - m.z1, m.x2 - m.x1) < 1e-9 || m.x2 < -500.0 || m.z2 > 500.0) continue;
        out << "G" << m.g << " Z" << std::lround(m.z2 * 1000) << " X" << std::lround(m.x2 * 1000) << "\n";
    }
    return out.str();
}

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ProgramRoadsTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        previous_ = fs::current_path();
        fs::current_path(folder.Path());
        for (const char* dir : {"POSTPROCESSORS", "EXPORT", "TOOLS", "DEVICES"})
            fs::copy(test::kProgramDir / dir, dir, fs::copy_options::recursive);
        const fs::path examples = fs::path(test::FixturePath("")) / ".." / ".." / "examples" / "tools";
        for (const char* tool : {"roughing_tool", "finishing_tool"})
            ToolModelText::Convert((examples / (std::string(tool) + ".txt")).string(), std::string(tool) + ".rdp");
        std::ofstream("shaft.profile") << kProfile;
    }
    void TearDown() override {
        SetPathTamper(nullptr);
        fs::current_path(previous_);
        SetModuleDirectory(std::nullopt);
        CleanStateTest::TearDown();
    }

    // A command of the program, run with this folder as the program's (and
    // the tamper, which the command's end puts back, set again).
    int Command(std::vector<std::string> args, int (*command)(int, char**)) const {
        SetModuleDirectory(fs::current_path());
        SetPathTamper(tamper);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int exit = command(static_cast<int>(argv.size()), argv.data());
        testing::internal::GetCapturedStdout();
        lastErr = testing::internal::GetCapturedStderr();
        return exit;
    }

    // The part planned by the scripts, in its own document.
    void Plan(const std::string& part, const std::string& post, const std::string& plan) {
        std::ofstream("make.zsc") << MakePart(post);
        std::ofstream("plan.zsc") << plan;
        ASSERT_EQ(Command({"zarvento", "run", "--new", part, "make.zsc"}, RunScript), kExitOk) << lastErr;
        ASSERT_EQ(Command({"zarvento", "run", part, "plan.zsc"}, RunScript), kExitOk) << lastErr;
    }

    // The three roads, each into a file of its own that holds an older
    // program: whether each wrote a new one.
    struct Written {
        bool verb = false, panel = false, exported = false;
    };
    Written WriteOnEveryRoad(const std::string& part, const std::string& name) {
        const std::string files[] = {name + "-verb.nc", name + "-panel.nc", name + "/" + name + ".nc"};
        for (const std::string& file : files) {
            fs::create_directories(fs::path(file).parent_path().empty() ? "." : fs::path(file).parent_path());
            std::ofstream(file) << "older program\n";
        }
        Command({"zarvento", "program", part, "-o", name + "-verb.nc"}, RunProgramJob);
        verbErr = lastErr;
        std::ofstream("save.zsc") << "panel program\n  answer save-file ok file=" << name
                                  << "-panel\n  press \"Сохранить в файл\"\n  ok\nend\nprogram\n";
        Command({"zarvento", "run", "--no-save", part, "save.zsc"}, RunScript);
        Command({"zarvento", "export", part, name + ".xml"}, RunExportJob);
        Written w;
        w.verb = ReadAll(name + "-verb.nc") != "older program\n";
        w.panel = ReadAll(name + "-panel.nc") != "older program\n";
        w.exported = ReadAll(name + "/" + name + ".nc") != "older program\n";
        return w;
    }

    test::TempDir folder;
    fs::path previous_;
    PathTamper tamper = nullptr;
    std::string verbErr;  // what the main job said on the last WriteOnEveryRoad
    static inline std::string lastErr;
};

TEST_F(ProgramRoadsTest, EveryRoadGivesOneVerdictAndTheSameMoves) {
    struct Case {
        const char* name;
        std::string plan;
        bool intoThePart;  // the roughing's feeds pushed into the part
        bool written;
        const char* reason;  // what the main job says of a refused plan
    } cases[] = {
        {"clean", kRoughAndFinish, false, true, ""},
        {"thread", std::string(kRoughAndFinish) + kThread, false, true, ""},
        {"cut", kRoughAndFinish, true, false, "operation 0 \"Черновая\": Ошибка:\nТраектория врезается в деталь"},
        {"wrong-tool", kWrongTool, false, false,
         "operation 1 \"Чистовая\": Ошибка:\nТраектория врезается в деталь на "},
    };
    for (const Case& c : cases) {
        std::string moves;
        for (const char* post : {"ISO_Lathe", "ISO_Python"}) {
            SCOPED_TRACE(std::string(c.name) + " " + post);
            const std::string name = std::string(c.name) + "-" + post;
            tamper = c.intoThePart ? PushFeedsIntoThePart : nullptr;
            Plan(name + ".rdp", post, c.plan);
            const Written w = WriteOnEveryRoad(name + ".rdp", name);
            EXPECT_EQ(w.verb, c.written) << lastErr;
            EXPECT_EQ(w.panel, c.written);
            EXPECT_EQ(w.exported, c.written);
            if (!c.written) {
                EXPECT_NE(verbErr.find(c.reason), std::string::npos) << verbErr;
                continue;
            }
            // The panel's save and the export write what the main job writes.
            EXPECT_EQ(ReadAll(name + "-panel.nc"), ReadAll(name + "-verb.nc"));
            EXPECT_EQ(ReadAll(name + "/" + name + ".nc"), ReadAll(name + "-verb.nc"));
            const std::string written = MovesOf(name + "-verb.nc");
            EXPECT_FALSE(written.empty());
            // Both posts drive the machine alike.
            if (moves.empty()) {
                moves = written;
            } else {
                EXPECT_EQ(written, moves);
            }
        }
    }
}

// A script's program is read in the units it is written in and with X as
// its coding writes it: ISO_Python in inches and radii drives the machine as
// in millimetres and diameters, and is judged so (read as millimetres and
// diameters, its thread would cut 0.5 mm short and its passes deep into the
// part).
TEST_F(ProgramRoadsTest, AScriptsProgramIsJudgedInItsUnitsAndCoding) {
    Plan("python.rdp", "ISO_Python", std::string(kRoughAndFinish) + kThread);
    ASSERT_EQ(Command({"zarvento", "program", "python.rdp", "-o", "mm.nc"}, RunProgramJob), kExitOk) << lastErr;
    std::ofstream("units.zsc") << "panel program\n  set \"Единицы измерения\" дюймы\n"
                                  "  set \"Внутренняя кодировка\" ISO-RADIUS\n  ok\nend\nprogram\n";
    ASSERT_EQ(Command({"zarvento", "run", "python.rdp", "units.zsc"}, RunScript), kExitOk) << lastErr;
    ASSERT_EQ(Command({"zarvento", "program", "python.rdp", "-o", "inch.nc"}, RunProgramJob), kExitOk) << lastErr;
    EXPECT_NE(lastErr.find("coding 1, units inch"), std::string::npos) << lastErr;
    WrittenProgramFormat inches;
    inches.xMode = 2;
    inches.scale = 25.40038;
    const std::vector<WrittenMove> mm = ReadWrittenProgram(ReadLines("mm.nc"), {});
    const std::vector<WrittenMove> inch = ReadWrittenProgram(ReadLines("inch.nc"), inches);
    ASSERT_EQ(inch.size(), mm.size());
    for (std::size_t k = 0; k < mm.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(inch[k].g, mm[k].g);
        // A ten-thousandth of an inch against a thousandth of a millimetre.
        EXPECT_NEAR(inch[k].z2, mm[k].z2, 0.004);
        EXPECT_NEAR(inch[k].x2, mm[k].x2, 0.004);
    }
}

// An operation that asks for a machine cycle of a post-processor without
// one is made of elementary moves, and the main job says so once.
TEST_F(ProgramRoadsTest, ACycleThePostProcessorLacksIsNoticedOnce) {
    Plan("cycle.rdp", "ISO_Python",
         "answer turn ok name=\"Черновая\" tool=1 work=2-6 allowance=0.5 output=cycle feed=TOOL.FEED1 "
         "spin=TOOL.SPIN\ncreate 1\n"
         "answer turn ok name=\"Черновая 2\" tool=1 work=2-6 allowance=0.2 output=cycle feed=TOOL.FEED1 "
         "spin=TOOL.SPIN\ncreate 1\n");
    ASSERT_EQ(Command({"zarvento", "program", "cycle.rdp", "-o", "cycle.nc"}, RunProgramJob), kExitOk) << lastErr;
    const std::string notice = "Обработки приняты в элементарных перемещениях";
    const std::size_t at = lastErr.find(notice);
    ASSERT_NE(at, std::string::npos) << lastErr;
    EXPECT_EQ(lastErr.find(notice, at + 1), std::string::npos) << lastErr;
    EXPECT_NE(lastErr.find("ISO_Python не содержит машинного цикла"), std::string::npos) << lastErr;
    EXPECT_EQ(ReadAll("cycle.nc").find("G71"), std::string::npos);
}

// The main job calculates the plan once: the synchronisation's calculation
// is the only whole one. A finishing pass the machine compensates (G42) is
// judged as calculated, then calculated alone without its offset for the
// program and once more with it afterwards, and the program has it as G42.
TEST_F(ProgramRoadsTest, TheMainJobCalculatesThePlanOnce) {
    Plan("once.rdp", "ISO_Lathe", kRoughAndFinish);
    for (const bool compensated : {false, true}) {
        SCOPED_TRACE(compensated ? "G42" : "no G42");
        if (compensated) {
            std::ofstream("g42.zsc") << "panel turn\n  set \"Коррекция на станке\" G42\n  ok\nend\nedit 1\n";
            ASSERT_EQ(Command({"zarvento", "run", "once.rdp", "g42.zsc"}, RunScript), kExitOk) << lastErr;
        }
        const CPLAN::CalculationCounts before = CPLAN::Calculations();
        ASSERT_EQ(Command({"zarvento", "program", "once.rdp", "-o", "once.nc"}, RunProgramJob), kExitOk) << lastErr;
        const CPLAN::CalculationCounts& after = CPLAN::Calculations();
        EXPECT_EQ(after.plans - before.plans, 1);
        EXPECT_EQ(after.singleTurns - before.singleTurns, compensated ? 2 : 0);
        EXPECT_EQ(ReadAll("once.nc").find(" G42\r\n") != std::string::npos, compensated);
    }
}

}  // namespace
}  // namespace zarvento::app
