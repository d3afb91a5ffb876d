// Dense polylines as CAD systems export curved faces (500 to 20,000 segments,
// points rounded to 4 to 6 decimals, so that neighbours run nearly or exactly
// in line), through the whole chain as the program runs it: the part made
// from its faces by script, the working contour picked on the section with
// an allowance, roughing along Z, across it and along the profile, with and
// without the clean-up pass, and the contour pass after it. On every path:
// no error, continuity, a bounded number of moves, the nose circle clear of
// the part by the allowance (and every rapid clear of the stock), and no
// more than one depth of cut left anywhere in the regions the roughing
// machines.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "catalogs/param_tool.h"
#include "catalogs/tool_model_text.h"
#include "dense_profiles.h"
#include "multipass_test_support.h"
#include "operations/headless_turn_panels.h"
#include "operations/path_clearance.h"
#include "operations/turn.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations_test_support.h"
#include "path_checks.h"
#include "plan/command_script.h"
#include "plan/plan.h"
#include "plan/plan_panels.h"
#include "plan/spid.h"
#include "platform/core/host_folder.h"
#include "platform/documents/host_application.h"
#include "platform/processes/module.h"
#include "program_checks.h"
#include "test_support.h"

namespace zarvento::test {
namespace {

namespace fs = std::filesystem;

// Roughing strategies as the panel numbers them (cycle.P3), and the contour
// pass after a longitudinal roughing.
enum Strategy { kLongitudinal = 1, kFacing = 2, kProfile = 3, kContourPass = 0 };

struct Case {
    DenseForm form;
    int segments, decimals;
    Strategy strategy;
    bool cleanUp;
    double depth;
};

std::string Describe(const Case& c) {
    const char* forms[] = {"wavy shaft", "monotone shaft", "bore"};
    const char* strategies[] = {"contour pass", "longitudinal", "facing", "profile"};
    return std::string(forms[static_cast<int>(c.form)]) + ", " + std::to_string(c.segments) + " segments, " +
           std::to_string(c.decimals) + " decimals, " + strategies[c.strategy] + (c.cleanUp ? ", clean-up" : "") +
           ", depth " + std::to_string(c.depth);
}

constexpr double kAllowance = 0.5;

// A boring tool: the roughing tool's model turned over, its insert reaching
// from the nose towards the axis, short enough for a bore of 12 that what of
// it passes the axis keeps off the bore's other side.
constexpr const char* kBoringTool =
    "zarvento-tool-model 1\nvariable TYPE_ 12 \"Тип инструмента%\"\nvariable r 0.8 \"Радиус при вершине\"\n"
    "variable nP 2 \"Положение вершины%\"\nvariable L 6 \"Длина пластины\"\nvariable W 3 \"Ширина пластины\"\n"
    "variable FEED1 0.25 \"Подача, мм/об\"\nvariable SPIN 900 \"Частота вращения, об/мин\"\n"
    "variable VCUT 160 \"Скорость резания, м/мин\"\nsketch Contour\nline 0 0 -L 0\narc -L W/2 W/2 -L 0 -L W -1\n"
    "line -L W 0 0\narc 0 -10000 10000 0 0 0 0 1\nend\n";

// A finishing boring tool: the same with a nose of 0.2.
constexpr const char* kFineBoringTool =
    "zarvento-tool-model 1\nvariable TYPE_ 12 \"Тип инструмента%\"\nvariable r 0.2 \"Радиус при вершине\"\n"
    "variable nP 2 \"Положение вершины%\"\nvariable L 6 \"Длина пластины\"\nvariable W 3 \"Ширина пластины\"\n"
    "variable FEED1 0.1 \"Подача, мм/об\"\nvariable SPIN 900 \"Частота вращения, об/мин\"\n"
    "variable VCUT 160 \"Скорость резания, м/мин\"\nsketch Contour\nline 0 0 -L 0\narc -L W/2 W/2 -L 0 -L W -1\n"
    "line -L W 0 0\narc 0 -10000 10000 0 0 0 0 1\nend\n";

// The folder the scripts name their files from, for a test's life.
class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    fs::path previous_;
};

// Pieces of a path or a contour as an indexed outline of their own.
std::unique_ptr<Contour> ContourOf(const std::vector<const CUnit*>& units) {
    auto contour = std::make_unique<Contour>();
    for (const CUnit* u : units) contour->AddUnit(u->Clone());
    return contour;
}

double PointDistance(const ClearanceOutline& outline, double z, double x, double within) {
    return outline.Distance(Curve2D::Line({z, x}, {z, x}), within);
}

// The first point of a region that lies deeper than one depth of cut under
// every cut and in a layer thicker than one depth, as text; empty when none.
std::string FirstPointLeft(const CTurn& op, double t) {
    std::vector<const CUnit*> cuts;
    std::vector<StepArray<CUnit*>> held;
    held.reserve(op.Frames().size());
    for (const auto& frame : op.Frames()) {
        if (frame->rapid) continue;
        held.emplace_back(4);
        frame->AddPathUnits(held.back());
        for (std::uint32_t k = 0; k < held.back().Count(); ++k) cuts.push_back(held.back()[k]);
    }
    if (cuts.empty()) return "no cut";
    const ClearanceOutline cutIndex(*ContourOf(cuts));
    const double reach = t + 1e-3;
    for (std::size_t i = 0; i < op.calc.regionList.size(); ++i) {
        auto outline = ReverseContour(op.calc.regionList[i]->Clone());
        outline->AppendCopy(*op.calc.pairedList[i]);
        const ClearanceOutline region(*outline), working(*op.calc.regionList[i]), stock(*op.calc.pairedList[i]);
        const BoundBox box = outline->GetBoundBox();
        for (double z = box.zmin + 0.01; z < box.zmax; z += 0.5) {
            for (double x = box.xmin + 0.01; x < box.xmax; x += 0.5) {
                if (!region.Inside({z, x})) continue;
                if (PointDistance(cutIndex, z, x, reach) < reach) continue;
                if (PointDistance(working, z, x, reach) + PointDistance(stock, z, x, reach) <= reach) continue;
                return "region " + std::to_string(i) + " point (" + std::to_string(z) + ", " + std::to_string(x) + ")";
            }
        }
    }
    return "";
}

// The first middle of the working units first .. last of the section farther
// than the nose radius (and a micrometre) from the nose centre's path, as
// text; empty when none. (A corner where the pass sets in may keep a few
// micrometres: the nose's round cannot fill a sharp valley.)
std::string FirstPointNotReached(const CTurn& op, const Contour& section, int first, int last) {
    const ParamTool* tool = op.GetTool();
    std::vector<const CUnit*> cuts;
    std::vector<StepArray<CUnit*>> held;
    held.reserve(op.Frames().size());
    for (const auto& frame : op.Frames()) {
        if (frame->rapid) continue;
        held.emplace_back(4);
        frame->AddPathUnits(held.back());
        for (std::uint32_t k = 0; k < held.back().Count(); ++k) cuts.push_back(held.back()[k]);
    }
    auto centres = ContourOf(cuts);
    centres->Move(tool->dNoseDx, -tool->dNoseDy);
    const ClearanceOutline path(*centres);
    const double reach = tool->r + 1e-3;
    for (int i = first; i <= last; ++i) {
        IntersectPoint p;
        section.GetUnit(i)->GetMiddlePoint(p);
        if (PointDistance(path, p.z, p.x, reach + 1.0) >= reach)
            return "unit " + std::to_string(i) + " at (" + std::to_string(p.z) + ", " + std::to_string(p.x) + ")";
    }
    return "";
}

class DenseProfileTest : public CleanStateTest {
protected:
    void TearDown() override {
        RegisterPlanPanels(nullptr);
        working.reset();
        SetModuleDirectory(std::nullopt);
        CleanStateTest::TearDown();
    }

