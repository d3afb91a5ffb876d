// Region subtraction: the arrangement cases, the paths that apply nothing,
// and the area balance on random stocks and figures against a polygon clipper.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "contour_fixtures.h"
#include "geometry/exception.h"
#include "geometry/primitives.h"
#include "geometry/scoped_eps.h"
#include "geometry/simulation_hook.h"
#include "geometry/subtract_region.h"
#include "host_fault_sweep.h"
#include "platform/core/host_faults.h"
#include "platform/core/numbers.h"
#include "platform/core/scope_guard.h"
#include "platform/drawings/document_2d.h"
#include "region_shapes.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::MakeContour;

class SubtractRegionTest : public test::CleanStateTest {};

// A 40 x 20 bar with its axis along x = 0.
constexpr std::string_view kBar =
    "LineSeg( 0,0, 40,0, 1 );\n"
    "LineSeg( 40,0, 40,-20, 1 );\n"
    "LineSeg( 40,-20, 0,-20, 1 );\n"
    "LineSeg( 0,-20, 0,0, 1 );\n";

struct Result {
    int crossings = 0;
    RemovedUnitList removed{100};
    AddedUnitList added{100};
};

Result Subtract(Contour& stock, Contour& cutter, double z, double x) {
    Result r;
    r.crossings = SubtractRegion(stock, cutter, z, x, r.removed, r.added, 0, 0);
    return r;
}

std::vector<const CUnit*> Units(const Contour& c) {
    std::vector<const CUnit*> units;
    for (int k = 0; k < c.Count(); ++k) units.push_back(c.GetUnit(k));
    return units;
}

// Orientation, rapid marks and the units' identities: what "unchanged" means.
struct Snapshot {
    explicit Snapshot(const Contour& c) : text(ContourScriptText(c)), units(Units(c)) {
        for (const CUnit* u : units) rapid.push_back(u->IsRapid);
    }
    bool operator==(const Snapshot&) const = default;
    std::string text;
    std::vector<const CUnit*> units;
    std::vector<bool> rapid;
};

TEST_F(SubtractRegionTest, CornerNotchLeavesTheChainedLShape) {
    auto stock = MakeContour(kBar);
    auto cutter = MakeContour(
        "LineSeg( 30,-25, 50,-25, 1 );\nLineSeg( 50,-25, 50,-10, 1 );\n"
        "LineSeg( 50,-10, 30,-10, 1 );\nLineSeg( 30,-10, 30,-25, 1 );\n");
    const std::vector<const CUnit*> before = Units(*stock);
    Result r = Subtract(*stock, *cutter, 10, -5);
    EXPECT_EQ(r.crossings, 2);
    EXPECT_EQ(ContourScriptText(*stock),
              "LineSeg( 0,0, 40,0, 1 );\n"
              "LineSeg( 40,0, 40,-10, 1 );\n"
              "LineSeg( 40,-10, 30,-10, 1 );\n"
              "LineSeg( 30,-10, 30,-20, 1 );\n"
              "LineSeg( 30,-20, 0,-20, 1 );\n"
              "LineSeg( 0,-20, 0,0, 1 );\n");
    EXPECT_TRUE(stock->IsClosed());
    // The split edges leave; their kept pieces and the notch's inner edges
    // come in as clones, in walk order; the untouched edges keep their identity.
    ASSERT_EQ(r.removed.Count(), 2u);
    EXPECT_EQ(r.removed[0], before[1]);
    EXPECT_EQ(r.removed[1], before[2]);
    ASSERT_EQ(r.added.Count(), 4u);
    for (std::uint32_t k = 0; k < 4; ++k) EXPECT_EQ(r.added[k], stock->GetUnit(static_cast<int>(k) + 1));
    EXPECT_EQ(stock->GetUnit(0), before[0]);
    EXPECT_EQ(stock->GetUnit(5), before[3]);
    EXPECT_EQ(EPS, kDefaultEps);
}

