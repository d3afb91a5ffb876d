// Benchmarks of the geometry layer's base services.
#include <benchmark/benchmark.h>

#include <vector>

#include "geometry/object_registry.h"
#include "geometry/step_array.h"

namespace {

// Registering and removing n objects must stay linear in n.
void BM_RegistryRegisterRemove(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    std::vector<char> objects(n);
    for (auto _ : state) {
        for (std::size_t i = 0; i < n; ++i) zarvento::RegisterObject(&objects[i], &objects[i]);
        for (std::size_t i = 0; i < n; ++i) zarvento::UnregisterObject(&objects[i], &objects[i]);
    }
    state.SetComplexityN(state.range(0));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_RegistryRegisterRemove)->RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::oN);

void BM_StepArrayAppend(benchmark::State& state) {
    for (auto _ : state) {
        zarvento::StepArray<int> a(1);
        for (int i = 0; i < state.range(0); ++i) a.Add(i);
        benchmark::DoNotOptimize(a.Data());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_StepArrayAppend)->RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::oN);

}  // namespace
