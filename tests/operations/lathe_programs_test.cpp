// Small parts planned by scripts and written by the installed post-processors
// as the main job does it (stored, reopened, synchronised), read back as an
// ISO lathe control reads them: threads cut as synchronised G32 passes to the
// profile depth of their pitch, the threading, tapping, drilling and roughing
// cycles with the operation's values, grooves no wider or narrower than the
// blade, and the lathe's own start, tool call and spindle blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <sstream>

#include "catalogs/tool_model_text.h"
#include "operations/headless_turn_panels.h"
#include "operations/path_clearance.h"
#include "operations/turn.h"
#include "operations/turn_drill.h"
#include "operations/turn_kanavka.h"
#include "operations/turn_threading.h"
#include "path_checks.h"
#include "plan/command_script.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/host_folder.h"
#include "platform/core/line_reader.h"
#include "platform/core/messages.h"
#include "platform/documents/host_application.h"
#include "platform/documents/settings_record.h"
#include "platform/processes/module.h"
#include "post/program.h"
#include "program_checks.h"
#include "random_profiles.h"
#include "test_support.h"
#include "thread_checks.h"

namespace zarvento::test {
namespace {

namespace fs = std::filesystem;

// The outside of a bar of diameter 20 from the face to z = -20 with a 1 mm
// chamfer: the thread line is unit 3, the cylinder.
constexpr const char* kThreadPart =
    "LineSeg( 0,0, 0,-9, 1 );\nLineSeg( 0,-9, -1,-10, 1 );\nLineSeg( -1,-10, -20,-10, 1 );\n"
    "LineSeg( -20,-10, -20,0, 1 );\n";
constexpr const char* kThreadStock = "L=22 D=20 Z=0";
// A threading chisel: a 60 degree triangle with its tip at the origin, its
// body away from the axis (the sketch's x).
constexpr const char* kChisel =
    "variable TYPE_ 15 \"Тип инструмента%\"\nsketch Contour\nline 0 0 5.196 3\nline 5.196 3 5.196 -3\n"
    "line 5.196 -3 0 0\nend\n";
// A drill or tap: a 20 x 4 plate; its kind and diameter come first.
constexpr const char* kPlate = "sketch Contour\nline 0 0 20 0\nline 20 0 20 4\nline 20 4 0 4\nline 0 4 0 0\nend\n";
// A grooving blade with sharp corners as its model draws it about the nose
// centre (the corner towards -Z): its tip edge along Z, width wide, a
// corner radius r in from it, its sides 10 back from the axis.
constexpr const char* kSharpBlade =
    "sketch Contour\nline -r -r 10 -r\nline 10 -r 10 width-r\nline 10 width-r -r width-r\nline -r width-r -r -r\nend\n";

// The folder the program runs in for a test's life: the scripts name the
// tool models relative to it.
class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    fs::path previous_;
};

// The words of a program block after its number, as a control reads them:
// letter and value, the G codes in order.
struct Block {
    std::string text;
    std::vector<std::string> g;
    std::map<char, double> words;

