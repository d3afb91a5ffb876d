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
#include "operations/headless_turn_panels.h"
#include "operations/path_clearance.h"
#include "operations/turn.h"
#include "operations/turn_mnogo_prohod.h"
#include "path_checks.h"
#include "plan/command_script.h"
#include "plan/plan.h"
#include "plan/plan_panels.h"
#include "plan/spid.h"
#include "platform/host_application.h"
#include "platform/host_folder.h"
#include "platform/module.h"
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

// A boring tool: the roughing tool's model with its nose towards the axis.
constexpr const char* kBoringTool =
    "zarvento-tool-model 1\nvariable TYPE_ 12 \"Тип инструмента%\"\nvariable r 0.8 \"Радиус при вершине\"\n"
    "variable nP 2 \"Положение вершины%\"\nvariable L 20 \"Длина пластины\"\nvariable W 6 \"Ширина пластины\"\n"
    "variable FEED1 0.25 \"Подача, мм/об\"\nvariable SPIN 900 \"Частота вращения, об/мин\"\n"
    "variable VCUT 160 \"Скорость резания, м/мин\"\nsketch Contour\nline 0 0 L 0\narc L W/2 W/2 L 0 L W 1\n"
    "line L W 0 0\narc 0 -10000 10000 0 0 0 0 1\nend\n";

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

    // Makes the part and its plan by script and checks the paths.
    void Check(const Case& c) {
        SCOPED_TRACE(Describe(c));
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
        }
        HostApplication& app = ConnectHostApplication();
        app.Documents().Add(DocumentType::Part);
        const DenseProfile dense = DenseProfileOf(c.form, c.segments, c.decimals);
        std::ofstream("dense.profile") << dense.script;
        const bool bore = c.form == DenseForm::Bore;
        CommandScript make(folder.Path());
        make.Run(std::string("lsc \"ЛСК-1\"\nprofile dense.profile\nanswer lsc ok lsc=\"ЛСК-1\" post=ISO_Lathe\n"
                             "coordinate-system\nanswer spid ok L=105 D=62 Z=2 ") +
                 (bore ? "d=12 " : "") + "positions=4 x0=60 z0=40 tool1=\"Резец\" model1=" +
                 (bore ? "boring.rdp" : "roughing.rdp") + "\nplan-data\n");
        ASSERT_EQ(make.CommandsFailed(), 0);
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

}  // namespace
}  // namespace zarvento::test
