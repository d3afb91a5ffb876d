// The line unit: on-segment test, intersections, offsets, sampling and texts.
#include "geometry/line_unit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/arc_unit.h"
#include "geometry/circle_unit.h"
#include "geometry/exception.h"
#include "geometry/primitives.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::CleanStateTest;

struct P {
    double z, x;
};

std::vector<P> Points(const IntersectPointList& list) {
    std::vector<P> out;
    for (const auto& p : list) out.push_back({p.z, p.x});
    return out;
}

void ExpectPoints(const IntersectPointList& list, const std::vector<P>& expected, double tol = 1e-9) {
    ASSERT_EQ(list.Count(), expected.size());
    for (std::uint32_t i = 0; i < list.Count(); ++i) {
        EXPECT_NEAR(list[i].z, expected[i].z, tol) << "point " << i;
        EXPECT_NEAR(list[i].x, expected[i].x, tol) << "point " << i;
    }
}

class LineUnitTest : public CleanStateTest {};

TEST_F(LineUnitTest, SurfaceNameFollowsTheSweptShape) {
    EXPECT_EQ(CLineUnit(0, -5, 10, -5).SurfaceName, "Цилиндр");
    EXPECT_EQ(CLineUnit(3, -5, 3, -10).SurfaceName, "Плоскость");
    EXPECT_EQ(CLineUnit(0, -5, 10, -8).SurfaceName, "Конус");
    EXPECT_EQ(CLineUnit(1, 1, 1, 1).SurfaceName, "Цилиндр");
    EXPECT_EQ(CLineUnit::CLineUnitXYZ(0, 0, 0, 1, 1, 1)->SurfaceName, "");
    const CLineUnit line(0, -5, 10, -5, true);
    EXPECT_EQ(line.Kind, 'L');
    EXPECT_EQ(line.DirVector, 1);
    EXPECT_TRUE(line.IsRapid);
    EXPECT_FALSE(line.GetSimpleCopy()->IsRapid);
}

TEST_F(LineUnitTest, PointOnUnitCoversTheThreeShapes) {
    struct Case {
        double z1, x1, z2, x2;  // segment
        double z, x;
        bool on;
    };
    const double e = 1e-6;
    const double c = std::cos(std::atan2(5, 10)), s = std::sin(std::atan2(5, 10));
    const Case cases[] = {
        // parallel to the axis
        {0, 0, 10, 0, 0, 0, true},
        {0, 0, 10, 0, 10, 0, true},
        {0, 0, 10, 0, 5, 0, true},
        {0, 0, 10, 0, 5, 0.5 * e, true},
        {0, 0, 10, 0, 5, 2 * e, false},
        {0, 0, 10, 0, 10 + 2 * e, 0, false},
        {0, 0, 10, 0, 10 + 0.5 * e, 0, true},
        {0, 0, 10, 0, -2 * e, 0, false},
        // perpendicular to the axis
        {0, 0, 0, 10, 0, 0, true},
        {0, 0, 0, 10, 0, 10, true},
        {0, 0, 0, 10, 0, 5, true},
        {0, 0, 0, 10, 0, 10 + 2 * e, false},
        {0, 0, 0, 10, 2 * e, 5, false},
        // oblique
        {0, 0, 10, 5, 0, 0, true},
        {0, 0, 10, 5, 10, 5, true},
        {0, 0, 10, 5, 5, 2.5, true},
        {0, 0, 10, 5, 10 + 2 * e * c, 5 + 2 * e * s, false},
        {0, 0, 10, 5, 5, 2.5 + 3 * e, false},
        {0, 0, 10, 5, -2 * e * c, -2 * e * s, false},
    };
    for (const auto& k : cases) {
        const CLineUnit line(k.z1, k.x1, k.z2, k.x2);
        EXPECT_EQ(line.IsPointOnUnit(k.z, k.x), k.on)
            << "(" << k.z1 << "," << k.x1 << ")-(" << k.z2 << "," << k.x2 << ") at (" << k.z << "," << k.x << ")";
    }
}

