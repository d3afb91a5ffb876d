// Bores through the whole chain, as a user makes them: the part turned from
// its profile, the working contour picked on its section and closed onto the
// stock by the contour builder, roughed in every strategy and finished by a
// contour pass, under both bundled post-processors. Through bores end at the
// part's back face while the bar goes on behind it into the chuck; blind
// bores step down to the bar's hole. The paths keep their passes up to the
// back face and its overrun, their ends off the bore's walls, and the offset
// of a bore's small fillets in one piece.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "catalogs/tool_model_text.h"
#include "geometry/arc_unit.h"
#include "operations/headless_turn_panels.h"
#include "operations/turn.h"
#include "path_checks.h"
#include "plan/command_script.h"
#include "plan/plan.h"
#include "plan/plan_panels.h"
#include "plan/spid.h"
#include "platform/core/host_folder.h"
#include "platform/core/text_file.h"
#include "platform/documents/host_application.h"
#include "platform/processes/module.h"
#include "program_checks.h"
#include "random_profiles.h"
#include "test_support.h"

namespace zarvento::test {
namespace {

namespace fs = std::filesystem;

// A boring bar's model: a plate 6 by 3 with its round back away from the
// nose, which lies towards the axis; its corner radius and feed are filled
// in.
std::string BoringBar(const char* radius, const char* feed) {
    return std::string("zarvento-tool-model 1\nvariable TYPE_ 12 \"Тип инструмента%\"\nvariable r ") + radius +
           " \"Радиус при вершине\"\nvariable nP 2 \"Положение вершины%\"\nvariable L 6 \"Длина пластины\"\n"
           "variable W 3 \"Ширина пластины\"\nvariable FEED1 " +
           feed +
           " \"Подача, мм/об\"\nvariable SPIN 900 \"Частота вращения, об/мин\"\n"
           "variable VCUT 160 \"Скорость резания, м/мин\"\nsketch Contour\nline 0 0 -L 0\narc -L W/2 W/2 -L 0 -L W -1\n"
           "line -L W 0 0\narc 0 -10000 10000 0 0 0 0 1\nend\n";
}

// The refusals no sane bore may get: the offset of its wall in pieces, and a
// feed move (a pass, a lead) whose nose runs into the part.
constexpr const char* kSplitOffset = "Эквидистанта рабочего контура распадается на части";
constexpr const char* kFeedIntoThePart = "Траектория врезается в деталь";

// Whether a refusal is the nose's: a feed move into the part, and not by
// what else of the tool's outline reaches in (its edges or holder, which
// the paths do not yet steer by in every bore; those are counted).
bool NoseIntoThePart(const std::string& refusal) {
    if (refusal.find(kFeedIntoThePart) == std::string::npos) return false;
    for (const char* other : {"режущей кромкой", "державкой", "частью инструмента"})
        if (refusal.find(other) != std::string::npos) return false;
    return true;
}

// A refusal's kind: its first line after the heading, without the figures
// and places ("Траектория врезается в деталь на 0.740 мм режущей кромкой:
// ..." is "Траектория врезается в деталь режущей кромкой").
std::string Kind(const std::string& message) {
    std::string kind = message.substr(message.find('\n') == std::string::npos ? 0 : message.find('\n') + 1);
    for (const char* cut : {"\n", ": ", " в точке "}) kind = kind.substr(0, kind.find(cut));
    if (const std::size_t on = kind.find(" на "); on != std::string::npos) {
        const std::size_t mm = kind.find(" мм", on);
        kind.erase(on, mm == std::string::npos ? std::string::npos : mm + 5 - on);
    }
    return kind;
}

// The part of a bore in a bar of 50 bored to 12, from z = 2 back to z = -50;
// the bar goes on to z = -58, where the chuck holds it.
constexpr double kBackZ = -50.0;
constexpr const char* kBar = "L=60 D=50 d=12 Z=2";

struct BorePart {
    std::string section;  // the part's closed section in the units' script form
    bool through = false;
};

// A bore of the random features the operation suites use, from the part's
// back face (through) or from a bottom that steps down to the bar's hole
// (blind) towards the face at z = 2; the part's outside is the bar's.
BorePart RandomBorePart(std::mt19937& random, bool through) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto between = [&](double lo, double hi) { return lo + (hi - lo) * unit(random); };
    const std::string rim = "LineSeg( 2,-25, " + FormatDouble(kBackZ) + ",-25, 1 );\n";
    BorePart part;
    part.through = through;
    if (through) {
        ProfileWriter w{"", kBackZ, -11.0 - 5.0 * unit(random)};
        const std::string back =
            "LineSeg( " + FormatDouble(kBackZ) + ",-25, " + FormatDouble(kBackZ) + "," + FormatDouble(w.x) + ", 1 );\n";
        AddRandomBoreFeatures(w, random, 1 + static_cast<int>(random() % 6));
        part.section = back + FinishBoreMouth(w, random, "").inBar + rim;
        return part;
    }
    const double bottom = -between(15.0, 40.0);
    ProfileWriter w{"", bottom, -between(11.0, 16.0)};
    const std::string fromHole =
        "LineSeg( " + FormatDouble(bottom) + ",-6, " + FormatDouble(bottom) + "," + FormatDouble(w.x) + ", 1 );\n";
    AddRandomBoreFeatures(w, random, 1 + static_cast<int>(random() % 6));
    const std::string back = "LineSeg( " + FormatDouble(kBackZ) + ",-25, " + FormatDouble(kBackZ) +
                             ",-6, 1 );\nLineSeg( " + FormatDouble(kBackZ) + ",-6, " + FormatDouble(bottom) +
                             ",-6, 1 );\n";
    part.section = FinishBoreMouth(w, random, fromHole).inBar + rim + back;
    return part;
}

class BoreProgramsTest : public CleanStateTest {
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
        for (const auto& [name, radius, feed] :
             {std::tuple{"roughing", "0.8", "0.25"}, std::tuple{"finishing", "0.2", "0.1"}}) {
            const fs::path text = folder.Path() / (std::string(name) + ".txt");
            std::ofstream(text) << BoringBar(radius, feed);
            ToolModelText::Convert(text.string(), (folder.Path() / (std::string(name) + ".rdp")).string());
        }
        // The bundled catalog's boring bar with a square insert, its nose
        // ground to 0.2, and the cutting data its model lacks.
        FileReadResult bar = ReadTextFile(fs::path(FixturePath("")) / ".." / ".." / "catalog" / "TOOLS" / "Токарные" /
                                              "Расточные" / "Резец расточной.txt",
                                          TextEncoding::Utf8);
        ASSERT_TRUE(bar.ok);
        const std::string nose = "variable r 0.4 ", data =
                                                        "variable FEED1 0.1 \"Подача, мм/об\"\n"
                                                        "variable SPIN 900 \"Частота вращения, об/мин\"\n";
        ASSERT_NE(bar.text.find(nose), std::string::npos);
        bar.text.replace(bar.text.find(nose), nose.size(), "variable r 0.2 ");
        bar.text.insert(bar.text.find("variable "), data);
        std::ofstream(folder.Path() / "square.txt") << bar.text;
        ToolModelText::Convert((folder.Path() / "square.txt").string(), (folder.Path() / "square.rdp").string());
    }
    void TearDown() override {
        RegisterPlanPanels(previous);
        SetModuleDirectory(std::nullopt);
        CleanStateTest::TearDown();
    }

