// Benchmarks of the part recognition over stepped shafts of 50 to 3,000
// faces: the section from the faces alone, and the whole recognition of the
// plan (section, relation matrix, inner point, marker size).
#include <benchmark/benchmark.h>

#include <memory>

#include "geometry/line_unit.h"
#include "geometry/lsc_transform.h"
#include "model/revolution_part.h"
#include "model/rotation_contours.h"
#include "plan/spid.h"
#include "platform/host_application.h"
#include "platform/process_state.h"

namespace {

using namespace zarvento;

// A shaft of n faces: the end faces and steps alternating radius 20 and 21,
// with the faces added in reverse so the chaining has to search.
HostDocumentPtr SteppedPart(int n) {
    ResetProcessState();
    HostDocumentPtr part = ConnectHostApplication().Documents().Add(DocumentType::Part);
    LscTransform::Global().ReadFromHost(
        part->AddLocalCoordinateSystem("ЛСК", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}));
    Contour profile;
    const int steps = std::max(1, (n - 2) / 2);
    auto radius = [](int k) { return k % 2 == 0 ? -20.0 : -21.0; };
    profile.AddUnit(std::make_unique<CLineUnit>(0, 0, 0, radius(0)));
    for (int k = 0; k < steps; ++k) {
        profile.AddUnit(std::make_unique<CLineUnit>(k, radius(k), k + 1, radius(k)));
        if (k + 1 < steps) profile.AddUnit(std::make_unique<CLineUnit>(k + 1, radius(k), k + 1, radius(k + 1)));
    }
    profile.AddUnit(std::make_unique<CLineUnit>(steps, radius(steps - 1), steps, 0));
    Contour reversed;
    for (int i = profile.Count() - 1; i >= 0; --i) reversed.AddUnit(profile.GetUnit(i)->Clone());
    SetPartFromProfile(part, reversed);
    return part;
}

void BM_BuildRotationContours(benchmark::State& state) {
    HostDocumentPtr part = SteppedPart(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(BuildRotationContours(part));
    state.SetComplexityN(state.range(0));
    ResetProcessState();
}
BENCHMARK(BM_BuildRotationContours)->Arg(50)->Arg(200)->Arg(1000)->Arg(3000)->Complexity(benchmark::oN);

void BM_RecognizeDetailContour(benchmark::State& state) {
    HostDocumentPtr part = SteppedPart(static_cast<int>(state.range(0)));
    CSPID spid;
    for (auto _ : state) benchmark::DoNotOptimize(RecognizeDetailContour(spid));
    ResetProcessState();
}
BENCHMARK(BM_RecognizeDetailContour)->Arg(50)->Arg(200)->Arg(1000);

}  // namespace

BENCHMARK_MAIN();
