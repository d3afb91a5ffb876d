// The operation panel's NC preview on the tool tab: the last operation of a
// plan of 30 operations of 5,000 frames each. The first opening in a panel
// run writes every earlier operation's frames to reach the program's state
// where the operation begins; later openings start from that state kept for
// the run, and a picked line finds its frame by a binary search. The aim is
// an interactive tab: a later opening and a pick well under 50 ms.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

#include "operation_panels/turn_kind_panel.h"
#include "plan/plan.h"
#include "platform/core/host_version.h"
#include "platform/dialogs/property_control.h"
#include "platform/documents/hidden_document.h"
#include "runner_session.h"

namespace {

using namespace zarvento;

constexpr int kOperations = 30;
constexpr int kFrames = 5000;

// A step of the shaft, turned from a bar of 50 mm.
constexpr const char* kStep =
    "LineSeg( 5,-20, -30,-20, 1 );\n"
    "LineSeg( -30,-20, -30,-30, 1 );\n";

// An operation whose path is a zigzag of kFrames moves over its region.
class DenseTurn : public virtual CTurn {
public:
    DenseTurn() {
        sNameTurn = "Проба";
        typeKey = "Turning";
    }
    bool CreateContourPath() override {
        if (!CTurn::CreateContourPath()) return false;
        for (int i = 0; i < kFrames; ++i) {
            const double z = -0.005 * i;
            AddLineFrame(-25.0 - (i % 2), z, -25.0 - ((i + 1) % 2), z - 0.005, -1.0, i % 2 == 0);
        }
        FinishContourPath();
        return true;
    }
};

class PreviewPanel : public TurnKindPanel<DenseTurn> {
public:
    explicit PreviewPanel(DenseTurn& op) : TurnKindPanel<DenseTurn>(op) {}
    void ForgetProgramStart() { previewStart.reset(); }
};

struct PreviewScene {
    explicit PreviewScene(bench::RunnerSession& session) {
        SetHostVersion({17, 0, 0, 0});
        test::OperationRunner& runner = session.Runner();
        runner.Bar(60, 50, 0, 2).InnerPoint(-10, -5);
        runner.Tool(0, "Резец проходной", 0.8).isFromCatalog = false;
        runner.Part(kStep);
        runner.Version("18");
        // Each operation a tenth of a millimetre deeper, into what the one
        // before left.
        for (int i = 0; i < kOperations; ++i) {
            const std::string r = std::to_string(20.0 - 0.1 * i);
            const std::string profile =
                "LineSeg( 5,-" + r + ", -30,-" + r + ", 1 );\nLineSeg( -30,-" + r + ", -30,-30, 1 );\n";
            last = &dynamic_cast<DenseTurn&>(
                runner.Add(std::make_unique<DenseTurn>(), profile, [](CTurn& o) { o.nToolPosition = 0; }));
        }
        runner.Run();
        CreateHiddenDocument();
        panel = std::make_unique<PreviewPanel>(*last);
        panel->CreatePanel();
        panel->CBasePanel::OnInitPanel();
        panel->OnInitPanel();
        panel->workContour = Contour::ContourCopy(last->workContour.get());
        panel->sourceContour = Contour::ContourCopy(last->sourceContour.get());
        panel->RecalculatePath();
    }
    bool Ready(benchmark::State& state) const {
        if (last->HasMessage() || panel->HasMessage()) {
            state.SkipWithError(last->HasMessage() ? last->messageText.c_str() : panel->messageText.c_str());
            return false;
        }
        return true;
    }

    DenseTurn* last = nullptr;
    std::unique_ptr<PreviewPanel> panel;
};

void BM_PreviewFirstOpening(benchmark::State& state) {
    bench::RunnerSession session("zarvento-preview-bench");
    PreviewScene scene(session);
    if (!scene.Ready(state)) return;
    for (auto _ : state) {
        scene.panel->ForgetProgramStart();
        scene.panel->ShowProgramPreview();
    }
    state.counters["lines"] = static_cast<double>(scene.panel->toolPathList->Items().size());
    double earlier = 0.0;
    for (int i = 0; i + 1 < GetPLAN()->GetTurnCount(); ++i) {
        const auto* op = dynamic_cast<const CTurn*>(GetPLAN()->GetTurn(i));
        if (op && op->IsActive()) earlier += static_cast<double>(op->Frames().size());
    }
    state.counters["earlier_frames"] = earlier;
}
BENCHMARK(BM_PreviewFirstOpening)->Unit(benchmark::kMillisecond);

void BM_PreviewLaterOpening(benchmark::State& state) {
    bench::RunnerSession session("zarvento-preview-bench");
    PreviewScene scene(session);
    if (!scene.Ready(state)) return;
    scene.panel->ShowProgramPreview();
    for (auto _ : state) scene.panel->ShowProgramPreview();
    state.counters["lines"] = static_cast<double>(scene.panel->toolPathList->Items().size());
}
BENCHMARK(BM_PreviewLaterOpening)->Unit(benchmark::kMillisecond);

void BM_PreviewPickedLine(benchmark::State& state) {
    bench::RunnerSession session("zarvento-preview-bench");
    PreviewScene scene(session);
    if (!scene.Ready(state)) return;
    scene.panel->ShowProgramPreview();
    const int lines = static_cast<int>(scene.panel->toolPathList->Items().size());
    std::mt19937 random(7);
    std::uniform_int_distribution<int> line(0, lines - 1);
    for (auto _ : state) benchmark::DoNotOptimize(scene.panel->FrameOfLine(line(random)));
}
BENCHMARK(BM_PreviewPickedLine)->Unit(benchmark::kMicrosecond);

}  // namespace