    // A new part document of the section with its coordinate system under
    // the post-processor, the bar and the two boring bars; the units of its
    // section that make the bore's wall as the operations' `work` field
    // takes them, empty when the script failed.
    std::string MakePart(const std::string& section, const std::string& post, const std::string& bar = kBar,
                         const char* finishing = "finishing.rdp") {
        std::ofstream(folder.Path() / "part.profile") << section;
        doc = app->Documents().Add(DocumentType::Part);
        CommandScript runner(folder.Path());
        runner.Run("lsc \"ЛСК-1\"\nprofile part.profile\nanswer lsc ok lsc=\"ЛСК-1\" post=" + post +
                   "\ncoordinate-system\nanswer spid ok " + bar +
                   " positions=4 x0=60 z0=40 tool1=Черновой model1=" + (folder.Path() / "roughing.rdp").string() +
                   " tool2=Чистовой model2=" + (folder.Path() / finishing).string() + "\nplan-data\n");
        const Contour* part = GetSPID()->GetDetailContour();
        if (runner.CommandsFailed() != 0 || !part) return "";
        // The wall: neither the bar's outside, nor the faces out to it, nor the hole.
        int first = -1, last = -1;
        const BoundBox box = part->GetBoundBox();
        for (int i = 0; i < part->Count(); ++i) {
            const CUnit& u = *part->GetUnit(i);
            const bool outside =
                std::fabs(u.StartPoint.x - box.xmin) < 1e-6 || std::fabs(u.EndPoint.x - box.xmin) < 1e-6;
            const bool hole = std::fabs(u.StartPoint.x + 6.0) < 1e-6 && std::fabs(u.EndPoint.x + 6.0) < 1e-6;
            if (outside || hole) continue;
            if (first < 0) first = i;
            if (last >= 0 && i != last + 1) return "";
            last = i;
        }
        return first < 0 ? "" : "work=" + std::to_string(first) + "-" + std::to_string(last);
    }

