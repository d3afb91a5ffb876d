// Benchmarks of the NC text of long programs: built-in codes and templates.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "nc/address_table.h"
#include "nc/cadre_arc_g02.h"
#include "nc/cadre_arc_g03.h"
#include "nc/cadre_line_g01.h"
#include "nc/frame_templates.h"
#include "nc/modal_state.h"
#include "roughing_pass.h"

namespace {

using namespace zarvento;

constexpr int kFrames = 100000;

// A roughing-like program: rapid approach, feed cut, arc, retract, repeated
// with the depth growing.
std::vector<std::unique_ptr<CCadreISO>> BuildProgram() {
    ResetModalState();
    std::vector<std::unique_ptr<CCadreISO>> frames;
    frames.reserve(kFrames);
    for (int i = 0; static_cast<int>(frames.size()) < kFrames; ++i) {
        bench::AddRoughingPass(frames, i);
    }
    frames.resize(kFrames);
    for (auto& f : frames) {
        f->SetModalState();
        f->SetOutputCoordinates();
    }
    return frames;
}

void WriteProgram(benchmark::State& state, std::vector<std::unique_ptr<CCadreISO>>& frames) {
    std::vector<std::string> lines;
    lines.reserve(kFrames + 16);
    for (auto _ : state) {
        ResetModalState();
        lines.clear();
        int number = 1;
        for (auto& f : frames) {
            f->frameNumber = -1;
            number = f->WriteText(lines, number);
        }
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kFrames);
    state.counters["frames_per_s"] =
        benchmark::Counter(static_cast<double>(kFrames), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_BuiltInText(benchmark::State& state) {
    FrameTemplates::Clear();
    auto frames = BuildProgram();
    WriteProgram(state, frames);
}
BENCHMARK(BM_BuiltInText)->Unit(benchmark::kMillisecond);

CodeLine TemplateLine(std::string text, std::vector<std::string> arguments) {
    CodeLine l;
    l.text = std::move(text);
    l.arguments = std::move(arguments);
    return l;
}

// Templates of 4-5 fields per line over an address table of 20 words.
void LoadTemplates() {
    AddressTable& t = AddressTable::Global();
    t.Clear();
    for (const char* w :
         {"A", "B", "C", "D", "E", "H", "I", "J", "K", "L", "M", "N", "P", "Q", "R", "S", "U", "W", "X", "Z", "F"})
        t.AddWord(w);
    t.Reset(0);
    auto set = [](const char* kind, CodeLine line) {
        auto templ = std::make_unique<CycleCodeLists>();
        templ->code.push_back(std::move(line));
        FrameTemplates::Set(kind, std::move(templ));
    };
    set("G00", TemplateLine("G00 X%m Z%m", {"_X2", "_Z2"}));
    set("G01", TemplateLine("G01 X%m Z%m F%m", {"_X2", "_Z2", "_F"}));
    set("G02", TemplateLine("G02 X%m Z%m I%f K%f F%m", {"_X2", "_Z2", "_I", "_K", "_F"}));
    set("G03", TemplateLine("G03 X%m Z%m R%f F%m", {"_X2", "_Z2", "_R", "_F"}));
}

void BM_TemplateText(benchmark::State& state) {
    LoadTemplates();
    auto frames = BuildProgram();
    WriteProgram(state, frames);
    FrameTemplates::Clear();
    AddressTable::Global().Clear();
}
BENCHMARK(BM_TemplateText)->Unit(benchmark::kMillisecond);

}  // namespace
