// Programs from the field: parts and plans such as users made, whose NC
// programs a lathe would not have run right. Each is made as a user makes it,
// by a command script (the part from a profile, the plan data with tool
// models, the operations by their panels' fields), its program written by
// the installed post-processor and read back as a control reads it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "catalogs/tool_model_text.h"
#include "operations/finishing_engagement.h"
#include "operations/headless_turn_panels.h"
#include "operations/turn.h"
#include "plan/command_script.h"
#include "plan/plan.h"
#include "plan/plan_panels.h"
#include "plan/spid.h"
#include "platform/core/host_folder.h"
#include "platform/core/line_reader.h"
#include "platform/core/messages.h"
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

std::string ReplaceAll(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

class FieldProgramsTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        SetHostFolder(folder.Path());
        RegisterTurnFactory();
        app = &ConnectHostApplication();
        previous = RegisterPlanPanels(&panels);
        fs::create_directories(folder.Path() / "POSTPROCESSORS");
        fs::copy_file(examples / ".." / "POSTPROCESSORS" / "ISO_Lathe.py3",
                      folder.Path() / "POSTPROCESSORS" / "ISO_Lathe.py3");
        SetModuleDirectory(folder.Path());
        // Tool models of corner radius 0.4, 0.8 and 1.2, from the example's
        // roughing tool.
        FileReadResult roughing = ReadTextFile(examples / "tools" / "roughing_tool.txt", TextEncoding::Utf8);
        ASSERT_TRUE(roughing.ok);
        for (const char* r : {"0.4", "0.8", "1.2"}) {
            const fs::path text = folder.Path() / (std::string("r") + r + ".txt");
            std::ofstream(text) << ReplaceAll(roughing.text, "variable r 0.8", std::string("variable r ") + r);
            ToolModelText::Convert(text.string(), (folder.Path() / (std::string("r") + r + ".rdp")).string());
        }
        // The bundled catalog's square insert, set square to the axis.
        ToolModelText::Convert(
            (examples / ".." / "catalog" / "TOOLS" / "Токарные" / "Проходные" / "Резец проходной SSBCR.txt").string(),
            (folder.Path() / "square.rdp").string());
    }
    void TearDown() override {
        RegisterPlanPanels(previous);
        SetModuleDirectory(std::nullopt);
        CleanStateTest::TearDown();
    }

    // A plan made by its script in a new part document: the profile
    // (statements split at "; "), a bar and the home point, two tools, then
    // the operations.
    HostDocumentPtr MakePlan(const std::string& profile, const std::string& spid,
                             const std::vector<std::string>& operations, const char* tool1 = "r0.8.rdp",
                             const char* tool2 = "r0.4.rdp") {
        std::ofstream(folder.Path() / "part.profile") << ReplaceAll(profile, "; ", ";\n");
        std::string script =
            "lsc \"ЛСК-1\"\nprofile part.profile\n"
            "answer lsc ok lsc=\"ЛСК-1\" post=ISO_Lathe\ncoordinate-system\n"
            "answer spid ok " +
            spid + " positions=4 tool1=Черновой model1=" + (folder.Path() / tool1).string() +
            " tool2=Чистовой model2=" + (folder.Path() / tool2).string() + "\nplan-data\n";
        for (const std::string& op : operations) script += "answer turn ok " + op + "\n";
        HostDocumentPtr part = app->Documents().Add(DocumentType::Part);
        CommandScript runner(folder.Path());
        runner.Run(script);
        EXPECT_EQ(runner.CommandsFailed(), 0);
        return part;
    }

    // The program of the plan as the main job writes it, read back; each move
    // goes with the operation whose tool makes it.
    std::vector<ReadMove> Program(std::string& text) {
        CPROGRAM program;
        program.CreateProgram();
        std::vector<std::string> lines;
        EXPECT_TRUE(program.MakeProgramText(lines));
        text.clear();
        for (const std::string& line : lines) text += line + "\n";
        std::vector<ReadMove> moves = ReadProgram(text, 0, 0.0, 0.0);
        CPLAN& plan = *GetPLAN();
        for (ReadMove& m : moves) {
            m.op = -1;
            for (int i = 0; i < plan.GetTurnCount(); ++i)
                if (dynamic_cast<const CTurn&>(*plan.GetTurn(i)).nToolPosition + 1 == m.tool / 100) m.op = i;
        }
        return moves;
    }

    // The program of the plan against its bar and its part: no operation with
    // a message, every arc read as computed, no move into the part or the
    // chuck, no feed past the axis, no rapid into the stock, and the last
    // operation's working contour reached wherever the nose fits. The first
    // fault, or an empty text.
    std::string Check(double length, double diameter, double z) {
        CPLAN& plan = *GetPLAN();
        for (int i = 0; i < plan.GetTurnCount(); ++i)
            if (plan.GetTurn(i)->HasMessage())
                return "operation " + std::to_string(i) + ": " + plan.GetTurn(i)->messageText;
        std::string text;
        const std::vector<ReadMove> moves = Program(text);
        auto op = [&](int i) -> const CTurn& { return dynamic_cast<const CTurn&>(*plan.GetTurn(i)); };
        for (int i = 0; i < plan.GetTurnCount(); ++i) ExpectArcsReadAsComputed(op(i), moves, i);
        MachiningCheck check(*BarContour(length, diameter, 0, z), *GetSPID()->GetDetailContour());
        std::string fault = check.Run(moves, [&](const ReadMove& m) { return m.op < 0 ? Nose{} : NoseOf(op(m.op)); });
        const CTurn& last = op(plan.GetTurnCount() - 1);
        if (fault.empty()) fault = check.FirstUnreached(*last.workContour, NoseOf(last).r);
        return fault.empty() ? fault : fault + "\n" + text;
    }

    const fs::path examples = fs::path(FixturePath("")) / ".." / ".." / "examples";
    TempDir folder;
    HostApplication* app = nullptr;
    HeadlessTurnPanels panels;
    PlanPanels* previous = nullptr;
};