    bool Has(char letter) const { return words.count(letter) != 0; }
    double operator[](char letter) const { return words.at(letter); }
    bool IsG(const std::string& code) const { return std::find(g.begin(), g.end(), code) != g.end(); }
};

std::vector<Block> Blocks(const std::vector<std::string>& lines) {
    std::vector<Block> blocks;
    for (std::string line : lines) {
        line.erase(0, std::min(line.find_first_not_of(' '), line.size()));
        if (line.empty() || line[0] != 'N') continue;
        Block b;
        b.text = line;
        std::size_t k = 0;
        while (k < line.size()) {
            while (k < line.size() && line[k] == ' ') ++k;
            const std::size_t end = std::min(line.find(' ', k), line.size());
            const std::string word = line.substr(k, end - k);
            k = end;
            if (word.size() < 2 || !std::isalpha(static_cast<unsigned char>(word[0]))) continue;
            if (word[0] == 'G') {
                b.g.push_back(word);
                continue;
            }
            double value = 0.0;
            if (ParseDouble(word.substr(1), value)) b.words[word[0]] = value;
        }
        blocks.push_back(std::move(b));
    }
    return blocks;
}

// The blocks of one G code, in order.
std::vector<Block> With(const std::vector<Block>& blocks, const std::string& code) {
    std::vector<Block> out;
    for (const Block& b : blocks)
        if (b.IsG(code)) out.push_back(b);
    return out;
}

int Count(const std::vector<Block>& blocks, const std::string& text) {
    return static_cast<int>(std::count_if(blocks.begin(), blocks.end(),
                                          [&](const Block& b) { return b.text.find(text) != std::string::npos; }));
}

class LatheProgramTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        SetHostFolder(folder.Path());
        RegisterTurnFactory();
        app = &ConnectHostApplication();
        previous = RegisterPlanPanels(&panels);
        fs::create_directories(folder.Path() / "POSTPROCESSORS");
        const fs::path installed = fs::path(FixturePath("")) / ".." / ".." / "POSTPROCESSORS";
        for (const char* name : {"ISO_Lathe.py3", "ISO_Python.py3"})
            fs::copy_file(installed / name, folder.Path() / "POSTPROCESSORS" / name);
        SetModuleDirectory(folder.Path());
        SettingsRecord::Global().SetDefaults();
        working = std::make_unique<WorkingFolder>(folder.Path());
    }
    void TearDown() override {
        working.reset();
        SetModuleDirectory(std::nullopt);
        RegisterPlanPanels(previous);
        CleanStateTest::TearDown();
    }

    struct Plan {
        std::string profile;  // the part's faces in the units' text form
        std::string stock;    // the plan-data panel's stock fields
        std::string tool;     // the tool model's text after its first line
        std::string operations;
        std::string post = "ISO_Lathe";
    };

    // Makes the part, plans it, stores the document and synchronises it in a
    // new run, as the main job does; then the program's blocks. The plan's
    // operations as they came out of the synchronisation stay in `plan`.
    std::vector<Block> Program(const Plan& p) {
        // Each part and tool of its own: documents still open keep their files.
        const std::string n = std::to_string(++made);
        std::ofstream("part.profile") << p.profile;
        std::ofstream("tool.txt") << "zarvento-tool-model 1\n" << p.tool;
        ToolModelText::Convert("tool.txt", "tool" + n + ".rdp");
        HostDocumentPtr part = app->Documents().Add(DocumentType::Part);
        CommandScript runner(folder.Path());
        runner.Run("lsc \"ЛСК-1\"\nprofile part.profile\nanswer lsc ok lsc=\"ЛСК-1\" post=" + p.post +
                   "\ncoordinate-system\nanswer spid ok " + p.stock +
                   " positions=4 x0=60 z0=40 tool1=\"T\" model1=tool" + n + ".rdp\nplan-data\n" + p.operations);
        const std::string path = (folder.Path() / ("part" + n + ".rdp")).string();
        part->SaveAs(path);
        app->Documents().Close(part);
        DeletePLAN();
        DeleteSPID();
        app->Documents().Open(path);
        plan = GetPLAN();
        plan->Synchronize();
        // The main job's check of every path against the part and the stock.
        for (int i = 0; i < plan->GetTurnCount(); ++i) {
            CTurn& op = Operation(i);
            if (op.IsActive()) {
                EXPECT_TRUE(CheckPathClearance(op)) << op.messageText;
            }
        }
        CPROGRAM program;
        program.CreateProgram();
        lines.clear();
        EXPECT_TRUE(program.MakeProgramText(lines));
        text.clear();
        for (const std::string& line : lines) text += line + "\n";
        return Blocks(lines);
    }
    CTurn& Operation(int i) { return dynamic_cast<CTurn&>(*plan->GetTurn(i)); }

    TempDir folder;
    HostApplication* app = nullptr;
    HeadlessTurnPanels panels;
    PlanPanels* previous = nullptr;
    std::unique_ptr<WorkingFolder> working;
    CPLAN* plan = nullptr;
    int made = 0;
    std::string text;  // the program, for the messages of failed checks
    std::vector<std::string> lines;
};

// A bore of diameter 27.84 through a ring 30 long, for an inner M30 thread,
// and an inner threading chisel, its body towards the axis.
constexpr const char* kThreadedRing =
    "LineSeg( 0,-13.92, 0,-25, 1 );\nLineSeg( 0,-25, -30,-25, 1 );\nLineSeg( -30,-25, -30,-13.92, 1 );\n"
    "LineSeg( -30,-13.92, 0,-13.92, 1 );\n";
constexpr const char* kInnerChisel =
    "variable TYPE_ 16 \"Тип инструмента%\"\nsketch Contour\nline 0 0 -5.196 3\nline -5.196 3 -5.196 -3\n"
    "line -5.196 -3 0 0\nend\n";

