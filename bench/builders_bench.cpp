// Chaining a sketch's pieces into one contour, shuffled and drawn in mixed
// directions: the time should grow about linearly with the piece count.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "geometry/arc_unit.h"
#include "geometry/line_unit.h"
#include "geometry/lsc_transform.h"
#include "model/contour_builder.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_document.h"

namespace {

using namespace zarvento;

// A staircase profile of n pieces (lines and quarter arcs), shuffled, every
// other piece reversed.
std::unique_ptr<Contour> ShuffledPieces(int n) {
    std::vector<UnitPtr> units;
    double z = 0, x = -5;
    for (int i = 0; i < n; ++i) {
        if (i % 3 == 2) {
            // a quarter arc stepping out by 1 in x and in z
            units.push_back(std::make_unique<CArcUnit>(z, x - 1, 1.0, z, x, z + 1, x - 1, 1));
            z += 1, x -= 1;
        } else if (i % 3 == 0) {
            units.push_back(std::make_unique<CLineUnit>(z, x, z + 2, x));
            z += 2;
        } else {
            units.push_back(std::make_unique<CLineUnit>(z, x, z, x - 0.5));
            x -= 0.5;
        }
    }
    std::mt19937 random(7);
    std::shuffle(units.begin(), units.end(), random);
    auto contour = std::make_unique<Contour>();
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (i % 2 == 1) units[i]->Reverse();
        contour->AddUnit(std::move(units[i]));
    }
    return contour;
}

void BM_ChainSketchUnits(benchmark::State& state) {
    const auto pieces = ShuffledPieces(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto chain = CContourBuilder::ChainSketchUnits(*pieces);
        if (chain->Count() != pieces->Count()) state.SkipWithError("the chain lost pieces");
        benchmark::DoNotOptimize(chain);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ChainSketchUnits)->Arg(500)->Arg(1000)->Arg(2000)->Arg(4000)->Complexity();

// The whole sketch path: reading, the self-intersection check and the chain.
void BM_ContourFromSketch(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    HostDocument part(DocumentType::Part);
    auto lsc = part.AddLocalCoordinateSystem("ЛСК", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    LscTransform::Global().ReadFromHost(lsc);
    auto sketch = part.AddSketch("Эскиз");
    sketch->SetPlane(lsc, LocalCoordinateSystem::kPlaneZX);
    const auto pieces = ShuffledPieces(n);
    for (int i = 0; i < pieces->Count(); ++i) {
        const CUnit& u = *pieces->GetUnit(i);
        // Sketch y is the radius: the part's side is mirrored.
        if (u.Kind == kUnitLine) {
            sketch->Objects().LineSeg(u.StartPoint.z, -u.StartPoint.x, u.EndPoint.z, -u.EndPoint.x, 1);
        } else {
            sketch->Objects().ArcByPoint(u.CentrePoint.z, -u.CentrePoint.x, 1.0, u.StartPoint.z, -u.StartPoint.x,
                                         u.EndPoint.z, -u.EndPoint.x, u.DirVector > 0 ? 1 : -1, 1);
        }
    }
    CContourBuilder builder;
    builder.sketch = sketch;
    for (auto _ : state) {
        auto contour = builder.CreateContourFromSketch();
        if (!contour) state.SkipWithError("no contour");
        benchmark::DoNotOptimize(contour);
    }
    state.SetComplexityN(n);
    LscTransform::Global().Reset();
}
BENCHMARK(BM_ContourFromSketch)->Arg(500)->Arg(1000)->Arg(2000)->Complexity();

}  // namespace