// A collar with a fillet at its foot, roughed across and finished: arcs were
// written with the letter of their sense with X as the radius below the axis
// while X is printed as the diameter, so convex corners were cut into and
// the fillet left uncut.
TEST_F(FieldProgramsTest, ArcsOfTheFinishingPassFollowThePart) {
    MakePlan(
        "LineSeg( 0,0, 0,-9, 1 ); LineSeg( 0,-9, -1,-10, 1 ); LineSeg( -1,-10, -19,-10, 1 ); "
        "ArcByPoint( -19,-12, 2, -19,-10, -21,-12, 1, 1 ); LineSeg( -21,-12, -21,-15, 1 ); "
        "LineSeg( -21,-15, -36,-15, 1 ); LineSeg( -36,-15, -36,0, 1 );",
        "L=46 D=34 Z=2 x0=42 z0=32",
        {"tool=1 work=2-6 allowance=0.5 cycle.P3=1 cycle.I=2\ncreate 1", "tool=2 work=2-6 direction=along\ncreate 2"});
    EXPECT_EQ(Check(46, 34, 2), "");
}

// A shaft finished from its face after roughing that left 0.5 on it: the
// pass started on the face's line under the allowance and was reached by a
// rapid.
TEST_F(FieldProgramsTest, AFinishingPassFromTheFaceIsNotReachedThroughTheAllowance) {
    MakePlan("LineSeg( 0,0, 0,-10, 1 ); LineSeg( 0,-10, -30,-10, 1 ); LineSeg( -30,-10, -30,0, 1 );",
             "L=40 D=24 Z=2 x0=37 z0=32",
             {"tool=1 work=1-2 allowance=0.5\ncreate 1", "tool=2 work=1-2 direction=along\ncreate 2"});
    EXPECT_EQ(Check(40, 24, 2), "");
}

// Roughing along the profile in a short bar of a large diameter: the first
// pass was reached by rapids inside the bar's face.
TEST_F(FieldProgramsTest, ProfileRoughingReachesItsPassesOutsideTheBar) {
    MakePlan("LineSeg( 0,0, 0,-20, 1 ); LineSeg( 0,-20, -10,-20, 1 ); LineSeg( -10,-20, -10,0, 1 );",
             "L=20.4 D=42.8 Z=2.9 x0=46 z0=33", {"tool=1 work=1-2 allowance=0.5 cycle.P3=3 cycle.I=2.5\ncreate 1"},
             "r1.2.rdp");
    EXPECT_EQ(Check(20.4, 42.8, 2.9), "");
}

