// Contour algorithms: intersections, cuts, midpoints, shape checks,
// reordering and clean-up, on small script fixtures and random contours.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "contour_fixtures.h"
#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "geometry/simulation_hook.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::CleanStateTest;
using test::MakeContour;

class ContourAlgorithmsTest : public CleanStateTest {};

struct Crossing {
    double z, x;
    int index1, index2;
};

void ExpectCrossings(const IntersectPointList& list, const std::vector<Crossing>& expected) {
    ASSERT_EQ(list.Count(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_NEAR(list[k].z, expected[k].z, 1e-9) << k;
        EXPECT_NEAR(list[k].x, expected[k].x, 1e-9) << k;
        EXPECT_EQ(list[k].index1, expected[k].index1) << k;
        EXPECT_EQ(list[k].index2, expected[k].index2) << k;
    }
}

IntersectPoint At(double z, double x, int unit) {
    IntersectPoint p;
    p.z = z;
    p.x = x;
    p.index1 = unit;
    return p;
}

TEST_F(ContourAlgorithmsTest, ScriptFormRoundTrips) {
    for (std::string_view script : {test::kSteppedShaft, test::kFilleted, test::kOpenChain, test::kFigureEight})
        EXPECT_EQ(ContourScriptText(*MakeContour(script)), script);
    std::string error;
    EXPECT_EQ(ParseContourScript("LineSeg( 0,0, 1 );", &error), nullptr);
    EXPECT_EQ(error, "line 1: unknown call or wrong number of values");
    EXPECT_EQ(ParseContourScript("\n// note\nArcByPoint( 0,0, -5, 0,5, 5,0, -1, 1 );", &error), nullptr);
    EXPECT_EQ(error, "line 3: the radius must be positive");
    EXPECT_EQ(ParseContourScript("LineSeg( 0,0, 1,x, 1 );", &error), nullptr);
    // A profile with nan was once taken, and failed later without its line.
    EXPECT_EQ(ParseContourScript("LineSeg( 0,0, 1,1, 1 );\nLineSeg( 1,1, nan,1, 1 );", &error), nullptr);
    EXPECT_EQ(error, "line 2: not a call with numbers");
    EXPECT_EQ(ParseContourScript("\n\nLineSeg( 0,0, 1e300,1, 1 );", &error, 1e6), nullptr);
    EXPECT_EQ(error, "line 3: a value beyond 1000000");
    EXPECT_NE(ParseContourScript("LineSeg( 0,0, 1e300,1, 1 );"), nullptr);
}

TEST_F(ContourAlgorithmsTest, BoxesAndLengths) {
    Contour empty;
    const BoundBox none = empty.GetBoundBox();
    EXPECT_EQ(none.zmin, 1e6);
    EXPECT_EQ(none.xmin, 1e6);
    EXPECT_EQ(none.zmax, -1e6);
    EXPECT_EQ(none.xmax, -1e6);
    auto shaft = MakeContour(test::kSteppedShaft);
    const BoundBox b = shaft->GetBoundBox();
    EXPECT_EQ(b.zmin, 0);
    EXPECT_EQ(b.xmin, -20);
    EXPECT_EQ(b.zmax, 60);
    EXPECT_EQ(b.xmax, 0);
    EXPECT_DOUBLE_EQ(shaft->GetLength(), 160);
    auto filleted = MakeContour(test::kFilleted);
    EXPECT_NEAR(filleted->GetLength(), 10 + 20 + 2.5 * PI + 5 + 15 + 20 + 40, 1e-9);
    auto chain = MakeContour(test::kOpenChain);
    BoundBox both;
    ContoursBoundingBox(*shaft, *chain, both);
    EXPECT_EQ(both.zmin, 0);
    EXPECT_EQ(both.xmin, -20);
    EXPECT_EQ(both.zmax, 60);
    EXPECT_EQ(both.xmax, 0);
}

TEST_F(ContourAlgorithmsTest, IntersectRunsAlongThisContour) {
    auto shaft = MakeContour(test::kSteppedShaft);
    IntersectPointList list(5);
    shaft->Intersect(*MakeLineContour(-10, -17, 70, -17), list, true);
    ExpectCrossings(list, {{0, -17, 0, 0}, {30, -17, 2, 0}});
    // Along one unit the crossings are ordered from the unit's start.
    list.SetCountZero();
    MakeLineContour(65, -10, -5, -10)->Intersect(*shaft, list, true);
    ExpectCrossings(list, {{60, -10, 0, 4}, {0, -10, 0, 0}});
    EXPECT_NEAR(list[0].length, 5, 1e-9);
    EXPECT_NEAR(list[1].length, 65, 1e-9);
}

TEST_F(ContourAlgorithmsTest, UniqueTakesASharedVertexOnce) {
    auto shaft = MakeContour(test::kSteppedShaft);
    const auto line = MakeLineContour(20, -25, 36, -17);  // through the vertex (30, -20)
    IntersectPointList all(5), unique(5);
    line->Intersect(*shaft, all, false);
    line->Intersect(*shaft, unique, true);
    ExpectCrossings(all, {{30, -20, 0, 1}, {30, -20, 0, 2}});
    ExpectCrossings(unique, {{30, -20, 0, 1}});
    // A point already in the caller's list is not found again.
    line->Intersect(*shaft, unique, true);
    EXPECT_EQ(unique.Count(), 1u);
}

// A random contour of lines and arcs scattered over a small field, so that
// many pairs cross, touch or share end points.
std::unique_ptr<Contour> RandomContour(std::mt19937& rng, int n) {
    std::uniform_real_distribution<double> coord(0.0, 40.0), radius(0.5, 8.0), angle(0.0, 2 * PI);
    auto c = std::make_unique<Contour>();
    double z = coord(rng), x = -coord(rng);
    for (int k = 0; k < n; ++k) {
        if (k % 3 == 2) {
            const double r = radius(rng), a1 = angle(rng), a2 = angle(rng);
            const double zc = z - r * std::cos(a1), xc = x - r * std::sin(a1);
            const double z2 = zc + r * std::cos(a2), x2 = xc + r * std::sin(a2);
            c->AddUnit(std::make_unique<CArcUnit>(zc, xc, r, z, x, z2, x2, k % 2 ? 1 : -1));
            z = z2;
            x = x2;
        } else {
            const double z2 = coord(rng), x2 = -coord(rng);
            c->AddUnit(std::make_unique<CLineUnit>(z, x, z2, x2));
            z = z2;
            x = x2;
        }
    }
    return c;
}

// Intersect as written out without any pruning: every pair with the box test.
void IntersectEveryPair(const Contour& a, const Contour& b, IntersectPointList& out) {
    auto overlap = [](double a1, double a2, double b1, double b2) {
        return (a1 - EPS < b1 && b1 < a2 + EPS) || (b1 - EPS < a1 && a1 < b2 + EPS);
    };
    for (int i = 0; i < a.Count(); ++i) {
        std::vector<IntersectPoint> t;
        BoundBox bi;
        a.GetUnit(i)->GetBoundBox(bi);
        for (int j = 0; j < b.Count(); ++j) {
            BoundBox bj;
            b.GetUnit(j)->GetBoundBox(bj);
            if (!overlap(bi.zmin, bi.zmax, bj.zmin, bj.zmax) || !overlap(bi.xmin, bi.xmax, bj.xmin, bj.xmax)) continue;
            IntersectPointList s(5);
            a.GetUnit(i)->Intersect(b.GetUnit(j), s);
            for (IntersectPoint p : s) {
                bool seen = false;
                for (const auto& q : out) seen = seen || IsEqualPoint(q.z, q.x, p.z, p.x);
                for (const auto& q : t) seen = seen || IsEqualPoint(q.z, q.x, p.z, p.x);
                if (seen) continue;
                p.index1 = i;
                p.index2 = j;
                p.length = a.GetUnit(i)->GetLengthToPoint(p.z, p.x);
                t.push_back(p);
            }
        }
        for (std::size_t p = 0; p < t.size(); ++p)
            for (std::size_t q = p + 1; q < t.size(); ++q)
                if (t[q].length < t[p].length) std::swap(t[p], t[q]);
        for (const auto& p : t) out.Add(p);
    }
}

bool SelfIntersectsEveryPair(const Contour& c) {
    for (int i = 0; i + 1 < c.Count(); ++i)
        for (int j = i + 1; j < c.Count(); ++j) {
            IntersectPointList s(10);
            c.GetUnit(i)->Intersect(c.GetUnit(j), s);
            for (const auto& p : s) {
                auto end = [&](const CUnit& u) {
                    return IsEqualPoint(u.StartPoint.z, u.StartPoint.x, p.z, p.x) ||
                           IsEqualPoint(u.EndPoint.z, u.EndPoint.x, p.z, p.x);
                };
                if (!end(*c.GetUnit(i)) || !end(*c.GetUnit(j))) return true;
            }
        }
    return false;
}

TEST_F(ContourAlgorithmsTest, PrunedPairsGiveTheResultsOfEveryPair) {
    std::mt19937 rng(7);
    int selfCrossing = 0;
    for (int round = 0; round < 20; ++round) {
        auto a = RandomContour(rng, 40), b = RandomContour(rng, 30);
        IntersectPointList fast(10), slow(10);
        a->Intersect(*b, fast, true);
        IntersectEveryPair(*a, *b, slow);
        ASSERT_EQ(fast.Count(), slow.Count()) << round;
        for (std::uint32_t k = 0; k < fast.Count(); ++k) {
            EXPECT_EQ(fast[k].index1, slow[k].index1);
            EXPECT_EQ(fast[k].index2, slow[k].index2);
            EXPECT_EQ(fast[k].z, slow[k].z);
        }
        auto few = RandomContour(rng, 2 + round % 4);
        for (const Contour* c : {a.get(), few.get()}) {
            EXPECT_EQ(c->HasSelfIntersection(), SelfIntersectsEveryPair(*c)) << round;
            selfCrossing += c->HasSelfIntersection();
        }
    }
    EXPECT_GT(selfCrossing, 0);
}

TEST_F(ContourAlgorithmsTest, CutPartCyclicWrapsPastTheLastUnit) {
    auto shaft = MakeContour(test::kSteppedShaft);
    auto piece = shaft->CutPartCyclic(At(60, -5, 4), At(10, -20, 1));
    ASSERT_NE(piece, nullptr);
    EXPECT_EQ(ContourScriptText(*piece),
              "LineSeg( 60,-5, 60,0, 1 );\nLineSeg( 60,0, 0,0, 1 );\nLineSeg( 0,0, 0,-20, 1 );\n"
              "LineSeg( 0,-20, 10,-20, 1 );\n");
    EXPECT_EQ(shaft->CutPartCyclic(At(60, -5, 4), At(60, -5, 4)), nullptr);
    auto same = shaft->CutPartCyclic(At(5, -20, 1), At(25, -20, 1));
    ASSERT_NE(same, nullptr);
    EXPECT_EQ(ContourScriptText(*same), "LineSeg( 5,-20, 25,-20, 1 );\n");
    // p2 behind p1 on one unit: the cyclic piece runs round the whole contour.
    auto round = shaft->CutPartCyclic(At(25, -20, 1), At(5, -20, 1));
    ASSERT_NE(round, nullptr);
    EXPECT_EQ(round->Count(), 7);
    EXPECT_NEAR(round->GetLength(), 160 - 20, 1e-9);
    EXPECT_TRUE(round->HasBreaks() == false);
    // From a vertex: the empty first piece is dropped.
    auto fromVertex = shaft->CutPartCyclic(At(30, -20, 1), At(45, -15, 3));
    ASSERT_NE(fromVertex, nullptr);
    EXPECT_EQ(ContourScriptText(*fromVertex), "LineSeg( 30,-20, 30,-15, 1 );\nLineSeg( 30,-15, 45,-15, 1 );\n");
    EXPECT_EQ(shaft->CutPartCyclic(At(1, 1, 9), At(2, 2, 0)), nullptr);  // a bad index
}

TEST_F(ContourAlgorithmsTest, CutPartDoesNotWrapAndKeepsTheComplexMarker) {
    auto shaft = MakeContour(test::kSteppedShaft);
    shaft->GetUnit(2)->FromComplex = true;
    auto piece = shaft->CutPart(At(10, -20, 1), At(45, -15, 3));
    ASSERT_NE(piece, nullptr);
    ASSERT_EQ(piece->Count(), 3);
    EXPECT_TRUE(piece->GetUnit(1)->FromComplex);
    EXPECT_FALSE(piece->GetUnit(0)->FromComplex);
    EXPECT_DOUBLE_EQ(piece->GetUnit(2)->EndPoint.z, 45);
    // Backwards: only the two end pieces, which do not join.
    auto back = shaft->CutPart(At(45, -15, 3), At(10, -20, 1));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Count(), 2);
}