    // Plans the operations on the part made last, afresh.
    void Plan(const std::vector<std::string>& operations) {
        GetPLAN()->ClearTurns();
        std::string script;
        for (const std::string& op : operations) script += "answer turn ok " + op + "\n";
        CommandScript runner(folder.Path());
        runner.Run(script);
    }

    // The first message of the plan's operations, as the main job would
    // refuse the plan with it; then the main job's own verdict on the
    // program as written. Empty when it would write the program.
    std::string Refusal(WrittenPlan& written) {
        CPLAN& plan = *GetPLAN();
        for (int i = 0; i < plan.GetTurnCount(); ++i)
            if (plan.GetTurn(i)->HasMessage()) return plan.GetTurn(i)->messageText;
        written = WritePlan();
        EXPECT_TRUE(written.faults.empty()) << written.text;
        if (written.judged) return "";
        for (int i = 0; i < plan.GetTurnCount(); ++i)
            if (plan.GetTurn(i)->HasMessage()) return plan.GetTurn(i)->messageText;
        return "refused without a message";
    }

    // What the program of a plan the main job writes must keep to: no move
    // of any operation behind the part's back face farther than the
    // overrun; read back as written, no nose circle into the part, no rapid
    // into the part or the stock still standing, no pass run on past the back
    // face into the stock there.
    void ExpectProgramHolds(const WrittenPlan& written, double barLength, double barInner = 12) {
        CPLAN& plan = *GetPLAN();
        const Contour& part = *GetSPID()->GetDetailContour();
        const auto bar = BarContour(barLength, 50, barInner, 2);
        MachiningCheck check(*bar, part);
        for (int i = 0; i < plan.GetTurnCount(); ++i) {
            const CTurn& op = dynamic_cast<const CTurn&>(*plan.GetTurn(i));
            SCOPED_TRACE(op.sNameTurn);
            EXPECT_EQ(FirstMoveBehindTheBackFace(op, part), "");
            std::vector<ReadMove> own;
            bool cycle = false;
            for (const ReadMove& m : written.moves) {
                if (m.op != i) continue;
                // A machine cycle's profile: the control roughs to it.
                if (m.inCycle)
                    cycle = true;
                else
                    own.push_back(m);
            }
            EXPECT_EQ(check.Run(
                          own, [&](const ReadMove&) { return NoseOf(op); }, 0.005),
                      "")
                << written.text;
            if (cycle && op.finalContour) check.Leave(*op.finalContour);
        }
    }

    TempDir folder;
    HostApplication* app = nullptr;
    HostDocumentPtr doc;
    HeadlessTurnPanels panels;
    PlanPanels* previous = nullptr;
};

// How a bore is machined: the roughing's fields, and the contour pass after
// it (none, against or along its working contour).
struct Strategy {
    const char* name;
    const char* roughing;
    const char* finishing;
};
const Strategy kStrategies[] = {
    {"longitudinal, contour pass against", "cycle.P3=1", ""},
    {"facing, contour pass along", "cycle.P3=2", "direction=along"},
    {"along the profile", "cycle.P3=3", nullptr},
    {"with plan angles, contour pass along", "cycle.P3=1 cycle.P7=1", "direction=along"},
    {"the machine cycle, contour pass against", "cycle.P3=1 output=cycle", ""},
    {"longitudinal with its own finishing pass", "cycle.P3=1 cycle.P4=0.5", nullptr},
};

