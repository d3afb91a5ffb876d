// Benchmarks of the axial and single-plunge kinds through the headless
// runner: a drilling of many pecks and a cut-off of many passes, each
// recalculated as the plan does it (regions, pass plan, frames).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "nc/cycle_auto.h"
#include "operations/kind_support.h"
#include "operations/turn_drill.h"
#include "operations/turn_otrezka.h"
#include "runner_session.h"

namespace {

using namespace zarvento;

// A connected host with an active part, a scratch host folder, a bar and
// one operation of the kind with `passes` passes.
class KindPlan {
public:
    KindPlan(int kind, const char* profile, int passes) : session_("zarvento-axial-bench") {
        session_.Runner().Bar(60, 50, 0, 2).InnerPoint(-10, -5);
        ParamTool& tool = session_.Runner().Tool(0, "Сверло", 0.0);
        tool.TYPE_ = kind == kTurnDRILL ? CTurnDRILL::kDrillKind : CTurnOTREZKA::kCutOffToolKind;
        session_.Runner().AddKind(kind, profile, [passes](CTurn& op) {
            CCycle_Auto* cycle = nullptr;
            if (auto* d = dynamic_cast<CTurnDRILL*>(&op)) cycle = &d->cycle;
            if (auto* c = dynamic_cast<CTurnOTREZKA*>(&op)) cycle = &c->cycle;
            op.isAutoTool = false;
            op.nToolPosition = 0;
            op.isExist = true;
            op.isSilent = true;
            SetCycleText(*cycle, "N", std::to_string(passes));
            SetCycleText(*cycle, "K", "0.999");
        });
    }
    KindPlan(const KindPlan&) = delete;
    KindPlan& operator=(const KindPlan&) = delete;

    test::OperationRunner& Runner() { return session_.Runner(); }

private:
    bench::RunnerSession session_;
};

void BM_RecalculateDrilling(benchmark::State& state) {
    KindPlan plan(kTurnDRILL, "LineSeg( -25,0, -20,-5, 1 );\nLineSeg( -20,-5, 5,-5, 1 );\n",
                  static_cast<int>(state.range(0)));
    for (auto _ : state) plan.Runner().Run();
    if (!plan.Runner().Operation(0).IsActive()) state.SkipWithError("the drilling failed");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RecalculateDrilling)->Arg(10)->Arg(1000)->Arg(kMaxPasses)->Unit(benchmark::kMicrosecond);

void BM_RecalculateCutOff(benchmark::State& state) {
    KindPlan plan(kTurnOTREZKA, "LineSeg( -40,-25, -40,0, 1 );\n", static_cast<int>(state.range(0)));
    for (auto _ : state) plan.Runner().Run();
    if (!plan.Runner().Operation(0).IsActive()) state.SkipWithError("the cut-off failed");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RecalculateCutOff)->Arg(10)->Arg(1000)->Arg(kMaxPasses)->Unit(benchmark::kMicrosecond);

}  // namespace