TEST_F(ContourAlgorithmsTest, MidPoints) {
    auto c = MakeContour("LineSeg( 0,0, 3,0, 1 );\nLineSeg( 3,0, 4,0, 1 );\n");
    IntersectPoint out;
    c->GetMidPoint(out);
    EXPECT_DOUBLE_EQ(out.z, 1.5);
    EXPECT_DOUBLE_EQ(out.x, 0);
    c->GetUnitMidPointAtLength(out, 10);
    EXPECT_EQ(out.z, 0);
    Contour().GetMidPoint(out);
    EXPECT_EQ(out.z, 0);
    // p1 at the junction goes to the later unit, p2 to the earlier one.
    c->GetMidPointBetween(out, At(3, 0, 0), At(4, 0, 1));
    EXPECT_DOUBLE_EQ(out.z, 3.5);
    c->GetMidPointBetween(out, At(1, 0, 0), At(3.5, 0, 1));
    EXPECT_DOUBLE_EQ(out.z, 3);  // different units: the end of p1's unit
    EXPECT_EQ(out.index1, 0);
    auto filleted = MakeContour(test::kFilleted);
    filleted->GetMidPointBetween(out, At(20, -10, 2), At(25, -15, 2));
    EXPECT_NEAR(out.z, 20 + 5 * std::cos(PI / 4), 1e-9);
    EXPECT_NEAR(out.x, -15 + 5 * std::sin(PI / 4), 1e-9);
}

