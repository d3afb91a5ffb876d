// The arc unit: sweep, lengths, angles, boxes, offsets, sampling and texts.
#include "geometry/arc_unit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/circle_unit.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::CleanStateTest;

const double kR2 = 10 / std::sqrt(2.0);

// The quarter arc about the origin from (0, 10) to (10, 0); clockwise (1) it
// is a quarter, counter-clockwise (-1) three quarters.
CArcUnit Quarter(int dir) { return CArcUnit(0, 0, 10, 0, 10, 10, 0, dir); }

class ArcUnitTest : public CleanStateTest {};

TEST_F(ArcUnitTest, QuarterAndThreeQuarterMeasures) {
    const CArcUnit cw = Quarter(1);
    EXPECT_NEAR(cw.GetLength(), 5 * PI, 1e-12);
    EXPECT_EQ(cw.GetLength3D(), cw.GetLength());
    EXPECT_NEAR(cw.GetStartAngle(), 0.0, 1e-12);
    EXPECT_NEAR(cw.GetEndAngle(), 3 * PI / 2, 1e-12);
    EXPECT_DOUBLE_EQ(cw.GetCurvature(), 0.1);
    EXPECT_DOUBLE_EQ(cw.GetAngleTolerance(), 1e-7);
    IntersectPoint mid;
    cw.GetMiddlePoint(mid);
    EXPECT_NEAR(mid.z, 7.0710678, 1e-7);
    EXPECT_NEAR(mid.x, 7.0710678, 1e-7);
    BoundBox box;
    cw.GetBoundBox(box);
    EXPECT_NEAR(box.zmin, 0, 1e-12);
    EXPECT_NEAR(box.xmin, 0, 1e-12);
    EXPECT_NEAR(box.zmax, 10, 1e-12);
    EXPECT_NEAR(box.xmax, 10, 1e-12);

    const CArcUnit ccw = Quarter(-1);
    EXPECT_NEAR(ccw.GetLength(), 15 * PI, 1e-12);
    EXPECT_NEAR(ccw.GetStartAngle(), PI, 1e-12);
    EXPECT_NEAR(ccw.GetEndAngle(), PI / 2, 1e-12);
    EXPECT_DOUBLE_EQ(ccw.GetCurvature(), -0.1);
    ccw.GetMiddlePoint(mid);
    EXPECT_NEAR(mid.z, -kR2, 1e-9);
    EXPECT_NEAR(mid.x, -kR2, 1e-9);
    ccw.GetBoundBox(box);
    EXPECT_NEAR(box.zmin, -10, 1e-12);
    EXPECT_NEAR(box.xmin, -10, 1e-12);
    EXPECT_NEAR(box.zmax, 10, 1e-12);
    EXPECT_NEAR(box.xmax, 10, 1e-12);
    EXPECT_NEAR(ccw.GetLengthToPoint(-10, 0), 5 * PI, 1e-12);
    EXPECT_EQ(ccw.GetLengthToPoint(0, 10), 0.0);
}