// A bushing from a tube of 50 bored to 20 and 80 long: a bore of 30
// through the part, whose back face stands at z = -50 while the tube goes
// on to z = -78 into the chuck. Its passes ran on to the tube's end (`G01
// Z-78` for a part ending at Z-50, the finishing pass from the tube's end);
// now every strategy stops at the back face and its overrun, under both
// post-processors.
TEST_F(BoreProgramsTest, ABushingsBoreIsNotMachinedBehindThePart) {
    const std::string bushing =
        "LineSeg( -50,-15, -50,-24, 1 );\nLineSeg( -50,-24, 0,-24, 1 );\nLineSeg( 0,-24, 0,-15, 1 );\n"
        "LineSeg( 0,-15, -50,-15, 1 );\n";
    for (const char* post : {"ISO_Lathe", "ISO_Python"}) {
        SCOPED_TRACE(post);
        const std::string work = MakePart(bushing, post, "L=80 D=50 d=20 Z=2");
        ASSERT_EQ(work, "work=0-0");
        for (const Strategy& s : kStrategies) {
            SCOPED_TRACE(s.name);
            std::vector<std::string> operations = {"name=Черновая tool=1 work=0 allowance=0.5 cycle.I=2 " +
                                                   std::string(s.roughing) + "\ncreate 1"};
            if (s.finishing)
                operations.push_back("name=Чистовая tool=2 work=0 " + std::string(s.finishing) + "\ncreate 2");
            Plan(operations);
            WrittenPlan written;
            ASSERT_EQ(Refusal(written), "");
            ExpectProgramHolds(written, 80, 20);
            // The roughing's passes (or its machine cycle's profile) reach the face.
            double deepest = 0.0;
            for (const ReadMove& m : written.moves)
                if (m.op == 0) deepest = std::min({deepest, m.z1, m.z2});
            EXPECT_LT(deepest, -50.0 + 1e-3);
        }
        app->Documents().Close(doc);
        DeletePLAN();
        DeleteSPID();
    }
}

// A working contour of two units in a bore: the round on the edge of a
// step and the step's face out to the wider bore before it. The face's end
// was carried on across the axis, through the wall of the wider bore out
// to the bar's outside, and the passes and the contour pass's lead-out
// followed it (4 to 6 mm into the wall). It leaves along the bore's axis.
TEST_F(BoreProgramsTest, AStepsFaceLeavesAlongTheBoresAxis) {
    const std::string stepped =
        "LineSeg( -50,-25, -50,-6, 1 );\nLineSeg( -50,-6, -30,-6, 1 );\nLineSeg( -30,-6, -30,-15, 1 );\n"
        "LineSeg( -30,-15, -13.5,-15, 1 );\nArcByPoint( -13.5,-16.5, 1.5, -13.5,-15, -12,-16.5, -1, 1 );\n"
        "LineSeg( -12,-16.5, -12,-18, 1 );\nLineSeg( -12,-18, 2,-18, 1 );\nLineSeg( 2,-18, 2,-25, 1 );\n"
        "LineSeg( 2,-25, -50,-25, 1 );\n";
    ASSERT_NE(MakePart(stepped, "ISO_Lathe"), "");
    // The round and the face on the part's section.
    const Contour& part = *GetSPID()->GetDetailContour();
    int round = -1;
    for (int i = 0; i < part.Count(); ++i)
        if (part.GetUnit(i)->Kind == kUnitArc) round = i;
    ASSERT_GE(round, 0);
    const CUnit& next = *part.GetUnit((round + 1) % part.Count());
    const int face = std::fabs(next.StartPoint.z - next.EndPoint.z) < 1e-6 ? round + 1 : round - 1;
    const std::string work =
        "work=" + std::to_string(std::min(round, face)) + "-" + std::to_string(std::max(round, face));
    for (const Strategy& s : kStrategies) {
        SCOPED_TRACE(s.name);
        std::vector<std::string> operations = {"name=Черновая tool=1 " + work + " allowance=0.5 cycle.I=2 " +
                                               std::string(s.roughing) + "\ncreate 1"};
        if (s.finishing)
            operations.push_back("name=Чистовая tool=2 " + work + " " + std::string(s.finishing) + "\ncreate 2");
        Plan(operations);
        WrittenPlan written;
        const std::string refusal = Refusal(written);
        // The machine cycle takes no profile that turns back along Z.
        if (refusal.find("Контур нельзя обработать в циклах G71") != std::string::npos) continue;
        ASSERT_FALSE(NoseIntoThePart(refusal)) << refusal;
        if (!refusal.empty()) continue;
        ExpectProgramHolds(written, 60);
    }
}

