// Rapids that keep their distance: every rapid of a roughing, a finishing
// pass, a contour pass and a cut-off keeps the tool's nose the operation's
// clearance (its retract distance, or 1 mm) off the part and the stock still
// standing, the allowance left on the part included, and comes the rest of
// the way at feed. Plans made as users make them (a command script, the
// installed post-processors, the main job's checks), their programs read
// back as a control reads them, and small plans of the places where a rapid
// once came nearer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "catalogs/tool_model_text.h"
#include "multipass_test_support.h"
#include "operations/headless_turn_panels.h"
#include "operations/path_clearance.h"
#include "operations/turn.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations/turn_otrezka.h"
#include "operations/written_program_check.h"
#include "operations_test_support.h"
#include "path_checks.h"
#include "plan/command_script.h"
#include "plan/plan.h"
#include "plan/plan_panels.h"
#include "plan/spid.h"
#include "platform/core/host_folder.h"
#include "platform/core/text_file.h"
#include "platform/documents/host_application.h"
#include "platform/processes/module.h"
#include "post/program.h"
#include "program_checks.h"
#include "random_profiles.h"
#include "test_support.h"

namespace zarvento::test {
namespace {

namespace fs = std::filesystem;

// The refusal of a rapid into the stock: what the finishing approach through
// the face's allowance was refused with.
constexpr const char* kRapidIntoStock = "Ускоренное перемещение врезается в заготовку";

std::string ReplaceAll(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// A message's kind: its text after the heading line, up to its first figure.
std::string MessageKind(const std::string& message) {
    const std::string text = message.substr(message.find('\n') + 1);
    return text.substr(0, text.find_first_of("0123456789"));
}

class RapidClearanceTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        SetHostFolder(folder.Path());
        RegisterTurnFactory();
        app = &ConnectHostApplication();
        previous = RegisterPlanPanels(&panels);
        fs::create_directories(folder.Path() / "POSTPROCESSORS");
        for (const char* name : {"ISO_Lathe.py3", "ISO_Python.py3"})
            fs::copy_file(examples / ".." / "POSTPROCESSORS" / name, folder.Path() / "POSTPROCESSORS" / name);
        SetModuleDirectory(folder.Path());
        // Tool models of the example's roughing tool, of corner radius 0.8
        // and 0.4, with the plan angles of a 93 degree insert.
        FileReadResult roughing = ReadTextFile(examples / "tools" / "roughing_tool.txt", TextEncoding::Utf8);
        ASSERT_TRUE(roughing.ok);
        for (const char* r : {"0.4", "0.8"}) {
            const fs::path text = folder.Path() / (std::string("r") + r + ".txt");
            std::ofstream(text) << ReplaceAll(
                roughing.text, "variable r 0.8",
                std::string("variable fi 93 \"Угол\"\nvariable fi1 32 \"Угол\"\nvariable r ") + r);
            ToolModelText::Convert(text.string(), (folder.Path() / (std::string("r") + r + ".rdp")).string());
        }
    }
    void TearDown() override {
        RegisterPlanPanels(previous);
        SetModuleDirectory(std::nullopt);
        CleanStateTest::TearDown();
    }

    // A plan made by its script in a new part document with the given
    // post-processor: the profile, the plan data (a bar and the home point)
    // with the roughing tool at 1 and the finishing tool at 2, then the
    // operations.
    HostDocumentPtr MakePlan(const std::string& profile, const std::string& spid,
                             const std::vector<std::string>& operations, const std::string& post) {
        std::ofstream(folder.Path() / "part.profile") << profile;
        std::string script = "lsc \"ЛСК-1\"\nprofile part.profile\nanswer lsc ok lsc=\"ЛСК-1\" post=" + post +
                             "\ncoordinate-system\nanswer spid ok " + spid +
                             " positions=4 tool1=Черновой model1=" + (folder.Path() / "r0.8.rdp").string() +
                             " tool2=Чистовой model2=" + (folder.Path() / "r0.4.rdp").string() + "\nplan-data\n";
        for (const std::string& op : operations) script += "answer turn ok " + op + "\n";
        HostDocumentPtr part = app->Documents().Add(DocumentType::Part);
        CommandScript runner(folder.Path());
        runner.Run(script);
        EXPECT_EQ(runner.CommandsFailed(), 0);
        return part;
    }
    void ClosePlan(HostDocumentPtr& part) {
        app->Documents().Close(part);
        DeletePLAN();
        DeleteSPID();
    }
    static CTurn& Operation(int i) { return dynamic_cast<CTurn&>(*GetPLAN()->GetTurn(i)); }