TEST_F(ContourAlgorithmsTest, ShapeChecks) {
    struct Case {
        std::string_view script;
        bool closed, breaks, selfCrossing;
    };
    const Case cases[] = {
        {test::kSteppedShaft, true, false, false},
        {test::kFilleted, true, false, false},
        {test::kOpenChain, false, false, false},
        {test::kFigureEight, true, false, true},
        {"LineSeg( 0,0, 1,0, 1 );\nLineSeg( 2,0, 3,0, 1 );\n", false, true, false},
    };
    for (const Case& c : cases) {
        auto contour = MakeContour(c.script);
        EXPECT_EQ(contour->IsClosed(), c.closed) << c.script;
        EXPECT_EQ(contour->HasBreaks(), c.breaks) << c.script;
        EXPECT_EQ(contour->HasSelfIntersection(), c.selfCrossing) << c.script;
    }
    EXPECT_FALSE(Contour().IsClosed());
}

TEST_F(ContourAlgorithmsTest, ReverseKeepsTheUnitsAndTwiceRestores) {
    auto c = MakeContour(test::kFilleted);
    const std::string before = ContourScriptText(*c);
    CUnit* arc = c->GetUnit(2);
    c->Reverse();
    EXPECT_EQ(c->GetUnit(4), arc);
    EXPECT_EQ(arc->DirVector, -1);
    EXPECT_TRUE(c->IsClosed());
    EXPECT_DOUBLE_EQ(c->GetFirstUnit()->StartPoint.z, 0);
    EXPECT_DOUBLE_EQ(c->GetFirstUnit()->EndPoint.z, 40);
    c->Reverse();
    EXPECT_EQ(ContourScriptText(*c), before);
}