// A working contour of two units at the bottom of a recess (the first bore
// the random test makes): a fillet and the face of a step out to the wider
// bore, whose end meets a bulge of its wall ahead along the axis. Neither
// way on across nor along the axis keeps off the part; the end was carried
// on through the wall to the bar's outside, and the passes cut into the
// part. It leaves over the bulge, towards the axis.
TEST_F(BoreProgramsTest, AStepsFaceInARecessLeavesOverTheBulgeAhead) {
    std::mt19937 random(7607);
    const BorePart bore = RandomBorePart(random, true);
    ASSERT_NE(MakePart(bore.section, "ISO_Lathe"), "");
    const Contour& part = *GetSPID()->GetDetailContour();
    ASSERT_GT(part.Count(), 10);
    const CUnit& fillet = *part.GetUnit(9);
    const CUnit& face = *part.GetUnit(10);
    ASSERT_EQ(fillet.Kind, kUnitArc);
    ASSERT_NEAR(static_cast<const CArcUnit&>(fillet).Radius, 1.166, 1e-3);
    ASSERT_NEAR(face.StartPoint.z, face.EndPoint.z, 1e-9);
    for (const Strategy& s : kStrategies) {
        SCOPED_TRACE(s.name);
        std::vector<std::string> operations = {"name=Черновая tool=1 work=9-10 allowance=0.5 cycle.I=2 " +
                                               std::string(s.roughing) + "\ncreate 1"};
        if (s.finishing)
            operations.push_back("name=Чистовая tool=2 work=9-10 " + std::string(s.finishing) + "\ncreate 2");
        Plan(operations);
        WrittenPlan written;
        const std::string refusal = Refusal(written);
        if (refusal.find("Контур нельзя обработать в циклах G71") != std::string::npos) continue;
        ASSERT_FALSE(NoseIntoThePart(refusal)) << refusal;
        if (!refusal.empty()) continue;
        ExpectProgramHolds(written, 60);
    }
}

// A bore through the part with two bulges and a hollow in its wall and a
// step towards the axis (one of the random ones), finished with a square
// insert whose trailing edge runs along the pass: taken for an outside
// tool's, the step towards the axis was a drop behind the nose, bridged at
// the pass's level, and the pass against the contour ran on through the step
// 1.2 mm deep (along it, its round cut 0.05 mm into the edge). There the
// step is stock in front of the nose; only a widening is bridged.
TEST_F(BoreProgramsTest, ASquareInsertBridgesNoStepTowardsTheAxis) {
    const std::string bore =
        "LineSeg( -50,-25, -50,-12.3332308, 1 );\nLineSeg( -50,-12.3332308, -45.2482296,-12.3332308, 1 );\n"
        "ArcByPoint( -42.6498744,-10.0842232, 3.4364932, -45.2482296,-12.3332308, -40.0515192,-12.3332308, 1, 1 );\n"
        "LineSeg( -40.0515192,-12.3332308, -36.4568791,-12.3332308, 1 );\n"
        "ArcByPoint( -34.5370971,-12.036193, 1.9426257, -36.4568791,-12.3332308, -32.617315,-12.3332308, 1, 1 );\n"
        "LineSeg( -32.617315,-12.3332308, -30.8947662,-12.3332308, 1 );\n"
        "ArcByPoint( -30.8947662,-12.5069606, 0.1737298, -30.8947662,-12.3332308, -30.7210364,-12.5069606, -1, 1 "
        ");\n"
        "LineSeg( -30.7210364,-12.5069606, -30.7210364,-13.5344204, 1 );\n"
        "LineSeg( -30.7210364,-13.5344204, -25.9147412,-13.5344204, 1 );\n"
        "ArcByPoint( -24.7603088,-12.2702878, 1.711942, -25.9147412,-13.5344204, -23.6058764,-13.5344204, 1, 1 );\n"
        "LineSeg( -23.6058764,-13.5344204, 2,-13.5344204, 1 );\nLineSeg( 2,-13.5344204, 2,-25, 1 );\n"
        "LineSeg( 2,-25, -50,-25, 1 );\n";
    const std::string work = MakePart(bore, "ISO_Lathe", kBar, "square.rdp");
    ASSERT_NE(work, "");
    for (const char* direction : {"", "direction=along"}) {
        SCOPED_TRACE(*direction ? direction : "against");
        Plan({"name=Черновая tool=1 " + work + " allowance=0.5 cycle.I=2\ncreate 1",
              "name=Чистовая tool=2 " + work + " " + direction + "\ncreate 2"});
        WrittenPlan written;
        // The insert's corner may still touch the hollow's edge where the
        // pass rounds it (the check of the whole tool says so); its nose
        // keeps off the part all along.
        const std::string refusal = Refusal(written);
        ASSERT_FALSE(NoseIntoThePart(refusal)) << refusal;
        ASSERT_FALSE(written.moves.empty()) << refusal;
        ExpectProgramHolds(written, 60);
    }
}

