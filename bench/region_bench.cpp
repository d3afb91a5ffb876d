// Region subtraction over a simulated turning pass: a round-nosed tool's swept
// figures taken out of a bar one by one, against the same sequence through a
// polygon clipper (arcs flattened) as the baseline.
//
// Before the Google Benchmark runs, one timed pass per sequence length prints
// both times, their ratio and the stock's growth checks.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/smoke_run.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "geometry/subtract_region.h"
#include "tests/geometry/region_shapes.h"

namespace {

using namespace zarvento;

constexpr double kBarLength = 100.0;
constexpr double kBarRadius = 25.0;
constexpr double kNoseRadius = 0.8;
constexpr double kChord = 1e-3;  // flattening tolerance of the baseline
// Inside the part, on the axis side of every pass.
constexpr double kRefZ = 50.0;
constexpr double kRefX = -1.0;

struct Point {
    double z, x;
};

std::unique_ptr<Contour> Bar() {
    auto bar = std::make_unique<Contour>();
    bar->AddUnit(std::make_unique<CLineUnit>(0, 0, kBarLength, 0));
    bar->AddUnit(std::make_unique<CLineUnit>(kBarLength, 0, kBarLength, -kBarRadius));
    bar->AddUnit(std::make_unique<CLineUnit>(kBarLength, -kBarRadius, 0, -kBarRadius));
    bar->AddUnit(std::make_unique<CLineUnit>(0, -kBarRadius, 0, 0));
    return bar;
}

// n nose positions evenly spaced along a roughing path: passes towards the
// chuck 2 mm deeper each time, each ending in a facing move up to the next
// depth and a retract outside the bar.
std::vector<Point> TurningPath(int n) {
    std::vector<Point> corners;
    for (int pass = 0; pass < 5; ++pass) {
        const double x = -kBarRadius + 1.5 + 2.0 * pass;
        corners.push_back({kBarLength + 2.0, x});
        corners.push_back({30.0 + 5.0 * pass, x});
        corners.push_back({30.0 + 5.0 * pass, x - 2.5});
        corners.push_back({kBarLength + 2.0, -kBarRadius - 2.0});
    }
    std::vector<double> at(corners.size(), 0.0);
    for (std::size_t k = 1; k < corners.size(); ++k)
        at[k] = at[k - 1] + std::hypot(corners[k].z - corners[k - 1].z, corners[k].x - corners[k - 1].x);
    std::vector<Point> path;
    path.reserve(static_cast<std::size_t>(n));
    std::size_t seg = 1;
    for (int i = 0; i < n; ++i) {
        const double s = at.back() * i / (n - 1);
        while (seg + 1 < corners.size() && at[seg] < s) ++seg;
        const double t = at[seg] > at[seg - 1] ? (s - at[seg - 1]) / (at[seg] - at[seg - 1]) : 0.0;
        path.push_back({corners[seg - 1].z + t * (corners[seg].z - corners[seg - 1].z),
                        corners[seg - 1].x + t * (corners[seg].x - corners[seg - 1].x)});
    }
    return path;
}

struct OurRun {
    double seconds = 0.0;
    int units = 0;
    double shortest = 0.0;
    double area = 0.0;
    bool closed = false;
};

// The simulation's step: subtract the swept figure, then (merge set) merge
// overlapping neighbours of the new stock, as the clipper drops collinear
// vertices on its own.
OurRun RunOurs(const std::vector<Point>& path, bool merge) {
    auto stock = Bar();
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t k = 1; k < path.size(); ++k) {
        auto figure = test::SweptNose(path[k - 1].z, path[k - 1].x, path[k].z, path[k].x, kNoseRadius);
        RemovedUnitList removed(100);
        AddedUnitList added(100);
        SubtractRegion(*stock, *figure, kRefZ, kRefX, removed, added, 0, 0);
        if (merge) stock->MergeOverlappingUnits();
    }
    OurRun run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.units = stock->Count();
    run.shortest = 1e100;
    for (int k = 0; k < stock->Count(); ++k) run.shortest = std::min(run.shortest, stock->GetUnit(k)->GetLength());
    run.area = std::fabs(test::ContourArea(*stock));
    run.closed = stock->IsClosed();
    return run;
}

// The same cuts through the clipper: the kept polygon is the one that holds
// the reference point.
double RunClipper(const std::vector<Point>& path, double* area) {
    ClipperLib::Path stock = test::Flatten(*Bar(), kChord);
    const ClipperLib::IntPoint ref = test::ToClipper(kRefZ, kRefX);
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t k = 1; k < path.size(); ++k) {
        auto figure = test::SweptNose(path[k - 1].z, path[k - 1].x, path[k].z, path[k].x, kNoseRadius);
        ClipperLib::Clipper clipper;
        clipper.AddPath(stock, ClipperLib::ptSubject, true);
        clipper.AddPath(test::Flatten(*figure, kChord), ClipperLib::ptClip, true);
        ClipperLib::Paths result;
        clipper.Execute(ClipperLib::ctDifference, result, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        for (ClipperLib::Path& polygon : result)
            if (ClipperLib::Orientation(polygon) && ClipperLib::PointInPolygon(ref, polygon) != 0) {
                stock = std::move(polygon);
                break;
            }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (area) *area = std::fabs(ClipperLib::Area(stock)) / (test::kClipperScale * test::kClipperScale);
    return seconds;
}

void PrintComparison(int n) {
    const std::vector<Point> path = TurningPath(n);
    double clipperArea = 0.0;
    const double clipper = RunClipper(path, &clipperArea);
    const int steps = n - 1;
    for (const bool merge : {true, false}) {
        const OurRun ours = RunOurs(path, merge);
        std::printf(
            "region sequence of %d positions (%s): ours %.3f s, clipper %.3f s, ratio ours/clipper %.2f; "
            "stock %d units (bound %d: %s), shortest %.3g (EPS %.0e: %s), closed %s, area %.4f vs clipper %.4f\n",
            n, merge ? "with the merge of overlapping units" : "subtraction only", ours.seconds, clipper,
            ours.seconds / clipper, ours.units, 4 + 4 * steps, ours.units <= 4 + 4 * steps ? "ok" : "EXCEEDED",
            ours.shortest, EPS, ours.shortest >= EPS ? "ok" : "TOO SHORT", ours.closed ? "yes" : "NO", ours.area,
            clipperArea);
    }
}

void BM_SubtractRegionSequence(benchmark::State& state) {
    const std::vector<Point> path = TurningPath(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(RunOurs(path, true).units);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_SubtractRegionSequence)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ClipperSequence(benchmark::State& state) {
    const std::vector<Point> path = TurningPath(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(RunClipper(path, nullptr));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ClipperSequence)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    PrintComparison(1000);
    if (!zarvento::bench::SmokeRun()) PrintComparison(10000);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