TEST_F(ContourAlgorithmsTest, ShiftStartAndChain) {
    auto rect = MakeContour(
        "LineSeg( 10,-10, 0,-10, 1 );\nLineSeg( 0,-10, 0,0, 1 );\nLineSeg( 0,0, 10,0, 1 );\n"
        "LineSeg( 10,0, 10,-10, 1 );\n");
    rect->ShiftStartToExtreme();
    EXPECT_EQ(ContourScriptText(*rect),
              "LineSeg( 0,0, 10,0, 1 );\nLineSeg( 10,0, 10,-10, 1 );\nLineSeg( 10,-10, 0,-10, 1 );\n"
              "LineSeg( 0,-10, 0,0, 1 );\n");
    auto shuffled =
        MakeContour("LineSeg( 0,0, 10,0, 1 );\nLineSeg( 10,-10, 20,-10, 1 );\nLineSeg( 10,0, 10,-10, 1 );\n");
    shuffled->ChainUnits();
    EXPECT_EQ(ContourScriptText(*shuffled), test::kOpenChain);
}

TEST_F(ContourAlgorithmsTest, RemoveLoopsCutsTheFigureEight) {
    auto c = MakeContour(test::kFigureEight);
    c->RemoveLoops();
    EXPECT_EQ(ContourScriptText(*c), "LineSeg( 0,0, 10,0, 1 );\nLineSeg( 10,0, 5,-5, 1 );\nLineSeg( 5,-5, 0,0, 1 );\n");
    EXPECT_TRUE(c->IsClosed());
    EXPECT_FALSE(c->HasSelfIntersection());
    auto shaft = MakeContour(test::kSteppedShaft);
    shaft->RemoveLoops();
    EXPECT_EQ(ContourScriptText(*shaft), test::kSteppedShaft);
}

