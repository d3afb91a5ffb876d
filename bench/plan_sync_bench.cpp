// Benchmark of the synchronisation of a stored plan with its document: the
// plan, coordinate-system, set-up and 30 tool records read back, a new plan
// data made, and 20 operations rebuilt and recalculated (they do no work).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "geometry/lsc_transform.h"
#include "plan/plan.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "plan/synchronization.h"
#include "platform/core/host_folder.h"
#include "platform/core/process_state.h"
#include "platform/documents/host_application.h"

namespace {

using namespace zarvento;

constexpr int kOperations = 20;

class IdleTurn : public PlanTurn {
public:
    std::string GetNameTurn() const override { return "Обработка"; }
    void DiagnosticRaschetPath(int position) override { index = position; }
};

class IdleFactory : public PlanTurnFactory {
public:
    std::unique_ptr<PlanTurn> CreateTurn(std::int32_t) override { return std::make_unique<IdleTurn>(); }
};

void BM_SynchronisePlan20(benchmark::State& state) {
    ResetProcessState();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zarvento-sync-bench";
    std::filesystem::create_directories(folder);
    SetHostFolder(folder);
    IdleFactory factory;
    PlanTurnFactory* previous = RegisterPlanTurnFactory(&factory);
    HostDocumentPtr part = ConnectHostApplication().Documents().Add(DocumentType::Part);
    GetPlanTree().CreateControl();
    CSPID* spid = GetSPID();
    spid->pLSC = part->AddLocalCoordinateSystem("ЛСК", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    LscTransform::Global().ReadFromHost(spid->pLSC);
    spid->Npositions = CSPID::kMaxTools;
    spid->Save_LSC_CNC();
    spid->Save_SPID();
    CPLAN& plan = *GetPLAN();
    for (int i = 0; i < kOperations; ++i) plan.InsertTurn(-1, CPLAN::CreateTurnClass(kTurnKONTUR));
    plan.Save();
    for (auto _ : state) {
        DoSynchronizationData(plan);
        benchmark::DoNotOptimize(plan.GetTurnCount());
    }
    state.SetItemsProcessed(state.iterations() * kOperations);
    RegisterPlanTurnFactory(previous);
    ResetProcessState();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}
BENCHMARK(BM_SynchronisePlan20);

}  // namespace
