// Pelmora's text model at scale: a plan tree of n items (an operation line
// and nine detail lines under it, some a level deeper) loaded from its file,
// saved to it, and taken and put as Items. Each should grow linearly with n.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/text_file.h"
#include "platform/dialogs/host_window.h"
#include "treecontrol/pelmora.h"

namespace {

using pelmora::CPelmora;

std::vector<std::string> PlanLines(std::int64_t n) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(n));
    lines.push_back("План токарной обработки");
    for (std::int64_t i = 1; i < n; ++i) {
        const std::int64_t k = i % 10;
        const std::string tabs = k == 0 ? "\t" : k < 7 ? "\t\t" : "\t\t\t";
        lines.push_back(tabs + (k == 0 ? "Операция " : "Параметр ") + std::to_string(i));
    }
    return lines;
}

struct Control {
    zarvento::HostWindow container;
    std::shared_ptr<CPelmora> tree = std::make_shared<CPelmora>();
    std::filesystem::path file;
    explicit Control(std::int64_t n)
        : file(std::filesystem::temp_directory_path() / ("pelmora-bench-" + std::to_string(n) + ".tree")) {
        tree->CreateControlWindow(&container, {0, 0, 300, 600});
        zarvento::WriteTextFile(file, PlanLines(n), zarvento::TextEncoding::Utf8, zarvento::LineEnd::CrLf);
    }
    ~Control() { std::filesystem::remove(file); }
};

void BM_LoadFromFile(benchmark::State& state) {
    Control c(state.range(0));
    pelmora::VARIANT_BOOL ok = 0;
    for (auto _ : state) {
        c.tree->LoadFromFile(c.file.string(), &ok);
        benchmark::DoNotOptimize(ok);
    }
    if (ok != 1 || c.tree->Tree()->Count() != static_cast<std::size_t>(state.range(0))) state.SkipWithError("load");
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadFromFile)->RangeMultiplier(10)->Range(100, 100000)->Complexity(benchmark::oN);

void BM_SaveToFile(benchmark::State& state) {
    Control c(state.range(0));
    pelmora::VARIANT_BOOL ok = 0;
    c.tree->LoadFromFile(c.file.string(), &ok);
    for (auto _ : state) {
        c.tree->SaveToFile(c.file.string(), &ok);
        benchmark::DoNotOptimize(ok);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SaveToFile)->RangeMultiplier(10)->Range(100, 100000)->Complexity(benchmark::oN);

void BM_ItemsGetPut(benchmark::State& state) {
    Control c(state.range(0));
    pelmora::VARIANT_BOOL ok = 0;
    c.tree->LoadFromFile(c.file.string(), &ok);
    zarvento::Variant items;
    for (auto _ : state) {
        c.tree->get_Items(&items);
        c.tree->put_Items(items);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ItemsGetPut)->RangeMultiplier(10)->Range(100, 100000)->Complexity(benchmark::oN);

}  // namespace