TEST_F(ContourAlgorithmsTest, RemoveZeroLengthUnits) {
    auto c = MakeContour("LineSeg( 0,0, 0,0, 1 );\nLineSeg( 0,0, 5,0, 1 );\nLineSeg( 5,0, 5,0.0000001, 1 );\n");
    EXPECT_EQ(c->GetNonZeroUnitCount(), 1);
    c->RemoveZeroLengthUnits();
    EXPECT_EQ(ContourScriptText(*c), "LineSeg( 0,0, 5,0, 1 );\n");
}

class RecordingSimulation : public SimulationUnitList {
public:
    bool DefersHostDeletions() const override { return true; }
    void AddChangedUnit(CUnit* unit) override { added.push_back(unit); }
    void RemoveChangedUnit(const CUnit* unit) override { removed.push_back(unit); }
    std::vector<const CUnit*> added, removed;
};

TEST_F(ContourAlgorithmsTest, MergeCollapsesOverlappingRunsWithTheirObjects) {
    auto c = MakeContour(
        "LineSeg( 0,0, 5,0, 1 );\nLineSeg( 3,0, 8,0, 1 );\nLineSeg( 6,0, 10,0, 1 );\n"
        "LineSeg( 10,0, 10,-5, 1 );\n");
    std::vector<HostObjectPtr> objects;
    for (int k = 0; k < 3; ++k) {
        objects.push_back(std::make_shared<HostObject>());
        c->GetUnit(k)->AddObject(objects.back());
    }
    const CUnit* survivor = c->GetUnit(2);
    RecordingSimulation simulation;
    SetSimulationUnitList(&simulation);
    c->MergeOverlappingUnits();
    SetSimulationUnitList(nullptr);
    EXPECT_EQ(ContourScriptText(*c), "LineSeg( 0,0, 10,0, 1 );\nLineSeg( 10,0, 10,-5, 1 );\n");
    for (const auto& o : objects) EXPECT_TRUE(c->GetUnit(0)->HasObject(o));
    EXPECT_EQ(c->GetUnit(0), survivor);
    EXPECT_EQ(simulation.added.size(), 2u);
    EXPECT_EQ(simulation.removed.size(), 2u);
}