TEST_F(LineUnitTest, MeasuresAnglesBoxesAndMidpoints) {
    const CLineUnit line(10, 0, 0, -10);
    EXPECT_NEAR(line.GetLength(), std::sqrt(200.0), 1e-12);
    EXPECT_NEAR(line.GetLengthToPoint(5, -5), std::sqrt(50.0), 1e-12);
    EXPECT_NEAR(line.GetAngle(), 5 * PI / 4, 1e-12);
    EXPECT_EQ(line.GetStartAngle(), line.GetAngle());
    EXPECT_EQ(line.GetEndAngle(), line.GetAngle());
    EXPECT_EQ(line.GetCurvature(), 0.0);
    EXPECT_NEAR(line.GetAngleTolerance(), 1e-6 / std::sqrt(200.0), 1e-20);
    BoundBox box;
    line.GetBoundBox(box);
    EXPECT_EQ(box.zmin, 0);
    EXPECT_EQ(box.xmin, -10);
    EXPECT_EQ(box.zmax, 10);
    EXPECT_EQ(box.xmax, 0);
    IntersectPoint mid;
    mid.index1 = 7;
    mid.unit = &line;
    line.GetMiddlePoint(mid);
    EXPECT_EQ(mid.z, 5);
    EXPECT_EQ(mid.x, -5);
    EXPECT_EQ(mid.index1, 0);
    EXPECT_EQ(mid.unit, nullptr);

    const auto space = CLineUnit::CLineUnitXYZ(0, 0, 0, 1, 2, 2);
    EXPECT_DOUBLE_EQ(space->GetLength3D(), 3.0);
    EXPECT_DOUBLE_EQ(space->GetLengthToPoint3D(0, 0, 2), 2.0);
}

TEST_F(LineUnitTest, SameCarrierComparesDirections) {
    const CLineUnit a(0, 0, 10, 0);
    EXPECT_TRUE(a.IsSameCarrier(CLineUnit(5, 0, 20, 0)));
    EXPECT_FALSE(a.IsSameCarrier(CLineUnit(20, 0, 5, 0)));
    EXPECT_FALSE(a.IsSameCarrier(CLineUnit(0, 0, 10, 1)));
    EXPECT_FALSE(a.IsSameCarrier(CArcUnit(0, 0, 10, 10, 0, 0, 10, -1)));
    EXPECT_TRUE(a.IsOverlap(CLineUnit(5, 0, 20, 0)));
    EXPECT_FALSE(a.IsOverlap(CLineUnit(11, 0, 20, 0)));
    EXPECT_FALSE(a.IsOverlap(CArcUnit(10, 5, 5, 10, 0, 15, 5, -1)));  // touches, other kind
    // Directions either side of +Z are close as angles though 2 PI apart as
    // numbers; the turn allowed moves the longer line's far end by EPS.
    EXPECT_TRUE(CLineUnit(0, 0, 1, -1e-8).IsSameCarrier(CLineUnit(1, -1e-8, 11, 0)));
    EXPECT_FALSE(CLineUnit(0, 0, 1, -1e-8).IsSameCarrier(CLineUnit(1, -1e-8, 101, 1e-5)));
    // A point lies on every carrier through it.
    EXPECT_TRUE(a.IsSameCarrier(CLineUnit(10, 0, 10, 0)));
}

TEST_F(LineUnitTest, IntersectionsAreFilteredToBothUnits) {
    struct Case {
        const char* name;
        CLineUnit other;
        std::vector<P> expected;
    };
    const CLineUnit self(0, 0, 10, 0);
    const Case cases[] = {
        {"crossing", CLineUnit(5, -5, 5, 5), {{5, 0}}},
        {"carriers cross beyond the end", CLineUnit(15, -5, 15, 5), {}},
        {"parallel", CLineUnit(0, 1, 10, 1), {}},
        {"collinear overlap", CLineUnit(5, 0, 15, 0), {}},
        {"end meets start", CLineUnit(10, 0, 10, 5), {{10, 0}}},
        {"end of the other on the interior", CLineUnit(5, 0, 5, 5), {{5, 0}}},
    };
    for (const auto& c : cases) {
        IntersectPointList list;
        self.Intersect(&c.other, list);
        SCOPED_TRACE(c.name);
        ExpectPoints(list, c.expected);
    }
}