TEST_F(SubtractRegionTest, DoubledEdgesAndJunctions) {
    struct Case {
        const char* what;
        std::string_view cutter;
        double z, x;
        std::string_view expected;  // the chain starts at the first stock unit kept whole
    };
    const Case cases[] = {
        {"the notch's top edge lies on the bar's: the doubled pieces are one, and the cut edge leaves",
         "LineSeg( 10,0, 10,-5, 1 );\nLineSeg( 10,-5, 20,-5, 1 );\n"
         "LineSeg( 20,-5, 20,0, 1 );\nLineSeg( 20,0, 10,0, 1 );\n",
         5, -10,
         "LineSeg( 40,0, 40,-20, 1 );\nLineSeg( 40,-20, 0,-20, 1 );\nLineSeg( 0,-20, 0,0, 1 );\n"
         "LineSeg( 0,0, 10,0, 1 );\nLineSeg( 10,0, 10,-5, 1 );\nLineSeg( 10,-5, 20,-5, 1 );\n"
         "LineSeg( 20,-5, 20,0, 1 );\nLineSeg( 20,0, 40,0, 1 );\n"},
        {"a diamond about the corner: four units meet at (35, 0), and the walk turns down its inner edge",
         "LineSeg( 40,5, 35,0, 1 );\nLineSeg( 35,0, 40,-5, 1 );\n"
         "LineSeg( 40,-5, 45,0, 1 );\nLineSeg( 45,0, 40,5, 1 );\n",
         10, -10,
         "LineSeg( 40,-20, 0,-20, 1 );\nLineSeg( 0,-20, 0,0, 1 );\nLineSeg( 0,0, 35,0, 1 );\n"
         "LineSeg( 35,0, 40,-5, 1 );\nLineSeg( 40,-5, 40,-20, 1 );\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto stock = MakeContour(kBar);
        auto cutter = MakeContour(c.cutter);
        Result r = Subtract(*stock, *cutter, c.z, c.x);
        EXPECT_EQ(r.crossings, 2);
        EXPECT_EQ(ContourScriptText(*stock), c.expected);
    }
}

TEST_F(SubtractRegionTest, CloseVerticesMergeToTheSmallerValue) {
    // A bar vertex and the crossing of the notch's edge lie 1e-7 apart; both
    // orders end with the notch edge cut at z = 5.0 exactly.
    struct Case {
        const char* stockVertex;
        const char* notchZ;
    };
    for (const Case c : {Case{"5.0000001", "5"}, Case{"5", "5.0000001"}}) {
        SCOPED_TRACE(c.stockVertex);
        const std::string s = c.stockVertex, n = c.notchZ;
        auto stock = MakeContour("LineSeg( 0,0, " + s + ",0, 1 );\nLineSeg( " + s +
                                 ",0, 40,0, 1 );\nLineSeg( 40,0, 40,-20, 1 );\n"
                                 "LineSeg( 40,-20, 0,-20, 1 );\nLineSeg( 0,-20, 0,0, 1 );\n");
        auto cutter = MakeContour("LineSeg( " + n + ",5, " + n + ",-5, 1 );\nLineSeg( " + n +
                                  ",-5, 15,-5, 1 );\nLineSeg( 15,-5, 15,5, 1 );\nLineSeg( 15,5, " + n + ",5, 1 );\n");
        Result r = Subtract(*stock, *cutter, 20, -15);
        ASSERT_EQ(r.crossings, 2);
        bool found = false;
        for (const CUnit* u : r.added)
            if (u->StartPoint.x == 0.0 && u->EndPoint.x == -5.0) {
                EXPECT_EQ(u->StartPoint.z, 5.0);
                found = true;
            }
        EXPECT_TRUE(found);
        EXPECT_TRUE(stock->IsClosed());
        EXPECT_NEAR(test::ContourArea(*stock), -750.0, 1e-5);
    }
}

TEST_F(SubtractRegionTest, HiddenNearestVertexIsSkipped) {
    // The figure's tip (30, 0.6) is nearest to the reference point but lies
    // behind the bar's top edge; starting there would walk round the figure.
    auto stock = MakeContour(kBar);
    auto cutter =
        MakeContour("LineSeg( 30,0.6, 10,-5, 1 );\nLineSeg( 10,-5, 10,5, 1 );\nLineSeg( 10,5, 30,0.6, 1 );\n");
    Result r = Subtract(*stock, *cutter, 30, -0.5);
    EXPECT_EQ(r.crossings, 2);
    EXPECT_TRUE(stock->IsClosed());
    const double cut = 0.5 * (30.0 - 20.0 * 0.6 / 5.6 - 10.0) * 5.0;
    EXPECT_NEAR(std::fabs(test::ContourArea(*stock)), 800.0 - cut, 1e-9);
}

TEST_F(SubtractRegionTest, TinyJunctionIsResolvedAtTheFineTolerance) {
    // The notch's edge passes 5e-6 from the bar's corner: the sliver between
    // stays, and the test circle there is smaller than the fine-radius limit.
    auto stock = MakeContour(kBar);
    auto cutter = MakeContour(
        "LineSeg( 0.000005,-30, 10,-30, 1 );\nLineSeg( 10,-30, 10,-10, 1 );\n"
        "LineSeg( 10,-10, 0.000005,-10, 1 );\nLineSeg( 0.000005,-10, 0.000005,-30, 1 );\n");
    Result r = Subtract(*stock, *cutter, 20, -5);
    EXPECT_EQ(r.crossings, 2);
    EXPECT_TRUE(stock->IsClosed());
    EXPECT_EQ(stock->Count(), 8);
    EXPECT_NEAR(std::fabs(test::ContourArea(*stock)), 800.0 - (10.0 - 0.000005) * 10.0, 1e-9);
    EXPECT_EQ(EPS, kDefaultEps);
}

TEST_F(SubtractRegionTest, FigureThatMissesOrTouchesChangesNothing) {
    for (std::string_view figure : {
             // apart from the bar
             std::string_view("LineSeg( 50,0, 60,0, 1 );\nLineSeg( 60,0, 60,-10, 1 );\nLineSeg( 60,-10, 50,0, 1 );\n"),
             // touching its corner in one point
             std::string_view("LineSeg( 40,0, 50,5, 1 );\nLineSeg( 50,5, 50,0, 1 );\nLineSeg( 50,0, 40,0.0, 1 );\n"
                              "LineSeg( 40,0, 40,0, 1 );\n"),
         }) {
        auto stock = MakeContour(kBar);
        auto cutter = MakeContour(figure);
        const Snapshot before(*stock);
        Result r = Subtract(*stock, *cutter, 10, -10);
        EXPECT_EQ(r.crossings, 0);
        EXPECT_EQ(Snapshot(*stock), before);
        EXPECT_EQ(r.removed.Count() + r.added.Count(), 0u);
        EXPECT_EQ(cutter->GetNonZeroUnitCount(), cutter->Count()) << "zero-length units leave the cutter";
    }
}

// An open chain whose units point both ways: any walk along it reverses some
// of them and then finds no way on at a free end.
constexpr std::string_view kOpenZigzag =
    "LineSeg( 0,0, 20,0, 1 );\n"
    "LineSeg( 40,0, 20,0, 1 );\n"
    "LineSeg( 40,0, 40,-20, 1 );\n"
    "LineSeg( 20,-20, 40,-20, 1 );\n";

TEST_F(SubtractRegionTest, WalkWithoutWayOnRestoresEveryUnit) {
    auto stock = MakeContour(kOpenZigzag);
    for (int k = 0; k < stock->Count(); ++k) stock->GetUnit(k)->IsRapid = true;
    auto cutter = test::SweptNose(30, -10, 50, -10, 3);
    const Snapshot stockBefore(*stock), cutterBefore(*cutter);
    Result r = Subtract(*stock, *cutter, 10, -10);
    EXPECT_EQ(r.crossings, 0);
    EXPECT_EQ(Snapshot(*stock), stockBefore);
    EXPECT_EQ(Snapshot(*cutter), cutterBefore);
    EXPECT_EQ(r.removed.Count() + r.added.Count(), 0u);
}

TEST_F(SubtractRegionTest, UnitsSharingBothEndsAreToldApartAtTheTurn) {
    // A figure of a near-full arc with a short chord, whose ends lie on the
    // bar's top edge: the arc and the edge's piece between its ends leave a
    // vertex for the same far end. A test circle through that end met both
    // there and could not order them: the walk took the arc it arrived by and
    // cut nothing. The circle of half the shortest chord parts them, and the
    // bar loses the disc below its edge.
    auto stock = MakeContour(kBar);
    auto cutter = MakeContour(
        "ArcByPoint( 20,-4, 5, 17,0, 23,0, 1, 1 );\nLineSeg( 23,0, 20,8, 1 );\nLineSeg( 20,8, 17,0, 1 );\n");
    Result result = Subtract(*stock, *cutter, 5, -10);
    EXPECT_GE(result.crossings, 2);
    const double cap = 25 * std::acos(0.8) - 4 * 3;  // of the circle above the edge
    EXPECT_NEAR(std::fabs(test::ContourArea(*stock)), 800.0 - (25 * PI - cap), 1e-9);
    EXPECT_TRUE(stock->IsClosed());
    EXPECT_EQ(EPS, kDefaultEps);
}

TEST_F(SubtractRegionTest, TwoArcsThroughTheSameEndsBoundALens) {
    // The trace of a tool's vertex (about (9, 0)) and the tool's nose at the
    // end of the move (about (10, -1)) run between the same two points, and
    // the figure's lines close the nose's side. The covered-unit pass took
    // the later arc for covering the earlier, dropped the trace, and the lens
    // between the two stayed with the bar.
    auto stock = MakeContour(kBar);
    auto cutter = MakeContour(
        "ArcByPoint( 9,0, 1, 10,0, 9,-1, -1, 1 );\nArcByPoint( 10,-1, 1, 10,0, 9,-1, 1, 1 );\n"
        "LineSeg( 9,-1, 9,5, 1 );\nLineSeg( 9,5, 10,5, 1 );\nLineSeg( 10,5, 10,0, 1 );\n");
    Result result = Subtract(*stock, *cutter, 30, -10);
    EXPECT_GE(result.crossings, 2);
    // Removed: the quarter disc the trace bounds, lens included.
    EXPECT_NEAR(std::fabs(test::ContourArea(*stock)), 800.0 - PI / 4, 1e-9);
}

TEST_F(SubtractRegionTest, NoVisibleVertexThrowsAndChangesNothing) {
    auto stock = MakeContour(kBar);
    auto cutter = MakeContour(
        "LineSeg( 30,-25, 50,-25, 1 );\nLineSeg( 50,-25, 50,-10, 1 );\nLineSeg( 50,-10, 50,-10, 1 );\n"
        "LineSeg( 50,-10, 30,-10, 1 );\nLineSeg( 30,-10, 30,-25, 1 );\n");
    const Snapshot before(*stock);
    RemovedUnitList removed(100);
    AddedUnitList added(100);
    try {
        SubtractRegion(*stock, *cutter, 2e10, 0, removed, added, 0, 0);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Не найдена ближайшая точка");
    }
    EXPECT_EQ(Snapshot(*stock), before);
    EXPECT_EQ(cutter->Count(), 4) << "the zero-length unit is gone all the same";
    EXPECT_EQ(EPS, kDefaultEps);
}

TEST_F(SubtractRegionTest, HostFailureMidWalkRestoresStockAndTolerance) {
    // With the diagnostic drawing on, a host failure at the k-th drawing call
    // throws out of the middle of the walk, after it has reversed units of
    // the (reversed) bar. Every such throw leaves the stock as it was.
    SetRegionDiagnosticRun(true);
    std::unique_ptr<Contour> stock, cutter;
    std::optional<Snapshot> before;
    RemovedUnitList removed(100);
    AddedUnitList added(100);
    int pieces = 0;
    const test::FaultSweepOptions fresh{[&] {
        stock = MakeContour(kBar);
        stock->Reverse();
        cutter = MakeContour(
            "LineSeg( 30,-25, 50,-25, 1 );\nLineSeg( 50,-25, 50,-10, 1 );\n"
            "LineSeg( 50,-10, 30,-10, 1 );\nLineSeg( 30,-10, 30,-25, 1 );\n");
        before.emplace(*stock);
        removed.RemoveAll();
        added.RemoveAll();
        pieces = 0;
    }};
    const int throws = test::FailEachCallInTurn(
        "Document2D.LineSeg", E_POINTER_,
        [&] { pieces = SubtractRegion(*stock, *cutter, 10, -5, removed, added, 3, 5); },
        [&](const test::FaultRun& run) {
            if (run.reached) {
                EXPECT_TRUE(run.thrown.has_value()) << "raised";
                EXPECT_EQ(Snapshot(*stock), *before);
                EXPECT_EQ(removed.Count() + added.Count(), 0u);
            } else {
                EXPECT_EQ(pieces, 2);
                EXPECT_EQ(stock->Count(), 6);
            }
            EXPECT_EQ(EPS, kDefaultEps);
        },
        fresh);
    // The arrangement's units, the first walk unit and each single step.
    EXPECT_GT(throws, 12);
}

TEST_F(SubtractRegionTest, ScopedEpsRestoresOnThrow) {
    try {
        ScopedEps fine(1.5e-7);
        EXPECT_EQ(EPS, 1.5e-7);
        throw Exception("x");
    } catch (const Exception&) {
    }
    EXPECT_EQ(EPS, kDefaultEps);
}

TEST_F(SubtractRegionTest, DiagnosticDrawingOnlyOnTheChosenStep) {
    auto draw = [](int stepIndex, int stepCount) {
        auto stock = MakeContour(kBar);
        auto cutter = test::SweptNose(40, -10, 40, -10, 4);
        const std::size_t before = ActiveDocument2D().Objects().size();
        RemovedUnitList removed(100);
        AddedUnitList added(100);
        EXPECT_EQ(SubtractRegion(*stock, *cutter, 10, -10, removed, added, stepIndex, stepCount), 2);
        return ActiveDocument2D().Objects().size() - before;
    };
    EXPECT_EQ(draw(3, 5), 0u);
    // The diagnostic run is the simulation's check mode.
    SimulationCheckMode = true;
    EXPECT_TRUE(RegionDiagnosticRun());
    EXPECT_EQ(draw(2, 5), 0u);
    EXPECT_TRUE(ActiveDocument2D().ViewRefreshes().empty());
    EXPECT_GT(draw(3, 5), 5u);
    // The arrangement is followed by the host's view call.
    EXPECT_EQ(ActiveDocument2D().ViewRefreshes(), std::vector<int>{2});
}

// ---------------------------------------------------------------- properties

// A random turned profile: the axis, a face, a stepped and chamfered outline
// at X < 0, the other face.
std::unique_ptr<Contour> RandomStock(std::mt19937& rng) {
    std::uniform_real_distribution<double> radius(5.0, 20.0), width(3.0, 12.0), coin(0.0, 1.0);
    auto stock = std::make_unique<Contour>();
    const int steps = 1 + static_cast<int>(rng() % 5);
    double z = 0.0, x = -radius(rng);
    stock->AddUnit(std::make_unique<CLineUnit>(0, 0, 0, x));
    for (int k = 0; k < steps; ++k) {
        const double z2 = z + width(rng);
        const double x2 = k + 1 < steps ? -radius(rng) : x;
        if (coin(rng) < 0.5) {
            stock->AddUnit(std::make_unique<CLineUnit>(z, x, z2, x));
            if (x2 != x) stock->AddUnit(std::make_unique<CLineUnit>(z2, x, z2, x2));
        } else {
            stock->AddUnit(std::make_unique<CLineUnit>(z, x, z2, x2));
        }
        z = z2;
        x = x2;
    }
    stock->AddUnit(std::make_unique<CLineUnit>(z, x, z, 0));
    stock->AddUnit(std::make_unique<CLineUnit>(z, 0, 0, 0));
    return stock;
}

std::unique_ptr<Contour> RandomFigure(std::mt19937& rng, const BoundBox& box) {
    std::uniform_real_distribution<double> pz(box.zmin - 5, box.zmax + 5), px(box.xmin - 5, box.xmax + 5), r(0.5, 6.0),
        coin(0.0, 1.0);
    if (coin(rng) < 0.7) return test::SweptNose(pz(rng), px(rng), pz(rng), px(rng), r(rng));
    // A random triangle, counter-clockwise or not.
    const double z1 = pz(rng), x1 = px(rng), z2 = pz(rng), x2 = px(rng), z3 = pz(rng), x3 = px(rng);
    auto figure = std::make_unique<Contour>();
    figure->AddUnit(std::make_unique<CLineUnit>(z1, x1, z2, x2));
    figure->AddUnit(std::make_unique<CLineUnit>(z2, x2, z3, x3));
    figure->AddUnit(std::make_unique<CLineUnit>(z3, x3, z1, x1));
    return figure;
}

// A point inside the stock and outside the figure, clear of both outlines.
bool PickReference(std::mt19937& rng, const Contour& stock, const Contour& figure, double& z, double& x) {
    const BoundBox box = stock.GetBoundBox();
    std::uniform_real_distribution<double> pz(box.zmin, box.zmax), px(box.xmin, box.xmax);
    const ClipperLib::Path stockPath = test::Flatten(stock, 1e-4), figurePath = test::Flatten(figure, 1e-4);
    for (int attempt = 0; attempt < 200; ++attempt) {
        z = pz(rng);
        x = px(rng);
        const ClipperLib::IntPoint p = test::ToClipper(z, x);
        if (ClipperLib::PointInPolygon(p, stockPath) != 1 || ClipperLib::PointInPolygon(p, figurePath) != 0) continue;
        if (stock.IsPointInside(z, x) && !figure.IsPointInside(z, x) && !figure.IsPointOnContour(z, x)) return true;
    }
    return false;
}

TEST_F(SubtractRegionTest, AreaMatchesThePolygonClipper) {
    constexpr double kChord = 1e-4;
    int applied = 0;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(seed);
        auto stock = RandomStock(rng);
        // Several figures one after the other, so that later stocks carry arcs.
        for (int step = 0; step < 6; ++step) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step));
            auto figure = RandomFigure(rng, stock->GetBoundBox());
            double z = 0, x = 0;
            if (!PickReference(rng, *stock, *figure, z, x)) continue;
            const ClipperLib::Path stockPath = test::Flatten(*stock, kChord);
            const ClipperLib::Path figurePath = test::Flatten(*figure, kChord);
            const double arcs = test::ArcLength(*stock) + test::ArcLength(*figure);
            const Snapshot before(*stock);
            const double areaBefore = std::fabs(test::ContourArea(*stock));
            Result r = Subtract(*stock, *figure, z, x);
            ASSERT_EQ(EPS, kDefaultEps);
            if (r.crossings < 2) {
                EXPECT_EQ(Snapshot(*stock), before);
                continue;
            }
            ++applied;
            ASSERT_TRUE(stock->IsClosed()) << ContourScriptText(*stock);
            const double expected = test::ClipperFaceArea(stockPath, figurePath, z, x);
            const double area = std::fabs(test::ContourArea(*stock));
            EXPECT_NEAR(area, expected, kChord * arcs + 1e-5 * (1.0 + areaBefore / 100.0))
                << ContourScriptText(*stock) << "figure:\n"
                << ContourScriptText(*figure) << "ref " << z << " " << x;
            EXPECT_LE(area, areaBefore + 1e-9);
            for (int k = 0; k < stock->Count(); ++k) EXPECT_FALSE(stock->GetUnit(k)->IsZeroLength());
        }
    }
    EXPECT_GT(applied, 100);
}

