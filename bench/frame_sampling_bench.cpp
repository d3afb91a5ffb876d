// Benchmarks of the simulation sampling and the statistics of a 100,000-frame
// turning program: rapid approaches, feed cuts and arcs, partly under G96.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "nc/cadre_arc_g02.h"
#include "nc/cadre_arc_g03.h"
#include "nc/cadre_g96.h"
#include "nc/cadre_g97.h"
#include "nc/cadre_line_g01.h"
#include "nc/modal_state.h"
#include "nc/path_statistics.h"

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
            if ((i / 20) % 2 == 0) frames.push_back(std::make_unique<CCadre_G96>(180.0, 100.0, 3000.0));
            else frames.push_back(std::make_unique<CCadre_G97>(1200.0));
        }
        const double x = -50.0 + (i % 40) * 0.5;
        frames.push_back(std::make_unique<CCadre_LineG01>(x - 2, 2.0, x, 1.0, 0.0, true));
        frames.push_back(std::make_unique<CCadre_LineG01>(x, 1.0, x, -40.0, 0.2 + (i % 3) * 0.05, false));
        frames.push_back(std::make_unique<CCadre_ArcG02>(x - 2, -40.0, 2.0, x, -40.0, x - 2, -42.0, 0.15, false));
        frames.push_back(std::make_unique<CCadre_ArcG03>(x - 2, -44.0, 2.0, x - 2, -42.0, x - 4, -44.0, 0.15, false));
        frames.push_back(std::make_unique<CCadre_LineG01>(x - 4, -44.0, x - 6, 2.0, 0.0, true));
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

void BM_SimulationPoints2D(benchmark::State& state) {
    auto frames = BuildProgram();
    std::size_t points = 0;
    for (auto _ : state) {
        SimulationPointList list(1000);
        for (auto& f : frames) f->GetSimulationPoints(list);
        points = list.Count();
        benchmark::DoNotOptimize(list.Count());
    }
    Rate(state);
    state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_SimulationPoints2D)->Unit(benchmark::kMillisecond);

void BM_SimulationPoints3D(benchmark::State& state) {
    auto frames = BuildProgram();
    // Spatial sampling reads the feed per minute: 0.2 mm/rev at about 3000 rpm.
    for (auto& f : frames) f->feed *= 3000.0;
    std::size_t points = 0;
    for (auto _ : state) {
        UnitPoint3DList list(1000);
        for (auto& f : frames) f->GetSimulationPoints3D(list);
        points = list.Count();
        benchmark::DoNotOptimize(list.Count());
    }
    Rate(state);
    state.counters["points"] = static_cast<double>(points);
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

BENCHMARK_MAIN();
