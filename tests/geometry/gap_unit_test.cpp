// The gap unit: the choice of the gap type, the bridge of each type, trimming
// of the neighbours, and moving the gap's ends onto its bridges.
#include "geometry/gap_unit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <utility>

#include "geometry/arc_unit.h"
#include "geometry/complex_unit.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "test_support.h"

namespace zarvento {
namespace {

struct Seg {
    double z1, x1, z2, x2;
};

void ExpectEnds(const CUnit* unit, const Seg& s) {
    ASSERT_NE(unit, nullptr);
    EXPECT_NEAR(unit->StartPoint.z, s.z1, 1e-9);
    EXPECT_NEAR(unit->StartPoint.x, s.x1, 1e-9);
    EXPECT_NEAR(unit->EndPoint.z, s.z2, 1e-9);
    EXPECT_NEAR(unit->EndPoint.x, s.x2, 1e-9);
}

CGapUnit LineGap(const Seg& p, const Seg& n) {
    const CLineUnit prev(p.z1, p.x1, p.z2, p.x2), next(n.z1, n.x1, n.z2, n.x2);
    return CGapUnit(&prev, &next);
}

class GapUnitTest : public test::CleanStateTest {};

struct GapCase {
    const char* name;
    Seg prev, next;
    int type;
    std::optional<Seg> bridge1, bridge2;
};

TEST_F(GapUnitTest, NeighboursChooseTheGapTypeAndItsBridge) {
    const GapCase cases[] = {
        // The prolongations meet ahead of both: a corner, neither neighbour shortened.
        {"corner", {0, 5, 10, 5}, {12, 8, 12, 20}, kGapCorner, Seg{10, 5, 12, 5}, Seg{12, 5, 12, 8}},
        // They meet behind the previous unit's start: one segment.
        {"behind", {0, 5, 10, 5}, {12, 8, 22, 10}, kGapSegment, Seg{10, 5, 12, 8}, std::nullopt},
        // One carrier with a real hole ahead: one segment across the hole.
        {"collinear", {0, 5, 10, 5}, {12, 5, 20, 5}, kGapSegment, Seg{10, 5, 12, 5}, std::nullopt},
        // One carrier, the next overlapping the previous: no bridge.
        {"overlap", {0, 5, 10, 5}, {8, 5, 20, 5}, kGapNone, std::nullopt, std::nullopt},
        // Parallel carriers: one segment.
        {"parallel", {0, 5, 10, 5}, {12, 7, 20, 7}, kGapSegment, Seg{10, 5, 12, 7}, std::nullopt},
    };
    for (const GapCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CGapUnit gap = LineGap(c.prev, c.next);
        EXPECT_EQ(gap.Kind, kUnitGap);
        EXPECT_EQ(gap.GapType, c.type);
        EXPECT_EQ(gap.SurfaceName, GapTypeText(c.type));
        EXPECT_EQ(gap.Bridge1 != nullptr, c.bridge1.has_value());
        EXPECT_EQ(gap.Bridge2 != nullptr, c.bridge2.has_value());
        if (c.bridge1) ExpectEnds(gap.Bridge1.get(), *c.bridge1);
        if (c.bridge2) ExpectEnds(gap.Bridge2.get(), *c.bridge2);
        // The constructor never trims the neighbours.
        ExpectEnds(gap.PrevUnit.get(), c.prev);
        ExpectEnds(gap.NextUnit.get(), c.next);
    }
}

// The state a calculation leaves, to compare two gaps by.
void ExpectSameGap(const CGapUnit& a, const CGapUnit& b) {
    EXPECT_EQ(a.GapType, b.GapType);
    EXPECT_EQ(a.SurfaceName, b.SurfaceName);
    ExpectEnds(&a, {b.StartPoint.z, b.StartPoint.x, b.EndPoint.z, b.EndPoint.x});
    EXPECT_EQ(a.CornerZ, b.CornerZ);
    EXPECT_EQ(a.CornerX, b.CornerX);
    for (const auto& [x, y] : {std::pair{&a.PrevUnit, &b.PrevUnit}, std::pair{&a.NextUnit, &b.NextUnit},
                               std::pair{&a.Bridge1, &b.Bridge1}, std::pair{&a.Bridge2, &b.Bridge2}}) {
        ASSERT_EQ(*x != nullptr, *y != nullptr);
        if (*x) ExpectEnds(x->get(), {(*y)->StartPoint.z, (*y)->StartPoint.x, (*y)->EndPoint.z, (*y)->EndPoint.x});
    }
}

TEST_F(GapUnitTest, CalculationFromASegmentGapMatchesSettingTheSegmentFirst) {
    const std::pair<Seg, Seg> lines[] = {
        {{0, 5, 10, 5}, {12, 8, 12, 20}}, {{0, 5, 15, 5}, {12, 8, 12, 20}}, {{0, 5, 10, 5}, {12, 8, 22, 10}},
        {{0, 5, 10, 5}, {12, 5, 20, 5}},  {{0, 5, 10, 5}, {8, 5, 20, 5}},   {{0, 5, 10, 5}, {12, 7, 20, 7}},
    };
    for (bool noTrimming : {false, true}) {
        for (const auto& [p, n] : lines) {
            CGapUnit byType = LineGap(p, n), direct = LineGap(p, n);
            byType.SetGapType(kGapSegment);
            byType.CalculateGap(noTrimming);
            direct.CalculateGapFromSegment(noTrimming);
            ExpectSameGap(direct, byType);
        }
        const CLineUnit prev(0, 0, 10, 0);
        const CArcUnit next(20, 0, 5, 20, 5, 25, 0, 1);
        CGapUnit byType(&prev, &next), direct(&prev, &next);
        byType.SetGapType(kGapSegment);
        byType.CalculateGap(noTrimming);
        direct.CalculateGapFromSegment(noTrimming);
        ExpectSameGap(direct, byType);
    }
    // Without neighbours nothing is calculated: the segment bridge stays.
    CGapUnit lone;
    lone.StartPoint.z = 1;
    lone.EndPoint.x = 2;
    lone.CalculateGapFromSegment(false);
    EXPECT_EQ(lone.GapType, kGapSegment);
    ExpectEnds(lone.Bridge1.get(), {1, 0, 0, 2});
}

TEST_F(GapUnitTest, MeetingNeighboursKeepTheGapNameAndNoBridge) {
    const CGapUnit gap = LineGap({0, 5, 10, 5}, {10, 5, 10, 20});
    EXPECT_EQ(gap.GapType, kGapNone);
    EXPECT_EQ(gap.SurfaceName, "Gap");
    EXPECT_EQ(gap.GetBridge(0), nullptr);
    EXPECT_EQ(gap.GetBridge(1), nullptr);
    EXPECT_DOUBLE_EQ(gap.GetLength(), 0.0);
    const CGapUnit bare;
    EXPECT_EQ(bare.PrevUnit, nullptr);
    EXPECT_EQ(bare.SurfaceName, "Gap");
}

TEST_F(GapUnitTest, SquareCornerTypesBridgeAlongTheAxes) {
    // S = (0, 10), E = (5, 20); the next unit passes through neither corner.
    CGapUnit gap = LineGap({-10, 10, 0, 10}, {5, 20, 5, 30});
    gap.SetGapType(kGapFromAxis);
    EXPECT_EQ(gap.SurfaceName, "Под прямым углом от оси");
    ExpectEnds(gap.Bridge1.get(), {0, 10, 0, 20});
    ExpectEnds(gap.Bridge2.get(), {0, 20, 5, 20});
    gap.SetGapType(kGapToAxis);
    EXPECT_EQ(gap.SurfaceName, "Под прямым углом к оси");
    ExpectEnds(gap.Bridge1.get(), {0, 10, 5, 10});
    ExpectEnds(gap.Bridge2.get(), {5, 10, 5, 20});
    EXPECT_DOUBLE_EQ(gap.GetLength(), 15.0);
}

TEST_F(GapUnitTest, SquareCornerOnTheNextUnitShortensIt) {
    // The next unit runs back along X = 20 through (zs, xe) = (0, 20).
    CGapUnit gap = LineGap({-10, 10, 0, 10}, {5, 20, -5, 20});
    gap.SetGapType(kGapFromAxis);
    ExpectEnds(gap.NextUnit.get(), {0, 20, -5, 20});
    ExpectEnds(&gap, {0, 10, 0, 20});
    ExpectEnds(gap.Bridge1.get(), {0, 10, 0, 20});
    EXPECT_EQ(gap.Bridge2, nullptr);
}

TEST_F(GapUnitTest, TrimmingCutsANeighbourThatPassesTheCorner) {
    CGapUnit gap = LineGap({0, 5, 15, 5}, {12, 8, 12, 20});
    ASSERT_EQ(gap.GapType, kGapCorner);
    ExpectEnds(gap.PrevUnit.get(), {0, 5, 15, 5});  // not trimmed on construction
    gap.CalculateGap(false);
    EXPECT_EQ(gap.GapType, kGapCorner);
    ExpectEnds(gap.PrevUnit.get(), {0, 5, 12, 5});
    ExpectEnds(&gap, {12, 5, 12, 8});
    EXPECT_EQ(gap.Bridge1, nullptr);  // nothing left between the end and the corner
    ExpectEnds(gap.Bridge2.get(), {12, 5, 12, 8});
}

TEST_F(GapUnitTest, CornerBridgesContinueAnArcNeighbourOnItsCircle) {
    // The line along X = 0 meets the circle about (20, 0) of radius 5 at (15, 0).
    const CLineUnit prev(0, 0, 10, 0);
    const CArcUnit next(20, 0, 5, 20, 5, 25, 0, 1);
    const CGapUnit gap(&prev, &next);
    ASSERT_EQ(gap.GapType, kGapCorner);
    EXPECT_NEAR(gap.CornerZ, 15.0, 1e-9);
    EXPECT_NEAR(gap.CornerX, 0.0, 1e-9);
    ExpectEnds(gap.Bridge1.get(), {10, 0, 15, 0});
    ASSERT_NE(gap.Bridge2, nullptr);
    EXPECT_EQ(gap.Bridge2->Kind, kUnitArc);
    EXPECT_EQ(gap.Bridge2->DirVector, 1);
    ExpectEnds(gap.Bridge2.get(), {15, 0, 20, 5});
    EXPECT_NEAR(gap.Bridge2->GetLength(), 5 * PI / 2, 1e-9);
    EXPECT_TRUE(gap.IsPointOnUnit(20 - 5 / std::sqrt(2.0), 5 / std::sqrt(2.0)));
}

TEST_F(GapUnitTest, SetBridgeBuildsACornerThroughThreePoints) {
    CGapUnit gap = LineGap({0, 5, 10, 5}, {12, 8, 12, 20});
    const CLineUnit a(10, 5, 11, 5), b(11, 5, 11, 8);
    gap.SetBridge(a, b);
    EXPECT_EQ(gap.GapType, kGapCorner);
    EXPECT_EQ(gap.CornerZ, 11);
    ExpectEnds(gap.Bridge1.get(), {10, 5, 11, 5});
    ExpectEnds(gap.Bridge2.get(), {11, 5, 11, 8});
    ExpectEnds(&gap, {10, 5, 11, 8});
}

TEST_F(GapUnitTest, MovingAnEndOntoABridgeTrimsItAndDropsItWhenEmpty) {
    CGapUnit gap = LineGap({0, 5, 10, 5}, {12, 8, 12, 20});
    gap.SetStartPoint(50, 50);  // on no bridge: nothing changes
    ExpectEnds(&gap, {10, 5, 12, 8});
    gap.SetStartPoint(11, 5);
    EXPECT_EQ(gap.GapType, kGapCorner);
    ExpectEnds(gap.Bridge1.get(), {11, 5, 12, 5});
    gap.SetStartPoint(12, 5);
    EXPECT_EQ(gap.Bridge1, nullptr);
    EXPECT_EQ(gap.GapType, kGapSegment);
    EXPECT_EQ(gap.SurfaceName, "Отрезком");
    ExpectEnds(gap.Bridge2.get(), {12, 5, 12, 8});
    EXPECT_EQ(gap.GetBridge(0), nullptr);
    EXPECT_EQ(gap.GetBridge(1), gap.Bridge2.get());
    ExpectEnds(&gap, {12, 5, 12, 8});

    CGapUnit other = LineGap({0, 5, 10, 5}, {12, 8, 12, 20});
    other.SetEndPoint(12, 5);  // the second bridge is tried first
    EXPECT_EQ(other.Bridge2, nullptr);
    EXPECT_EQ(other.GapType, kGapSegment);
    ExpectEnds(other.Bridge1.get(), {10, 5, 12, 5});
}

// A loop cut through the second bridge starts the gap there: the first
// bridge lies behind the new start and goes, or the chain would break (and
// the same for an end on the first bridge).
TEST_F(GapUnitTest, AnEndMovedOntoTheFarBridgeDropsTheNearOne) {
    CGapUnit gap = LineGap({0, 5, 10, 5}, {12, 8, 12, 20});
    gap.SetStartPoint(12, 6);
    EXPECT_EQ(gap.Bridge1, nullptr);
    EXPECT_EQ(gap.GapType, kGapSegment);
    ExpectEnds(gap.Bridge2.get(), {12, 6, 12, 8});
    ExpectEnds(&gap, {12, 6, 12, 8});

    CGapUnit other = LineGap({0, 5, 10, 5}, {12, 8, 12, 20});
    other.SetEndPoint(11, 5);
    EXPECT_EQ(other.Bridge2, nullptr);
    ExpectEnds(other.Bridge1.get(), {10, 5, 11, 5});
    ExpectEnds(&other, {10, 5, 11, 5});
}

TEST_F(GapUnitTest, CopiesLengthsBoxesAndCrossingsGoThroughTheBridges) {
    const CGapUnit gap = LineGap({0, 5, 10, 5}, {12, 8, 12, 20});
    EXPECT_EQ(gap.GetSimpleCopy(), nullptr);
    EXPECT_EQ(Messages().back(), "GetSimpleCopy 0");

    const UnitPtr clone = gap.Clone();
    const auto& copy = static_cast<const CGapUnit&>(*clone);
    EXPECT_EQ(copy.GapType, kGapCorner);
    ASSERT_NE(copy.Bridge1, nullptr);
    EXPECT_NE(copy.Bridge1.get(), gap.Bridge1.get());
    ExpectEnds(copy.Bridge2.get(), {12, 5, 12, 8});
    ExpectEnds(copy.NextUnit.get(), {12, 8, 12, 20});

    EXPECT_DOUBLE_EQ(gap.GetLength(), 5.0);
    BoundBox box;
    gap.GetBoundBox(box);
    EXPECT_DOUBLE_EQ(box.zmin, 10);
    EXPECT_DOUBLE_EQ(box.xmin, 5);
    EXPECT_DOUBLE_EQ(box.zmax, 12);
    EXPECT_DOUBLE_EQ(box.xmax, 8);

    // A line across both bridges, asked from either side.
    const CLineUnit diagonal(10, 4, 13, 7);  // crosses the first bridge at (11, 5), the second at (12, 6)
    IntersectPointList two(5);
    gap.Intersect(&diagonal, two);
    ASSERT_EQ(two.Count(), 2u);
    EXPECT_NEAR(two[0].z, 11, 1e-9);
    EXPECT_NEAR(two[1].x, 6, 1e-9);
    IntersectPointList back(5);
    diagonal.Intersect(&gap, back);
    EXPECT_EQ(back.Count(), 2u);
    IntersectPointList none(5);
    gap.Intersect(nullptr, none);
    EXPECT_TRUE(none.Empty());
}

TEST_F(GapUnitTest, PrintInfoListsTheTypeAndEachBridge) {
    const CGapUnit gap = LineGap({0, 5, 10, 5}, {12, 5, 20, 5});
    gap.PrintInfo();
    const std::string text = Messages().back();
    EXPECT_EQ(text.rfind("G: m=3 p=", 0), 0u) << text;
    EXPECT_NE(text.find("\n     Z1=10.0000000 X1=5.0000000  Z2=12.0000000 X2=5.0000000\n"), std::string::npos) << text;
}

TEST_F(GapUnitTest, TransformsMoveTheBridgesWithTheGap) {
    struct Case {
        const char* name;
        void (*apply)(CUnit&);
        Seg gap, bridge1, bridge2;
    };
    // The corner gap (10, 5) -> (12, 5) -> (12, 8).
    const Case cases[] = {
        {"Reverse", [](CUnit& u) { u.Reverse(); }, {12, 8, 10, 5}, {12, 8, 12, 5}, {12, 5, 10, 5}},
        {"Move", [](CUnit& u) { u.Move(1, 2); }, {11, 7, 13, 10}, {11, 7, 13, 7}, {13, 7, 13, 10}},
        {"MirrorX", [](CUnit& u) { u.MirrorX(); }, {10, -5, 12, -8}, {10, -5, 12, -5}, {12, -5, 12, -8}},
        {"MirrorZ", [](CUnit& u) { u.MirrorZ(); }, {-10, 5, -12, 8}, {-10, 5, -12, 5}, {-12, 5, -12, 8}},
        {"Rotate90", [](CUnit& u) { u.Rotate90(); }, {-5, 10, -8, 12}, {-5, 10, -5, 12}, {-5, 12, -8, 12}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CGapUnit gap = LineGap({0, 5, 10, 5}, {12, 8, 12, 20});
        c.apply(gap);
        ExpectEnds(&gap, c.gap);
        ExpectEnds(gap.Bridge1.get(), c.bridge1);
        ExpectEnds(gap.Bridge2.get(), c.bridge2);
        EXPECT_NEAR(gap.CornerZ, c.bridge1.z2, 1e-12);
        EXPECT_NEAR(gap.CornerX, c.bridge1.x2, 1e-12);
        // The neighbours still meet the gap's ends.
        EXPECT_NEAR(gap.PrevUnit->EndPoint.z, c.gap.z1, 1e-12);
        EXPECT_NEAR(gap.NextUnit->StartPoint.x, c.gap.x2, 1e-12);
    }
}

std::unique_ptr<CComplexUnit> Face(std::initializer_list<Seg> pieces) {
    auto unit = std::make_unique<CComplexUnit>();
    for (const Seg& p : pieces) unit->AddUnit(std::make_unique<CLineUnit>(p.z1, p.x1, p.z2, p.x2));
    unit->UpdateEnds();
    return unit;
}

TEST_F(GapUnitTest, ComplexNeighboursOfferTheirEndPiecesForTheCorner) {
    const auto prev = Face({{0, 0, 0, 5}, {0, 5, 10, 5}});
    const CLineUnit down(12, 8, 12, 20), behind(-2, 8, -2, 20);
    // The last piece leads on to the corner.
    const CGapUnit one(prev.get(), &down);
    EXPECT_EQ(one.GapType, kGapCorner);
    ExpectEnds(one.Bridge1.get(), {10, 5, 12, 5});
    EXPECT_EQ(one.Bridge1->Kind, kUnitLine);
    ExpectEnds(one.Bridge2.get(), {12, 5, 12, 8});
    // Both complex: a pair accepted on both sides gives the corner as well.
    const auto next = Face({{12, 8, 12, 20}, {12, 20, 20, 20}});
    const CGapUnit both(prev.get(), next.get());
    EXPECT_EQ(both.GapType, kGapCorner);
    EXPECT_NEAR(both.CornerZ, 12, 1e-12);
    EXPECT_NEAR(both.CornerX, 5, 1e-12);
    // A corner behind the last piece that lies on no piece: a segment.
    const CGapUnit back(prev.get(), &behind);
    EXPECT_EQ(back.GapType, kGapSegment);
    ExpectEnds(back.Bridge1.get(), {10, 5, -2, 8});
}

}  // namespace
}  // namespace zarvento