// Every thread in moves, read back from its program: each start's passes in
// G32 with the lead, one start after another, each pass where the infeed's
// rule puts it and as deep as the law of the depths makes it, the last at
// the profile depth of the pitch; and the main job's check passes them.
TEST_F(LatheProgramTest, AThreadInMovesIsWrittenPassByPassToTheDepthOfItsPitch) {
    struct Case {
        const char* name;
        const char* part;
        const char* stock;
        const char* tool;
        const char* fields;
        double depth;  // on the radius
        const char* post = "ISO_Lathe";
    };
    // M20 x 1.5 is 0.92 deep on the radius, a pitch of 2 1.227; the list
    // values count from 1: P1=1 equal depths, P2=1 radial infeed, P6=2 the
    // spindle stopped between passes.
    const Case cases[] = {
        {"the operation's defaults", kThreadPart, kThreadStock, kChisel, "pitch=1.5", 0.92},
        {"the pitch by the feed", kThreadPart, kThreadStock, kChisel, "feed=1.5", 0.92},
        {"equal depths, radial infeed", kThreadPart, kThreadStock, kChisel, "pitch=1.5 cycle.P1=1 cycle.P2=1", 0.92},
        {"equal depths, flank infeed, no finishing pass", kThreadPart, kThreadStock, kChisel,
         "pitch=1.5 cycle.P1=1 cycle.I=0.2 cycle.P4=0 cycle.P5=2", 0.92},
        {"two starts", kThreadPart, kThreadStock, kChisel, "pitch=1.5 starts=2", 0.92},
        {"four starts, radial infeed", kThreadPart, kThreadStock, kChisel, "pitch=1.5 starts=4 cycle.P2=1", 0.92},
        {"pitch 2", kThreadPart, kThreadStock, kChisel, "pitch=2", 1.227},
        {"depth by hand", kThreadPart, kThreadStock, kChisel, "pitch=1.5 depth=1.2", 1.2},
        {"the spindle stopped between passes", kThreadPart, kThreadStock, kChisel, "pitch=1.5 cycle.P6=2", 0.92},
        {"inner M30 x 2", kThreadedRing, "L=31 D=50 d=27.84 Z=0", kInnerChisel, "pitch=2", 1.227},
        {"through the script", kThreadPart, kThreadStock, kChisel, "pitch=1.5", 0.92, "ISO_Python"},
        {"through the script, the spindle stopped", kThreadPart, kThreadStock, kChisel, "pitch=1.5 cycle.P6=2", 0.92,
         "ISO_Python"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string work = c.part == kThreadedRing ? "work=0 " : "work=3 ";
        const std::vector<Block> blocks =
            Program({c.part, c.stock, c.tool,
                     std::string("answer turn ok name=\"Thread\" tool=1 ") + work + c.fields + "\ncreate 5\n", c.post});
        auto& thread = dynamic_cast<CTurnTHREADING&>(Operation(0));
        ASSERT_FALSE(thread.HasMessage()) << thread.messageText;
        EXPECT_DOUBLE_EQ(thread.Depth, c.depth);
        const ThreadSpec spec = ThreadSpecOf(thread);
        EXPECT_EQ(ThreadPassFault(ReadWrittenThread(lines, spec), spec), "") << text;
        // Unless it is asked to stop, the spindle runs through.
        const bool stops = std::string(c.fields).find("cycle.P6=2") != std::string::npos;
        if (!stops) {
            EXPECT_EQ(Count(blocks, "M05"), 1) << "at the end of the program only";
        }
        // (A script's program takes its moves' ends as it wrote them.)
        if (std::string(c.post) == "ISO_Lathe") ExpectContinuous(PathMoves(thread));
    }
}

TEST_F(LatheProgramTest, TheThreadingCycleTakesTheOperationsThread) {
    struct Case {
        const char* fields;
        double rootX, height, lead;
        int starts;
    };
    // A thread of several starts is one cycle per start.
    for (const Case& c :
         {Case{"feed=1.5", 18.16, 920, 1.5, 1}, Case{"pitch=2", 17.546, 1227, 2.0, 1},
          Case{"pitch=1.5 starts=2", 18.16, 920, 3.0, 2}, Case{"pitch=1 starts=3", 18.774, 613, 3.0, 3}}) {
        SCOPED_TRACE(c.fields);
        const std::vector<Block> blocks = Program(
            {kThreadPart, kThreadStock, kChisel,
             std::string("answer turn ok name=\"Thread\" tool=1 work=3 output=cycle ") + c.fields + "\ncreate 5\n"});
        ASSERT_FALSE(Operation(0).HasMessage()) << Operation(0).messageText;
        const ThreadSpec spec = ThreadSpecOf(dynamic_cast<CTurnTHREADING&>(Operation(0)));
        EXPECT_EQ(ThreadCycleFault(ReadWrittenThread(lines, spec), spec), "") << text;
        const std::vector<Block> cycle = With(blocks, "G76");
        ASSERT_EQ(cycle.size(), 2u * c.starts) << text;
        // G76 X(root) Z(end) P(height, microns) Q(first cut) F(lead), from
        // a start point 1 mm outside the thread.
        const Block& thread = cycle[1];
        EXPECT_NEAR(thread['X'], c.rootX, 1e-9) << thread.text;
        EXPECT_NEAR(thread['Z'], -23.0, 1e-9) << thread.text;
        EXPECT_FALSE(thread.Has('R')) << "a cylindrical thread has no taper";
        EXPECT_NEAR(thread['P'], c.height, 0.5) << thread.text;
        EXPECT_NEAR(thread['Q'], (c.height - 20) / std::sqrt(6.0), 0.5) << thread.text;
        EXPECT_NEAR(thread['F'], c.lead, 1e-9) << thread.text;
        EXPECT_NEAR(cycle[0]['P'], 10060, 1e-9) << "one finishing pass, a 60 degree tool";
        const auto start = std::find_if(blocks.begin(), blocks.end(), [](const Block& b) { return b.IsG("G76"); });
        ASSERT_NE(start, blocks.begin());
        EXPECT_NEAR((start - 1)->words.at('X'), 22.0, 1e-9) << (start - 1)->text;
    }
}

TEST_F(LatheProgramTest, TappingAndDrillingCyclesTakeTheOperationsValues) {
    constexpr const char* kHolePart =
        "LineSeg( 0,-3.4, 0,-15, 1 );\nLineSeg( 0,-15, -20,-15, 1 );\nLineSeg( -20,-15, -20,-3.4, 1 );\n"
        "LineSeg( -20,-3.4, 0,-3.4, 1 );\n";
    for (const char* fields : {"feed=1.25", "pitch=1.25"}) {
        SCOPED_TRACE(fields);
        const std::vector<Block> blocks =
            Program({kHolePart, "L=21 D=30 d=6.8 Z=0",
                     std::string("variable TYPE_ 31 \"Тип\"\nvariable D 8 \"Диаметр\"\n") + kPlate,
                     std::string("answer turn ok name=\"Tap\" tool=1 work=0 output=cycle ") + fields + "\ncreate 6\n"});
        ASSERT_FALSE(Operation(0).HasMessage()) << Operation(0).messageText;
        const std::vector<Block> tap = With(blocks, "G84");
        ASSERT_EQ(tap.size(), 1u) << text;
        EXPECT_NEAR(tap[0]['Z'], -21.0, 1e-9);
        EXPECT_NEAR(tap[0]['F'], 1.25, 1e-9) << tap[0].text;
    }

    // A blind hole of diameter 8 and 20 deep, drilled in 4 pecks with a dwell.
    const std::vector<Block> blocks = Program(
        {"LineSeg( 0,-4, 0,-15, 1 );\nLineSeg( 0,-15, -30,-15, 1 );\nLineSeg( -30,-15, -30,0, 1 );\n"
         "LineSeg( -30,0, -20,0, 1 );\nLineSeg( -20,0, -20,-4, 1 );\nLineSeg( -20,-4, 0,-4, 1 );\n",
         "L=31 D=30 Z=0",
         std::string("variable TYPE_ 21 \"Тип\"\nvariable __D 8 \"Диаметр\"\nvariable fi 59 \"Угол\"\n") + kPlate,
         "answer turn ok name=\"Drill\" tool=1 work=2 output=cycle cycle._PECKS=4 cycle._DWELL=0.3\n"
         "create 4\n"});
    ASSERT_FALSE(Operation(0).HasMessage()) << Operation(0).messageText;
    const std::vector<Block> drill = With(blocks, "G83");
    ASSERT_EQ(drill.size(), 1u) << text;
    const double tip = -20.0 - 4.0 / std::tan(59.0 * PI / 180.0);
    EXPECT_NEAR(drill[0]['Z'], tip, 0.0005) << drill[0].text;
    // From 1 mm above the face to the tip in four pecks, each rounded up.
    EXPECT_NEAR(drill[0]['Q'], std::ceil((1.0 - tip) * 1000 / 4), 1e-9) << drill[0].text;
    EXPECT_NEAR(drill[0]['P'], 300, 1e-9) << drill[0].text;
}

TEST_F(LatheProgramTest, TheDrillingPanelTakesACentringHole) {
    // A centre drill (kind 20) makes a centring 2 deep on the face. Its
    // model draws no outline: the part's section has no centring, which an
    // outline would cut (the nose alone runs along the axis).
    const std::vector<Block> blocks =
        Program({kThreadPart, kThreadStock,
                 "variable TYPE_ 20 \"Тип\"\nvariable __D 8 \"Диаметр\"\nvariable d_centr 3.15 \"Центр\"\n"
                 "variable fi 59 \"Угол\"\n",
                 "answer turn ok name=\"Centre\" tool=1 work=1 hole=centring depth=2\ncreate 4\n"});
    const auto& drill = dynamic_cast<const CTurnDRILL&>(Operation(0));
    ASSERT_FALSE(drill.HasMessage()) << drill.messageText;
    EXPECT_EQ(drill.SposobDrill, CTurnDRILL::kCentring);
    EXPECT_EQ(drill.GlubinaCentr, 2.0);
    EXPECT_EQ(drill.Diametr, 3.15);
    const std::vector<Block> strokes = With(blocks, "G01");
    ASSERT_FALSE(strokes.empty()) << text;
    for (const Block& b : strokes) EXPECT_FALSE(b.Has('X') && std::fabs(b['X']) > 1e-9) << "on the axis: " << b.text;
}

// A roughing tool of corner radius 0.8 driving its tip (position 3).
constexpr const char* kRoughingTool =
    "variable TYPE_ 10 \"Тип\"\nvariable r 0.8 \"Радиус\"\nvariable nP 3 \"Положение%\"\nsketch Contour\n"
    "line 0 0 20 0\narc 20 3 3 20 0 20 6 1\nline 20 6 0 0\narc 0 -10000 10000 0 0 0 0 1\nend\n";

TEST_F(LatheProgramTest, RoughingInTheMachinesCycleNamesTheRegionsProfile) {
    // Two steps; the G71 profile (P to Q) is the region left with the
    // allowance, and G70 finishes along the same blocks (the operation asks
    // for a finishing allowance).
    for (const char* direction : {"along", "against"}) {
        SCOPED_TRACE(direction);
        const std::vector<Block> blocks = Program(
            {"LineSeg( 0,0, 0,-10, 1 );\nLineSeg( 0,-10, -30,-10, 1 );\nLineSeg( -30,-10, -30,-18, 1 );\n"
             "LineSeg( -30,-18, -60,-18, 1 );\nLineSeg( -60,-18, -60,0, 1 );\n",
             "L=62 D=40 Z=0", kRoughingTool,
             std::string("answer turn ok name=\"Rough\" tool=1 work=2-4 allowance=0.5 output=cycle cycle.P4=0.2 "
                         "direction=") +
                 direction + "\ncreate 1\n"});
        ASSERT_FALSE(Operation(0).HasMessage()) << Operation(0).messageText;
        const std::vector<Block> g71 = With(blocks, "G71");
        const std::vector<Block> g70 = With(blocks, "G70");
        ASSERT_EQ(g71.size(), 2u) << text;
        ASSERT_EQ(g70.size(), 1u) << text;
        const double p = g71[1]['P'], q = g71[1]['Q'];
        EXPECT_EQ(g70[0]['P'], p);
        EXPECT_EQ(g70[0]['Q'], q);
        std::vector<Block> profile;
        for (const Block& b : blocks)
            if (b['N'] >= p && b['N'] <= q) profile.push_back(b);
        ASSERT_EQ(profile.size(), static_cast<std::size_t>(q - p + 1)) << text;
        EXPECT_EQ(profile.front()['N'], g71[1]['N'] + 1) << "the profile follows the cycle";
        // Across from the start point to the first step with the allowance
        // (the P block names X alone: the profile never turns back), along
        // it and down to the second.
        EXPECT_NEAR(profile.front()['X'], 21.0, 1e-9) << text;
        EXPECT_FALSE(profile.front().Has('Z')) << text;
        double x = profile.front()['X'], z = 1e9, before = x;
        for (const Block& b : profile) {
            before = x;
            EXPECT_FALSE(b.Has('F')) << "the profile carries no feed of its own: " << b.text;
            const double nx = b.Has('X') ? b['X'] : x, nz = b.Has('Z') ? b['Z'] : z;
            EXPECT_GE(nx, x - 1e-9) << "the profile only grows: " << b.text;
            EXPECT_LE(nz, z + 1e-9) << "and runs towards the chuck: " << b.text;
            x = nx, z = nz;
        }
        EXPECT_NEAR(before, 37.0, 1e-9) << "the second step with the allowance";
        EXPECT_NEAR(z, -61.5, 1e-9) << "the back face and the overrun";
        EXPECT_NEAR(x, 43.0, 1e-9) << "out to the start point's level";
    }
}

// A random shaft's section for the machine's roughing cycle: up the face
// from the axis at z = 0 (a chamfer or a round on its edge now and then),
// the features of random_profiles.h (a step down into a pocket turns the
// profile back across the axis) and down the back face to the axis. Within
// a bar of 50.
struct CycleShaft {
    std::string section;
    int units = 0;  // the units of the section after its axis: 1 the face, `units` the back face
    double back = 0.0;
};

CycleShaft RandomCycleShaft(std::mt19937& random) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto between = [&](double lo, double hi) { return lo + (hi - lo) * unit(random); };
    const double x0 = -between(5.0, 14.0), e = between(0.5, 2.0);
    ProfileWriter w{"", 0.0, 0.0};
    double &z = w.z, &x = w.x;
    switch (random() % 3) {
        case 0: w.Line(0.0, x0); break;
        case 1: w.Line(0.0, x0 + e), w.Line(-e, x0); break;
        default: w.Line(0.0, x0 + e), w.Arc(-e, x0 + e, e, -e, x0, -1); break;
    }
    w.Line(z - between(2.0, 6.0), x);
    AddRandomFeatures(w, random, 1 + static_cast<int>(random() % 5));
    w.Line(z - between(2.0, 6.0), x);
    const double back = z;
    w.Line(back, 0.0);
    return {w.text, static_cast<int>(std::count(w.text.begin(), w.text.end(), '\n')), back};
}

