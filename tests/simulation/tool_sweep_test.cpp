// The figure a tool's outline sweeps along a line or an arc move, cut from a
// stock as the simulation cuts it, against a polygon clipper cutting the
// outline's Minkowski sum with the same move; and the outline's equidistant
// about an arc frame's centre.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geometry/arc_unit.h"
#include "geometry/contour_script.h"
#include "geometry/line_unit.h"
#include "geometry/subtract_region.h"
#include "platform/core/numbers.h"
#include "simulation_test_support.h"
#include "tests/geometry/region_shapes.h"

namespace zarvento::test {
namespace {

constexpr double kChord = 2e-4;

// A bar of radius 20 from z = 0 to z = 100, kept about (95, -1), away from
// every move.
std::unique_ptr<Contour> Bar() {
    return ParseContourScript(
        "LineSeg( 0,0, 100,0, 1 );\nLineSeg( 100,0, 100,-20, 1 );\nLineSeg( 100,-20, 0,-20, 1 );\n"
        "LineSeg( 0,-20, 0,0, 1 );\n");
}

class ToolSweepTest : public ExamplePlanTest {
protected:
    void SetUp() override {
        ExamplePlanTest::SetUp();
        GetSPID()->CreateContourTool(CSPID::kAllPositions);
    }
    // The simulation with the outline as the tool of position 0.
    void UseTool(const std::string& outline) {
        GetSPID()->tools[0].pContour = std::shared_ptr<Contour>(ParseContourScript(outline));
        simulation.ChangeTool(0, nullptr);
        ASSERT_NE(simulation.ToolContour(), nullptr);
    }
    std::unique_ptr<Contour> Sweep(const CUnit& move) {
        return move.Kind == kUnitArc ? simulation.SweepToolAlongArc(move) : simulation.SweepToolAlongLine(move);
    }
    // The stock's area after the move, ours and the clipper's. As in a run,
    // the outline is cut where the move starts (a step before) and then the
    // figure it sweeps, which has no outline at its start.
    std::pair<double, double> CutAreas(const CUnit& move) {
        auto stock = Bar();
        ClipperLib::Path clipped = Flatten(*stock, kChord);
        auto start = simulation.ToolContour()->Clone();
        start->MoveTo(move.StartPoint.z, move.StartPoint.x);
        RemovedUnitList removed(100);
        AddedUnitList added(100);
        SubtractRegion(*stock, *start, 95, -1, removed, added, 0, 0);
        auto figure = Sweep(move);
        SubtractRegion(*stock, *figure, 95, -1, removed, added, 0, 0);

        auto outline = GetSPID()->tools[0].pContour->Clone();
        outline->MoveTo(0, 0);
        Contour one;
        one.AddUnit(move.Clone());
        ClipperLib::Path path = Flatten(one, kChord);
        path.push_back(ToClipper(move.EndPoint.z, move.EndPoint.x));
        ClipperLib::Paths swept, result;
        ClipperLib::MinkowskiSum(Flatten(*outline, kChord), path, swept, false);
        ClipperLib::Clipper clipper;
        clipper.AddPath(clipped, ClipperLib::ptSubject, true);
        clipper.AddPaths(swept, ClipperLib::ptClip, true);
        clipper.Execute(ClipperLib::ctDifference, result, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        double clipperArea = 0.0;
        for (const auto& polygon : result)
            if (ClipperLib::PointInPolygon(ToClipper(95, -1), polygon) != 0)
                clipperArea = std::fabs(ClipperLib::Area(polygon)) / (kClipperScale * kClipperScale);
        return {std::fabs(ContourArea(*stock)), clipperArea};
    }

    CSimulation simulation;
};

constexpr const char* kSquare =
    "LineSeg( 0,0, 2,0, 1 );\nLineSeg( 2,0, 2,-2, 1 );\nLineSeg( 2,-2, 0,-2, 1 );\n"
    "LineSeg( 0,-2, 0,0, 1 );\n";
// An insert's nose of radius 0.8 about (0.8, -0.8), its edges tangent to it.
constexpr const char* kNosed =
    "LineSeg( 0,-0.8, 0,-12, 1 );\nLineSeg( 0,-12, 5,-12, 1 );\nLineSeg( 5,-12, 1.6,-0.8, 1 );\n"
    "ArcByPoint( 0.8,-0.8, 0.8, 1.6,-0.8, 0,-0.8, 1, 1 );\n";

TEST_F(ToolSweepTest, AnOutlineOfLinesSweepsIntoItselfAndACopyOfTheMovePerVertex) {
    UseTool(kSquare);
    const CLineUnit move(10, -30, 13, -29);
    auto figure = Sweep(move);
    ASSERT_TRUE(figure);
    // Splitting keeps every length: the outline's 8 and four moves of sqrt 10.
    EXPECT_NEAR(figure->GetLength(), 8 + 4 * std::sqrt(10.0), 1e-9);
    // Each vertex's copy of the move is there, and the outline ends where the move does.
    for (const auto& [dz, dx] : {std::pair{0.0, 0.0}, {2.0, 0.0}, {2.0, -2.0}, {0.0, -2.0}}) {
        SCOPED_TRACE(dz * 10 + dx);
        EXPECT_TRUE(figure->IsPointOnContour(11.5 + dz, -29.5 + dx));
    }
    EXPECT_TRUE(figure->IsPointOnContour(14, -29));
    EXPECT_FALSE(figure->IsPointOnContour(11, -30)) << "no outline at the start";
    EXPECT_EQ(simulation.ToolContour()->BasePoint.z, 13) << "the outline ends at the move's end";
}

TEST_F(ToolSweepTest, CutsWhatTheMinkowskiSumCutsAlongLinesAndArcs) {
    std::mt19937 rng(11);
    // Every move starts with its outline across the bar's surface or off it.
    std::uniform_real_distribution<double> z(10, 60), depth(-22, -18), angle(0, 2 * PI), radius(1.0, 12.0),
        sweep(0.2, 2.5), length(0.05, 6.0);
    int compared = 0;
    for (const char* outline : {kSquare, kNosed}) {
        UseTool(outline);
        for (int k = 0; k < 40; ++k) {
            SCOPED_TRACE(k);
            UnitPtr move;
            if (k % 2 == 0) {
                const double z1 = z(rng), x1 = depth(rng), a = angle(rng), l = length(rng);
                move = std::make_unique<CLineUnit>(z1, x1, z1 + l * std::cos(a), x1 + l * std::sin(a));
            } else {
                const double z0 = z(rng), x0 = depth(rng), r = radius(rng), a0 = angle(rng), s = sweep(rng);
                const double cz = z0 - r * std::cos(a0), cx = x0 - r * std::sin(a0);
                const int dir = k % 4 == 1 ? 1 : -1;
                const double a1 = a0 - dir * s;
                move = std::make_unique<CArcUnit>(cz, cx, r, z0, x0, cz + r * std::cos(a1), cx + r * std::sin(a1), dir);
            }
            const auto [ours, clipper] = CutAreas(*move);
            // The flattening errs by the chord along the arcs swept.
            EXPECT_NEAR(ours, clipper, 5e-3) << move->GetScriptText();
            ++compared;
        }
    }
    EXPECT_EQ(compared, 80);
}

TEST_F(ToolSweepTest, TheEquidistantOfAnArcFrameLiesAboutItsCentre) {
    UseTool(kSquare);
    // The arc's centre off the axis and off the origin: z 30, x -10.
    const std::size_t before = HiddenWorkDocument2D().Objects().size();
    auto equidistant = simulation.CreateToolEquidistant(30, -10, 5);
    ASSERT_TRUE(equidistant);
    ASSERT_FALSE(equidistant->Empty());
    const BoundBox box = equidistant->GetBoundBox();
    // The square from (30, -12) to (32, -10), grown by 5 on every side.
    EXPECT_NEAR(box.zmin, 25, 1e-6);
    EXPECT_NEAR(box.zmax, 37, 1e-6);
    EXPECT_NEAR(box.xmin, -17, 1e-6);
    EXPECT_NEAR(box.xmax, -5, 1e-6);
    EXPECT_EQ(HiddenWorkDocument2D().Objects().size(), before) << "the work document keeps nothing of it";
}

// The finishing nose (r = 0.4) rounding the corner of the example's collar on
// an arc of its own radius, from (-70, -21.6) to (-70.4, -22) about
// (-70.4, -21.6): the stock before it, and the figure the move sweeps. The
// nose at the arc's end and the trace of the vertex where the nose meets the
// flank (the arc about (-70.4, -22)) are two arcs through the same two points;
// the subtraction took either for covering the other, dropped the nose and
// kept the lens between them in the stock.
TEST(ToolSweepRegression, AnArcOfTheNosesRadiusLeavesNoLens) {
    auto stock = ParseContourScript(
        "LineSeg( -88,-0, 2,-0, 1 );\n"
        "LineSeg( 2,-0, 2,-12, 1 );\n"
        "LineSeg( 2,-12, -1,-15, 1 );\n"
        "LineSeg( -1,-15, -35.8377,-15, 1 );\n"
        "LineSeg( -35.8377,-15, -36.0119,-14.303, 1 );\n"
        "ArcByPoint( -36.4,-14.4, 0.4, -36.0119,-14.303, -36.4,-14, 1, 1 );\n"
        "LineSeg( -36.4,-14, -39.6,-14, 1 );\n"
        "ArcByPoint( -39.6,-14.4, 0.4, -39.6,-14, -40,-14.4, 1, 1 );\n"
        "LineSeg( -40,-14.4, -40,-19, 1 );\n"
        "LineSeg( -40,-19, -41,-20, 1 );\n"
        "LineSeg( -41,-20, -68.5,-20, 1 );\n"
        "ArcByPoint( -68.5,-21.5, 1.5, -68.5,-20, -70,-21.5, 1, 1 );\n"
        "LineSeg( -70,-21.5, -70,-22.5, 1 );\n"
        "LineSeg( -70,-22.5, -88,-22.5, 1 );\n"
        "LineSeg( -88,-22.5, -88,-0, 1 );\n");
    auto figure = ParseContourScript(
        "LineSeg( -70.4,-22.4, -70.4,-38.4, 1 );\n"
        "LineSeg( -70.4,-38.4, -65.5877,-38.4, 1 );\n"
        "LineSeg( -65.5877,-38.4, -65.6877,-38, 1 );\n"
        "LineSeg( -65.6877,-38, -69.5265,-22.6448, 1 );\n"
        "LineSeg( -69.5265,-22.6448, -69.6119,-22.303, 1 );\n"
        "ArcByPoint( -70,-22.4, 0.4, -69.6119,-22.303, -70,-22, 1, 1 );\n"
        "ArcByPoint( -70,-22.4, 0.4, -70,-22, -70.4,-22.4, 1, 1 );\n"
        "ArcByPoint( -70.4,-22, 0.4, -70,-22, -70.4,-22.4, -1, 1 );\n"
        "ArcByPoint( -70.4,-38, 0.4, -70,-38, -70.4,-38.4, -1, 1 );\n"
        "ArcByPoint( -65.5877,-38, 0.4, -65.1877,-38, -65.5877,-38.4, -1, 1 );\n"
        "ArcByPoint( -70,-22, 0.8, -69.2,-22, -69.5265,-22.6448, -1, 1 );\n"
        "ArcByPoint( -70,-22, 0.8, -69.5265,-22.6448, -70,-22.8, -1, 1 );\n"
        "LineSeg( -70,-22, -70,-22.8, 1 );\n"
        "LineSeg( -70,-22.8, -70,-38, 1 );\n"
        "LineSeg( -70,-38, -65.6877,-38, 1 );\n"
        "LineSeg( -65.6877,-38, -65.1877,-38, 1 );\n"
        "LineSeg( -65.1877,-38, -69.2119,-21.903, 1 );\n"
        "ArcByPoint( -69.6,-22, 0.4, -69.2119,-21.903, -70,-22, 1, 1 );\n");
    RemovedUnitList removed(100);
    AddedUnitList added(100);
    ASSERT_GE(SubtractRegion(*stock, *figure, -42.5, -11, removed, added, 0, 0), 2);
    EXPECT_FALSE(stock->IsPointInside(-70.2, -22.2)) << ContourScriptText(*stock);
    EXPECT_TRUE(stock->IsPointInside(-70.35, -22.05));
}

}  // namespace
}  // namespace zarvento::test