    // The folder, the tool models and a new part document from the profile,
    // with its coordinate system and the stock and tool of `spid` (the
    // plan-data answer's values); false when a command of the script failed.
    bool MakePart(const std::string& profile, const std::string& spid) {
        ResetProcessState();
        SetHostFolder(folder.Path());
        SetModuleDirectory(folder.Path());
        RegisterTurnFactory();
        RegisterPlanPanels(&panels);
        if (!working) {
            fs::create_directories(folder.Path() / "POSTPROCESSORS");
            const fs::path source = fs::path(FixturePath("")) / ".." / "..";
            fs::copy_file(source / "POSTPROCESSORS" / "ISO_Lathe.py3", folder / "POSTPROCESSORS/ISO_Lathe.py3");
            working = std::make_unique<WorkingFolder>(folder.Path());
            ToolModelText::Convert((source / "examples" / "tools" / "roughing_tool.txt").string(), "roughing.rdp");
            std::ofstream("boring.txt") << kBoringTool;
            ToolModelText::Convert("boring.txt", "boring.rdp");
            std::ofstream("fine-boring.txt") << kFineBoringTool;
            ToolModelText::Convert("fine-boring.txt", "fine-boring.rdp");
        }
        HostApplication& app = ConnectHostApplication();
        app.Documents().Add(DocumentType::Part);
        std::ofstream("part.profile") << profile;
        CommandScript make(folder.Path());
        make.Run(
            "lsc \"ЛСК-1\"\nprofile part.profile\nanswer lsc ok lsc=\"ЛСК-1\" post=ISO_Lathe\n"
            "coordinate-system\nanswer spid ok " +
            spid + "\nplan-data\n");
        return make.CommandsFailed() == 0 && GetSPID()->GetDetailContour();
    }

