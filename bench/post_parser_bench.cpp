// Benchmark of the statement grammar: machine-cycle sections of 64 KB to 1 MB,
// one of ordinary statements (cycles, templates, tables) and one of keywords
// without their argument lists, which must stay linear in the size too.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/core/process_state.h"
#include "post/cycle_definition_parser.h"
#include "post/post_processor.h"
#include "post/post_processor_settings.h"

namespace {

using namespace zarvento;

// Frame templates, a table and cycles with parameters and lists, repeated up
// to the size.
std::string StatementSection(std::size_t size) {
    std::string text =
        "BEGIN_MACHINE_CYCLES\nALPHABET(N, G, X, Z, F, S, T, M);\nMETRIC(_INCH==1 ? 1/25.4 : 1, X, Z);\n";
    for (int c = 0; text.size() < size; ++c) {
        const std::string n = std::to_string(c);
        text +=
            "FORMAT(number=1, format_number=N%4f, %m=%6.3m);\nCODE(G01);\n"
            "PRINT(G01 X%m Z%m F%m, _X2, _Z2, _F);\nPRINT_MEM('held, ' %s, _sPOST);\n"
            "TABLE(Feeds" +
            n +
            ", 0);\nROW(0, 1, 2, 3);\nROW(1, 0.1, 0.2, 0.3);\nROW(2, 0.2, 0.3, 0.4);\n"
            "CYCLE(G7" +
            n + ", Roughing " + n +
            ", Turning);\nCOMMENT(Along the axis);\n"
            "TRAJECTORY(TrapecG1, TrapecG2);\n";
        for (int p = 0; p < 8; ++p)
            text += "PARAM(_P" + std::to_string(p) + ", OD, Parameter " + std::to_string(p) + ", 1.5);\n";
        text +=
            "PARAM(_MODE, O, Mode, 0);\nvalue(One, 1, 1);\nvalue(Two, 2, 2);\n"
            "PRINT(G71 U%f F%f, _P0, select_from_table('Feeds" +
            n + "', _P0, 1));\nPRINT_END(G80);\n";
    }
    return text;
}

// Keywords whose lists never close: every one searches ahead for ");".
std::string UnclosedSection(std::size_t size) {
    std::string text = "BEGIN_MACHINE_CYCLES\n";
    while (text.size() < size) text += "PRINT(CODE(ROW(value(TABLE(, ";
    return text;
}

template <std::string (*Section)(std::size_t)>
void BM_ParseSection(benchmark::State& state) {
    const std::string section = Section(static_cast<std::size_t>(state.range(0)));
    PostProcessorSettings::Current().Version = "18";
    std::size_t cycles = 0;
    for (auto _ : state) {
        CPostProcessor post("bench", "");
        ParseCycleDefinition(post, section);
        cycles = post.GetCycles().size();
        benchmark::DoNotOptimize(cycles);
    }
    ResetProcessState();
    state.counters["cycles"] = static_cast<double>(cycles);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(section.size()));
    state.SetComplexityN(state.range(0));
}
BENCHMARK_TEMPLATE(BM_ParseSection, StatementSection)
    ->RangeMultiplier(4)
    ->Range(64 << 10, 1 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK_TEMPLATE(BM_ParseSection, UnclosedSection)
    ->RangeMultiplier(4)
    ->Range(64 << 10, 1 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