// A finishing pass that ends behind a collar: its return to the home point
// was one diagonal rapid through the collar.
TEST_F(FieldProgramsTest, AFinishingPassReturnsHomeAroundTheCollar) {
    MakePlan(
        "LineSeg( 0,0, 0,-8, 1 ); LineSeg( 0,-8, -10,-8, 1 ); LineSeg( -10,-8, -10,-18, 1 ); "
        "LineSeg( -10,-18, -50,-18, 1 ); LineSeg( -50,-18, -50,-12, 1 ); LineSeg( -50,-12, -54,-12, 1 ); "
        "LineSeg( -54,-12, -54,0, 1 );",
        "L=64 D=40 Z=2 x0=45 z0=32", {"tool=2 work=2-6 direction=along\ncreate 2"});
    EXPECT_EQ(Check(64, 40, 2), "");
}

// Roughing across with the plan angles typed into the cycle (and with the
// angles of a tool model that has none): two passes at the bar's diameter,
// and the material under them left.
TEST_F(FieldProgramsTest, RoughingWithPlanAnglesRoughs) {
    for (const char* angles : {"cycle.P7=3 cycle.P8=93 cycle.P9=32", "cycle.P7=2"}) {
        SCOPED_TRACE(angles);
        HostDocumentPtr part = MakePlan(
            "LineSeg( 0,0, 0,-10, 1 ); LineSeg( 0,-10, -15,-10, 1 ); LineSeg( -15,-10, -15,-14, 1 ); "
            "LineSeg( -15,-14, -30,-14, 1 ); LineSeg( -30,-14, -30,0, 1 );",
            "L=40 D=32 Z=2 x0=41 z0=32",
            {std::string("tool=1 work=1-4 allowance=0.5 cycle.P3=1 cycle.I=2 ") + angles + "\ncreate 1"});
        EXPECT_EQ(Check(40, 32, 2), "");
        // Over the part's units it works (1 to 4) the roughing leaves no more
        // than the allowance and one depth of cut.
        std::string text;
        const std::vector<ReadMove> moves = Program(text);
        const CTurn& roughing = dynamic_cast<const CTurn&>(*GetPLAN()->GetTurn(0));
        MachiningCheck check(*BarContour(40, 32, 0, 2), *GetSPID()->GetDetailContour());
        EXPECT_EQ(check.Run(moves, [&](const ReadMove&) { return NoseOf(roughing); }), "");
        Contour worked;
        for (int i = 1; i <= 4; ++i) worked.AddUnit(GetSPID()->GetDetailContour()->GetUnit(i)->Clone());
        EXPECT_EQ(check.FirstUnreached(worked, NoseOf(roughing).r, 0.01, 0.5 + 2.0), "") << text;
        app->Documents().Close(part);
        DeletePLAN();
        DeleteSPID();
    }
}

// A finishing pass that starts on a chamfer at the face: it came down along
// the axis and joined the chamfer below its edge, leaving the corner. (The
// same tool at a second position, so that each operation has its own.)
TEST_F(FieldProgramsTest, AFinishingPassTakesAFaceChamferFromItsEdge) {
    MakePlan(
        "LineSeg( 0,0, 0,-15.4, 1 ); LineSeg( 0,-15.4, -1.5,-16.9, 1 ); LineSeg( -1.5,-16.9, -7.2,-16.9, 1 ); "
        "LineSeg( -7.2,-16.9, -7.2,0, 1 );",
        "L=20 D=40 Z=2 x0=45 z0=32",
        {"tool=1 work=2-3 allowance=0.5 cycle.P3=3 cycle.I=2\ncreate 1", "tool=2 work=2-3 direction=along\ncreate 2"},
        "r0.8.rdp", "r0.8.rdp");
    EXPECT_EQ(Check(20, 40, 2), "");
}

