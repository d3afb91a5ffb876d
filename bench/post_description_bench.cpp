// Benchmark of the post-processor description reader: a description of the
// older block layout at the 50,000-byte limit (about 60 cycles of 30
// parameters with lists), read as the plan reads it on every check.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "post/post_processor.h"

namespace {

using namespace zarvento;

std::string BlockDescription(std::size_t limit) {
    std::string text = "# VERSION 16\n# FILE_EXTENSION nc\n# CNC_CODE_0 ISO\n\"\"\"\nBEGIN_MACHINE_CYCLES\n";
    for (int c = 0; text.size() + 2000 < limit; ++c) {
        text += "BEGIN_CYCLE\nG" + std::to_string(700 + c) + "EL\nNAME \"Cycle " + std::to_string(c) +
                "\"\nTYPE Turning\nTOOL_DEMANDS Chisel\nPARAMETERS\n";
        for (int p = 0; p < 30; ++p) {
            text += "P" + std::to_string(p) + " D \"Parameter " + std::to_string(p) + "\" 1.5\n";
            if (p % 10 == 0) text += "begin_list\nOne Two Three\nend_list\n";
        }
        text += "END_CYCLE\n";
    }
    return text + "END_MACHINE_CYCLES\n\"\"\"\n";
}

void BM_ReadBlockDescription(benchmark::State& state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "zarvento-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        state.SkipWithError("cannot create a temporary folder");
        return;
    }
    const std::filesystem::path file = std::filesystem::path(pattern) / "blocks.py3";
    std::ofstream(file, std::ios::binary) << BlockDescription(CPostProcessor::kDescriptionBytes);
    CPostProcessor post("blocks", file.string());
    for (auto _ : state) {
        post.ReadPostProcessorDescription();
        benchmark::DoNotOptimize(post.GetCycles().size());
    }
    state.counters["cycles"] = static_cast<double>(post.GetCycles().size());
    std::error_code ec;
    std::filesystem::remove_all(pattern, ec);
}
BENCHMARK(BM_ReadBlockDescription)->Unit(benchmark::kMillisecond);

}  // namespace