// Random bores through the part and blind ones, under both bundled
// post-processors, roughed in every strategy at a random depth and finished
// by a contour pass with a nose of 0.2 (a round bar's, or the catalog's
// square insert's). The refusals are counted by their
// message: none is the offset of the bore's wall falling into pieces or a
// feed move into the part. Every program the main job writes keeps its
// moves up to the part's back face and its overrun and off the part.
TEST_F(BoreProgramsTest, RandomBoresStopAtTheBackFaceAndKeepTheirWalls) {
    const int bores = kSanitizedBuild ? 2 : 10;
    std::mt19937 random(7607);
    std::uniform_real_distribution<double> depth(1.0, 3.0);
    std::map<std::string, int> refusals;
    int plans = 0;
    for (int run = 0; run < bores; ++run) {
        const BorePart bore = RandomBorePart(random, run % 2 == 0);
        const std::string t = FormatDouble(std::round(depth(random) * 10.0) / 10.0);
        for (const char* post : {"ISO_Lathe", "ISO_Python"}) {
            SCOPED_TRACE("run " + std::to_string(run) + ", " + post + ", depth " + t + "\n" + bore.section);
            // Every other bore is finished with the catalog's square insert.
            const std::string work = MakePart(bore.section, post, kBar, run % 4 < 2 ? "square.rdp" : "finishing.rdp");
            ASSERT_NE(work, "");
            for (const Strategy& s : kStrategies) {
                SCOPED_TRACE(s.name);
                std::vector<std::string> operations = {"name=Черновая tool=1 " + work + " allowance=0.5 cycle.I=" + t +
                                                       " " + s.roughing + "\ncreate 1"};
                if (s.finishing)
                    operations.push_back("name=Чистовая tool=2 " + work + " " + s.finishing + "\ncreate 2");
                Plan(operations);
                ++plans;
                WrittenPlan written;
                const std::string refusal = Refusal(written);
                if (!refusal.empty()) {
                    ++refusals[Kind(refusal)];
                    EXPECT_EQ(refusal.find(kSplitOffset), std::string::npos) << refusal;
                    EXPECT_FALSE(NoseIntoThePart(refusal)) << refusal;
                    continue;
                }
                ExpectProgramHolds(written, 60);
            }
            app->Documents().Close(doc);
            DeletePLAN();
            DeleteSPID();
        }
    }
    std::string tally;
    int refused = 0;
    for (const auto& [message, count] : refusals) {
        tally += std::to_string(count) + " x " + message + "\n";
        refused += count;
    }
    RecordProperty("refusals", tally);
    std::printf("%d of %d plans refused\n%s", refused, plans, tally.c_str());
}

}  // namespace
}  // namespace zarvento::test