// Random shafts shorter than the bar, roughed by default (along Z, across
// it, along the profile) with 0.5 left and finished by a contour pass: no
// pass runs on past the part's back face into the stock standing there (the
// working contour prolonged onto the bar's end took both passes through it,
// and the finishing pass left by a rapid through what stood of it), nothing
// is cut into or rapided through, and every return of the roughing keeps its
// retract distance off the level it cut and the level the stock stood at
// before (they ran on the bar's diameter and on the one cut just before).
TEST_F(FieldProgramsTest, RandomShaftsAreCutUpToTheirBackFaceAndReturnClear) {
#ifdef __SANITIZE_ADDRESS__
    constexpr int kRuns = 4;
#else
    constexpr int kRuns = 30;
#endif
    std::mt19937 random(6407);
    for (int run = 0; run < kRuns; ++run) {
        const BackFaceProfile part = RandomBackFaceProfile(random);
        const std::string work = " work=2-" + std::to_string(part.lastWork);
        for (const int strategy : {1, 2, 3}) {
            SCOPED_TRACE("run " + std::to_string(run) + ", cycle.P3=" + std::to_string(strategy) + "\n" + part.text);
            HostDocumentPtr doc =
                MakePlan(part.text, "L=60 D=50 Z=2 x0=45 z0=32",
                         {"tool=1" + work + " allowance=0.5 cycle.P3=" + std::to_string(strategy) + "\ncreate 1",
                          "tool=2" + work + " direction=along\ncreate 2"});
            EXPECT_EQ(Check(60, 50, 2), "");
            std::string text;
            const std::vector<ReadMove> moves = Program(text);
            const auto& roughing = dynamic_cast<const CTurnMnogoProhod&>(*GetPLAN()->GetTurn(0));
            const bool facing = strategy == 2;
            EXPECT_EQ(FirstReturnTooNear(moves, 0, facing, facing ? 2.0 : -25.0, roughing.ReturnClearance()), "")
                << text;
            app->Documents().Close(doc);
            DeletePLAN();
            DeleteSPID();
        }
    }
}