    // Runs the plan's script: no command fails and no operation has a message.
    void RunPlan(const std::string& script) {
        CommandScript plan(folder.Path());
        plan.Run(script);
        for (int i = 0; i < GetPLAN()->GetTurnCount(); ++i)
            EXPECT_EQ(dynamic_cast<const CTurn&>(*GetPLAN()->GetTurn(i)).messageText, "") << "operation " << i;
        ASSERT_EQ(plan.CommandsFailed(), 0);
    }

    // Every operation's path runs on unbroken, keeps the nose circle off the
    // part (by the allowance while the roughing's cutting data stand) and
    // out of the stock at rapid.
    void ExpectPathsKeepOff(double allowance) {
        const ClearanceOutline part(*GetSPID()->GetDetailContour());
        for (int i = 0; i < GetPLAN()->GetTurnCount(); ++i) {
            const CTurn& op = dynamic_cast<const CTurn&>(*GetPLAN()->GetTurn(i));
            SCOPED_TRACE(op.sNameTurn);
            const std::vector<PathMove> moves = PathMoves(op);
            ASSERT_FALSE(moves.empty());
            ExpectContinuous(moves);
            std::optional<ClearanceOutline> before, after;
            if (op.prevFinalContour) before.emplace(*op.prevFinalContour);
            if (op.finalContour) after.emplace(*op.finalContour);
            ClearanceLimits limits;
            limits.allowance = allowance;
            const std::optional<PathIntrusion> intrusion =
                FindPathIntrusion(op, part, before ? &*before : nullptr, after ? &*after : nullptr, limits);
            EXPECT_FALSE(intrusion) << intrusion->Describe();
        }
    }

