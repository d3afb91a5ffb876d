// The statistics and the cost estimate on a plan of 30 operations of 5,000
// frames each, one tool per operation: the plan's times (every operation's
// statistics once), and one calculation of the estimate's tools page, which
// takes each operation's statistics once whatever the number of tool rows.
// Both after a first pass, in which the frames make their path figures.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "nc/cadre_line_g01.h"
#include "operations/turn_kontur.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/host_folder.h"
#include "platform/core/process_state.h"
#include "platform/dialogs/host_dialog.h"
#include "platform/documents/host_application.h"
#include "reports/cost_page_inst.h"
#include "reports/statistics_reports.h"

namespace {

using namespace zarvento;

constexpr int kOperations = 30;
constexpr int kFrames = 5000;

// A contour pass whose path is given: feed moves along a wavy line with a
// rapid move every fourth frame.
class FramedTurn : public CTurnKONTUR {
public:
    FramedTurn(int position, int frameCount) {
        nToolPosition = position;
        sNameTurn = "Обработка " + std::to_string(position + 1);
        double x = -20.0, z = 0.0;
        for (int i = 0; i < frameCount; ++i) {
            const double nx = -20.0 - (i % 7) * 0.3, nz = z - 0.05;
            frames.push_back(std::make_unique<CCadre_LineG01>(x, z, nx, nz, 0.2, i % 4 == 0));
            x = nx;
            z = nz;
        }
    }
};

class Host {
public:
    Host() : folder_(std::filesystem::temp_directory_path() / "zarvento-statistics-bench") {
        ResetProcessState();
        std::filesystem::create_directories(folder_);
        SetHostFolder(folder_);
        ConnectHostApplication().Documents().Add(DocumentType::Part);
        CPLAN& plan = *GetPLAN();
        CSPID& spid = *GetSPID();
        spid.Npositions = kOperations;
        for (int i = 0; i < kOperations; ++i) {
            spid.GetTool(i)->sToolName = "Резец " + std::to_string(i + 1);
            plan.InsertTurn(-1, std::make_unique<FramedTurn>(i, kFrames));
        }
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

void BM_PlanStatistics30x5000(benchmark::State& state) {
    Host host;
    StatisticsReports reports;
    double main = 0.0, aux = 0.0;
    // The frames make their path figures on the first statistics; what is
    // timed is the walk over frames that have them.
    reports.CalculateTime(*GetPLAN(), main, aux);
    for (auto _ : state) {
        reports.CalculateTime(*GetPLAN(), main, aux);
        benchmark::DoNotOptimize(main);
    }
    state.counters["frames"] = kOperations * kFrames;
}
BENCHMARK(BM_PlanStatistics30x5000)->Unit(benchmark::kMillisecond);

void BM_ToolsPageCosts30x5000(benchmark::State& state) {
    Host host;
    HostDialog dialog("costs", 1410);
    CPageInst page(*GetPLAN(), *GetSPID(), dialog, 4000, nullptr);
    page.CalculateCosts();
    for (auto _ : state) {
        page.CalculateCosts();
        benchmark::DoNotOptimize(page.total);
    }
    state.counters["rows"] = static_cast<double>(page.Rows().size());
}
BENCHMARK(BM_ToolsPageCosts30x5000)->Unit(benchmark::kMillisecond);

}  // namespace