// Where each listed unit stood in the stock: the removed ones before the
// step, the added ones after it.
std::vector<int> Slots(const std::vector<const CUnit*>& stock, const std::vector<const CUnit*>& listed) {
    std::vector<int> slots;
    for (const CUnit* u : listed)
        slots.push_back(static_cast<int>(std::find(stock.begin(), stock.end(), u) - stock.begin()));
    return slots;
}

// Long tool paths take small bites out of a growing stock: each step looks
// only at the stock near the cutter. It must give exactly what the whole
// stock's arrangement gives: the same units in the same order and direction,
// the same removed and added units. Now and then a figure cuts far off, or
// cuts a piece away, so that runs of the stock are dropped or kept whole.
TEST_F(SubtractRegionTest, NearCutterStepsMatchTheWholeStock) {
    constexpr double kRefZ = 20.0, kRefX = -1.0;
    int applied = 0, longStocks = 0;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        auto near = MakeContour(kBar);
        auto whole = MakeContour(kBar);
        // A roughing path: passes towards the chuck at random depths, each
        // with a facing move and a retract, as tool positions a random
        // distance apart.
        std::vector<std::pair<double, double>> corners;
        double depth = -20.5;
        for (int pass = 0; pass < 6; ++pass) {
            depth += 0.5 + 2.0 * unit(rng);
            const double end = 5.0 + 30.0 * unit(rng);
            corners.push_back({42.0, depth});
            corners.push_back({end, depth});
            corners.push_back({end - 1.0 * unit(rng), depth - 2.0 * unit(rng)});
            corners.push_back({42.0, -22.0});
        }
        std::vector<std::pair<double, double>> path{corners.front()};
        for (std::size_t k = 1; k < corners.size(); ++k) {
            const auto [z1, x1] = corners[k - 1];
            const auto [z2, x2] = corners[k];
            const int n = 1 + static_cast<int>(std::hypot(z2 - z1, x2 - x1) / (0.05 + 0.6 * unit(rng)));
            for (int i = 1; i <= n; ++i) path.push_back({z1 + (z2 - z1) * i / n, x1 + (x2 - x1) * i / n});
        }
        for (std::size_t k = 1; k < path.size(); ++k) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(k));
            std::unique_ptr<Contour> figure;
            if (unit(rng) < 0.03) {
                // Anywhere clear of the reference point.
                const double z = 40.0 * unit(rng), x = -20.0 + 14.0 * unit(rng);
                figure = test::SweptNose(z, x, z + 10.0 * unit(rng) - 5.0, x - 4.0 * unit(rng), 0.5 + 2.0 * unit(rng));
            } else {
                figure = test::SweptNose(path[k - 1].first, path[k - 1].second, path[k].first, path[k].second, 0.8);
            }
            auto figureCopy = figure->Clone();
            const std::vector<const CUnit*> nearBefore = Units(*near), wholeBefore = Units(*whole);
            const Result a = Subtract(*near, *figure, kRefZ, kRefX);
            const Result b = [&] {
                SetWholeStockSubtraction(true);
                const ScopeGuard back([] { SetWholeStockSubtraction(false); });
                return Subtract(*whole, *figureCopy, kRefZ, kRefX);
            }();
            ASSERT_EQ(a.crossings, b.crossings);
            ASSERT_EQ(ContourScriptText(*near), ContourScriptText(*whole));
            ASSERT_EQ(Snapshot(*near).rapid, Snapshot(*whole).rapid);
            const std::vector<const CUnit*> removedA(a.removed.begin(), a.removed.end()),
                removedB(b.removed.begin(), b.removed.end());
            ASSERT_EQ(Slots(nearBefore, removedA), Slots(wholeBefore, removedB));
            const std::vector<const CUnit*> addedA(a.added.begin(), a.added.end()),
                addedB(b.added.begin(), b.added.end());
            ASSERT_EQ(Slots(Units(*near), addedA), Slots(Units(*whole), addedB));
            // The kept units are the very units of the stock before.
            for (int i = 0; i < near->Count(); ++i) {
                const auto at = std::find(nearBefore.begin(), nearBefore.end(), near->GetUnit(i)) - nearBefore.begin();
                const auto atWhole =
                    std::find(wholeBefore.begin(), wholeBefore.end(), whole->GetUnit(i)) - wholeBefore.begin();
                ASSERT_EQ(at, atWhole) << "unit " << i;
            }
            if (a.crossings >= 2) ++applied;
            if (near->Count() > 64) ++longStocks;
        }
    }
    EXPECT_GT(applied, 500);
    EXPECT_GT(longStocks, 500);
}

}  // namespace
}  // namespace zarvento
