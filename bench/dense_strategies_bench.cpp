// Benchmark of the race case's wavy shaft (radius 10 rising to 28 over
// 100 mm, ripples of 0.02, its points to nine decimals) of 1,000, 20,000 and
// 100,000 segments, roughed 2 mm a pass with 0.5 left in every strategy
// (along Z, across it, along the profile, and along Z with the contour pass
// after it) through the headless runner. Each path is judged as the main
// job judges it before the figures count: no operation with a message, the
// roughing's passes within one cut of its working contour everywhere, no
// nose circle into the part (by the allowance while roughing) or through the
// stock at rapid. A path that fails is reported as the benchmark's error.
#include <benchmark/benchmark.h>

#include <optional>
#include <string>
#include <vector>

#include "../tests/operations/multipass_test_support.h"
#include "../tests/support/dense_profiles.h"
#include "operations/path_clearance.h"
#include "operations/roughing_reach.h"
#include "operations/turn_mnogo_prohod.h"
#include "plan/spid.h"
#include "runner_session.h"

namespace {

using namespace zarvento;

constexpr double kDepth = 2.0, kAllowance = 0.5;

// The shaft's curve as a working contour: in from beyond the bar's face
// along its first diameter, out up the back face past the bar.
std::string WorkingCurve(const test::DenseProfile& dense) {
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
    return curve + "LineSeg( -100," + x1 + ", -100,-32, 1 );\n";
}

// What the main job would refuse the operation for; empty when nothing.
std::string Fault(const CTurn& op, bool roughing) {
    if (op.HasMessage()) return op.messageText;
    const Contour* section = GetSPID()->GetDetailContour();
    if (!section) return "no part";
    if (roughing) {
        const std::optional<double> depth = RoughingReachDepth(op);
        if (!depth) return "no roughing";
        if (const auto left = FindStockLeft(op, ComputedMoves(op), *depth)) return left->Describe();
    }
    const ClearanceOutline part(*section);
    std::optional<ClearanceOutline> before, after;
    if (op.prevFinalContour) before.emplace(*op.prevFinalContour);
    if (op.finalContour) after.emplace(*op.finalContour);
    ClearanceLimits limits;
    limits.allowance = roughing ? kAllowance : 0.0;
    if (const auto intrusion =
            FindPathIntrusion(op, part, before ? &*before : nullptr, after ? &*after : nullptr, limits))
        return intrusion->Describe();
    return "";
}

// Feed direction 0 along Z, 1 across it, 2 along the profile; with the
// contour pass, along Z and then the pass.
void DenseShaft(benchmark::State& state, int direction, bool contourPass) {
    bench::RunnerSession session("zarvento-dense-strategies-bench");
    const int segments = static_cast<int>(state.range(0));
    const test::DenseProfile dense = test::DenseProfileOf(test::DenseForm::WavyShaft, segments, 9);
    const std::string curve = WorkingCurve(dense);
    test::OperationRunner& runner = session.Runner();
    runner.Bar(105, 62, 0, 2).InnerPoint(-50, -5).Part(dense.script);
    runner.Tool(0, "Резец черновой", 0.8);
    runner.Tool(1, "Резец чистовой", 0.4);
    CTurn& roughing = runner.AddKind(kTurnMnogoProhod, curve, [&](CTurn& o) {
        auto& m = dynamic_cast<CTurnMnogoProhod&>(o);
        o.isAutoTool = false;
        o.nToolPosition = 0;
        o.isPripuskW = true;
        o.PripuskW = kAllowance;
        test::SetCycleValue(m.turningCycle, "P3", direction);
        test::SetCycleValue(m.turningCycle, "I", kDepth);
    });
    CTurn* finishing = nullptr;
    if (contourPass)
        finishing = &runner.AddKind(kTurnKONTUR, curve, [](CTurn& o) {
            o.isAutoTool = false;
            o.nToolPosition = 1;
        });
    for (auto _ : state) runner.Run();
    state.counters["segments"] = segments;
    state.counters["frames"] =
        static_cast<double>(roughing.Frames().size() + (finishing ? finishing->Frames().size() : 0));
    std::string fault = Fault(roughing, true);
    if (fault.empty() && finishing) fault = Fault(*finishing, false);
    if (!fault.empty()) state.SkipWithError(fault.c_str());
}

void BM_DenseShaftLongitudinal(benchmark::State& state) { DenseShaft(state, 0, false); }
void BM_DenseShaftFacing(benchmark::State& state) { DenseShaft(state, 1, false); }
void BM_DenseShaftProfile(benchmark::State& state) { DenseShaft(state, 2, false); }
void BM_DenseShaftContourPass(benchmark::State& state) { DenseShaft(state, 0, true); }

#define DENSE_SIZES Arg(1000)->Arg(20000)->Arg(100000)->ArgName("segments")->Unit(benchmark::kMillisecond)
BENCHMARK(BM_DenseShaftLongitudinal)->DENSE_SIZES;
BENCHMARK(BM_DenseShaftFacing)->DENSE_SIZES;
BENCHMARK(BM_DenseShaftProfile)->DENSE_SIZES;
BENCHMARK(BM_DenseShaftContourPass)->DENSE_SIZES;
#undef DENSE_SIZES

}  // namespace
