// Formula evaluation throughput: small template and cycle formulas over a
// frame -> operation -> plan -> part chain, one million per run.
#include <benchmark/benchmark.h>

#include <array>
#include <map>
#include <string>
#include <string_view>

#include "nc/code_parameters.h"
#include "nc/detail_parameters.h"
#include "nc/operation_parameters.h"
#include "nc/plan_parameters.h"

namespace {

using namespace zarvento;
using Values = std::map<std::string, double, std::less<>>;

const double* Find(Values& values, std::string_view name) {
    auto it = values.find(name);
    return it == values.end() ? nullptr : &it->second;
}

class Frame : public CODE_PARAMETERS {
public:
    Values own{{"_X1", -20}, {"_Z1", 0}, {"_X2", -18.5}, {"_Z2", -40}, {"_F", 0.2}};

protected:
    const double* GetVariable(std::string_view name) override { return Find(own, name); }
};

class Operation : public OPERATION_PARAMETERS {
public:
    using OPERATION_PARAMETERS::OPERATION_PARAMETERS;
    Values own{{"_D", 40}, {"_AP", 1.5}, {"_S", 1200}};
    const double* GetTurnParameter(std::string_view name) override { return Find(own, name); }
};

class Plan : public PLAN_PARAMETERS {
public:
    using PLAN_PARAMETERS::PLAN_PARAMETERS;
    Values own{{"_INCH", 0}, {"_TOSN", 12.5}};
    const double* GetPlanParameter(std::string_view name) override { return Find(own, name); }
};

constexpr std::array<std::string_view, 8> kFormulas = {
    "_X1*(-2)",
    "_Z2-_Z1",
    "MODEL.Mass*2+_TOSN",
    "_D/2-_AP",
    "_F>0.1 ? _F*1000 : 100",
    "sqrt(_X1*_X1+_Z2*_Z2)",
    "atan((_X2-_X1)/(_Z2-_Z1))*180/3.1415926",
    "(_S>1000) && (_INCH==0)",
};

void BM_SmallFormulas(benchmark::State& state) {
    DETAIL_PARAMETERS part;
    part.AddNumeric("Mass", 2.5, "");
    Plan plan(&part);
    Operation operation(&plan);
    Frame frame;
    frame.parent = &operation;
    for (std::string_view formula : kFormulas) {
        double result = 0;
        if (!frame.CalcFormula(result, formula, true)) state.SkipWithError("a workload formula fails");
    }
    constexpr int kCount = 1000000;
    for (auto _ : state) {
        double sum = 0;
        for (int i = 0; i < kCount; ++i) {
            double result = 0;
            frame.CalcFormula(result, kFormulas[static_cast<std::size_t>(i) % kFormulas.size()], true);
            sum += result;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kCount);
}
BENCHMARK(BM_SmallFormulas)->Unit(benchmark::kMillisecond);

}  // namespace