// A finishing pass that meets more stock than the depth of cut of the
// roughing before it (or, without one, than its tool takes in one pass) is
// reported with the place and the depth, and its path stays in the program:
// a pocket that default roughing bridges over; the same shaft without it; a
// contour pass on the bar; the multi-pass operation's own finishing pass
// deeper than its roughing's cut.
TEST_F(FieldProgramsTest, AFinishingPassMeetingMoreThanOneCutIsReported) {
    // Diameter 30 from the face to z = -10 and from -25 to the back face at
    // -40; between them, with the pocket, diameter 22.
    const std::string pocket =
        "LineSeg( 0,0, 0,-15, 1 ); LineSeg( 0,-15, -10,-15, 1 ); LineSeg( -10,-15, -10,-11, 1 ); "
        "LineSeg( -10,-11, -25,-11, 1 ); LineSeg( -25,-11, -25,-15, 1 ); LineSeg( -25,-15, -40,-15, 1 ); "
        "LineSeg( -40,-15, -40,0, 1 );";
    const std::string plain = "LineSeg( 0,0, 0,-15, 1 ); LineSeg( 0,-15, -40,-15, 1 ); LineSeg( -40,-15, -40,0, 1 );";
    // The face with a 1 x 45 degree chamfer at its edge: roughed and finished
    // over the chamfer and the diameter, then faced twice (1 mm left, then
    // none), or from a bar 3 mm over the face (2 mm left, then none). The
    // face's line runs on past the chamfer, through air.
    const std::string chamfered =
        "LineSeg( 0,0, 0,-14, 1 ); LineSeg( 0,-14, -1,-15, 1 ); "
        "LineSeg( -1,-15, -40,-15, 1 ); LineSeg( -40,-15, -40,0, 1 );";
    const std::vector<std::string> turned = {"name=Черновая tool=1 work=2-3 allowance=0.5\ncreate 1",
                                             "name=Чистовая tool=2 work=2-3\ncreate 2"};
    const auto facedTwice = [&](const char* left) {
        std::vector<std::string> operations = turned;
        operations.push_back(std::string("name=Подрезка tool=2 work=1 allowance=") + left + "\ncreate 2");
        operations.push_back("name=Подрезка tool=2 work=1\ncreate 2");
        return operations;
    };
    struct Case {
        const char* name;
        std::string profile, bar;
        std::vector<std::string> operations;
        int reported = -1;          // the operation reported, -1 none
        double depth = 0;           // the stock it meets
        int roughing = -1;          // the operation whose depth of cut it exceeds, -1 its tool's
        double zFrom = 0, zTo = 0;  // where: a stretch of the part
        double dFrom = 0, dTo = 0;  // between these diameters
        const char* tool1 = "r0.8.rdp";
        const char* tool2 = "r0.4.rdp";
    } cases[] = {
        {"a pocket roughing bridges over",
         pocket,
         "L=60 D=40 Z=2 x0=45 z0=32",
         {"name=Черновая tool=1 work=2-6 allowance=0.5\ncreate 1", "name=Чистовая tool=2 work=2-6\ncreate 2"},
         1,
         4.5,
         0,
         -25,
         -10,
         22,
         30},
        {"no pocket",
         plain,
         "L=60 D=40 Z=2 x0=45 z0=32",
         {"name=Черновая tool=1 work=2-2 allowance=0.5\ncreate 1", "name=Чистовая tool=2 work=2-2\ncreate 2"}},
        {"a contour pass on the bar",
         plain,
         "L=60 D=40 Z=2 x0=45 z0=32",
         {"name=Чистовая tool=2 work=2-2\ncreate 2"},
         0,
         5.0,
         -1,
         -40,
         0,
         30,
         30},
        {"a contour pass on a bar 1 mm over",
         plain,
         "L=60 D=32 Z=2 x0=45 z0=32",
         {"name=Чистовая tool=2 work=2-2\ncreate 2"}},
        {"a relief groove the finishing pass bridges",
         "LineSeg( 0,0, 0,-10, 1 ); LineSeg( 0,-10, -25,-10, 1 ); LineSeg( -25,-10, -25,-8.8, 1 ); "
         "LineSeg( -25,-8.8, -28,-8.8, 1 ); LineSeg( -28,-8.8, -28,-15, 1 ); LineSeg( -28,-15, -40,-15, 1 ); "
         "LineSeg( -40,-15, -40,0, 1 );",
         "L=60 D=34 Z=2 x0=45 z0=32",
         {"name=Черновая tool=1 work=1-5 allowance=0.3\ncreate 1", "name=Чистовая tool=2 work=1-5\ncreate 2"},
         -1,
         0,
         -1,
         0,
         0,
         0,
         0,
         "r0.8.rdp",
         "square.rdp"},
        {"a finishing depth over the roughing's cut",
         plain,
         "L=60 D=40 Z=2 x0=45 z0=32",
         {"name=Черновая tool=1 work=2-2 cycle.I=1 cycle.P4=1.2\ncreate 1"},
         0,
         1.2,
         0,
         -40,
         0,
         30,
         30},
        {"a face faced again under 1 mm left", chamfered, "L=60 D=40 Z=2 x0=45 z0=32", facedTwice("1")},
        {"a face faced again under 2 mm left", chamfered, "L=60 D=40 Z=3 x0=45 z0=32", facedTwice("2"), 3, 2.0, 0, 0, 0,
         0, 28},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HostDocumentPtr doc = MakePlan(c.profile, c.bar, c.operations, c.tool1, c.tool2);
        CPLAN& plan = *GetPLAN();
        for (int i = 0; i < plan.GetTurnCount(); ++i) {
            const auto& op = dynamic_cast<const CTurn&>(*plan.GetTurn(i));
            ASSERT_FALSE(op.HasMessage()) << op.messageText;
            const std::optional<ExcessEngagement> excess = FindExcessEngagement(op);
            EXPECT_EQ(excess.has_value(), i == c.reported) << "operation " << i;
            if (!excess || i != c.reported) continue;
            EXPECT_NEAR(excess->depth, c.depth, 0.05);
            EXPECT_EQ(excess->roughing, c.roughing);
            EXPECT_GE(excess->z, c.zFrom - 1e-6);
            EXPECT_LE(excess->z, c.zTo + 1e-6);
            EXPECT_GE(-2.0 * excess->x, c.dFrom - 1e-3);
            EXPECT_LE(-2.0 * excess->x, c.dTo + 1e-3);
            // The report names the operation whose cut it exceeds.
            const std::string said = excess->Describe();
            EXPECT_NE(said.find(c.roughing >= 0 ? "of operation 0 \"Черновая\"" : "of its tool"), std::string::npos)
                << said;
            EXPECT_FALSE(op.Frames().empty());
        }
        app->Documents().Close(doc);
        DeletePLAN();
        DeleteSPID();
    }
}

}  // namespace
}  // namespace zarvento::test
