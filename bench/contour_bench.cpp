// Benchmarks of the contour algorithms over roughed profiles of 100 to 5,000
// units: intersection, cutting, self-intersection, the point test, and the
// cost of building contours (unit growth, object registry).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"

namespace {

using zarvento::Contour;

// A turned profile roughed into n units along Z: x waves about -20, every
// third unit a shallow arc through the same points.
std::unique_ptr<Contour> Profile(int n, double phase) {
    auto c = std::make_unique<Contour>();
    const double step = 0.5;
    auto xAt = [&](int k) { return -20.0 + 2.0 * std::sin(k * 0.37 + phase); };
    for (int k = 0; k < n; ++k) {
        const double z1 = k * step, x1 = xAt(k), z2 = (k + 1) * step, x2 = xAt(k + 1);
        if (k % 3 == 2) {
            // A minor arc through both points, its centre right of travel (clockwise).
            const double dz = z2 - z1, dx = x2 - x1, d = std::hypot(dz, dx), r = 4.0 * d;
            const double h = std::sqrt(r * r - 0.25 * d * d);
            const double zc = 0.5 * (z1 + z2) + h * dx / d, xc = 0.5 * (x1 + x2) - h * dz / d;
            c->AddUnit(std::make_unique<zarvento::CArcUnit>(zc, xc, r, z1, x1, z2, x2, 1));
        } else {
            c->AddUnit(std::make_unique<zarvento::CLineUnit>(z1, x1, z2, x2));
        }
    }
    return c;
}

void Sizes(benchmark::internal::Benchmark* b) { b->Arg(100)->Arg(1000)->Arg(5000); }

// Two profiles that cross each other every few units.
void BM_ContourIntersect(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto a = Profile(n, 0.0), b = Profile(n, 1.3);
    std::size_t crossings = 0;
    for (auto _ : state) {
        zarvento::IntersectPointList points(100);
        a->Intersect(*b, points, true);
        crossings = points.Count();
        benchmark::DoNotOptimize(points.Data());
    }
    state.counters["crossings"] = static_cast<double>(crossings);
    state.SetComplexityN(n);
}
BENCHMARK(BM_ContourIntersect)->Apply(Sizes)->Complexity(benchmark::oNLogN);

// Crossings with a second profile, then the piece between the first and the
// middle crossing, cut with and without wrapping.
void BM_ContourCut(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto a = Profile(n, 0.0), b = Profile(n, 1.3);
    zarvento::IntersectPointList points(100);
    a->Intersect(*b, points, true);
    if (points.Count() < 2) {
        state.SkipWithError("the profiles do not cross");
        return;
    }
    const auto p1 = points[points.Count() / 2], p2 = points[0];
    for (auto _ : state) {
        auto wrapped = a->CutPartCyclic(p1, p2);
        auto plain = a->CutPart(p2, p1);
        benchmark::DoNotOptimize(wrapped.get());
        benchmark::DoNotOptimize(plain.get());
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_ContourCut)->Apply(Sizes)->Complexity(benchmark::oN);

// A clean profile: every candidate pair is tested and none crosses.
void BM_ContourHasSelfIntersection(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto a = Profile(n, 0.0);
    for (auto _ : state) benchmark::DoNotOptimize(a->HasSelfIntersection());
    state.SetComplexityN(n);
}
BENCHMARK(BM_ContourHasSelfIntersection)->Apply(Sizes)->Complexity(benchmark::oNLogN);

void BM_ContourRemoveLoops(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto a = Profile(n, 0.0);
    for (auto _ : state) {
        state.PauseTiming();
        auto copy = a->Clone();
        state.ResumeTiming();
        copy->RemoveLoops();
        benchmark::DoNotOptimize(copy.get());
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_ContourRemoveLoops)->Apply(Sizes)->Complexity(benchmark::oNLogN);

// The point test of a closed profile, one probe per call.
void BM_ContourIsPointInside(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    auto a = Profile(n, 0.0);
    const double zEnd = a->GetLastUnit()->EndPoint.z, xEnd = a->GetLastUnit()->EndPoint.x;
    a->AddUnit(std::make_unique<zarvento::CLineUnit>(zEnd, xEnd, zEnd, 0.0));
    a->AddUnit(std::make_unique<zarvento::CLineUnit>(zEnd, 0.0, 0.0, 0.0));
    a->AddUnit(std::make_unique<zarvento::CLineUnit>(0.0, 0.0, 0.0, a->GetFirstUnit()->StartPoint.x));
    int k = 0;
    for (auto _ : state) {
        const double z = 0.25 + (k++ % n) * 0.5;
        benchmark::DoNotOptimize(a->IsPointInside(z, -10.0));
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_ContourIsPointInside)->Apply(Sizes)->Complexity(benchmark::oNLogN);

// Building a contour unit by unit: growth must stay linear.
void BM_ContourAddUnit(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Contour c;
        for (int k = 0; k < n; ++k) c.AddUnit(std::make_unique<zarvento::CLineUnit>(k, 0.0, k + 1, 0.0));
        benchmark::DoNotOptimize(c.GetLastUnit());
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_ContourAddUnit)->Apply(Sizes)->Complexity(benchmark::oN);

// Many small contours alive at once, as one path contour per NC frame: each
// construction and destruction goes through the object registry.
void BM_ContourManySmall(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::vector<std::unique_ptr<Contour>> frames;
        frames.reserve(static_cast<std::size_t>(n));
        for (int k = 0; k < n; ++k) frames.push_back(zarvento::MakeLineContour(k, 0.0, k + 1, 0.0));
        benchmark::DoNotOptimize(frames.data());
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_ContourManySmall)->Apply(Sizes)->Complexity(benchmark::oN);

}  // namespace