TEST_F(LineUnitTest, IntersectsArcsWithTangencyAndFilteringButNotCircles) {
    // Upper half circle of radius 10, counter-clockwise from (10, 0) to (-10, 0).
    const CArcUnit upper(0, 0, 10, 10, 0, -10, 0, -1);
    const CArcUnit quarter(0, 0, 10, 0, 10, 10, 0, 1);
    const double h = std::sqrt(75.0);
    struct Case {
        const char* name;
        CLineUnit line;
        const CArcUnit* arc;
        std::vector<P> expected;
    };
    const Case cases[] = {
        {"tangent", CLineUnit(-10, 10, 10, 10), &upper, {{0, 10}}},
        {"two crossings", CLineUnit(-20, 5, 20, 5), &upper, {{h, 5}, {-h, 5}}},
        {"the later one off the arc", CLineUnit(-20, 5, 20, 5), &quarter, {{h, 5}}},
        {"the earlier one off the arc", CLineUnit(20, 5, -20, 5), &quarter, {{h, 5}}},
        {"off the segment", CLineUnit(-20, 5, -15, 5), &upper, {}},
        {"the carrier misses", CLineUnit(-20, 11, 20, 11), &upper, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IntersectPointList list;
        c.line.Intersect(c.arc, list);
        // The primitive's order is kept; compare as a set of at most two.
        auto got = Points(list);
        ASSERT_EQ(got.size(), c.expected.size());
        for (const auto& e : c.expected) {
            bool found = false;
            for (const auto& g : got) found |= std::fabs(g.z - e.z) < 1e-9 && std::fabs(g.x - e.x) < 1e-9;
            EXPECT_TRUE(found) << e.z << "," << e.x;
        }
    }

    // A line does not intersect a full circle, while the circle does intersect
    // the line: region subtraction puts the circle first for that reason.
    const CCircleUnit circle(0, 0, 10, 1);
    const CLineUnit through(-20, 0, 20, 0);
    IntersectPointList fromLine, fromCircle;
    through.Intersect(&circle, fromLine);
    circle.Intersect(&through, fromCircle);
    EXPECT_EQ(fromLine.Count(), 0u);
    EXPECT_EQ(fromCircle.Count(), 2u);

    IntersectPointList none;
    through.Intersect(nullptr, none);
    EXPECT_EQ(none.Count(), 0u);
}

TEST_F(LineUnitTest, OffsetLiesLeftOfTravelWithExtensions) {
    CLineUnit line(0, 0, 10, 0);
    line.DirVector = -1;
    auto offset = line.GetOffsetUnit(true, 2);
    ASSERT_NE(offset, nullptr);
    EXPECT_EQ(offset->Kind, 'L');
    EXPECT_NEAR(offset->StartPoint.z, 0, 1e-12);
    EXPECT_NEAR(offset->StartPoint.x, 2, 1e-12);
    EXPECT_NEAR(offset->EndPoint.z, 10, 1e-12);
    EXPECT_NEAR(offset->EndPoint.x, 2, 1e-12);
    EXPECT_EQ(offset->SourceUnit, &line);
    EXPECT_EQ(offset->DirVector, -1);
    EXPECT_EQ(offset->SurfaceName, "");

    line.OffsetDistance = -3;
    line.StartExtension = 1;
    line.EndExtension = 4;
    offset = line.GetOffsetUnit(false, 2);
    EXPECT_NEAR(offset->StartPoint.z, -1, 1e-12);
    EXPECT_NEAR(offset->StartPoint.x, -3, 1e-12);
    EXPECT_NEAR(offset->EndPoint.z, 14, 1e-12);
    EXPECT_NEAR(offset->EndPoint.x, -3, 1e-12);

    // Travelling down -X, the left is -Z.
    const CLineUnit down(5, 0, 5, -10);
    offset = down.GetOffsetUnit(true, 1);
    EXPECT_NEAR(offset->StartPoint.z, 6, 1e-12);
    EXPECT_NEAR(offset->EndPoint.x, -10, 1e-12);
}

TEST_F(LineUnitTest, NearestAndFarthestPoints) {
    const CLineUnit line(0, 0, 10, 0);
    struct Case {
        double z, x;
        std::vector<P> nearest;
    };
    const Case cases[] = {
        {5, 3, {{5, 0}}}, {5, -3, {{5, 0}}}, {3, 0, {{3, 0}}}, {15, 3, {}}, {-1, -1, {}},
    };
    for (const auto& c : cases) {
        IntersectPointList list;
        line.GetNearestPoint(c.z, c.x, list, 9);
        ExpectPoints(list, c.nearest);
        for (const auto& p : list) EXPECT_EQ(p.index1, 9);
    }
    IntersectPointList far;
    line.GetFarthestPoint(2, 1, far, 4);
    line.GetFarthestPoint(8, 0, far, 4);
    line.GetFarthestPoint(5, 1, far, 4);  // equally far: the end
    ExpectPoints(far, {{10, 0}, {0, 0}, {10, 0}});
    EXPECT_EQ(far[0].index1, 4);
}

TEST_F(LineUnitTest, PointAtAngleUsesAThousandEps) {
    const CLineUnit flat(0, 0, 10, 0);
    double z = -1, x = -1;
    EXPECT_EQ(flat.GetPointAtAngle(0.0, z, x), 2);
    EXPECT_EQ(z, 10);
    EXPECT_EQ(flat.GetPointAtAngle(0.0009, z, x), 2);
    EXPECT_EQ(flat.GetPointAtAngle(0.0011, z, x), 1);
    EXPECT_EQ(z, 0);
    const CLineUnit up(0, 0, 0, 10);
    EXPECT_EQ(up.GetPointAtAngle(PI / 2 + 0.0005, z, x), 2);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(up.GetPointAtAngle(PI / 2 + 0.002, z, x), 1);
    EXPECT_EQ(x, 0);
}

TEST_F(LineUnitTest, PointsByStepInBothModes) {
    const CLineUnit line(0, 0, 10, 0);
    IntersectPointList even;
    line.GetPointsByStep(even, 3, 1);
    ExpectPoints(even, {{0, 0}, {5, 0}, {10, 0}});
    IntersectPointList every;
    line.GetPointsByStep(every, 3, 0);
    ExpectPoints(every, {{3, 0}, {6, 0}, {9, 0}, {10, 0}});
    for (const auto& p : every) {
        EXPECT_EQ(p.unit, &line);
        EXPECT_EQ(p.index1, 0);
    }
    // The steep axis decides; a short segment gives only its end.
    const CLineUnit steep(0, 0, 1, -4);
    IntersectPointList s;
    steep.GetPointsByStep(s, std::sqrt(17.0) / 2, 0);
    ExpectPoints(s, {{0.5, -2}, {1, -4}});
    IntersectPointList shortOne;
    CLineUnit(0, 0, 1, 0).GetPointsByStep(shortOne, 3, 0);
    ExpectPoints(shortOne, {{1, 0}});
    IntersectPointList twoAtLeast;
    CLineUnit(0, 0, 1, 0).GetPointsByStep(twoAtLeast, 3, 1);
    ExpectPoints(twoAtLeast, {{0, 0}, {1, 0}});
}

TEST_F(LineUnitTest, PointsByStep3DPreferZThenXThenY) {
    const auto line = CLineUnit::CLineUnitXYZ(1, 0, 2, 1, 6, 2);  // along Y only
    UnitPoint3DList every;
    line->GetPointsByStep3D(every, 2, 0);
    ASSERT_EQ(every.Count(), 3u);
    EXPECT_DOUBLE_EQ(every[0].y, 2);
    EXPECT_DOUBLE_EQ(every[1].y, 4);
    EXPECT_DOUBLE_EQ(every[2].y, 6);
    EXPECT_EQ(every[2].x, 1);
    EXPECT_EQ(every[2].z, 2);
    EXPECT_EQ(every[0].unit, line.get());
    EXPECT_EQ(every[0].flag, 0);
    UnitPoint3DList even;
    line->GetPointsByStep3D(even, 2, 1);
    ASSERT_EQ(even.Count(), 3u);
    EXPECT_DOUBLE_EQ(even[1].y, 3);
}

TEST_F(LineUnitTest, AStepThatCannotEndIsRefused) {
    const CLineUnit line(0, 0, 10, 0);
    IntersectPointList list;
    for (double step : {0.0, -1.0, std::nan(""), 1e-9}) {
        EXPECT_THROW(line.GetPointsByStep(list, step, 0), Exception) << step;
        EXPECT_THROW(line.GetPointsByStep(list, step, 1), Exception) << step;
    }
    EXPECT_EQ(list.Count(), 0u);
}

TEST_F(LineUnitTest, ScriptAndInfoTexts) {
    const CLineUnit line(0, -12.5, 10.25, -1e-7);
    EXPECT_EQ(line.GetScriptText(), "LineSeg( 0,-12.5, 10.25,-1e-07, 1 );\n");
    line.PrintInfo();
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_EQ(Entries()[0].role, MessageRole::TextOutput);
    EXPECT_EQ(Entries()[0].text, "L Z1=0.0000000 X1=-12.5000000  Z2=10.2500000 X2=-0.0000001\n");
}

}  // namespace
}  // namespace zarvento