    // The refusals of the plan's operations, the main job's check of each
    // path included, by message: false when one is refused.
    static bool Refusals(std::map<std::string, int>& refusals) {
        bool refused = false;
        for (int i = 0; i < GetPLAN()->GetTurnCount(); ++i) {
            CTurn& op = Operation(i);
            if (!op.HasMessage()) CheckPathClearance(op);
            if (!op.HasMessage()) continue;
            ++refusals[MessageKind(op.messageText)];
            refused = true;
        }
        return refused;
    }

    // The first rapid of the plan's paths nearer than its operation's clearance.
    static std::string ComputedRapidTooNear() {
        for (int i = 0; i < GetPLAN()->GetTurnCount(); ++i) {
            const CTurn& op = Operation(i);
            if (op.RapidClearance() <= 0.0) continue;
            const std::string near = FirstRapidTooNear(op, op.RapidClearance());
            if (!near.empty()) return "operation " + std::to_string(i) + ": " + near;
        }
        return "";
    }

    // The program as the main job writes it (its check's verdict on it with
    // ISO_Lathe, whose text the check reads), and its moves as a control
    // reads them, each with the operation whose tool makes it.
    static std::vector<ReadMove> WrittenMoves(const std::string& post, std::string& text) {
        CPROGRAM program;
        program.CreateProgram();
        std::vector<std::string> lines;
        EXPECT_TRUE(program.MakeProgramText(lines));
        if (post == "ISO_Lathe") {
            std::vector<std::string> faults;
            const std::vector<std::string> written = lines;
            EXPECT_TRUE(CheckWrittenProgram(program, written, faults)) << "the main job refuses it";
            EXPECT_TRUE(faults.empty());
        }
        text.clear();
        for (const std::string& line : lines) text += line + "\n";
        const CSPID& spid = *GetSPID();
        std::vector<ReadMove> moves = ReadProgram(text, 0, spid.Z0tool, -spid.X0tool);
        for (ReadMove& m : moves) {
            m.op = -1;
            for (int i = 0; i < GetPLAN()->GetTurnCount(); ++i)
                if (Operation(i).nToolPosition + 1 == m.tool / 100) m.op = i;
        }
        return moves;
    }

    // The program read back against the bar and the part: no move into the
    // part or the stock (unless `cutsOff`: a cut-off runs behind the part's
    // back face), no rapid nearer than its clearance. The first fault.
    static std::string ReadBackFault(const std::vector<ReadMove>& moves, const Contour& bar, bool cutsOff = false) {
        const Contour& part = *GetSPID()->GetDetailContour();
        std::vector<ReadMove> own;
        for (const ReadMove& m : moves)
            if (m.op >= 0) own.push_back(m);
        const auto nose = [](const ReadMove& m) { return NoseOf(Operation(m.op)); };
        MachiningCheck check(bar, part);
        const std::string fault = cutsOff ? std::string() : check.Run(own, nose);
        if (!fault.empty()) return fault;
        return FirstRapidNearerThan(bar, part, own, nose,
                                    [](const ReadMove& m) { return Operation(m.op).RapidClearance(); });
    }

