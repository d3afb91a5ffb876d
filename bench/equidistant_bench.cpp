// Benchmarks of the host's equidistant on closed chains of lines and fillet arcs.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "platform/core/numbers.h"
#include "platform/drawings/document_2d.h"
#include "platform/drawings/equidistant.h"

namespace {

using zarvento::Curve2D;
using zarvento::PI;
using zarvento::Point2D;

// A wavy closed outline of `units` pieces: corners on a radius that swings by
// 10 %, each corner rounded by a fillet, so half the pieces are arcs and the
// corners alternate between convex and concave stretches.
std::vector<Curve2D> WavyOutline(int units) {
    const int corners = units / 2;
    std::vector<Point2D> pts;
    for (int k = 0; k < corners; ++k) {
        const double a = 2 * PI * k / corners;
        const double r = 100 + 10 * std::sin(7 * a) + 2 * std::sin(29 * a);
        pts.push_back({r * std::cos(a), r * std::sin(a)});
    }
    std::vector<Curve2D> chain;
    std::vector<Point2D> from(corners), to(corners);
    std::vector<Curve2D> fillets(corners);
    for (int v = 0; v < corners; ++v) {
        const Point2D p = pts[(v + corners - 1) % corners], V = pts[v], q = pts[(v + 1) % corners];
        const double l1 = std::hypot(V.x - p.x, V.y - p.y), l2 = std::hypot(q.x - V.x, q.y - V.y);
        const Point2D u1{(V.x - p.x) / l1, (V.y - p.y) / l1}, u2{(q.x - V.x) / l2, (q.y - V.y) / l2};
        const double turn = std::atan2(u1.x * u2.y - u1.y * u2.x, u1.x * u2.x + u1.y * u2.y);
        const double t = 0.3 * std::min(l1, l2);
        const double rho = t / std::tan(std::abs(turn) / 2);
        const double s = turn > 0 ? 1.0 : -1.0;
        const Point2D t1{V.x - t * u1.x, V.y - t * u1.y}, t2{V.x + t * u2.x, V.y + t * u2.y};
        const Point2D c{t1.x - s * rho * u1.y, t1.y + s * rho * u1.x};
        fillets[v] = Curve2D::Arc(c, rho, std::atan2(t1.y - c.y, t1.x - c.x), turn);
        fillets[v].a = t1;
        fillets[v].b = t2;
    }
    for (int v = 0; v < corners; ++v) {
        chain.push_back(fillets[v]);
        chain.push_back(Curve2D::Line(fillets[v].b, fillets[(v + 1) % corners].a));
    }
    return chain;
}

void BM_EquidistantClosed(benchmark::State& state) {
    const auto chain = WavyOutline(static_cast<int>(state.range(0)));
    const zarvento::Equidistant engine(chain);
    double side = 1;
    for (auto _ : state) {
        auto r = engine.Execute(side * 2.0);  // outwards and inwards in turn
        benchmark::DoNotOptimize(r.chains.data());
        side = -side;
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_EquidistantClosed)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

// The whole host call: the chain drawn into a group, the request, the result
// drawn back and broken into an object list.
void BM_EquidistantThroughDocument(benchmark::State& state) {
    const auto chain = WavyOutline(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        zarvento::Document2D doc;
        doc.BeginObjectSet();
        for (const Curve2D& c : chain) doc.DrawCurve(c, 1);
        zarvento::EquidistantRequest req;
        req.group = doc.EndObjectSet();
        req.distance = req.distance2 = 2.0;
        const auto reply = doc.Equidistant(req);
        benchmark::DoNotOptimize(doc.ObjectList(reply.group, 0, 0.0001, 1));
    }
}
BENCHMARK(BM_EquidistantThroughDocument)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