    // Makes the part and its plan by script and checks the paths.
    void Check(const Case& c) {
        SCOPED_TRACE(Describe(c));
        const DenseProfile dense = DenseProfileOf(c.form, c.segments, c.decimals);
        const bool bore = c.form == DenseForm::Bore;
        ASSERT_TRUE(MakePart(dense.script, std::string("L=105 D=62 Z=2 ") + (bore ? "d=12 " : "") +
                                               "positions=4 x0=60 z0=40 tool1=\"Резец\" model1=" +
                                               (bore ? "boring.rdp" : "roughing.rdp")));
        const Contour* section = GetSPID()->GetDetailContour();
        ASSERT_NE(section, nullptr);

        // The curved face on the section: the units that are neither faces
        // across the axis, nor the axis, nor the bore's outside.
        int first = -1, last = -1;
        for (int i = 0; i < section->Count(); ++i) {
            const CUnit& u = *section->GetUnit(i);
            const bool across = std::fabs(u.StartPoint.z - u.EndPoint.z) < 1e-9;
            const bool flat = std::fabs(u.StartPoint.x - u.EndPoint.x) < 1e-9 &&
                              (std::fabs(u.StartPoint.x) < 1e-9 || std::fabs(u.StartPoint.x + 30.0) < 1e-9);
            if (across || flat) continue;
            if (first < 0) first = i;
            last = i;
        }
        ASSERT_EQ(last - first + 1, c.segments) << "the curve is one run of the section's units";
        const std::string work = " work=" + std::to_string(first) + "-" + std::to_string(last);
        const std::string rough =
            "answer turn ok name=\"Черновая\" tool=1" + work + " allowance=0.5 cycle.I=" + std::to_string(c.depth) +
            " cycle.P3=" + std::to_string(c.strategy == kContourPass ? kLongitudinal : c.strategy) +
            " feed=TOOL.FEED1 spin=TOOL.SPIN\ncreate 1\n";
        const std::string finish = c.strategy == kContourPass
                                       ? "answer turn ok name=\"Чистовая\" tool=1" + work + " direction=along" +
                                             " feed=TOOL.FEED1 spin=TOOL.SPIN\ncreate 2\n"
                                       : "";
        CommandScript plan(folder.Path());
        plan.Run(rough + finish);
        ASSERT_EQ(plan.CommandsFailed(), 0);
        auto& roughing = dynamic_cast<CTurnMnogoProhod&>(*GetPLAN()->GetTurn(0));
        if (roughing.isZachistka != c.cleanUp) {
            roughing.isZachistka = c.cleanUp;
            GetPLAN()->DiagnosticRaschetPath();
        }

        const ClearanceOutline part(*section);
        for (int i = 0; i < GetPLAN()->GetTurnCount(); ++i) {
            const CTurn& op = dynamic_cast<const CTurn&>(*GetPLAN()->GetTurn(i));
            SCOPED_TRACE(op.sNameTurn);
            ASSERT_EQ(op.messageText, "");
            const std::vector<PathMove> moves = PathMoves(op);
            ASSERT_FALSE(moves.empty());
            ExpectContinuous(moves);
            // A few moves a segment for the passes that follow the profile,
            // a few more for each level of the passes across the stock.
            const double levels = 31.0 / c.depth + 2.0;
            EXPECT_LT(static_cast<double>(moves.size()),
                      4.0 * (c.segments + 2) * (c.strategy == kProfile ? levels : 1.0) + 50.0 * levels);
            const bool isRoughing = i == 0;
            std::optional<ClearanceOutline> before, after;
            if (op.prevFinalContour) before.emplace(*op.prevFinalContour);
            if (op.finalContour) after.emplace(*op.finalContour);
            ClearanceLimits limits;
            limits.allowance = isRoughing ? kAllowance : 0.0;
            const std::optional<PathIntrusion> intrusion =
                FindPathIntrusion(op, part, before ? &*before : nullptr, after ? &*after : nullptr, limits);
            EXPECT_FALSE(intrusion) << intrusion->Describe();
            if (isRoughing)
                EXPECT_EQ(FirstPointLeft(op, c.depth), "");
            else
                EXPECT_EQ(FirstPointNotReached(op, *section, first, last), "");
        }
        ExpectWrittenProgramKeepsOff(*section, bore);
    }