// Random shafts roughed by ISO_Lathe's G71 and finished by its G70 with
// random values of the operation, the face in the working contour or not,
// the bar's back end at the part's back face or beyond it; each program read
// back as the control reads it: the cycle's words are the operation's depth
// of cut, retract, finishing allowance (U a diameter) and feeds, the
// finishing pass its speed and feed and the roughing feed after it; the
// profile from P to Q runs from the start point to the back face and the
// overrun (where the bar reaches) and out, never back along Z, naming both
// axes in its first block when it turns back across the axis, with the
// nose's centre never past the spindle's axis nor the nose past the bar, and
// never into the part.
TEST_F(LatheProgramTest, TheRoughingCycleTakesTheOperationsValuesAndKeepsToThePart) {
#ifdef __SANITIZE_ADDRESS__
    constexpr int kRuns = 8;
#else
    constexpr int kRuns = 40;
#endif
    constexpr double kOverrun = 1.5;  // the operation's own
    std::mt19937 random(6402);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto pick = [&](double lo, double hi) { return std::round((lo + (hi - lo) * unit(random)) * 100) / 100; };
    for (int run = 0; run < kRuns; ++run) {
        const CycleShaft shaft = RandomCycleShaft(random);
        const bool face = run % 2 == 0;
        const double beyond = run % 4 < 2 ? 0.0 : pick(0.5, 8.0);
        const double barBack = shaft.back - beyond;
        const double depth = pick(0.8, 3.0), retract = pick(0.3, 2.0);
        const double allowance = run % 3 == 0 ? 0.0 : pick(0.1, 0.5);
        const double feed = pick(0.15, 0.4), spin = std::round(pick(300.0, 1200.0));
        const double finishFeed = run % 5 == 0 ? 0.0 : pick(0.05, 0.2);
        const double finishSpeed = run % 5 == 1 ? 0.0 : std::round(pick(600.0, 1500.0));
        const std::string fields = "tool=1 work=" + std::to_string(face ? 1 : 2) + "-" +
                                   std::to_string(shaft.units - 1) + " output=cycle cycle.I=" + FormatDouble(depth) +
                                   " cycle.P1=" + FormatDouble(retract) + " cycle.P4=" + FormatDouble(allowance) +
                                   " cycle.P5=" + FormatDouble(finishSpeed) + " cycle.P6=" + FormatDouble(finishFeed) +
                                   " feed=" + FormatDouble(feed) + " spin=" + FormatDouble(spin);
        SCOPED_TRACE("run " + std::to_string(run) + ": " + fields + ", bar back " + FormatDouble(barBack) + "\n" +
                     shaft.section);
        const std::vector<Block> blocks =
            Program({shaft.section, "L=" + FormatDouble(2.0 - barBack) + " D=50 Z=2", kRoughingTool,
                     "answer turn ok name=\"Rough\" " + fields + "\ncreate 1\n"});
        const CTurn& op = Operation(0);
        ASSERT_FALSE(op.HasMessage()) << op.messageText;

        // The operation's values, as written.
        const std::vector<Block> g71 = With(blocks, "G71"), g70 = With(blocks, "G70");
        ASSERT_EQ(g71.size(), 2u) << text;
        EXPECT_NEAR(g71[0]['U'], depth, 1e-9) << text;
        EXPECT_NEAR(g71[0]['R'], retract, 1e-9) << text;
        EXPECT_NEAR(g71[1]['U'], 2 * allowance, 1e-9) << text;
        EXPECT_NEAR(g71[1]['W'], allowance, 1e-9) << text;
        EXPECT_NEAR(g71[1]['F'], feed, 1e-9) << text;
        const auto at = [&](const Block& b) {
            return std::find_if(blocks.begin(), blocks.end(), [&](const Block& o) { return o.text == b.text; });
        };
        const auto spindle = std::find_if(blocks.begin(), at(g71[0]), [](const Block& b) { return b.Has('S'); });
        ASSERT_NE(spindle, at(g71[0])) << text;
        EXPECT_NEAR((*spindle)['S'], spin, 1e-9) << text;
        EXPECT_NEAR((*spindle)['F'], feed, 1e-9) << text;
        if (allowance < 0.001) {
            EXPECT_TRUE(g70.empty()) << "nothing left to finish: " << text;
        } else {
            ASSERT_EQ(g70.size(), 1u) << text;
            const auto g = at(g70[0]);
            const Block& before = *(g - 1);
            EXPECT_TRUE(before.IsG("G97")) << before.text;
            EXPECT_NEAR(before['S'], finishSpeed > 0 ? finishSpeed : spin, 1e-9) << text;
            const double finishing = finishFeed > 0 ? finishFeed : feed;
            EXPECT_NEAR(before['F'], finishing, 1e-9) << text;
            if (std::fabs(finishing - feed) > 0.001) {
                ASSERT_NE(g + 1, blocks.end());
                EXPECT_NEAR((g + 1)->words.at('F'), feed, 1e-9) << "the roughing feed back: " << text;
            }
            EXPECT_EQ(g70[0]['P'], g71[1]['P']);
            EXPECT_EQ(g70[0]['Q'], g71[1]['Q']);
        }

        // The profile, read from the start point as the control reads it.
        const double p = g71[1]['P'], q = g71[1]['Q'];
        const Block& start = *(at(g71[0]) - 1);
        ASSERT_TRUE(start.Has('X') && start.Has('Z')) << start.text;
        std::vector<Block> profile;
        for (const Block& b : blocks)
            if (b['N'] >= p && b['N'] <= q) profile.push_back(b);
        ASSERT_EQ(profile.size(), static_cast<std::size_t>(q - p + 1)) << text;
        const test::Nose nose = test::NoseOf(op);
        double x = start['X'], z = start['Z'], widest = -1e9;
        bool pocket = false;
        for (std::size_t i = 0; i < profile.size(); ++i) {
            const Block& b = profile[i];
            const double nx = b.Has('X') ? b['X'] : x, nz = b.Has('Z') ? b['Z'] : z;
            if (i > 0) {
                EXPECT_LE(nz, z + 1e-9) << "the profile turns back along Z: " << b.text << "\n" << text;
                if (nx < widest - 0.001) pocket = true;
            }
            widest = std::max(widest, nx);
            EXPECT_LE(-nx / 2 + nose.dx, 0.001) << "the nose's centre past the axis: " << b.text << "\n" << text;
            EXPECT_GE(nz + nose.dz - nose.r, barBack - 0.001) << "the nose past the bar: " << b.text << "\n" << text;
            x = nx, z = nz;
        }
        EXPECT_EQ(profile.front().Has('Z'), pocket)
            << "a profile that turns back across the axis names both axes in its first block: " << text;
        EXPECT_NEAR(z, std::max(shaft.back - kOverrun, barBack), 6e-4) << "where the profile ends: " << text;
        EXPECT_NEAR(x, start['X'], 1e-9) << "and out to the start's level: " << text;

        // Along the profile the nose keeps out of the part.
        const auto number = [](const std::string& line) {
            std::istringstream words(line);
            std::string first;
            words >> first;
            return first;
        };
        std::vector<test::ReadMove> moves;
        for (const test::ReadMove& m : test::ReadProgram(text, 0, GetSPID()->Z0tool, -GetSPID()->X0tool)) {
            const std::string n = number(m.line);
            if (n == number(start.text) ||
                std::any_of(profile.begin(), profile.end(), [&](const Block& b) { return n == number(b.text); }))
                moves.push_back(m);
        }
        auto section = ParseContourScript(shaft.section + "LineSeg( " + FormatDouble(shaft.back) + ",0, 0,0, 1 );\n");
        ASSERT_TRUE(section);
        test::MachiningCheck check(*test::BarContour(2.0 - barBack, 50, 0, 2), *section, 0.05, kOverrun);
        EXPECT_EQ(check.Run(moves, [&](const test::ReadMove&) { return nose; }), "") << text;
    }
}