    const fs::path examples = fs::path(FixturePath("")) / ".." / ".." / "examples";
    TempDir folder;
    HostApplication* app = nullptr;
    HeadlessTurnPanels panels;
    PlanPanels* previous = nullptr;
};

// Random shafts with their face in the working contour, roughed along Z,
// across, along the profile, each with and without the tool's plan angles,
// at a random retract distance, leaving a random allowance for a contour pass
// with the finishing tool along or against its contour, or finished by the
// roughing's own pass; written by ISO_Lathe, and in one strategy a part by
// ISO_Python, whose script runs for each program. No
// operation is refused for a rapid into the stock (the face's allowance
// reached at rapid); the refusals there are are counted by message. Of the
// plans written, every rapid keeps its operation's clearance off the part
// and the stock, in the paths and in the programs as a control reads them
// (the stock as the feed moves before left it).
TEST_F(RapidClearanceTest, RandomShaftsComeToTheStockAtFeedInEveryStrategyAndPost) {
#ifdef __SANITIZE_ADDRESS__
    constexpr int kRuns = 2;
#else
    constexpr int kRuns = 5;
#endif
    std::mt19937 random(7612);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto pick = [&](double lo, double hi) { return std::round((lo + (hi - lo) * unit(random)) * 10) / 10; };
    std::map<std::string, int> refusals;
    int plans = 0, written = 0;
    for (int run = 0; run < kRuns; ++run) {
        const BackFaceProfile part = RandomBackFaceProfile(random);
        const std::string work = " work=1-" + std::to_string(part.lastWork);
        const double retract = pick(0.4, 2.0), allowance = pick(0.2, 0.5), barZ = pick(0.5, 3.0);
        const auto bar = BarContour(60, 50, 0, barZ);
        for (const char* post : {"ISO_Lathe", "ISO_Python"}) {
            for (int strategy = 1; strategy <= 3; ++strategy) {
                // The script's post-processor writes one strategy a part.
                if (std::string(post) == "ISO_Python" && strategy != run % 3 + 1) continue;
                for (int variant = 0; variant < 3; ++variant) {
                    // 0: a contour pass after; 1: the same with the plan
                    // angles; 2: the roughing's own finishing pass.
                    const std::string finishing =
                        variant == 2 ? " cycle.P4=" + FormatDouble(allowance) : " allowance=" + FormatDouble(allowance);
                    std::vector<std::string> operations = {"tool=1" + work + " cycle.P3=" + std::to_string(strategy) +
                                                           " cycle.P1=" + FormatDouble(retract) +
                                                           (variant == 1 ? " cycle.P7=2" : "") + finishing +
                                                           "\ncreate 1"};
                    if (variant != 2)
                        operations.push_back("tool=2" + work + (run % 2 ? " direction=along" : "") + "\ncreate 2");
                    SCOPED_TRACE("run " + std::to_string(run) + ", " + post + ", strategy " + std::to_string(strategy) +
                                 ", variant " + std::to_string(variant) + ", retract " + FormatDouble(retract) +
                                 ", allowance " + FormatDouble(allowance) + ", bar at " + FormatDouble(barZ) + "\n" +
                                 part.text);
                    HostDocumentPtr doc =
                        MakePlan(part.text, "L=60 D=50 Z=" + FormatDouble(barZ) + " x0=45 z0=32", operations, post);
                    ++plans;
                    if (!Refusals(refusals)) {
                        ++written;
                        EXPECT_EQ(ComputedRapidTooNear(), "");
                        std::string text;
                        const std::vector<ReadMove> moves = WrittenMoves(post, text);
                        EXPECT_EQ(ReadBackFault(moves, *bar), "") << text;
                    }
                    ClosePlan(doc);
                }
            }
        }
    }
    std::ostringstream counted;
    for (const auto& [kind, count] : refusals) counted << count << " \"" << kind << "\"\n";
    EXPECT_EQ(refusals.count(kRapidIntoStock), 0u) << counted.str();
    // The checks refuse what goes wrong; they may not refuse everything.
    EXPECT_GE(written * 10, plans * 9) << written << " of " << plans << " plans written; refused:\n" << counted.str();
}

// Small plans of the places where a rapid came nearer than the clearance,
// each read as the main job writes it with ISO_Lathe: no operation refused,
// and every rapid the clearance off the part and the stock standing, in the
// path and as a control reads the program.
TEST_F(RapidClearanceTest, EachPlaceThatCameNearAtRapidComesAtFeed) {
    // A shaft of diameter 30 from the face to z = -25, then 40 to the back
    // face at -45: the face, the diameters and the shoulder are units 1 to 4.
    const std::string shaft =
        "LineSeg( 0,0, 0,-15, 1 );\nLineSeg( 0,-15, -25,-15, 1 );\nLineSeg( -25,-15, -25,-20, 1 );\n"
        "LineSeg( -25,-20, -45,-20, 1 );\nLineSeg( -45,-20, -45,0, 1 );\n";
    // The face with a 1.5 x 45 degree chamfer at its edge (units 1 and 2).
    const std::string chamfered =
        "LineSeg( 0,0, 0,-13.5, 1 );\nLineSeg( 0,-13.5, -1.5,-15, 1 );\nLineSeg( -1.5,-15, -25,-15, 1 );\n"
        "LineSeg( -25,-15, -25,-20, 1 );\nLineSeg( -25,-20, -45,-20, 1 );\nLineSeg( -45,-20, -45,0, 1 );\n";
    // A land of diameter 40 between two pockets of diameter 30.
    const std::string land =
        "LineSeg( 0,0, 0,-20, 1 );\nLineSeg( 0,-20, -10,-20, 1 );\nLineSeg( -10,-20, -10,-15, 1 );\n"
        "LineSeg( -10,-15, -20,-15, 1 );\nLineSeg( -20,-15, -20,-20, 1 );\nLineSeg( -20,-20, -25,-20, 1 );\n"
        "LineSeg( -25,-20, -25,-15, 1 );\nLineSeg( -25,-15, -35,-15, 1 );\nLineSeg( -35,-15, -35,-21, 1 );\n"
        "LineSeg( -35,-21, -45,-21, 1 );\nLineSeg( -45,-21, -45,0, 1 );\n";
    // A pin of diameter 20, 30 long, in a bar of 22.
    const std::string pin = "LineSeg( 0,0, 0,-10, 1 );\nLineSeg( 0,-10, -30,-10, 1 );\nLineSeg( -30,-10, -30,0, 1 );\n";
    struct Case {
        const char* name;
        std::string profile, bar;
        std::vector<std::string> operations;
        double length, diameter, z;
    };
    const Case cases[] = {
        // Each pass came down at rapid 1.5 off the bar's face, inside the 2 mm asked.
        {"a retract distance over the approach",
         shaft,
         "L=50 D=44 Z=2 x0=45 z0=32",
         {"tool=1 work=1-4 cycle.P1=2 allowance=0.5\ncreate 1"},
         50,
         44,
         2},
        // The entries into the pockets came down at rapid 0.5 over the level cut before.
        {"oblique entries into pockets",
         land,
         "L=50 D=44 Z=2 x0=45 z0=32",
         {"tool=1 work=1-10 cycle.P7=2 allowance=0.5\ncreate 1"},
         50,
         44,
         2},
        // The lead-in of each pass up the face came down at rapid across the
        // raw sawn face, 1.8 off it, inside the 2 mm asked.
        {"profile passes up the face",
         shaft,
         "L=50 D=44 Z=2.4 x0=45 z0=32",
         {"tool=1 work=1-4 cycle.P3=3 cycle.P1=2 allowance=0.5\ncreate 1"},
         50,
         44,
         2.4},
        // The finishing pass came at rapid to its lead-in on the chamfer,
        // 0.94 off the allowance the roughing left on the face.
        {"a contour pass from the face's chamfer",
         chamfered,
         "L=50 D=44 Z=2 x0=45 z0=32",
         {"tool=1 work=1-5 allowance=0.5\ncreate 1", "tool=2 work=2-5 direction=along\ncreate 2"},
         50,
         44,
         2},
        // The finishing pass after the tool change came at rapid down to
        // the shoulder it starts from, 0.88 off the allowance left on it.
        {"a contour pass from the shoulder",
         shaft,
         "L=50 D=44 Z=2 x0=45 z0=32",
         {"tool=1 work=1-4 allowance=0.5\ncreate 1", "tool=2 work=1-4\ncreate 2"},
         50,
         44,
         2},
        // The cut-off came at rapid onto the bar's surface, and went back
        // there from the cut: its approach stood 1 mm off the part, which
        // the bar overhangs by 1 mm.
        {"a cut-off from a bar over the part",
         pin,
         "L=40 D=22 Z=0.5 x0=45 z0=32",
         {"tool=3 work=3\ncreate 7"},
         40,
         22,
         0.5},
    };
    ToolModelText::Convert(
        (examples / ".." / "catalog" / "TOOLS" / "Токарные" / "Канавочные" / "Резец отрезной N151.2.txt").string(),
        (folder.Path() / "cutoff.rdp").string());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> operations = c.operations;
        const bool cutsOff = std::string(c.name).find("cut-off") != std::string::npos;
        if (cutsOff)
            operations.insert(operations.begin(), "tool=1 work=1-2\ncreate 1\nanswer spid ok tool3=Отрезной model3=" +
                                                      (folder.Path() / "cutoff.rdp").string() + "\nplan-data");
        HostDocumentPtr doc = MakePlan(c.profile, c.bar, operations, "ISO_Lathe");
        std::map<std::string, int> refusals;
        EXPECT_FALSE(Refusals(refusals));
        for (const auto& [kind, count] : refusals) ADD_FAILURE() << "refused: " << kind;
        EXPECT_EQ(ComputedRapidTooNear(), "");
        std::string text;
        const std::vector<ReadMove> moves = WrittenMoves("ISO_Lathe", text);
        EXPECT_EQ(ReadBackFault(moves, *BarContour(c.length, c.diameter, 0, c.z), cutsOff), "") << text;
        ClosePlan(doc);
    }
}

}  // namespace
}  // namespace zarvento::test
