// Benchmarks of the part recognition over stepped shafts of 50 to 1,000
// faces: a STEP file read into a part document, the section of the part
// (BuildRotationContours) and the whole recognition of the plan (section,
// relation matrix, inner point, marker size). The time the host spends in
// its own model calls (Open CASCADE inside it) is reported apart from the
// library's: host_s and library_s per iteration.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "geometry/lsc_transform.h"
#include "model/rotation_contours.h"
#include "plan/spid.h"
#include "platform/core/host_call_time.h"
#include "platform/core/process_state.h"
#include "platform/documents/host_application.h"
#include "platform/part_model.h"

namespace {

using namespace zarvento;

// A shaft of about n faces: the end faces and steps alternating between
// radius 20 and 21, each 1 long.
PartShape SteppedBody(int n) {
    std::vector<MeridianPiece> profile;
    const int steps = std::max(1, (n - 2) / 2);
    auto radius = [](int k) { return k % 2 == 0 ? 20.0 : 21.0; };
    profile.push_back(MeridianPiece::Segment(0, 0, 0, radius(0)));
    for (int k = 0; k < steps; ++k) {
        profile.push_back(MeridianPiece::Segment(k, radius(k), k + 1, radius(k)));
        if (k + 1 < steps) profile.push_back(MeridianPiece::Segment(k + 1, radius(k), k + 1, radius(k + 1)));
    }
    profile.push_back(MeridianPiece::Segment(steps, radius(steps - 1), steps, 0));
    return PartShape::Revolve(profile);
}

// The shaft's STEP file, written once per size.
std::string StepFile(int n) {
    const auto path = std::filesystem::temp_directory_path() / ("zarvento-bench-shaft-" + std::to_string(n) + ".step");
    if (!std::filesystem::exists(path)) SteppedBody(n).WriteStep(path.string(), "shaft");
    return path.string();
}

HostDocumentPtr SteppedPart(int n) {
    ResetProcessState();
    HostDocumentPtr part = ConnectHostApplication().Documents().Open(StepFile(n));
    LscTransform::Global().ReadFromHost(
        part->AddLocalCoordinateSystem("ЛСК", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}));
    return part;
}

// Runs the body once per iteration with the host's time summed apart.
template <class F>
void Measured(benchmark::State& state, F run) {
    double total = 0, host = 0;
    for (auto _ : state) {
        HostCallTime::Start();
        const auto start = std::chrono::steady_clock::now();
        run();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        host += HostCallTime::Seconds();
        HostCallTime::Stop();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["host_s"] = host / n;
    state.counters["library_s"] = (total - host) / n;
}

void BM_ImportStep(benchmark::State& state) {
    const std::string file = StepFile(static_cast<int>(state.range(0)));
    ResetProcessState();
    HostApplication& app = ConnectHostApplication();
    int faces = 0;
    Measured(state, [&] {
        HostDocumentPtr doc = app.Documents().Open(file, false);
        faces = static_cast<int>(TopPart(doc)->Faces().size());
        app.Documents().Close(doc);
    });
    state.counters["faces"] = faces;
    ResetProcessState();
}
BENCHMARK(BM_ImportStep)->Arg(300)->Unit(benchmark::kMillisecond);

void BM_BuildRotationContours(benchmark::State& state) {
    HostDocumentPtr part = SteppedPart(static_cast<int>(state.range(0)));
    int units = 0;
    Measured(state, [&] {
        auto contour = BuildRotationContours(part);
        units = contour ? contour->Count() : 0;
    });
    state.counters["faces"] = static_cast<double>(TopPart(part)->Faces().size());
    state.counters["units"] = units;
    ResetProcessState();
}
BENCHMARK(BM_BuildRotationContours)->Arg(50)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_RecognizeDetailContour(benchmark::State& state) {
    HostDocumentPtr part = SteppedPart(static_cast<int>(state.range(0)));
    CSPID spid;
    Measured(state, [&] { benchmark::DoNotOptimize(RecognizeDetailContour(spid)); });
    ResetProcessState();
}
BENCHMARK(BM_RecognizeDetailContour)->Arg(300)->Unit(benchmark::kMillisecond);

}  // namespace