TEST_F(LatheProgramTest, ASinglePlungeGrooveTakesABladeAsWideAsTheGroove) {
    // A groove 4 wide (z -20 to -24) and 3 deep in a bar of diameter 40.
    constexpr const char* kGroovePart =
        "LineSeg( 0,0, 0,-20, 1 );\nLineSeg( 0,-20, -20,-20, 1 );\nLineSeg( -20,-20, -20,-17, 1 );\n"
        "LineSeg( -20,-17, -24,-17, 1 );\nLineSeg( -24,-17, -24,-20, 1 );\nLineSeg( -24,-20, -50,-20, 1 );\n"
        "LineSeg( -50,-20, -50,0, 1 );\n";
    struct Case {
        double blade, corner;
        std::string message;  // empty: the groove is cut
    };
    // Widths within 0.001 are equal; a blade with corner radii fits as well.
    const std::string wider = "Ошибка:\nШирина канавки меньше ширины резца",
                      narrower = std::string("Ошибка:\n") + CTurnKANAVKA::kBladeNarrower;
    const Case cases[] = {{5.0, 0.0, wider}, {4.0, 0.0, ""},     {3.0, 0.0, narrower}, {4.0, 0.2, ""},
                          {4.0005, 0.2, ""}, {4.01, 0.2, wider}, {3.6, 0.2, narrower}, {3.9995, 0.4, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.blade) + " r" + std::to_string(c.corner));
        const std::string w = std::to_string(c.blade);
        const std::vector<Block> blocks =
            Program({kGroovePart, "L=52 D=40 Z=0",
                     "variable TYPE_ 13 \"Тип\"\nvariable width " + w + " \"Ширина\"\nvariable r " +
                         std::to_string(c.corner) + " \"Радиус\"\nvariable nP 3 \"Положение вершины%\"\n" + kSharpBlade,
                     "answer turn ok name=\"Groove\" tool=1 work=3-5 dwell=0.5\ncreate 3\n"});
        EXPECT_EQ(Operation(0).messageText, c.message);
        const std::vector<Block> plunges = With(blocks, "G01");
        if (!c.message.empty()) {
            EXPECT_TRUE(plunges.empty()) << "no groove in the program: " << text;
            continue;
        }
        ASSERT_EQ(plunges.size(), 1u) << text;
        EXPECT_NEAR(plunges[0]['X'], 34.0, 1e-9);
        // The blade's -Z corner at the groove's wall at z = -24.
        const std::vector<Block> rapids = With(blocks, "G00");
        EXPECT_TRUE(std::any_of(rapids.begin(), rapids.end(), [](const Block& b) {
            return b.Has('Z') && std::fabs(b['Z'] + 24.0) < 1e-9;
        })) << text;
        ASSERT_EQ(With(blocks, "G04").size(), 1u);
        EXPECT_NEAR(With(blocks, "G04")[0]['P'], 500, 1e-9);
    }
}

