// Benchmarks of the tool contours of a full turret: CSPID::CreateContourTool
// for every position, 30 tools from the bundled catalog, first with loading
// the models into the session (copy, push values, rebuild the body, read
// back) and then the projection of the loaded bodies alone.
#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <string>

#include "catalogs/tool_model_text.h"
#include "plan/spid.h"
#include "platform/core/host_folder.h"
#include "platform/core/process_state.h"
#include "platform/documents/host_application.h"
#include "platform/processes/module.h"

namespace {

using namespace zarvento;

constexpr std::array<const char*, 10> kCatalogTools{
    "Токарные\\Проходные\\Резец проходной SSBCR.rdp",
    "Токарные\\Расточные\\Резец расточной.rdp",
    "Токарные\\Канавочные\\Резец канавочный.rdp",
    "Токарные\\Канавочные\\Резец отрезной.rdp",
    "Токарные\\Резьбовые\\Резец резьбовой 16ER AG60.rdp",
    "Токарные\\Резьбовые\\Резец резьбовой левый 16EL AG60.rdp",
    "Осевые\\Сверла\\Сверло спиральное.rdp",
    "Осевые\\Сверла\\Сверло центровочное.rdp",
    "Осевые\\Резьбонарезные\\Метчик.rdp",
    "Осевые\\Резьбонарезные\\Плашка.rdp",
};

// A connected host with an active part, the bundled catalog as the
// library's folder and a plan of 30 catalog tools.
class Turret {
public:
    Turret() : folder_(std::filesystem::temp_directory_path() / "zarvento-tool-contour-bench") {
        ResetProcessState();
        std::filesystem::create_directories(folder_);
        SetHostFolder(folder_);
        SetModuleDirectory(std::filesystem::path(ZARVENTO_CATALOG_DIR));
        ToolModelText::Install();
        ConnectHostApplication().Documents().Add(DocumentType::Part);
        spid_ = GetSPID();
        spid_->Npositions = CSPID::kMaxTools;
        for (int i = 0; i < CSPID::kMaxTools; ++i) {
            ParamTool& t = spid_->tools[static_cast<std::size_t>(i)];
            t.sFileName = kCatalogTools[static_cast<std::size_t>(i) % kCatalogTools.size()];
            t.sToolName = t.sFileName.substr(t.sFileName.rfind('\\') + 1);
            t.nCopyIndex = i;
            t.M34 = static_cast<std::int16_t>(i % 2 ? 4 : 3);
            t.Angle = i % 3 ? 90 : 45;
        }
    }
    ~Turret() {
        ResetProcessState();
        SetModuleDirectory(std::nullopt);
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    Turret(const Turret&) = delete;
    Turret& operator=(const Turret&) = delete;

    // Every record as a newly chosen tool: nothing copied, loaded or built.
    void Forget(bool models) {
        for (ParamTool& t : spid_->tools) {
            t.ClearContour();
            t.isNoContour = false;
            if (models) {
                t.isModelCopied = t.isModelLoaded = false;
                t.Npv = 0;
            }
        }
    }
    CSPID& Plan() { return *spid_; }

private:
    std::filesystem::path folder_;
    CSPID* spid_ = nullptr;
};

void BM_ContoursWithLoading(benchmark::State& state) {
    Turret turret;
    for (auto _ : state) {
        turret.Forget(true);
        turret.Plan().CreateContourTool(CSPID::kAllPositions);
        benchmark::DoNotOptimize(turret.Plan().tools[29].pContour);
    }
    if (!turret.Plan().tools[29].pContour) state.SkipWithError("no contour was made");
}
BENCHMARK(BM_ContoursWithLoading)->Unit(benchmark::kMillisecond);

void BM_ContoursOfLoadedModels(benchmark::State& state) {
    Turret turret;
    turret.Plan().CreateContourTool(CSPID::kAllPositions);
    for (auto _ : state) {
        turret.Forget(false);
        turret.Plan().CreateContourTool(CSPID::kAllPositions);
        benchmark::DoNotOptimize(turret.Plan().tools[29].pContour);
    }
    if (!turret.Plan().tools[29].pContour) state.SkipWithError("no contour was made");
}
BENCHMARK(BM_ContoursOfLoadedModels)->Unit(benchmark::kMillisecond);

}  // namespace
