// The picture of a simulation: contours as runs of points, arcs flattened
// within the chord asked for, the path split into feed and rapid legs.
#include "simulation/simulation_picture.h"
#include "platform/core/numbers.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geometry/contour.h"
#include "geometry/contour_script.h"
#include "geometry/unit.h"

namespace zarvento {
namespace {

// A closed section with a fillet of radius 2 about (-48, -20).
constexpr const char* kSection =
    "LineSeg( 0,0, 0,-18, 1 );\nLineSeg( 0,-18, -48,-18, 1 );\n"
    "ArcByPoint( -48,-20, 2, -48,-18, -50,-20, 1, 1 );\nLineSeg( -50,-20, -50,0, 1 );\nLineSeg( -50,0, 0,0, 1 );\n";

TEST(SimulationPicture, AClosedContourIsOneClosedRunWithItsArcsWithinTheChord) {
    const auto section = ParseContourScript(kSection);
    for (const double chord : {0.1, 0.01, 0.0001}) {
        std::vector<SectionRun> runs;
        AppendContourRuns(*section, chord, runs);
        ASSERT_EQ(runs.size(), 1u) << chord;
        const SectionRun& run = runs.front();
        EXPECT_EQ(run.front(), run.back());
        int onArc = 0;
        for (std::size_t i = 0; i + 1 < run.size(); ++i) {
            const auto& a = run[i];
            const auto& b = run[i + 1];
            if (a[0] > -48 + 1e-9 || b[0] > -48 + 1e-9 || a[1] > -18 - 1e-9 || b[1] > -18 - 1e-9) continue;
            ++onArc;
            EXPECT_NEAR(std::hypot(a[0] + 48, a[1] + 20), 2.0, 1e-9);
            // The chord's middle strays from the arc by no more than asked.
            const double middle = std::hypot((a[0] + b[0]) / 2 + 48, (a[1] + b[1]) / 2 + 20);
            EXPECT_LE(2.0 - middle, chord + 1e-12) << chord;
        }
        // A quarter circle of radius 2: pieces of about sqrt(8 r c) each.
        EXPECT_GE(onArc, static_cast<int>(PI / std::sqrt(16.0 * chord)));
        EXPECT_LE(onArc, static_cast<int>(PI / std::sqrt(16.0 * chord)) + 3);
    }
}

TEST(SimulationPicture, ThePathSplitsIntoFeedAndRapidLegsUpToThePointsStepped) {
    const auto moves = ParseContourScript("LineSeg( 0,0, 10,0, 1 );\nLineSeg( 10,0, 10,-5, 1 );\n");
    CUnit* feed = moves->GetUnit(0);
    CUnit* rapid = moves->GetUnit(1);
    rapid->IsRapid = true;
    SimulationPointList points(8);
    for (const auto& [z, x, unit] :
         {std::tuple{0.0, 0.0, feed}, std::tuple{5.0, 0.0, feed}, std::tuple{10.0, 0.0, feed},
          std::tuple{10.0, -5.0, rapid}, std::tuple{20.0, -5.0, feed}}) {
        SimulationPoint p;
        p.z = z;
        p.x = x;
        p.unit = unit;
        points.Add(p);
    }
    SimulationScene scene;
    scene.points = &points;
    scene.pointsStepped = 4;  // the last point was never reached
    const SimulationPicture picture = MakeSimulationPicture(scene, "path");
    ASSERT_EQ(picture.layers.size(), 2u);
    EXPECT_EQ(picture.layers[0].id, "feed");
    EXPECT_EQ(picture.layers[0].runs, (std::vector<SectionRun>{{{0, 0}, {5, 0}, {10, 0}}}));
    EXPECT_EQ(picture.layers[1].id, "rapid");
    EXPECT_TRUE(picture.layers[1].dashed);
    EXPECT_EQ(picture.layers[1].runs, (std::vector<SectionRun>{{{10, 0}, {10, -5}}}));

    // Nothing stepped, nothing else given: nothing to draw.
    scene.pointsStepped = 0;
    EXPECT_TRUE(MakeSimulationPicture(scene, "none").layers.empty());
}

}  // namespace
}  // namespace zarvento