// Rough, finish, groove: the finishing insert cannot follow the groove's
// walls and bridges it along its edge; the groove that follows finds the
// material the finishing pass left there and cuts it in its plunge.
TEST_F(LatheProgramTest, AGrooveAfterTheFinishingPassCutsWhatThePassLeft) {
    constexpr const char* kGroovePart =
        "LineSeg( 0,0, 0,-20, 1 );\nLineSeg( 0,-20, -20,-20, 1 );\nLineSeg( -20,-20, -20,-17, 1 );\n"
        "LineSeg( -20,-17, -24,-17, 1 );\nLineSeg( -24,-17, -24,-20, 1 );\nLineSeg( -24,-20, -50,-20, 1 );\n"
        "LineSeg( -50,-20, -50,0, 1 );\n";
    // A finishing insert whose second edge leaves the nose 14 degrees off the axis.
    std::ofstream("finishing.txt") << "zarvento-tool-model 1\n"
                                      "variable TYPE_ 10 \"Тип%\"\nvariable r 0.4 \"Радиус\"\n"
                                      "variable nP 3 \"Положение вершины%\"\nvariable L 4 \"L\"\nvariable W 16 \"W\"\n"
                                      "variable s 0 \"s%\" = sqrt(L*L+W*W)\nvariable Xt 0 \"Xt%\" = -r*W/s\n"
                                      "variable Yt 0 \"Yt%\" = r*L/s\nvariable Ye 0 \"Ye%\" = Yt+(L-Xt)*W/L\n"
                                      "sketch Contour\nline 0 -r L -r\nline L -r L Ye\nline L Ye Xt Yt\n"
                                      "arc 0 0 r Xt Yt 0 -r 1\narc 0 -10000 10000 0 0 0 0 1\nend\n";
    ToolModelText::Convert("finishing.txt", "finishing.rdp");
    const std::vector<Block> blocks = Program(
        {kGroovePart, "L=52 D=41 Z=0",
         std::string("variable TYPE_ 13 \"Тип\"\nvariable width 4 \"Ширина\"\nvariable r 0 \"Радиус\"\n") + kSharpBlade,
         "answer spid ok tool2=\"Чистовой\" model2=finishing.rdp\nplan-data\n"
         "answer turn ok name=\"Finish\" tool=2 work=1-6 direction=along\ncreate 2\n"
         "answer turn ok name=\"Groove\" tool=1 work=3-5\ncreate 3\n"});
    ASSERT_EQ(plan->GetTurnCount(), 2);
    EXPECT_EQ(Operation(0).messageText, "");
    EXPECT_EQ(Operation(1).messageText, "") << "the groove lies in what the finishing pass left";
    const std::vector<Block> plunges = With(blocks, "G01");
    EXPECT_TRUE(std::any_of(plunges.begin(), plunges.end(), [](const Block& b) {
        return b.Has('X') && std::fabs(b['X'] - 34.0) < 1e-9;
    })) << text;
}