    // The program as the main job writes it, read back as a control reads
    // it: the job lets it pass, every operation has its moves, arcs turn the
    // way they were computed, and no nose circle reaches into the part nor
    // any rapid into the part or the stock still standing; no pass of the
    // through bore runs on past the part's back face into the bar's end.
    void ExpectWrittenProgramKeepsOff(const Contour& section, bool bore) {
        const WrittenPlan w = WritePlan();
        EXPECT_TRUE(w.faults.empty());
        ASSERT_TRUE(w.judged) << "the main job refuses its own program";
        const auto bar = BarContour(105, 62, bore ? 12 : 0, 2);
        MachiningCheck check(*bar, section);
        for (int i = 0; i < GetPLAN()->GetTurnCount(); ++i) {
            const CTurn& op = dynamic_cast<const CTurn&>(*GetPLAN()->GetTurn(i));
            std::vector<ReadMove> own;
            for (const ReadMove& m : w.moves)
                if (m.op == i) own.push_back(m);
            ASSERT_FALSE(own.empty()) << "operation " << i << " is missing from the program";
            ExpectArcsReadAsComputed(op, own, i);
            EXPECT_EQ(check.Run(
                          own, [&](const ReadMove&) { return NoseOf(op); }, 0.005),
                      "");
        }
    }