// A unit followed by a part of itself (sketch input often holds such doubles):
// the merged unit keeps the whole length.
TEST_F(ContourAlgorithmsTest, MergeKeepsAContainingUnitWhole) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"LineSeg( 0,0, 10,0, 1 );\nLineSeg( 0,0, 5,0, 1 );\n", "LineSeg( 0,0, 10,0, 1 );\n"},
        {"LineSeg( 5,0, 10,0, 1 );\nLineSeg( 0,0, 7,0, 1 );\n", "LineSeg( 0,0, 10,0, 1 );\n"},
        {"LineSeg( 2,0, 5,0, 1 );\nLineSeg( 0,0, 10,0, 1 );\n", "LineSeg( 0,0, 10,0, 1 );\n"},
        {"LineSeg( 0,0, 5,0, 1 );\nLineSeg( 5,0, 10,0, 1 );\n", "LineSeg( 0,0, 10,0, 1 );\n"},
        {"ArcByPoint( 0,0, 10, -10,0, 10,0, -1, 1 );\nArcByPoint( 0,0, 10, -10,0, 0,10, -1, 1 );\n",
         "ArcByPoint( 0,0, 10, -10,0, 10,0, -1, 1 );\n"},
        {"LineSeg( 0,0, 5,0, 1 );\nLineSeg( 5,0, 0,0, 1 );\n", "LineSeg( 0,0, 5,0, 1 );\nLineSeg( 5,0, 0,0, 1 );\n"},
    };
    for (const auto& [in, out] : cases) {
        auto c = MakeContour(in);
        c->MergeOverlappingUnits();
        EXPECT_EQ(ContourScriptText(*c), out) << in;
    }
}

TEST_F(ContourAlgorithmsTest, SimplifiedCopiesOfLinesAndArcs) {
    auto c = MakeContour("LineSeg( 0,0, 0,0, 1 );\n" + std::string(test::kFilleted));
    auto simple = c->GetSimpleContour();
    ASSERT_NE(simple, nullptr);
    EXPECT_EQ(ContourScriptText(*simple), test::kFilleted);
    EXPECT_EQ(MakeContour("LineSeg( 0,0, 0,0, 1 );\n")->GetSimpleContour(), nullptr);
    auto gaps = c->ExpandGaps();
    ASSERT_NE(gaps, nullptr);
    EXPECT_EQ(gaps->Count(), 8);  // nothing but lines and arcs: every unit cloned
    EXPECT_EQ(c->ExpandComplex(), nullptr);
}

}  // namespace
}  // namespace zarvento

namespace zarvento {
namespace {

TEST_F(ContourAlgorithmsTest, UnitsWithoutCoordinatesTakeNoPartInPairSearches) {
    auto c = MakeContour(test::kFigureEight);
    const double nan = std::nan("");
    for (int k = 0; k < 50; ++k) c->AddUnit(std::make_unique<CLineUnit>(nan, k, k, nan));
    EXPECT_TRUE(c->HasSelfIntersection());
    IntersectPointList list(5);
    c->Intersect(*MakeLineContour(-1, -5, 11, -5), list, true);
    EXPECT_EQ(list.Count(), 1u);
    c->RemoveLoops();  // the eight no longer closes at the last unit: units 1 and 2 go
    EXPECT_EQ(c->Count(), 52);
}

}  // namespace
}  // namespace zarvento

