// Benchmarks of the operation skeleton through the headless runner: a plan
// of N operations recalculated (contours, diagnosis, opening and closing
// frames, tool-life walk, final contours), and its program text written.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "runner_session.h"

namespace {

using namespace zarvento;

constexpr const char* kProfile =
    "LineSeg( 5,-20, -30,-20, 1 );\n"
    "LineSeg( -30,-20, -30,-30, 1 );\n";

// A connected host with an active part, a scratch host folder and a plan of
// `count` probe operations over four tools, tool-life stops on.
class Plan {
public:
    explicit Plan(int count) : session_("zarvento-operation-bench") {
        session_.Runner().Bar(60, 50, 0, 2).InnerPoint(-10, -5).Version("18").ToolLifeStops(true);
        for (int t = 0; t < 4; ++t) session_.Runner().Tool(t, "Резец " + std::to_string(t), 0.4);
        for (int i = 0; i < count; ++i) {
            session_.Runner().Add(std::make_unique<test::ProbeTurn>(), kProfile, [i](CTurn& op) {
                op.nToolPosition = (i / 2) % 4;
                op.TT = 1.0;
                op.isVconst = i % 3 == 0;
            });
        }
    }
    Plan(const Plan&) = delete;
    Plan& operator=(const Plan&) = delete;

    test::OperationRunner& Runner() { return session_.Runner(); }

private:
    bench::RunnerSession session_;
};

void BM_RecalculateSkeletonPlan(benchmark::State& state) {
    Plan plan(static_cast<int>(state.range(0)));
    for (auto _ : state) plan.Runner().Run();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RecalculateSkeletonPlan)->Arg(20)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_WriteSkeletonProgram(benchmark::State& state) {
    Plan plan(static_cast<int>(state.range(0)));
    plan.Runner().Run();
    for (auto _ : state) benchmark::DoNotOptimize(plan.Runner().ProgramText());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriteSkeletonProgram)->Arg(20)->Arg(200)->Unit(benchmark::kMicrosecond);

}  // namespace