    TempDir folder;
    std::unique_ptr<WorkingFolder> working;
    HeadlessTurnPanels panels;
};

TEST_F(DenseProfileTest, EveryStrategyKeepsItsInvariants) {
    using F = DenseForm;
    // The sanitizer build takes the smaller cases.
    const std::vector<Case> cases = kSanitizedBuild
                                        ? std::vector<Case>{{F::WavyShaft, 1000, 9, kLongitudinal, false, 2.0},
                                                            {F::MonotoneShaft, 500, 4, kFacing, true, 2.5},
                                                            {F::Bore, 500, 5, kProfile, false, 1.5},
                                                            {F::WavyShaft, 500, 6, kContourPass, true, 2.0}}
                                        : std::vector<Case>{{F::WavyShaft, 1000, 9, kLongitudinal, false, 2.0},
                                                            {F::WavyShaft, 3000, 9, kLongitudinal, true, 2.0},
                                                            {F::WavyShaft, 20000, 6, kLongitudinal, true, 2.0},
                                                            {F::WavyShaft, 2000, 4, kFacing, false, 3.0},
                                                            {F::WavyShaft, 1500, 5, kProfile, true, 2.0},
                                                            {F::MonotoneShaft, 5000, 4, kLongitudinal, false, 1.5},
                                                            {F::MonotoneShaft, 800, 6, kFacing, true, 2.5},
                                                            {F::MonotoneShaft, 2500, 5, kProfile, false, 2.5},
                                                            {F::Bore, 1200, 4, kLongitudinal, true, 1.5},
                                                            {F::Bore, 700, 6, kFacing, false, 2.0},
                                                            {F::Bore, 3000, 5, kProfile, true, 1.5},
                                                            {F::WavyShaft, 20000, 4, kContourPass, true, 2.0},
                                                            {F::MonotoneShaft, 4000, 6, kContourPass, false, 2.0},
                                                            {F::Bore, 1000, 5, kContourPass, true, 2.0}};
    for (const Case& c : cases) Check(c);
}

// The operation suites' runner over the dense shafts: the section and the
// working contour taken as they are, without the part's body, so that the
// largest profiles are roughed in a few seconds.
class DenseRoughingTest : public OperationTest {};

// Roughing along Z over the longest profiles a CAD system hands over, down
// to the last level: the passes run on to the profile and leave no more than
// one depth of cut, however many segments the profile has.
TEST_F(DenseRoughingTest, TheLongestProfilesAreRoughedDownToTheLastLevel) {
    struct Big {
        DenseForm form;
        int segments, decimals;
    };
    const std::vector<Big> cases = kSanitizedBuild ? std::vector<Big>{{DenseForm::WavyShaft, 20000, 9}}
                                                   : std::vector<Big>{{DenseForm::WavyShaft, 100000, 9}};
    for (const Big& c : cases) {
        SCOPED_TRACE(std::to_string(c.segments) + " segments, " + std::to_string(c.decimals) + " decimals");
        const DenseProfile dense = DenseProfileOf(c.form, c.segments, c.decimals);
        // The curve, coming in from beyond the bar's face along its first
        // diameter and leaving up the back face past the bar.
        std::vector<std::string> lines;
        for (std::size_t at = 0; at < dense.script.size();) {
            const std::size_t end = dense.script.find('\n', at) + 1;
            lines.push_back(dense.script.substr(at, end - at));
            at = end;
        }
        // The coordinates of a line "LineSeg( z1,x1, z2,x2, 1 );" as written.
        const auto words = [](const std::string& line) {
            std::vector<std::string> out;
            std::string word;
            for (char ch : line.substr(line.find('(') + 1)) {
                if (ch == ',' || ch == ')') {
                    out.push_back(word);
                    word.clear();
                } else if (ch != ' ') {
                    word += ch;
                }
            }
            return out;
        };
        const std::string x0 = words(lines[static_cast<std::size_t>(dense.first)])[1];
        const std::string x1 = words(lines[static_cast<std::size_t>(dense.last)])[3];
        std::string curve = "LineSeg( 5," + x0 + ", 0," + x0 + ", 1 );\n";
        for (int i = dense.first; i <= dense.last; ++i) curve += lines[static_cast<std::size_t>(i)];
        curve += "LineSeg( -100," + x1 + ", -100,-32, 1 );\n";
        runner->Clear();
        runner->Bar(105, 62, 0, 2).InnerPoint(-50, -5).Part(dense.script);
        constexpr double kDepth = 2.0;
        CTurn& op = runner->AddKind(kTurnMnogoProhod, curve, [&](CTurn& o) {
            auto& m = dynamic_cast<CTurnMnogoProhod&>(o);
            o.nToolPosition = 0;
            o.isAutoTool = false;
            SetCycleValue(m.turningCycle, "P3", 0);
            SetCycleValue(m.turningCycle, "I", kDepth);
        });
        runner->Run();
        ASSERT_EQ(op.messageText, "");
        const std::vector<PathMove> moves = PathMoves(op);
        ASSERT_FALSE(moves.empty());
        ExpectContinuous(moves);
        const ClearanceOutline part(*GetSPID()->GetDetailContour());
        const std::optional<PathIntrusion> intrusion = FindPathIntrusion(op, part, nullptr, nullptr);
        EXPECT_FALSE(intrusion) << intrusion->Describe();
        EXPECT_EQ(FirstPointLeft(op, kDepth), "");
    }
}

// Four segments nearly in line between the two faces of a thin disc, the
// allowance far longer than they are: each one's offset is swallowed by
// the next ones', and the prolonged start of the working contour cuts
// through the bridge of the join that closes the gap (the nodes of the
// working contour must still meet).
TEST_F(DenseProfileTest, NearlyInLineUnitsUnderALongAllowanceKeepTheirNodes) {
    ASSERT_TRUE(
        MakePart("LineSeg( 0,0, 0,-19.486062577, 1 );\n"
                 "LineSeg( 0,-19.486062577, -0.02,-19.489291512, 1 );\n"
                 "LineSeg( -0.02,-19.489291512, -0.04,-19.49435867, 1 );\n"
                 "LineSeg( -0.04,-19.49435867, -0.06,-19.500574024, 1 );\n"
                 "LineSeg( -0.06,-19.500574024, -0.08,-19.506707532, 1 );\n"
                 "LineSeg( -0.08,-19.506707532, -0.08,0, 1 );\n",
                 "L=5.08 D=46 Z=5 positions=4 x0=60 z0=40 tool1=\"Резец\" model1=roughing.rdp"));
    RunPlan(
        "answer turn ok name=\"Черновая\" tool=1 work=2-5 allowance=0.5 cycle.P3=1 cycle.I=2 cycle.P1=0.5\n"
        "create 1\n");
    ExpectPathsKeepOff(kAllowance);
}

// Blind bores in a bar bored to 12, widening in steps towards the face with
// rounds of 1 on the edges and fillets of 1 in the corners, as a CAD system
// exports them (the arcs' centres rounded apart from their ends, a few
// hundredths of a micrometre off), finished by a contour pass with a nose
// of 0.2 both ways: the offset of the bore's wall stays one contour.
TEST_F(DenseProfileTest, BoresWithFilletsAreFinishedWithASmallNose) {
    const char* const bores[] = {
        "LineSeg( -40,-6, -40,-30, 1 );\nLineSeg( -40,-30, 0,-30, 1 );\nLineSeg( 0,-30, 0,-20.51966, 1 );\n"
        "LineSeg( 0,-20.51966, -13.18846,-20.51966, 1 );\n"
        "ArcByPoint( -13.18849,-19.51969, 1, -13.18846,-20.51966, -14.18846,-19.51966, -1, 1 );\n"
        "LineSeg( -14.18846,-19.51966, -14.18846,-17.88536, 1 );\n"
        "ArcByPoint( -15.18842,-17.88537, 1, -14.18846,-17.88536, -15.18846,-16.88536, 1, 1 );\n"
        "LineSeg( -15.18846,-16.88536, -16.7637,-16.88536, 1 );\nLineSeg( -16.7637,-16.88536, -16.7637,-14.7469, 1 );\n"
        "ArcByPoint( -17.76374,-14.74687, 1, -16.7637,-14.7469, -17.7637,-13.7469, 1, 1 );\n"
        "LineSeg( -17.7637,-13.7469, -21.49015,-13.7469, 1 );\nLineSeg( -21.49015,-13.7469, -21.49015,-11.41584, 1 );\n"
        "LineSeg( -21.49015,-11.41584, -25.36731,-11.41584, 1 );\n"
        "ArcByPoint( -25.36735,-10.41579, 1, -25.36731,-11.41584, -26.36731,-10.41584, -1, 1 );\n"
        "LineSeg( -26.36731,-10.41584, -26.36731,-9.47593, 1 );\n"
        "ArcByPoint( -27.36736,-9.4759, 1, -26.36731,-9.47593, -27.36731,-8.47593, 1, 1 );\n"
        "LineSeg( -27.36731,-8.47593, -30,-8.47593, 1 );\nLineSeg( -30,-8.47593, -30,-6, 1 );\n"
        "LineSeg( -30,-6, -40,-6, 1 );\n",
        "LineSeg( -40,-6, -40,-30, 1 );\nLineSeg( -40,-30, 0,-30, 1 );\nLineSeg( 0,-30, 0,-21.66297, 1 );\n"
        "LineSeg( 0,-21.66297, -11.2167,-21.66297, 1 );\nLineSeg( -11.2167,-21.66297, -11.2167,-19.91758, 1 );\n"
        "ArcByPoint( -12.21669,-19.91756, 1, -11.2167,-19.91758, -12.2167,-18.91758, 1, 1 );\n"
        "LineSeg( -12.2167,-18.91758, -15.52712,-18.91758, 1 );\n"
        "ArcByPoint( -15.52715,-17.91757, 1, -15.52712,-18.91758, -16.52712,-17.91758, -1, 1 );\n"
        "LineSeg( -16.52712,-17.91758, -16.52712,-15.24791, 1 );\nLineSeg( -16.52712,-15.24791, -21.42367,-15.24791, 1 "
        ");\n"
        "ArcByPoint( -21.42364,-14.24793, 1, -21.42367,-15.24791, -22.42367,-14.24791, -1, 1 );\n"
        "LineSeg( -22.42367,-14.24791, -22.42367,-13.75675, 1 );\n"
        "ArcByPoint( -23.42364,-13.75673, 1, -22.42367,-13.75675, -23.42367,-12.75675, 1, 1 );\n"
        "LineSeg( -23.42367,-12.75675, -24.53414,-12.75675, 1 );\n"
        "ArcByPoint( -24.5341,-11.75677, 1, -24.53414,-12.75675, -25.53414,-11.75675, -1, 1 );\n"
        "LineSeg( -25.53414,-11.75675, -25.53414,-9.58668, 1 );\nLineSeg( -25.53414,-9.58668, -30,-9.58668, 1 );\n"
        "LineSeg( -30,-9.58668, -30,-6, 1 );\nLineSeg( -30,-6, -40,-6, 1 );\n",
        "LineSeg( -40,-6, -40,-30, 1 );\nLineSeg( -40,-30, 0,-30, 1 );\nLineSeg( 0,-30, 0,-20.4959, 1 );\n"
        "LineSeg( 0,-20.4959, -19.06052,-20.4959, 1 );\nLineSeg( -19.06052,-20.4959, -19.06052,-17.67521, 1 );\n"
        "ArcByPoint( -20.06055,-17.67521, 1, -19.06052,-17.67521, -20.06052,-16.67521, 1, 1 );\n"
        "LineSeg( -20.06052,-16.67521, -21.88266,-16.67521, 1 );\n"
        "ArcByPoint( -21.88269,-15.67517, 1, -21.88266,-16.67521, -22.88266,-15.67521, -1, 1 );\n"
        "LineSeg( -22.88266,-15.67521, -22.88266,-13.48196, 1 );\n"
        "ArcByPoint( -23.8827,-13.48193, 1, -22.88266,-13.48196, -23.88266,-12.48196, 1, 1 );\n"
        "LineSeg( -23.88266,-12.48196, -26.02758,-12.48196, 1 );\nLineSeg( -26.02758,-12.48196, -26.02758,-9.94914, 1 "
        ");\n"
        "ArcByPoint( -27.02763,-9.94912, 1, -26.02758,-9.94914, -27.02758,-8.94914, 1, 1 );\n"
        "LineSeg( -27.02758,-8.94914, -30,-8.94914, 1 );\nLineSeg( -30,-8.94914, -30,-6, 1 );\n"
        "LineSeg( -30,-6, -40,-6, 1 );\n",
    };
    for (const char* bore : bores) {
        for (const char* direction : {"along", "against"}) {
            SCOPED_TRACE(std::string(direction) + "\n" + bore);
            ASSERT_TRUE(MakePart(bore,
                                 "L=42 D=62 Z=2 d=12 positions=4 x0=60 z0=40 tool1=\"Резец\" "
                                 "model1=fine-boring.rdp"));
            // The bore's wall: the units off the bar's outside and off its hole.
            const Contour& section = *GetSPID()->GetDetailContour();
            int first = -1, last = -1;
            for (int i = 0; i < section.Count(); ++i) {
                const CUnit& u = *section.GetUnit(i);
                const auto wall = [](double x) { return std::fabs(x + 30.0) > 1e-6 && std::fabs(x + 6.0) > 1e-6; };
                if (!wall(u.StartPoint.x) || !wall(u.EndPoint.x)) continue;
                if (first < 0) first = i;
                last = i;
            }
            ASSERT_GE(first, 0);
            RunPlan("answer turn ok name=\"Чистовая\" tool=1 work=" + std::to_string(first) + "-" +
                    std::to_string(last) + " direction=" + direction + " feed=TOOL.FEED1 spin=TOOL.SPIN\ncreate 2\n");
            ExpectPathsKeepOff(0.0);
        }
    }
}

}  // namespace
}  // namespace zarvento::test