TEST_F(LatheProgramTest, TheScriptPostProcessorWritesALatheProgram) {
    const std::vector<Block> blocks =
        Program({kThreadPart, kThreadStock, kChisel,
                 "answer turn ok name=\"Thread\" tool=1 work=3 feed=1.5\ncreate 5\n", "ISO_Python"});
    ASSERT_FALSE(Operation(0).HasMessage()) << Operation(0).messageText;
    ASSERT_GT(blocks.size(), 5u) << text;
    // Millimetres, the ZX plane, feed per revolution; no G90, a turning
    // cycle on such a control, and no XY plane.
    EXPECT_EQ(blocks[0].g, (std::vector<std::string>{"G21", "G18", "G40", "G80", "G99"})) << text;
    EXPECT_EQ(text.find("G17"), std::string::npos) << text;
    EXPECT_EQ(text.find("G90"), std::string::npos) << text;
    // The tool called with its offset, the spindle speed with its mode
    // before the spindle starts.
    EXPECT_EQ(Count(blocks, "M06 T0101"), 1) << text;
    const auto m03 = std::find_if(blocks.begin(), blocks.end(),
                                  [](const Block& b) { return b.text.find("M03") != std::string::npos; });
    ASSERT_NE(m03, blocks.end());
    EXPECT_TRUE((m03 - 1)->IsG("G97") && (m03 - 1)->Has('S')) << (m03 - 1)->text;
    const ThreadSpec spec = ThreadSpecOf(dynamic_cast<CTurnTHREADING&>(Operation(0)));
    EXPECT_EQ(ThreadPassFault(ReadWrittenThread(lines, spec), spec), "") << text;
    EXPECT_EQ(Count(blocks, "M05"), 1) << text;
}