namespace zarvento {
namespace {

// A stand-in gap from (10, 0) to (10, -10), bridged by two lines.
class StandInGap final : public CUnit {
public:
    StandInGap() : CUnit(kUnitGap), b1(10, 0, 10, -5), b2(10, -5, 10, -10) {
        StartPoint.z = EndPoint.z = 10;
        EndPoint.x = -10;
    }
    UnitPtr Clone() const override { return std::make_unique<StandInGap>(); }
    UnitPtr GetSimpleCopy() const override { return nullptr; }
    bool IsPointOnUnit(double z, double x, int flag = 0) const override {
        return b1.IsPointOnUnit(z, x, flag) || b2.IsPointOnUnit(z, x, flag);
    }
    const CUnit* GetBridge(int index) const override { return index == 0 ? &b1 : index == 1 ? &b2 : nullptr; }
    double GetLength() const override { return b1.GetLength() + b2.GetLength(); }
    double GetLength3D() const override { return GetLength(); }
    double GetLengthToPoint(double, double x) const override { return -x; }
    double GetLengthToPoint3D(double, double, double) const override { return 0; }
    void GetMidPoint(IntersectPoint& out, double, double, double, double) const override { out = {}; }
    void GetBoundBox(BoundBox& box) const override { box = {10, -10, 10, 0}; }
    CLineUnit b1, b2;
};

std::unique_ptr<Contour> ChainWithGap() {
    auto c = MakeContour("LineSeg( 0,0, 10,0, 1 );\n");
    c->AddUnit(std::make_unique<StandInGap>());
    c->AddUnit(std::make_unique<CLineUnit>(10, -10, 20, -10));
    return c;
}

TEST_F(ContourAlgorithmsTest, GapsGiveTheirBridges) {
    auto c = ChainWithGap();
    EXPECT_EQ(c->GetGapCount(), 1);
    EXPECT_EQ(c->GetGapUnit(0), c->GetUnit(1));
    const std::string bridged =
        "LineSeg( 0,0, 10,0, 1 );\nLineSeg( 10,0, 10,-5, 1 );\nLineSeg( 10,-5, 10,-10, 1 );\n"
        "LineSeg( 10,-10, 20,-10, 1 );\n";
    auto simple = c->GetSimpleContour();
    ASSERT_NE(simple, nullptr);
    EXPECT_EQ(ContourScriptText(*simple), bridged);
    auto expanded = c->ExpandGaps();
    ASSERT_NE(expanded, nullptr);
    EXPECT_EQ(ContourScriptText(*expanded), bridged);
    EXPECT_EQ(c->ExpandComplex(), nullptr);
}

// A gap makes no geometry-only copy: a cut across it leaves the gap out
// instead of failing.
TEST_F(ContourAlgorithmsTest, CutsSkipUnitsWithoutACopy) {
    auto c = ChainWithGap();
    auto plain = c->CutPart(At(5, 0, 0), At(15, -10, 2));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(ContourScriptText(*plain), "LineSeg( 5,0, 10,0, 1 );\nLineSeg( 10,-10, 15,-10, 1 );\n");
    auto cyclic = c->CutPartCyclic(At(15, -10, 2), At(5, 0, 0));
    ASSERT_NE(cyclic, nullptr);
    EXPECT_EQ(cyclic->Count(), 2);
    EXPECT_EQ(c->CutPart(At(10, -2, 1), At(10, -8, 1)), nullptr);
}

}  // namespace
}  // namespace zarvento

namespace zarvento {
namespace {

// RemoveLoops written out over every later unit, without box pruning.
void RemoveLoopsEveryPair(Contour& c) {
    const int n = c.Count();
    std::vector<char> marked(static_cast<std::size_t>(n), 0);
    auto startsWhereEnds = [](const CUnit& next, const CUnit& prev) {
        return IsEqualPoint(next.StartPoint.z, next.StartPoint.x, prev.EndPoint.z, prev.EndPoint.x);
    };
    for (int i = 0; i + 1 < n; ++i) {
        if (marked[static_cast<std::size_t>(i)]) continue;
        for (int j = i + 1; j < n; ++j) {
            CUnit& a = *c.GetUnit(i);
            CUnit& b = *c.GetUnit(j);
            if (startsWhereEnds(b, a) || (i == 0 && j == n - 1 && startsWhereEnds(a, b))) continue;
            IntersectPointList s(5);
            a.Intersect(&b, s);
            if (s.Empty()) continue;
            for (int k = i + 1; k < j; ++k) marked[static_cast<std::size_t>(k)] = 1;
            a.SetEndPoint(s[0].z, s[0].x);
            b.SetStartPoint(s[0].z, s[0].x);
            break;
        }
    }
    for (int k = n - 1; k >= 0; --k)
        if (marked[static_cast<std::size_t>(k)]) c.DeleteUnit(c.GetUnit(k));
}

TEST_F(ContourAlgorithmsTest, PrunedRemoveLoopsMatchesEveryPair) {
    std::mt19937 rng(11);
    int shortened = 0;
    for (int round = 0; round < 30; ++round) {
        auto fast = RandomContour(rng, 5 + round);
        auto slow = fast->Clone();
        const int before = fast->Count();
        fast->RemoveLoops();
        RemoveLoopsEveryPair(*slow);
        ASSERT_EQ(ContourScriptText(*fast), ContourScriptText(*slow)) << round;
        shortened += fast->Count() < before;
    }
    EXPECT_GT(shortened, 10);
}

}  // namespace
}  // namespace zarvento
