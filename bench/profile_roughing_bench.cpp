// Benchmark of profile roughing (passes along the host's offsets of the
// working side) through the headless runner: a tapered, ribbed shaft of 100,
// 1,000 and 5,000 units, and longitudinal roughing of the same shafts (and
// one of 20,000 units) beside it; the counters give the frames made.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "../tests/operations/multipass_test_support.h"
#include "operations/turn_mnogo_prohod.h"
#include "runner_session.h"

namespace {

using namespace zarvento;

// Lines of 0.2 mm along Z rising 4 mm over the shaft, with a rib of 0.05 mm
// on every other unit, then the shoulder down to the bar.
std::string RibbedTaper(int units, double& length) {
    std::ostringstream s;
    s.precision(17);
    const int n = units - 1;
    length = 0.2 * n;
    double z = 5.0, x = -16.0;
    for (int i = 0; i < n; ++i) {
        const double z2 = z - 0.2;
        const double x2 = -16.0 - 4.0 * (i + 1) / n + (i % 2 == 0 ? 0.05 : 0.0);
        s << "LineSeg( " << z << "," << x << ", " << z2 << "," << x2 << ", 1 );\n";
        z = z2;
        x = x2;
    }
    s << "LineSeg( " << z << "," << x << ", " << z << ",-30, 1 );\n";
    return s.str();
}

// Feed direction 2 is the profile form, 0 the longitudinal one.
void Roughing(benchmark::State& state, int feedDirection) {
    bench::RunnerSession session("zarvento-profile-bench");
    double length = 0.0;
    const std::string profile = RibbedTaper(static_cast<int>(state.range(0)), length);
    test::OperationRunner& runner = session.Runner();
    runner.Bar(length + 5.0, 50, 0, 2).InnerPoint(-1, -5);
    runner.Tool(0, "Резец проходной", 0.8);
    runner.Part(profile);
    auto& op = dynamic_cast<CTurnMnogoProhod&>(runner.AddKind(kTurnMnogoProhod, profile, [&](CTurn& o) {
        auto& m = dynamic_cast<CTurnMnogoProhod&>(o);
        test::SetCycleValue(m.turningCycle, "I", 1.5);
        test::SetCycleValue(m.turningCycle, "P3", feedDirection);
    }));
    for (auto _ : state) runner.Run();
    state.counters["frames"] = static_cast<double>(op.Frames().size());
    state.counters["units"] = static_cast<double>(state.range(0));
    if (!op.messageText.empty()) state.SkipWithError(op.messageText.c_str());
}
void BM_ProfileRoughing(benchmark::State& state) { Roughing(state, 2); }
void BM_LongitudinalRoughing(benchmark::State& state) { Roughing(state, 0); }
BENCHMARK(BM_ProfileRoughing)->Arg(100)->Arg(1000)->Arg(5000)->ArgName("units")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongitudinalRoughing)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->ArgName("units")
    ->Unit(benchmark::kMillisecond);

}  // namespace
