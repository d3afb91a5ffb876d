// Benchmark of the machining simulation on its headline workload: a stepped
// shaft of diameter 60 and length 145 (steps, chamfers and two fillets) from
// a bar of 60 x 150, roughed along offsets of its profile 0.4 mm a pass and
// then finished, made and planned by scripts outside the timing, about 630
// frames. Timed: the pre-calculation of every frame's stock at speed factor
// 1e6 (time per frame, the final stock's units), and runs sampled into about
// 1,000 and 10,000 points (time per point).
//
// Before the Google Benchmark runs, the incremental removal of such runs (the
// swept figure, the subtraction and the merge of overlapping units, as a step
// of the simulation makes it) is timed beside a polygon clipper cutting the
// tool's Minkowski sum with the same moves (arcs flattened) at 1,000 and
// 10,000 steps.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <polyclipping/clipper.hpp>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/smoke_run.h"
#include "catalogs/tool_model_text.h"
#include "geometry/subtract_region.h"
#include "host/script_run.h"
#include "host/zarvento_module.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/process_state.h"
#include "platform/documents/host_application.h"
#include "platform/heap/program_heap.h"
#include "platform/processes/loaded_module.h"
#include "platform/processes/module.h"
#include "post/program.h"
#include "simulation/simulation.h"
#include "tests/geometry/region_shapes.h"

namespace {

namespace fs = std::filesystem;
using namespace zarvento;

constexpr const char* kProfile =
    "LineSeg( 0,0, 0,-14, 1 );\nLineSeg( 0,-14, -1,-15, 1 );\nLineSeg( -1,-15, -25,-15, 1 );\n"
    "LineSeg( -25,-15, -25,-17, 1 );\nLineSeg( -25,-17, -26,-18, 1 );\nLineSeg( -26,-18, -48,-18, 1 );\n"
    "ArcByPoint( -48,-20, 2, -48,-18, -50,-20, 1, 1 );\nLineSeg( -50,-20, -50,-21, 1 );\n"
    "LineSeg( -50,-21, -51,-22, 1 );\nLineSeg( -51,-22, -80,-22, 1 );\nLineSeg( -80,-22, -80,-25, 1 );\n"
    "LineSeg( -80,-25, -81,-26, 1 );\nLineSeg( -81,-26, -110,-26, 1 );\n"
    "ArcByPoint( -110,-28, 2, -110,-26, -112,-28, 1, 1 );\nLineSeg( -112,-28, -112,-29, 1 );\n"
    "LineSeg( -112,-29, -145,-29, 1 );\nLineSeg( -145,-29, -145,0, 1 );\n";

constexpr const char* kMakePart =
    "lsc \"ЛСК-1\"\nprofile shaft.profile\n"
    "panel lsc\n pick ЛСК-1\n set \"Система ЧПУ (постпроцессор)\" ISO_Lathe\n ok\nend\ncoordinate-system\n"
    "answer spid ok L=150 D=60 Z=2 positions=4 x0=70 z0=40 tool1=\"Резец черновой\" model1=roughing_tool.rdp "
    "tool2=\"Резец чистовой\" model2=finishing_tool.rdp\nplan-data\n";

constexpr const char* kPlan =
    "answer turn ok name=\"Черновая\" tool=1 work=2-16 allowance=0.3 cycle.P3=3 cycle.I=0.4 feed=TOOL.FEED1 "
    "spin=TOOL.SPIN\ncreate 1\n"
    "answer turn ok name=\"Чистовая\" tool=2 work=2-16 direction=along feed=TOOL.FEED1 spin=TOOL.SPIN\ncreate 2\n";

// The standard output and error go nowhere while it lives: the scripts print
// the whole document.
class Quiet {
public:
    Quiet() : out_(dup(1)), err_(dup(2)) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        close(null);
    }
    ~Quiet() {
        fflush(stdout);
        fflush(stderr);
        dup2(out_, 1);
        dup2(err_, 2);
        close(out_);
        close(err_);
    }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

private:
    int out_, err_;
};

int Command(std::vector<std::string> args, int (*command)(int, char**)) {
    SetModuleDirectory(fs::current_path());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    return command(static_cast<int>(argv.size()), argv.data());
}

