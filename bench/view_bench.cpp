// The 3D view's builders at realistic sizes: triangulating machine-cycle
// regions of 50, 200 and 1,000 points (convex, L-shaped, comb), and the
// surfaces of revolution of a 500-unit contour drawn into the headless host's
// view; then the scene of that contour written as glTF and drawn as a picture.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "model/model_layer.h"
#include "model/region_face.h"
#include "platform/core/process_state.h"
#include "platform/documents/host_application.h"
#include "platform/view/scene.h"
#include "platform/view/scene_gltf.h"
#include "platform/view/scene_picture.h"

namespace {

using namespace zarvento;

enum Shape { kConvex, kLShape, kComb };

// A closed outline (last point = first) of about n points in the turning plane.
IntersectPointList Outline(Shape shape, int n) {
    IntersectPointList points(static_cast<std::uint16_t>(n + 8));
    const auto add = [&](double z, double x) {
        IntersectPoint p;
        p.z = z, p.x = x;
        points.Add(p);
    };
    if (shape == kConvex) {
        // An arc bulging away from the axis over a chord along it.
        for (int k = 0; k < n - 1; ++k) {
            const double a = PI * k / (n - 2);
            add(50 * std::cos(a), -20 * std::sin(a));
        }
    } else if (shape == kLShape) {
        // A step: a long shallow edge with many points, then the shoulder.
        const int m = n - 5;
        for (int k = 0; k <= m; ++k) add(100.0 * k / m, 0);
        add(100, -10), add(40, -10), add(40, -30), add(0, -30);
    } else {
        // Teeth of a comb standing off a spine: every second point a tooth tip.
        const int teeth = (n - 3) / 2;
        for (int k = 0; k < teeth; ++k) add(2.0 * k, -10), add(2.0 * k + 1, -30);
        add(2.0 * teeth, -10), add(2.0 * teeth, 0);
        add(0, 0);
    }
    add(points[0].z, points[0].x);
    return points;
}

// A headless host with a part document whose view the drawables fill.
struct ViewHost {
    ViewHost() {
        ResetProcessState();
        part = ConnectHostApplication().Documents().Add(DocumentType::Part);
        RegisterModelLayer();
    }
    ~ViewHost() {
        UnregisterModelLayer();
        ResetProcessState();
    }
    HostDocumentPtr part;
};

void BM_TriangulateRegion(benchmark::State& state) {
    ViewHost host;
    const auto shape = static_cast<Shape>(state.range(0));
    const int n = static_cast<int>(state.range(1));
    const IntersectPointList outline = Outline(shape, n);
    std::int32_t vertices = 0;
    for (auto _ : state) {
        CRegionFace region;
        IntersectPointList points = outline;
        region.Triangulate(points);
        vertices = region.vertexCount;
        benchmark::DoNotOptimize(vertices);
    }
    state.counters["points"] = static_cast<double>(outline.Count());
    state.counters["triangles"] = vertices / 3;
}
BENCHMARK(BM_TriangulateRegion)
    ->ArgsProduct({{kConvex, kLShape, kComb}, {50, 200, 1000}})
    ->ArgNames({"shape", "points"})
    ->Unit(benchmark::kMillisecond);

// A shaft of 500 units: steps of lines with a fillet arc at every fifth.
std::unique_ptr<Contour> LongContour(int units) {
    auto contour = std::make_unique<Contour>();
    double z = 0, x = -10;
    for (int k = 0; k < units; ++k) {
        if (k % 5 == 4) {
            contour->AddUnit(std::make_unique<CArcUnit>(z, x - 1, 1.0, z, x, z + 1, x - 1, -1, false));
            z += 1, x -= 1;
        } else if (k % 2 == 0) {
            contour->AddUnit(std::make_unique<CLineUnit>(z, x, z + 3, x));
            z += 3;
        } else {
            const double nx = x < -40 ? -10 : x - 0.5;
            contour->AddUnit(std::make_unique<CLineUnit>(z, x, z, nx));
            x = nx;
        }
    }
    return contour;
}

void BM_ContourFaces(benchmark::State& state) {
    ViewHost host;
    const std::unique_ptr<Contour> contour = LongContour(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        contour->CreateTessellationFaces(0x0000FF);
        state.PauseTiming();
        contour->ClearTessellationFaces();
        state.ResumeTiming();
    }
    contour->CreateTessellationFaces(0x0000FF);
    state.counters["triangles"] = CollectScene(*host.part).TriangleCount();
    contour->ClearTessellationFaces();
}
BENCHMARK(BM_ContourFaces)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_ContourScene(benchmark::State& state) {
    ViewHost host;
    const std::unique_ptr<Contour> contour = LongContour(500);
    contour->CreateTessellationFaces(0x0000FF);
    const Scene scene = CollectScene(*host.part);
    const std::string path = (std::filesystem::temp_directory_path() / "zarvento_view_bench.glb").string();
    for (auto _ : state) {
        if (state.range(0) == 0)
            WriteSceneGlb(scene, path);
        else
            benchmark::DoNotOptimize(ScenePicture::Render(scene));
    }
    std::filesystem::remove(path);
    state.SetLabel(state.range(0) == 0 ? "glTF" : "picture 1200 x 800");
    state.counters["triangles"] = scene.TriangleCount();
    contour->ClearTessellationFaces();
}
BENCHMARK(BM_ContourScene)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
