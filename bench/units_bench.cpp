// Benchmarks of the contour units: pairwise intersections and sampling by
// step over profiles of many lines and arcs.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "geometry/arc_unit.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"

namespace {

using namespace zarvento;

// A zig-zag turned profile of n units, alternating lines and fillet-like arcs.
std::vector<UnitPtr> Profile(int n) {
    std::vector<UnitPtr> units;
    units.reserve(n);
    double z = 0.0;
    for (int i = 0; i < n; ++i) {
        const double x = -10.0 - 5.0 * (i % 2);
        if (i % 2 == 0) {
            units.push_back(std::make_unique<CLineUnit>(z, x, z + 2.0, x - 5.0));
        } else {
            units.push_back(std::make_unique<CArcUnit>(z + 1.0, x, 1.0, z, x, z + 2.0, x, i % 4 == 1 ? 1 : -1));
        }
        z += 2.0;
    }
    return units;
}

// Every unit of a profile against a set of probe lines and arcs crossing it.
void BM_IntersectUnits(benchmark::State& state) {
    const auto units = Profile(static_cast<int>(state.range(0)));
    std::vector<UnitPtr> probes;
    for (int k = 0; k < 8; ++k) {
        probes.push_back(std::make_unique<CLineUnit>(-1.0, -12.5 + 0.1 * k, 2.0 * state.range(0) + 1, -12.5));
        probes.push_back(
            std::make_unique<CArcUnit>(0.5 * k, -20.0, 8.0, 0.5 * k + 8.0, -20.0, 0.5 * k - 8.0, -20.0, 1));
    }
    IntersectPointList list(1000);
    for (auto _ : state) {
        list.SetCountZero();
        for (const auto& u : units)
            for (const auto& p : probes) u->Intersect(p.get(), list);
        benchmark::DoNotOptimize(list.Data());
    }
    state.SetComplexityN(state.range(0));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0) * 16);
}
BENCHMARK(BM_IntersectUnits)->RangeMultiplier(4)->Range(50, 3200)->Complexity(benchmark::oN);

// Simulation sampling: points every 0.1 along every unit of the profile.
void BM_PointsByStep(benchmark::State& state) {
    const auto units = Profile(static_cast<int>(state.range(0)));
    IntersectPointList list(10000);
    for (auto _ : state) {
        list.SetCountZero();
        for (const auto& u : units) u->GetPointsByStep(list, 0.1, 0);
        benchmark::DoNotOptimize(list.Data());
    }
    state.SetComplexityN(state.range(0));
    state.counters["points"] = static_cast<double>(list.Count());
}
BENCHMARK(BM_PointsByStep)->RangeMultiplier(4)->Range(50, 3200)->Complexity(benchmark::oN);

void BM_PointsByStep3D(benchmark::State& state) {
    const auto units = Profile(static_cast<int>(state.range(0)));
    UnitPoint3DList list(10000);
    for (auto _ : state) {
        list.SetCountZero();
        for (const auto& u : units) u->GetPointsByStep3D(list, 0.1, 1);
        benchmark::DoNotOptimize(list.Data());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_PointsByStep3D)->RangeMultiplier(4)->Range(50, 3200)->Complexity(benchmark::oN);

}  // namespace
