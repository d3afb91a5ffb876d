// Benchmarks of machine cycles: the CYCLE text of a long working contour and
// a full evaluation of a cycle's parameters with dependent formulas.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "geometry/line_unit.h"
#include "nc/cycle_auto.h"
#include "nc/cycle_g700el.h"
#include "nc/modal_state.h"

namespace {

using namespace zarvento;

// A turning cycle whose working contour is a staircase of 500 units.
std::unique_ptr<CCycle_G700EL> TurningCycle() {
    auto c = std::make_unique<CCycle_G700EL>();
    c->workContour = std::make_unique<Contour>();
    double z = 2.0, x = -10.0;
    for (int i = 0; i < 500; ++i) {
        const double z2 = i % 2 == 0 ? z - 1.0 : z;
        const double x2 = i % 2 == 0 ? x : x - 0.1;
        c->workContour->AddUnit(std::make_unique<CLineUnit>(z, x, z2, x2));
        z = z2;
        x = x2;
    }
    return c;
}

void BM_TurningCycleText(benchmark::State& state) {
    auto cycle = TurningCycle();
    for (auto _ : state) {
        ResetModalState();
        std::vector<std::string> lines;
        lines.reserve(520);
        benchmark::DoNotOptimize(cycle->WriteText(lines, 1));
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_TurningCycleText);

void BM_CalcParametersDependent(benchmark::State& state) {
    CCycle_Auto cycle;
    for (int i = 0; i < 40; ++i) {
        cycle.AddParamDouble("P" + std::to_string(i), 0.0, "");
        cycle.params[static_cast<std::size_t>(i)].valueText =
            i == 0 ? "1.5" : "P" + std::to_string(i - 1) + "*1.01+sqrt(4)";
    }
    for (auto _ : state) {
        cycle.CalcParameters(false);
        benchmark::DoNotOptimize(cycle.params[39].realValue);
    }
}
BENCHMARK(BM_CalcParametersDependent);

}  // namespace