// The shaft's document made and planned by the scripts, then opened in this
// process with its plan synchronised and its program listed.
class ShaftProgram {
public:
    ShaftProgram() : folder_(fs::temp_directory_path() / "zarvento-simulation-bench"), previous_(fs::current_path()) {
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "POSTPROCESSORS");
        fs::current_path(folder_);
        const fs::path source = ZARVENTO_SOURCE_DIR;
        fs::copy_file(source / "POSTPROCESSORS" / "ISO_Lathe.py3", "POSTPROCESSORS/ISO_Lathe.py3");
        ToolModelText::Convert((source / "examples" / "tools" / "roughing_tool.txt").string(), "roughing_tool.rdp");
        ToolModelText::Convert((source / "examples" / "tools" / "finishing_tool.txt").string(), "finishing_tool.rdp");
        std::ofstream("shaft.profile") << kProfile;
        std::ofstream("make.zsc") << kMakePart;
        std::ofstream("plan.zsc") << kPlan;
        {
            Quiet quiet;
            ok_ = Command({"zarvento", "run", "--no-tree", "--new", "part.rdp", "make.zsc"}, app::RunScript) == 0 &&
                  Command({"zarvento", "run", "--no-tree", "part.rdp", "plan.zsc"}, app::RunScript) == 0;
        }
        if (!ok_) return;
        SetModuleDirectory(fs::current_path());
        ConnectHostApplication().Documents().Open("part.rdp");
        CPLAN& plan = *GetPLAN();
        plan.Synchronize();
        GetSPID()->CreateContourTool(CSPID::kAllPositions);
        program_.CreateProgram();
        std::vector<std::string> lines;
        program_.WriteProgramText(lines);
        ok_ = plan.GetTurnCount() == 2 && !plan.GetTurn(0)->HasMessage() && !plan.GetTurn(1)->HasMessage();
    }
    ~ShaftProgram() {
        program_.ClearFrames();
        program_.ReleaseFrames();
        ResetProcessState();
        fs::current_path(previous_);
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    ShaftProgram(const ShaftProgram&) = delete;
    ShaftProgram& operator=(const ShaftProgram&) = delete;

    bool Ok() const { return ok_; }
    CPROGRAM& Program() { return program_; }
    int Frames() const { return static_cast<int>(program_.frames.Count()); }

private:
    fs::path folder_, previous_;
    CPROGRAM program_;
    bool ok_ = false;
};

ShaftProgram* shaft = nullptr;

// The speed factor at which the program samples into about n points.
double SpeedForPoints(int n) {
    auto points = [](double v) {
        CSimulation simulation;
        simulation.SetFrames(shaft->Program().frames);
        simulation.SetSpeedFactor(v);
        simulation.PrepareRun();
        return simulation.PointCount();
    };
    double lo = 1e-3, hi = 1e6;
    for (int k = 0; k < 60; ++k) {
        const double mid = std::sqrt(lo * hi);
        (points(mid) > n ? lo : hi) = mid;
    }
    return hi;
}

// One step of a run: the move from a point to the next and the tool making it.
struct Step {
    int tool;
    UnitPtr move;
};

// The steps of a run at speed v.
std::vector<Step> RunSteps(double v) {
    CSimulation simulation;
    simulation.SetFrames(shaft->Program().frames);
    simulation.SetSpeedFactor(v);
    simulation.PrepareRun();
    std::vector<Step> steps;
    for (int i = 1; i < simulation.PointCount(); ++i) {
        const SimulationPoint& from = simulation.Points()[static_cast<std::uint32_t>(i - 1)];
        const SimulationPoint& to = simulation.Points()[static_cast<std::uint32_t>(i)];
        if (!to.frame || !to.unit || to.frame->toolNumber < 0) continue;
        steps.push_back({to.frame->toolNumber, to.unit->CloneWithEnds(from.z, from.x, to.z, to.x)});
    }
    return steps;
}

// The tool's outline about its point, as a polygon.
ClipperLib::Path ToolPolygon(int tool, double chord) {
    auto outline = GetSPID()->GetTool(tool)->pContour->Clone();
    outline->MoveTo(0.0, 0.0);
    return test::Flatten(*outline, chord);
}

// The move as the polyline its point follows.
ClipperLib::Path MovePath(const CUnit& move, double chord) {
    Contour one;
    one.AddUnit(move.Clone());
    ClipperLib::Path path = test::Flatten(one, chord);
    path.push_back(test::ToClipper(move.EndPoint.z, move.EndPoint.x));
    return path;
}