TEST_F(LatheProgramTest, ABoringBarDrivesThePointItsTipPositionNames) {
    // A bore of diameter 20 finished by a bar of corner radius 0.4 whose
    // model gives tip position 2 (or is of the boring kind 12): the program
    // drives that point, along the bore itself; the outer tool's point would
    // make the bore 1.6 small.
    for (const char* model : {"variable TYPE_ 11 \"Тип\"\nvariable nP 2 \"Положение%\"\n",
                              "variable TYPE_ 12 \"Тип\"\nvariable nP 3 \"Положение%\"\n"}) {
        SCOPED_TRACE(model);
        const std::vector<Block> blocks =
            Program({"LineSeg( 0,-10, 0,-20, 1 );\nLineSeg( 0,-20, -40,-20, 1 );\nLineSeg( -40,-20, -40,-10, 1 );\n"
                     "LineSeg( -40,-10, 0,-10, 1 );\n",
                     "L=42 D=44 d=18 Z=0",
                     std::string(model) +
                         "variable r 0.4 \"Радиус\"\nsketch Contour\nline 0 0 -16 0\narc -16 2 2 -16 0 -16 4 -1\n"
                         "line -16 4 0 0\narc 0 -10000 10000 0 0 0 0 1\nend\n",
                     "answer turn ok name=\"Bore\" tool=1 work=0\ncreate 2\n"});
        ASSERT_FALSE(Operation(0).HasMessage()) << Operation(0).messageText;
        // The cut along the bore, with X as the control holds it then.
        std::optional<double> boreX;
        double x = 0.0;
        for (const Block& b : blocks) {
            if (b.Has('X')) x = b['X'];
            if (b.IsG("G01") && b.Has('Z') && b['Z'] < -30.0) {
                boreX = x;
                break;
            }
        }
        ASSERT_TRUE(boreX) << text;
        EXPECT_NEAR(*boreX, 20.0, 1e-9) << text;
    }
}

TEST_F(LatheProgramTest, ThePanelRefusesFieldsTheKindHasNot) {
    const std::string kValue = "Недопустимое значение поля ";
    struct Case {
        int kind;
        const char* fields;
        std::string refusal;
    };
    const Case cases[] = {{2, "pitch=1.5", kValue + "pitch: \"1.5\""},
                          {1, "dwell=1", kValue + "dwell: \"1\""},
                          {2, "depth=1", kValue + "depth: \"1\""},
                          {5, "hole=base", kValue + "hole: \"base\""},
                          {5, "pitch=0", kValue + "pitch: \"0\""},
                          {5, "starts=1.5", kValue + "starts: \"1.5\""},
                          {5, "depth=deep", kValue + "depth: \"deep\""},
                          {4, "hole=drilled", kValue + "hole: \"drilled\""},
                          {4, "output=cycle cycle.Q=1", kValue + "cycle.Q: \"1\""}};
    std::ofstream("part.profile") << kThreadPart;
    app->Documents().Add(DocumentType::Part);
    CommandScript runner(folder.Path());
    runner.Run(
        "lsc \"ЛСК-1\"\nprofile part.profile\nanswer lsc ok lsc=\"ЛСК-1\" post=ISO_Lathe\ncoordinate-system\n"
        "answer spid ok L=22 D=20 Z=0\nplan-data\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fields);
        MessageLog::Instance().Clear();
        runner.Run("answer turn ok work=3 " + std::string(c.fields) + "\ncreate " + std::to_string(c.kind) + "\n");
        EXPECT_EQ(GetPLAN()->GetTurnCount(), 0) << "a refused panel creates nothing";
        const std::vector<std::string> texts = MessageLog::Instance().AllTexts();
        EXPECT_NE(std::find(texts.begin(), texts.end(), c.refusal), texts.end());
    }
}

}  // namespace
}  // namespace zarvento::test
