// The plan sketch's layout without the drawing: the machined portions of a
// 500-unit finished contour checked against 30 operations' working contours
// and the part, then their dimensions collected, sorted and placed.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "reports/sketch_layout.h"

namespace {

using zarvento::Contour;

// A shaft of n units from the face (z 0) back: steps of 0.5 mm in z with a
// radius that changes every other unit, then down to the axis.
std::unique_ptr<Contour> Shaft(int n) {
    auto c = std::make_unique<Contour>();
    double z = 0, x = -10;
    for (int k = 0; k < n - 1; ++k) {
        if (k % 2 == 0) {
            c->AddUnit(std::make_unique<zarvento::CLineUnit>(z, x, z - 0.5, x, false));
            z -= 0.5;
        } else {
            const double x2 = -10.0 - (k % 20) * 0.5;
            c->AddUnit(std::make_unique<zarvento::CLineUnit>(z, x, z, x2, false));
            x = x2;
        }
    }
    c->AddUnit(std::make_unique<zarvento::CLineUnit>(z, x, z, -30.0, false));
    return c;
}

std::unique_ptr<Contour> Stock(double zmin) {
    auto c = std::make_unique<Contour>();
    c->AddUnit(std::make_unique<zarvento::CLineUnit>(2, 0, 2, -25, false));
    c->AddUnit(std::make_unique<zarvento::CLineUnit>(2, -25, zmin, -25, false));
    c->AddUnit(std::make_unique<zarvento::CLineUnit>(zmin, -25, zmin, 0, false));
    c->AddUnit(std::make_unique<zarvento::CLineUnit>(zmin, 0, 2, 0, false));
    return c;
}

void BM_PlanSketchLayout(benchmark::State& state) {
    const int units = static_cast<int>(state.range(0)), operations = static_cast<int>(state.range(1));
    const std::unique_ptr<Contour> part = Shaft(units);
    double zmin, xmin, zmax, xmax;
    part->GetBoundBox(zmin, xmin, zmax, xmax);
    const std::unique_ptr<Contour> stock = Stock(zmin - 5);
    // Each operation machines one stretch of the part.
    std::vector<std::unique_ptr<Contour>> works;
    std::vector<const Contour*> workLinks;
    const int stretch = units / operations;
    for (int k = 0; k < operations; ++k) {
        auto w = std::make_unique<Contour>();
        for (int i = k * stretch; i < (k + 1) * stretch && i < part->Count(); ++i)
            w->AddUnit(part->GetUnit(i)->Clone());
        workLinks.push_back(w.get());
        works.push_back(std::move(w));
    }
    // The finished contour: the part from beyond the stock's face, leaving
    // the stock at its last unit.
    auto finished = std::make_unique<Contour>();
    finished->AddUnit(std::make_unique<zarvento::CLineUnit>(5, -10, 0, -10, false));
    finished->AppendCopy(*part);
    for (auto _ : state) {
        auto portions = zarvento::PlanMachinedPortions(*finished, *stock, *part, workLinks);
        std::vector<zarvento::SketchDimension> lengths, diameters;
        for (auto& p : portions) {
            p->MergeOverlappingUnits();
            zarvento::CollectSketchDimensions(*p, lengths, diameters);
        }
        zarvento::PlaceSketchDimensions(lengths, diameters, xmin, zmax);
        benchmark::DoNotOptimize(lengths.data());
        state.counters["dimensions"] = static_cast<double>(lengths.size() + diameters.size());
    }
}
BENCHMARK(BM_PlanSketchLayout)->Args({500, 30})->Args({100, 10})->Unit(benchmark::kMillisecond);

}  // namespace
