// Benchmarks of the simulation sampling and the statistics of a 100,000-frame
// turning program: rapid approaches, feed cuts and arcs, partly under G96.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "nc/cadre_g96.h"
#include "nc/cadre_g97.h"
#include "nc/modal_state.h"
#include "nc/path_statistics.h"
#include "roughing_pass.h"

namespace {

using namespace zarvento;

constexpr int kFrames = 100000;

// Roughing-like passes of 5 frames; every other block of 20 passes runs under
// G96 so that both speed rules are sampled and timed.
std::vector<std::unique_ptr<CCadreISO>> BuildProgram() {
    ResetModalState();
    ModalState.feed = 0.2;
    std::vector<std::unique_ptr<CCadreISO>> frames;
    frames.reserve(kFrames + 2);
    for (int i = 0; static_cast<int>(frames.size()) < kFrames; ++i) {
        if (i % 20 == 0) {
            if ((i / 20) % 2 == 0)
                frames.push_back(std::make_unique<CCadre_G96>(180.0, 100.0, 3000.0));
            else
                frames.push_back(std::make_unique<CCadre_G97>(1200.0));
        }
        bench::AddRoughingPass(frames, i);
    }
    frames.resize(kFrames);
    for (auto& f : frames) {
        f->SetModalState();
        f->CreatePathFigure();
    }
    return frames;
}

void Rate(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kFrames);
    state.counters["frames_per_s"] =
        benchmark::Counter(static_cast<double>(kFrames), benchmark::Counter::kIsIterationInvariantRate);
}

// Samples the whole program into one list per iteration.
template <typename List>
void SamplePoints(benchmark::State& state, std::vector<std::unique_ptr<CCadreISO>>& frames,
                  void (CCadreISO::*sample)(List&)) {
    std::size_t points = 0;
    for (auto _ : state) {
        List list(1000);
        for (auto& f : frames) ((*f).*sample)(list);
        points = list.Count();
        benchmark::DoNotOptimize(list.Count());
    }
    Rate(state);
    state.counters["points"] = static_cast<double>(points);
}

void BM_SimulationPoints2D(benchmark::State& state) {
    auto frames = BuildProgram();
    SamplePoints(state, frames, &CCadreISO::GetSimulationPoints);
}
BENCHMARK(BM_SimulationPoints2D)->Unit(benchmark::kMillisecond);

void BM_SimulationPoints3D(benchmark::State& state) {
    auto frames = BuildProgram();
    // Spatial sampling reads the feed per minute: 0.2 mm/rev at about 3000 rpm.
    for (auto& f : frames) f->feed *= 3000.0;
    SamplePoints(state, frames, &CCadreISO::GetSimulationPoints3D);
}
BENCHMARK(BM_SimulationPoints3D)->Unit(benchmark::kMillisecond);

void BM_Statistics(benchmark::State& state) {
    auto frames = BuildProgram();
    // The statistics read the constant-speed values from the modal state.
    ModalState.constantSpeed = 1;
    ModalState.cuttingSpeed = 180.0;
    ModalState.minSpindleSpeed = 100.0;
    ModalState.maxSpindleSpeed = 3000.0;
    ModalState.feed = 0.2;
    for (auto _ : state) {
        PathStatistics total;
        for (auto& f : frames) total.AddTimesAndLengths(f->GetStatistics());
        benchmark::DoNotOptimize(total.workTime);
    }
    Rate(state);
}
BENCHMARK(BM_Statistics)->Unit(benchmark::kMillisecond);

}  // namespace
