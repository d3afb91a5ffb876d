// Benchmark of the main job's clearance check on a contour pass along the
// wavy shaft of the race case (radius 10 rising to 28 over 100 mm, ripples
// of 0.02) as 1,000 to 20,000 segments: the pass follows every segment, and
// the check measures each move against the part and the bar, with the
// tool's nose circle alone (a tool without a model) and with its whole
// outline (the insert's edges and a holder above them). The counter gives
// the moves measured.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>

#include "../tests/support/dense_profiles.h"
#include "geometry/arc_unit.h"
#include "geometry/contour_script.h"
#include "geometry/line_unit.h"
#include "operations/path_clearance.h"
#include "runner_session.h"

namespace {

using namespace zarvento;

// An insert about the tool's nose, its edge on the -Z side straight away from
// the axis and the other leaving the nose at 14 degrees from that, both 16
// long, and a holder of 25 by 25 above it.
std::shared_ptr<Contour> ToolWithHolder(const ParamTool& tool) {
    const double r = tool.r, cz = tool.dNoseDx, cx = -tool.dNoseDy;
    const double a = 14.0 * PI / 180.0;
    const double tz = cz + r * std::cos(a), tx = cx + r * std::sin(a);
    const double ez = tz + 16.0 * std::sin(a), ex = tx - 16.0 * std::cos(a);
    auto outline = std::make_shared<Contour>();
    const auto line = [&](double z1, double x1, double z2, double x2) {
        outline->AddUnit(std::make_unique<CLineUnit>(z1, x1, z2, x2));
    };
    line(cz - r, cx, cz - r, cx - 16.0);
    line(cz - r, cx - 16.0, cz - r, cx - 41.0);
    line(cz - r, cx - 41.0, cz + 25.0, cx - 41.0);
    line(cz + 25.0, cx - 41.0, cz + 25.0, ex);
    line(cz + 25.0, ex, ez, ex);
    line(ez, ex, tz, tx);
    // The nose from the second edge round the tip towards the axis.
    outline->AddUnit(std::make_unique<CArcUnit>(cz, cx, r, tz, tx, cz - r, cx, 1));
    return outline;
}

void ClearanceCheck(benchmark::State& state, bool wholeOutline) {
    bench::RunnerSession session("zarvento-clearance-bench");
    const int n = static_cast<int>(state.range(0));
    const test::DenseProfile shaft = test::DenseProfileOf(test::DenseForm::WavyShaft, n, 9);
    const std::unique_ptr<Contour> section = ParseContourScript(shaft.script);
    Contour work;
    for (int i = shaft.first; i <= shaft.last; ++i) work.AddUnit(section->GetUnit(i)->Clone());
    test::OperationRunner& runner = session.Runner();
    runner.Bar(105, 62, 0, 2).InnerPoint(-50, -5);
    ParamTool& tool = runner.Tool(0, "Резец контурный", 0.4);
    tool.nP = 3;
    tool.UpdateTipPosition();
    runner.Part(shaft.script);
    CTurn& op = runner.AddKind(kTurnKONTUR, ContourScriptText(work), [](CTurn& o) {
        o.isAutoTool = false;
        o.nToolPosition = 0;
    });
    runner.Run();
    if (!op.messageText.empty()) {
        state.SkipWithError(op.messageText.c_str());
        return;
    }
    // The outline comes after the path, which is the same either way.
    if (wholeOutline) {
        tool.pContour = ToolWithHolder(tool);
        tool.isNoContour = false;
    }
    const std::unique_ptr<Contour> bar = test::OperationRunner::Parse(
        "LineSeg( 2,0, 2,-31, 1 );\nLineSeg( 2,-31, -103,-31, 1 );\nLineSeg( -103,-31, -103,0, 1 );\n"
        "LineSeg( -103,0, 2,0, 1 );\n");
    bool found = false;
    for (auto _ : state) {
        const ClearanceOutline part(*section), stock(*bar);
        found = FindPathIntrusion(op, part, &stock, nullptr).has_value();
        benchmark::DoNotOptimize(found);
    }
    if (found) state.SkipWithError("the pass was refused");
    state.counters["moves"] = static_cast<double>(ComputedMoves(op).size());
    state.counters["segments"] = n;
    state.SetComplexityN(n);
}

void BM_ClearanceNose(benchmark::State& state) { ClearanceCheck(state, false); }
void BM_ClearanceWholeTool(benchmark::State& state) { ClearanceCheck(state, true); }

}  // namespace

BENCHMARK(BM_ClearanceNose)->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_ClearanceWholeTool)->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond)->Complexity();