// One step of the simulation's removal at a time, as RemoveMaterial makes
// it (the swept figure, the subtraction, the merge), against the clipper
// cutting the tool's Minkowski sum with the same move.
void PrintRemovalComparison(int n) {
    const double v = SpeedForPoints(n);
    const std::vector<Step> steps = RunSteps(v);
    const CSPID& spid = *GetSPID();
    constexpr double kChord = 1e-3;
    const ClipperLib::IntPoint ref = test::ToClipper(spid.innerPointZ, spid.innerPointX);

    auto source = GetSPID()->CreateSourceContour();
    ClipperLib::Path clipped = test::Flatten(*source, kChord);
    const auto clipperStart = std::chrono::steady_clock::now();
    std::vector<ClipperLib::Path> tools(static_cast<std::size_t>(CSPID::kMaxTools));
    for (const Step& step : steps) {
        ClipperLib::Path& pattern = tools[static_cast<std::size_t>(step.tool)];
        if (pattern.empty()) pattern = ToolPolygon(step.tool, kChord);
        ClipperLib::Paths swept;
        ClipperLib::MinkowskiSum(pattern, MovePath(*step.move, kChord), swept, false);
        ClipperLib::Clipper clipper;
        clipper.AddPath(clipped, ClipperLib::ptSubject, true);
        clipper.AddPaths(swept, ClipperLib::ptClip, true);
        ClipperLib::Paths result;
        clipper.Execute(ClipperLib::ctDifference, result, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        for (ClipperLib::Path& polygon : result)
            if (ClipperLib::PointInPolygon(ref, polygon) != 0) {
                clipped = std::move(polygon);
                break;
            }
    }
    const double clipper = std::chrono::duration<double>(std::chrono::steady_clock::now() - clipperStart).count();

    CSimulation simulation;
    auto stock = GetSPID()->CreateSourceContour();
    int applied = 0, tool = -1;
    const auto start = std::chrono::steady_clock::now();
    for (const Step& step : steps) {
        if (step.tool != tool) simulation.ChangeTool(tool = step.tool, nullptr);
        auto figure = step.move->Kind == kUnitArc ? simulation.SweepToolAlongArc(*step.move)
                                                  : simulation.SweepToolAlongLine(*step.move);
        RemovedUnitList removed(100);
        AddedUnitList added(100);
        if (figure && SubtractRegion(*stock, *figure, spid.innerPointZ, spid.innerPointX, removed, added, 0, 0) >= 2) {
            stock->MergeOverlappingUnits();
            ++applied;
        }
    }
    const double ours = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double area = std::fabs(test::ContourArea(*stock));
    const double clipperArea = std::fabs(ClipperLib::Area(clipped)) / (test::kClipperScale * test::kClipperScale);
    std::printf(
        "removal over %zu steps (speed factor %.4g, %d changed the stock): ours %.3f s, clipper %.3f s, "
        "ratio ours/clipper %.2f; stock %d units, area %.4f vs clipper %.4f\n",
        steps.size(), v, applied, ours, clipper, ours / clipper, stock->Count(), area, clipperArea);
}

void BM_PreCalculation(benchmark::State& state) {
    int units = 0, points = 0;
    for (auto _ : state) {
        CSimulation simulation;
        simulation.SetFrames(shaft->Program().frames);
        simulation.SetSpeedFactor(CSimulation::kPreCalculationSpeed);
        simulation.CalculateAllFrames();
        units = simulation.Stock() ? simulation.Stock()->Count() : 0;
        points = simulation.PointCount();
    }
    const int frames = shaft->Frames();
    state.counters["frames"] = frames;
    state.counters["points"] = points;
    state.counters["stock_units"] = units;
    state.counters["per_frame"] = benchmark::Counter(
        static_cast<double>(frames), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PreCalculation)->Unit(benchmark::kMillisecond);

// The pre-calculation sampled into about n points: a step of the simulation
// per point.
void BM_SimulationSteps(benchmark::State& state) {
    const double v = SpeedForPoints(static_cast<int>(state.range(0)));
    int points = 0, units = 0;
    for (auto _ : state) {
        CSimulation simulation;
        simulation.SetFrames(shaft->Program().frames);
        simulation.SetSpeedFactor(v);
        simulation.CalculateAllFrames();
        points = simulation.PointCount();
        units = simulation.Stock() ? simulation.Stock()->Count() : 0;
    }
    state.counters["points"] = points;
    state.counters["stock_units"] = units;
    state.counters["per_point"] = benchmark::Counter(
        static_cast<double>(points), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SimulationSteps)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

int Run(int argc, char** argv) {
    ShaftProgram program;
    if (!program.Ok()) {
        std::fprintf(stderr, "the shaft's plan could not be made\n");
        return 1;
    }
    shaft = &program;
    std::printf("the shaft's program: %d frames\n", program.Frames());
    PrintRemovalComparison(1000);
    if (!zarvento::bench::SmokeRun()) PrintRemovalComparison(10000);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        shaft = nullptr;
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    shaft = nullptr;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    zarvento::SetUpProgramHeap();
    // The library module is linked in: it is started as the host starts it,
    // its attach step wiring every layer, and ended once the shaft is gone.
    DllMain(zarvento::kDllProcessAttach);
    const int result = Run(argc, argv);
    DllMain(zarvento::kDllProcessDetach);
    return result;
}
