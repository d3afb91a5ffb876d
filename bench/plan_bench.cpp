// Benchmarks of the plan layer's own overhead: the whole-plan recalculation
// of a 20-operation plan whose operations do no work, appending operations one
// by one, building the list and tree of such a plan, and the plan-variable
// lookup.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "nc/modal_state.h"
#include "plan/plan.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "platform/core/host_folder.h"
#include "platform/core/process_state.h"
#include "platform/documents/host_application.h"

namespace {

using namespace zarvento;

constexpr int kOperations = 20;

// An operation whose calculation only reads and advances the modal state, so
// what is measured is the plan's walk around it.
class IdleTurn : public PlanTurn {
public:
    explicit IdleTurn(int n) : name_("Обработка " + std::to_string(n)) {}
    std::string GetNameTurn() const override { return name_; }
    void DiagnosticRaschetPath(int position) override {
        index = position;
        ModalState.previousTool = position % 8;
    }

private:
    std::string name_;
};

// A connected host with an active part and a scratch host folder.
class Host {
public:
    Host() : folder_(std::filesystem::temp_directory_path() / "zarvento-plan-bench") {
        ResetProcessState();
        std::filesystem::create_directories(folder_);
        SetHostFolder(folder_);
        ConnectHostApplication().Documents().Add(DocumentType::Part);
    }
    ~Host() {
        ResetProcessState();
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

private:
    std::filesystem::path folder_;
};

void FillPlan(CPLAN& plan, bool atFront) {
    for (int i = 0; i < kOperations; ++i) plan.InsertTurn(atFront ? 0 : -1, std::make_unique<IdleTurn>(i));
}

void BM_RecalculatePlan20(benchmark::State& state) {
    Host host;
    CPLAN& plan = *GetPLAN();
    FillPlan(plan, false);
    for (auto _ : state) {
        plan.DiagnosticRaschetPath();
        benchmark::DoNotOptimize(ModalState.previousTool);
    }
    state.SetItemsProcessed(state.iterations() * kOperations);
}
BENCHMARK(BM_RecalculatePlan20);

void BM_BuildPlanWithTree20(benchmark::State& state) {
    Host host;
    GetPlanTree().CreateControl();
    CPLAN& plan = *GetPLAN();
    for (auto _ : state) {
        FillPlan(plan, true);
        plan.ClearTurns();
    }
    state.SetItemsProcessed(state.iterations() * kOperations);
}
BENCHMARK(BM_BuildPlanWithTree20);

// A script of "create" lines: each appended operation is calculated with
// the ones before it, as after a new operation. The time per operation must
// stay flat as the plan grows (it once grew with the plan: the whole plan was
// calculated again for every new operation).
void BM_AppendOperations(benchmark::State& state) {
    Host host;
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        CPLAN& plan = *GetPLAN();
        for (int i = 0; i < count; ++i) {
            plan.InsertTurn(-1, std::make_unique<IdleTurn>(i));
            plan.DiagnosticRaschetPathAppended();
        }
        state.PauseTiming();
        plan.ClearTurns();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_AppendOperations)->Arg(250)->Arg(2000);

void BM_PlanVariableLookup(benchmark::State& state) {
    Host host;
    CPLAN& plan = *GetPLAN();
    GetSPID()->tools[2].D = 20.0;
    ModalState.loopIndex = 3;
    const char* names[] = {"_NPOS", "TOOLi._DIAM", "_M_PI", "TOOL3._RCOR", "_ZSAF", "unknown", "_NFIX", "_INCH"};
    const std::size_t count = std::size(names);
    std::size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(plan.PlanParameters().GetParameter(names[k]));
        k = (k + 1) % count;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlanVariableLookup);

}  // namespace
