// Benchmarks of chisel threading: the constant-area pass plan alone, and one
// threading operation recalculated through the headless runner at depth to
// first-pass ratios of 10, 100 and 400 (the last one refused by the cap).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "operations/turn_threading.h"
#include "runner_session.h"

namespace {

using namespace zarvento;

void BM_ConstantAreaPlan(benchmark::State& state) {
    const double ratio = static_cast<double>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(PlanThreadPasses(ratio * 0.01, 0.01, true));
}
BENCHMARK(BM_ConstantAreaPlan)->Arg(10)->Arg(100)->Arg(400)->Unit(benchmark::kMicrosecond);

// One threading operation with two starts on a 40 mm line, first-pass depth
// 0.005 mm and the thread depth giving the ratio.
class ThreadPlan {
public:
    explicit ThreadPlan(double ratio) : session_("zarvento-threading-bench") {
        session_.Runner().Bar(60, 50, 0, 2).InnerPoint(-10, -5);
        session_.Runner().Tool(0, "Резец резьбовой", 0.0).TYPE_ = 15;
        session_.Runner().AddKind(kTurnTHREADING, "LineSeg( 0,-20, -40,-20, 1 );\n", [ratio](CTurn& op) {
            auto& t = dynamic_cast<CTurnTHREADING&>(op);
            t.Nzahod = 2;
            t.isAutoDepth = false;
            t.Depth = 0.25 + ratio * 0.005;
            t.Cycle().FindParam("I")->valueText = "0.005";
            t.Cycle().FindParam("P1")->intValue = 1;
            // No post-processor gives a synchronisation code: the spindle stops.
            t.Cycle().FindParam("P6")->intValue = 1;
        });
    }
    ThreadPlan(const ThreadPlan&) = delete;
    ThreadPlan& operator=(const ThreadPlan&) = delete;

    test::OperationRunner& Runner() { return session_.Runner(); }

private:
    bench::RunnerSession session_;
};

void BM_RecalculateThreading(benchmark::State& state) {
    ThreadPlan plan(static_cast<double>(state.range(0)));
    for (auto _ : state) plan.Runner().Run();
    state.counters["frames"] = static_cast<double>(plan.Runner().Operation(0).Frames().size());
}
BENCHMARK(BM_RecalculateThreading)->Arg(10)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
