// Benchmark of the NC program of a plan with 100,000 path frames: the frame
// list built from ten operations, its text written and the file saved.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "nc/cadre_comment.h"
#include "nc/frame_templates.h"
#include "nc/modal_state.h"
#include "post/post_processor_settings.h"
#include "post/program.h"
#include "post/program_operation.h"
#include "post/program_plan_links.h"
#include "roughing_pass.h"

namespace {

using namespace zarvento;

constexpr int kOperations = 10;
constexpr int kFramesPerOperation = 10000;
constexpr int kFrames = kOperations * kFramesPerOperation;

// An operation of roughing passes, as the program sees it.
class PassesOperation : public ProgramOperation {
public:
    explicit PassesOperation(int first) {
        frames_.reserve(kFramesPerOperation + 4);
        for (int i = first; static_cast<int>(frames_.size()) < kFramesPerOperation; ++i)
            bench::AddRoughingPass(frames_, i);
        frames_.resize(kFramesPerOperation);
    }
    bool IsActive() const override { return true; }
    void AddCommentFrames(std::vector<CCadreISO*>& program, std::vector<std::unique_ptr<CCadreISO>>& owned) override {
        owned.push_back(std::make_unique<CCadre_Comment>("Черновая обработка"));
        program.push_back(owned.back().get());
    }
    void CopyFramesTo(std::vector<CCadreISO*>& program) override {
        for (const auto& frame : frames_) {
            frame->SetModalState();
            frame->SetOutputCoordinates();
            program.push_back(frame.get());
        }
    }
    void AddDocFrame(std::vector<CCadreISO*>&, std::vector<std::unique_ptr<CCadreISO>>&) override {}

private:
    std::vector<std::unique_ptr<CCadreISO>> frames_;
};

class BenchPlan : public ProgramPlanLinks {
public:
    BenchPlan() : previous_(RegisterProgramPlanLinks(this)) {
        for (int k = 0; k < kOperations; ++k) operations_.push_back(std::make_unique<PassesOperation>(k * 2000));
    }
    ~BenchPlan() override { RegisterProgramPlanLinks(previous_); }
    BenchPlan(const BenchPlan&) = delete;
    BenchPlan& operator=(const BenchPlan&) = delete;

    std::filesystem::path TemporaryDirectory() const override { return std::filesystem::temp_directory_path(); }
    const CPostProcessor* PostProcessor() const override { return nullptr; }
    bool HasPlan() const override { return true; }
    std::vector<ProgramOperation*> Operations() const override {
        std::vector<ProgramOperation*> list;
        for (const auto& op : operations_) list.push_back(op.get());
        return list;
    }

private:
    ProgramPlanLinks* previous_;
    std::vector<std::unique_ptr<PassesOperation>> operations_;
};

void BM_ProgramOfAPlan(benchmark::State& state) {
    FrameTemplates::Clear();
    PostProcessorSettings::Current().Version = "17";
    BenchPlan plan;
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "zarvento-program-bench.nc";
    CPROGRAM program;
    std::vector<std::string> lines;
    for (auto _ : state) {
        program.CreateProgram();
        lines.clear();
        program.WriteProgramText(lines);
        if (!program.SaveProgramFile(file.string(), lines)) state.SkipWithError("the program file was not written");
        benchmark::DoNotOptimize(lines.data());
    }
    std::filesystem::remove(file);
    state.counters["frames_per_s"] =
        benchmark::Counter(static_cast<double>(kFrames), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["lines"] = static_cast<double>(lines.size());
}
BENCHMARK(BM_ProgramOfAPlan)->Unit(benchmark::kMillisecond);

}  // namespace