TEST_F(ArcUnitTest, PointOnUnitTakesTheSweepAndTheEnds) {
    struct Case {
        int dir;
        double z, x;
        bool on;
    };
    const Case cases[] = {
        {1, 0, 10, true},         {1, 10, 0, true},         {1, kR2, kR2, true},   {1, -10, 0, false},
        {1, 0, -10, false},       {-1, -10, 0, true},       {-1, kR2, kR2, false}, {1, kR2 + 0.5e-6, kR2, true},
        {1, 10 + 2e-6, 0, false}, {1, 0, 10.0000005, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Quarter(c.dir).IsPointOnUnit(c.z, c.x), c.on) << c.dir << " " << c.z << "," << c.x;
}

TEST_F(ArcUnitTest, SurfaceNamesAndCopies) {
    EXPECT_EQ(CArcUnit(5, 0.5e-6, 3, 2, 0, 8, 0, 1).SurfaceName, "Сфера");
    EXPECT_EQ(CArcUnit(5, -4, 3, 2, -4, 8, -4, 1).SurfaceName, "Тор");
    auto arc = CArcUnit::CArcUnitXYZ(0, 0, 10, 0, 10, 10, 0, -1, true, 2, 3.0, 4.0);
    arc->IsMarked = true;
    arc->OffsetDistance = 1.5;
    arc->CreateTessellationEdge(0x123456);
    ASSERT_GT(arc->Polyline.Count(), 0u);
    auto clone = arc->Clone();
    auto* c = static_cast<CArcUnit*>(clone.get());
    EXPECT_EQ(c->Kind, 'A');
    EXPECT_EQ(c->Radius, 10);
    EXPECT_EQ(c->ArcType, 2);
    EXPECT_EQ(c->DirVector, -1);
    EXPECT_TRUE(c->IsRapid);
    EXPECT_TRUE(c->IsMarked);
    EXPECT_EQ(c->OffsetDistance, 1.5);
    EXPECT_EQ(c->StartPoint.y, 3.0);
    EXPECT_EQ(c->EndPoint.y, 4.0);
    EXPECT_EQ(c->Polyline.Count(), 0u);
    EXPECT_EQ(c->Edge, nullptr);
    auto simple = arc->GetSimpleCopy();
    EXPECT_FALSE(simple->IsRapid);
    EXPECT_FALSE(simple->IsMarked);
    EXPECT_EQ(static_cast<CArcUnit*>(simple.get())->ArcType, 1);
    EXPECT_EQ(simple->DirVector, -1);

    EXPECT_TRUE(Quarter(1).IsSameCarrier(CArcUnit(0, 0, 10 + 0.5e-6, -10, 0, 0, 10, 1)));
    EXPECT_FALSE(Quarter(1).IsSameCarrier(Quarter(-1)));
    EXPECT_FALSE(Quarter(1).IsSameCarrier(CArcUnit(0, 0, 11, 0, 11, 11, 0, 1)));
    EXPECT_FALSE(Quarter(1).IsSameCarrier(CLineUnit(0, 10, 10, 0)));
}

TEST_F(ArcUnitTest, OffsetsWithExtensionsAndThroughZeroRadius) {
    struct Case {
        int dir;
        double radius, distance;
        double expectedRadius;  // 0: no arc
    };
    const Case cases[] = {
        {1, 5, -6, 0},     {1, 5, 2, 7},  {1, 5, -5, 0}, {1, 5, -(5 - 0.5e-6), 0},
        {1, 5, -4.9, 0.1}, {-1, 5, 2, 3}, {-1, 5, 5, 0}, {-1, 5, -1, 6},
    };
    for (const auto& c : cases) {
        const CArcUnit arc(0, 0, c.radius, 0, c.radius, c.radius, 0, c.dir);
        auto offset = arc.GetOffsetUnit(true, c.distance);
        if (c.expectedRadius == 0) {
            EXPECT_EQ(offset, nullptr) << c.dir << " " << c.distance;
            continue;
        }
        ASSERT_NE(offset, nullptr);
        const auto* o = static_cast<const CArcUnit*>(offset.get());
        EXPECT_NEAR(o->Radius, c.expectedRadius, 1e-12);
        EXPECT_NEAR(o->StartPoint.z, 0, 1e-12);
        EXPECT_NEAR(o->StartPoint.x, c.expectedRadius, 1e-12);
        EXPECT_NEAR(o->EndPoint.z, c.expectedRadius, 1e-12);
        EXPECT_EQ(o->DirVector, c.dir);
        EXPECT_EQ(o->SourceUnit, &arc);
        EXPECT_EQ(o->Polyline.Step(), 10);
        EXPECT_EQ(o->SurfaceName, "");
    }

    // Extensions are lengths on the source arc: an eighth of its circle each.
    CArcUnit arc = Quarter(1);
    arc.StartExtension = arc.EndExtension = 10 * PI / 4;
    arc.OffsetDistance = 10;
    auto offset = arc.GetOffsetUnit(false, 0);
    const auto* o = static_cast<const CArcUnit*>(offset.get());
    EXPECT_NEAR(o->Radius, 20, 1e-12);
    EXPECT_NEAR(o->StartPoint.z, -20 / std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(o->StartPoint.x, 20 / std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(o->EndPoint.z, 20 / std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(o->EndPoint.x, -20 / std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(o->GetLength(), 20 * PI, 1e-9);
}

TEST_F(ArcUnitTest, PointAtAngleCodesForBothSenses) {
    struct Case {
        int dir;
        double limit;
        int code;
        double z, x;
    };
    // Clockwise quarter: tangent 0 at (0, 10) down to 3*PI/2 at (10, 0).
    // Counter-clockwise quarter from (10, 0) to (0, 10): tangent PI/2 to PI.
    const Case cases[] = {
        {1, 0.0, 1, 0, 10},         {1, 7 * PI / 4, 3, kR2, kR2},
        {1, 3 * PI / 2, 2, 10, 0},  {1, 3 * PI / 2 + 1e-9, 2, 10, 0},
        {1, PI, 0, 0, 0},           {-1, PI / 2, 1, 10, 0},
        {-1, 3 * PI / 4, 2, 0, 10}, {-1, 5 * PI / 8, 3, kR2, kR2},
        {-1, 7 * PI / 8, 1, 10, 0},
    };
    for (const auto& c : cases) {
        const CArcUnit arc = c.dir == 1 ? Quarter(1) : CArcUnit(0, 0, 10, 10, 0, 0, 10, -1);
        double z = 99, x = 99;
        EXPECT_EQ(arc.GetPointAtAngle(c.limit, z, x), c.code) << c.dir << " " << c.limit;
        if (c.code == 0) continue;
        EXPECT_NEAR(z, c.z, 1e-9) << c.dir << " " << c.limit;
        EXPECT_NEAR(x, c.x, 1e-9) << c.dir << " " << c.limit;
    }
}

TEST_F(ArcUnitTest, IntersectionsOfArcsLinesAndCircles) {
    const CArcUnit upper(0, 0, 5, 5, 0, -5, 0, -1);  // upper half, counter-clockwise
    struct Case {
        const char* name;
        CArcUnit other;
        int count;
    };
    const Case cases[] = {
        {"crossing circles, one point on both", CArcUnit(5, 0, 5, 10, 0, 0, 0, -1), 1},
        {"tangent from outside", CArcUnit(10, 0, 5, 15, 0, 5, 0, -1), 1},
        {"same circle", CArcUnit(0, 0, 5, -5, 0, 5, 0, 1), 0},
        {"concentric", CArcUnit(0, 0, 3, 3, 0, -3, 0, -1), 0},
        {"the crossing is off the other arc", CArcUnit(5, 0, 5, 10, 0, 0, 0, 1), 0},
    };
    for (const auto& c : cases) {
        IntersectPointList list;
        upper.Intersect(&c.other, list);
        EXPECT_EQ(list.Count(), static_cast<std::uint32_t>(c.count)) << c.name;
        for (const auto& p : list) {
            EXPECT_TRUE(upper.IsPointOnUnit(p.z, p.x)) << c.name;
            EXPECT_TRUE(c.other.IsPointOnUnit(p.z, p.x)) << c.name;
        }
    }
    IntersectPointList list;
    upper.Intersect(&cases[0].other, list);
    EXPECT_NEAR(list[0].z, 2.5, 1e-9);
    EXPECT_NEAR(list[0].x, std::sqrt(18.75), 1e-9);

    IntersectPointList line;
    upper.Intersect(std::make_unique<CLineUnit>(0, -10, 0, 10).get(), line);
    ASSERT_EQ(line.Count(), 1u);
    EXPECT_NEAR(line[0].x, 5, 1e-12);

    IntersectPointList circle;
    upper.Intersect(std::make_unique<CCircleUnit>(0, 5, 5, 1).get(), circle);
    EXPECT_EQ(circle.Count(), 0u);
}

TEST_F(ArcUnitTest, NearestAndFarthestFeet) {
    const CArcUnit arc = Quarter(1);
    IntersectPointList list;
    arc.GetNearestPoint(20, 20, list, 3);
    arc.GetNearestPoint(-20, -20, list, 3);  // the near foot is off the arc: the far one
    arc.GetNearestPoint(-20, 20, list, 3);   // neither foot on the arc
    ASSERT_EQ(list.Count(), 2u);
    for (const auto& p : list) {
        EXPECT_NEAR(p.z, kR2, 1e-9);
        EXPECT_NEAR(p.x, kR2, 1e-9);
        EXPECT_EQ(p.index1, 3);
    }
    IntersectPointList far;
    arc.GetFarthestPoint(-20, -20, far, 1);
    arc.GetFarthestPoint(20, 20, far, 1);
    ASSERT_EQ(far.Count(), 2u);
    EXPECT_NEAR(far[0].z, kR2, 1e-9);
    EXPECT_NEAR(far[1].z, kR2, 1e-9);
}

TEST_F(ArcUnitTest, PolylineAndPointsByStep) {
    const CArcUnit arc = Quarter(1);
    IntersectPointList poly;
    arc.GetPolyline(poly, 1.0);
    ASSERT_EQ(poly.Count(), 15u);
    IntersectPointList even;
    arc.GetPointsByStep(even, 1.0, 0);
    ASSERT_EQ(even.Count(), 17u);
    for (const IntersectPointList* list : {&poly, &even}) {
        const auto& l = *list;
        EXPECT_EQ(l[0].z, 0);
        EXPECT_EQ(l[0].x, 10);
        EXPECT_EQ(l[l.Count() - 1].z, 10);
        EXPECT_EQ(l[l.Count() - 1].x, 0);
        const double gap = Distance(l[0].z, l[0].x, l[1].z, l[1].x);
        for (std::uint32_t i = 1; i < l.Count(); ++i) {
            EXPECT_NEAR(Distance(l[i - 1].z, l[i - 1].x, l[i].z, l[i].x), gap, 1e-9);
            EXPECT_TRUE(arc.IsPointOnUnit(l[i].z, l[i].x));
        }
    }
    EXPECT_EQ(poly[14].index1, 14);
    EXPECT_EQ(even[5].unit, &arc);
    EXPECT_EQ(even[5].index1, 0);

    const CArcUnit tiny(0, 0, 1, 1, 0, std::cos(0.01), std::sin(0.01), -1);
    IntersectPointList few;
    tiny.GetPolyline(few, 1.0);
    EXPECT_EQ(few.Count(), 5u);
    IntersectPointList two;
    tiny.GetPointsByStep(two, 1.0, 1);
    EXPECT_EQ(two.Count(), 2u);
}

TEST_F(ArcUnitTest, PointsByStep3DLiftByArcType) {
    struct Case {
        int type;
        // Index into (2D z, 2D x, lifted y) for the record's x, y, z.
        int xi, yi, zi;
    };
    const Case cases[] = {{1, 1, 2, 0}, {2, 2, 0, 1}, {0, 1, 0, 2}};
    for (const auto& c : cases) {
        auto arc = CArcUnit::CArcUnitXYZ(0, 0, 10, 0, 10, 10, 0, 1, false, c.type, 2.0, 4.0);
        IntersectPointList flat;
        arc->GetPointsByStep(flat, 2.0, 0);
        UnitPoint3DList list;
        arc->GetPointsByStep3D(list, 2.0, 0);
        ASSERT_EQ(list.Count(), flat.Count());
        const std::uint32_t n = list.Count();
        for (std::uint32_t i = 0; i < n; ++i) {
            const double v[3] = {flat[i].z, flat[i].x, 2.0 + 2.0 * i / (n - 1)};
            EXPECT_NEAR(list[i].x, v[c.xi], 1e-12) << c.type;
            EXPECT_NEAR(list[i].y, v[c.yi], 1e-12) << c.type;
            EXPECT_NEAR(list[i].z, v[c.zi], 1e-12) << c.type;
            EXPECT_EQ(list[i].unit, arc.get());
        }
    }
    auto other = CArcUnit::CArcUnitXYZ(0, 0, 10, 0, 10, 10, 0, 1, false, 7, 0, 0);
    UnitPoint3DList none;
    other->GetPointsByStep3D(none, 2.0, 0);
    EXPECT_EQ(none.Count(), 0u);
}

TEST_F(ArcUnitTest, ArcTypeMapsLengthsAndMoves) {
    const double quarterLength = 5 * PI;
    EXPECT_NEAR(CArcUnit::CArcUnitXYZ(0, 0, 10, 0, 10, 10, 0, 1, false, 1, 0, 0)->GetLengthToPoint3D(0, 7, 10),
                quarterLength, 1e-9);
    EXPECT_NEAR(CArcUnit::CArcUnitXYZ(0, 0, 10, 0, 10, 10, 0, 1, false, 0, 0, 0)->GetLengthToPoint3D(10, 0, 7),
                quarterLength, 1e-9);
    EXPECT_NEAR(CArcUnit::CArcUnitXYZ(0, 0, 10, 0, 10, 10, 0, 1, false, 2, 0, 0)->GetLengthToPoint3D(7, 10, 0),
                quarterLength, 1e-9);

    struct Case {
        int type;
        double x, y, z;  // the start after Move3D(1, 2, 3) from (0, 0, 0)
    };
    const Case cases[] = {{1, 1, 2, 3}, {0, 1, 3, 2}, {2, 2, 3, 1}, {9, 0, 0, 0}};
    for (const auto& c : cases) {
        auto arc = CArcUnit::CArcUnitXYZ(0, 0, 1, 0, 0, 0, 0, 1, false, c.type, 0, 0);
        arc->Move3D(1, 2, 3);
        EXPECT_EQ(arc->StartPoint.x, c.x) << c.type;
        EXPECT_EQ(arc->StartPoint.y, c.y) << c.type;
        EXPECT_EQ(arc->StartPoint.z, c.z) << c.type;
        EXPECT_EQ(arc->CentrePoint.z, c.z) << c.type;
    }
}

TEST_F(ArcUnitTest, RadiusAndOppositePoints) {
    CArcUnit arc = Quarter(1);
    arc.SetRadius(5);
    EXPECT_NEAR(arc.StartPoint.x, 5, 1e-12);
    EXPECT_NEAR(arc.EndPoint.z, 5, 1e-12);
    EXPECT_EQ(arc.Radius, 5);
    IntersectPointList list;
    arc.AddOppositePoints(PI / 2, list, 6);
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_NEAR(list[0].x, 5, 1e-12);
    EXPECT_NEAR(list[1].x, -5, 1e-12);
    EXPECT_EQ(list[1].index1, 6);
}

TEST_F(ArcUnitTest, ScriptAndInfoTexts) {
    const CArcUnit arc(0, -20, 10, 0, -10, 10, -20, 1);
    EXPECT_EQ(arc.GetScriptText(), "ArcByPoint( 0,-20, 10, 0,-10, 10,-20, -1, 1 );\n");
    const CArcUnit ccw(1.5, 0, 2.25, 3.75, 0, -0.75, 0, -1);
    EXPECT_EQ(ccw.GetScriptText(), "ArcByPoint( 1.5,0, 2.25, 3.75,0, -0.75,0, 1, 1 );\n");
    arc.PrintInfo();
    ccw.PrintInfo();
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "A  Z1=0.0000000 X1=-10.0000000  Z2=10.0000000 X2=-20.0000000 R=10.000 DirVector=1\n",
                              "A  Z1=3.7500000 X1=0.0000000  Z2=-0.7500000 X2=0.0000000 R=2.250 DirVector=-1\n"}));
}

}  // namespace
}  // namespace zarvento
