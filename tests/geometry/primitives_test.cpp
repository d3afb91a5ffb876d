// The tolerance and the primitives of the turning plane, with their point
// orders, tangency and degenerate codes.
#include "geometry/primitives.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zarvento {
namespace {

TEST(Primitives, PointEqualityIsStrictlyBelowEps) {
    EXPECT_TRUE(IsEqualPoint(0, 0, 9.9e-7, 0));
    EXPECT_FALSE(IsEqualPoint(0, 0, 1e-6, 0));
    EXPECT_TRUE(IsEqualPoint3D(1, 2, 3, 1, 2, 3 + 9e-7));
    EXPECT_FALSE(IsEqualPoint3D(1, 2, 3, 1, 2 + 2e-6, 3));
}

TEST(Primitives, DistancesTable) {
    EXPECT_DOUBLE_EQ(Distance(0, 0, 3, 4), 5);
    EXPECT_DOUBLE_EQ(Distance2(0, 0, 3, 4), 25);
    EXPECT_DOUBLE_EQ(Distance3D(0, 0, 0, 1, 2, 2), 3);
    EXPECT_DOUBLE_EQ(DistPointLine(0, 5, -1, 0, 1, 0), 5);
    EXPECT_DOUBLE_EQ(DistPointLine(0, 5, -1, 0, 1, 0, 2.0), 5);  // given length
    EXPECT_DOUBLE_EQ(DistPointLine(3, 4, 0, 0, 0, 0), 5);        // degenerate line: the point distance
}

TEST(Primitives, AngleOfVectorTable) {
    struct Case {
        double a2, b2, angle;
    };
    const Case cases[] = {
        {0, 1, PI / 2},     {0, -1, 3 * PI / 2}, {-1, 0, PI},    {1, -1, 7 * PI / 4},
        {0, 0, 3 * PI / 2}, {1, 0, 0},           {1, 1, PI / 4},
    };
    for (const auto& c : cases) EXPECT_NEAR(AngleOfVector(0, 0, c.a2, c.b2), c.angle, 1e-15) << c.a2 << "," << c.b2;
}

TEST(Primitives, IntersectLinesCodes) {
    double a = 99, b = 99;
    EXPECT_EQ(IntersectLines(0, 0, 2, 2, 0, 2, 2, 0, a, b), 1);
    EXPECT_DOUBLE_EQ(a, 1);
    EXPECT_DOUBLE_EQ(b, 1);
    a = b = 99;
    EXPECT_EQ(IntersectLines(0, 0, 1, 0, 0, 1, 1, 1, a, b), 0);
    EXPECT_EQ(IntersectLines(0, 0, 1, 0, 2, 0, 3, 0, a, b), -1);
    EXPECT_EQ(a, 99);  // outs untouched
    // Nearly parallel but long: the unscaled determinant still finds the point.
    EXPECT_EQ(IntersectLines(0, 0, 1000, 0, 0, 1, 1000, 0.999, a, b), 1);
    EXPECT_NEAR(a, 1e6, 1e-3);
}

// Two units of a dense polyline, 0.1 long, that turn by 8.6e-5 rad: their
// determinant (8.6e-7) lies below EPS, yet they are no more parallel than the
// angle says. Taking them for one line once left the offset of such a corner
// without its crossing, which cut the working contour short there.
TEST(Primitives, ShortUnitsThatBarelyTurnStillMeet) {
    const double turn = 8.6e-5;
    double a = 99, b = 99;
    EXPECT_EQ(IntersectLines(0, 0, 0.1, 0, 0.1, 0, 0.2, 0.1 * turn, a, b), 1);
    EXPECT_NEAR(a, 0.1, 1e-12);
    EXPECT_NEAR(b, 0.0, 1e-12);
    // Their offsets by 0.5 to the concave side overlap by about 2e-5 and
    // cross at the offset corner, far from any coordinate's rounding.
    const double s = std::sin(turn), c = std::cos(turn);
    EXPECT_EQ(IntersectLines(0, 0.5, 0.1, 0.5, 0.1 - 0.5 * s, 0.5 * c, 0.2 - 0.5 * s, 0.5 * c + 0.1 * s, a, b), 1);
    EXPECT_NEAR(a, 0.1 - 0.5 * std::tan(turn / 2), 1e-12);
    EXPECT_NEAR(b, 0.5, 1e-12);
    // Far from the origin the point keeps the same precision.
    EXPECT_EQ(IntersectLines(-56.0, -20.5, -56.1, -20.5, -56.1, -20.5, -56.2, -20.5 - 0.1 * turn, a, b), 1);
    EXPECT_NEAR(a, -56.1, 1e-12);
    EXPECT_NEAR(b, -20.5, 1e-12);
    // Parallel within the direction tolerance: one line when the carriers lie
    // within EPS, else none.
    EXPECT_EQ(IntersectLines(0, 0, 0.1, 0, 0.2, 5e-7, 0.3, 5e-7, a, b), -1);
    EXPECT_EQ(IntersectLines(0, 0, 0.1, 0, 0.2, 2e-6, 0.3, 2e-6, a, b), 0);
}

TEST(Primitives, LineCircleOrderAndTangency) {
    Point2 p1{7, 7}, p2{7, 7};
    // Horizontal line b = 0 through the unit circle: A*B == 0 takes the abs branch.
    EXPECT_EQ(IntersectLineCircle(-2, 0, 2, 0, 0, 0, 1, p1, p2), 2);
    EXPECT_NEAR(p1.a, 1, 1e-12);
    EXPECT_NEAR(p2.a, -1, 1e-12);
    // A*B > 0: the line a + b = 0 (direction (1, -1)).
    EXPECT_EQ(IntersectLineCircle(-1, 1, 1, -1, 0, 0, std::sqrt(2.0), p1, p2), 2);
    EXPECT_NEAR(p1.a, -1, 1e-12);
    EXPECT_NEAR(p1.b, 1, 1e-12);
    EXPECT_NEAR(p2.a, 1, 1e-12);
    EXPECT_NEAR(p2.b, -1, 1e-12);
    // Tangent within EPS: the foot, and the second point is the centre.
    EXPECT_EQ(IntersectLineCircle(-5, 1 + 0.5e-6, 5, 1 + 0.5e-6, 3, 0, 1, p1, p2), 1);
    EXPECT_NEAR(p1.a, 3, 1e-12);
    EXPECT_NEAR(p1.b, 1 + 0.5e-6, 1e-12);
    EXPECT_NEAR(p2.a, 3, 1e-12);
    EXPECT_NEAR(p2.b, 0, 1e-12);
    p1 = {7, 7};
    EXPECT_EQ(IntersectLineCircle(-5, 1 + 2e-6, 5, 1 + 2e-6, 0, 0, 1, p1, p2), 0);
    EXPECT_EQ(p1.a, 7);
}

TEST(Primitives, CirclesCodes) {
    Point2 p1, p2;
    EXPECT_EQ(IntersectCircles(0, 0, 1, 0, 0, 1, p1, p2), -1);
    EXPECT_EQ(IntersectCircles(0, 0, 1, 0, 0, 2, p1, p2), -2);
    EXPECT_EQ(IntersectCircles(0, 0, 1, 3, 0, 1, p1, p2), 0);
    EXPECT_EQ(IntersectCircles(0, 0, 1, 2, 0, 1, p1, p2), 1);
    EXPECT_NEAR(p1.a, 1, 1e-12);
    EXPECT_EQ(IntersectCircles(0, 0, 1, 1, 0, 1, p1, p2), 2);
    EXPECT_NEAR(p1.a, 0.5, 1e-12);
    EXPECT_NEAR(std::fabs(p1.b), std::sqrt(0.75), 1e-12);
    EXPECT_NEAR(p1.b, -p2.b, 1e-12);
}

TEST(Primitives, ListAppendersAppendOnlyRealPoints) {
    IntersectPointList list(5);
    EXPECT_EQ(AddLinesIntersection(0, 0, 1, 0, 0, 1, 1, 1, list), 0);
    EXPECT_EQ(AddLinesIntersection(0, 0, 2, 2, 0, 2, 2, 0, list), 1);
    EXPECT_EQ(AddCirclesIntersections(0, 0, 1, 0, 0, 1, list), -1);
    EXPECT_EQ(AddLineCircleIntersections(-2, 0, 2, 0, 0, 0, 1, list), 2);
    EXPECT_EQ(AddLineCircleIntersections(-2, 1, 2, 1, 0, 0, 1, list), 1);
    ASSERT_EQ(list.Count(), 4u);
    EXPECT_EQ(list[0].index1, 0);
    EXPECT_EQ(list[0].length, 0.0);
    EXPECT_NEAR(list[3].z, 0, 1e-12);
    EXPECT_NEAR(list[3].x, 1, 1e-12);
}

TEST(Primitives, SinCosRingIsClosed) {
    const SinCosTable& t = GetSinCosTable();
    ASSERT_EQ(t.count, 30);
    EXPECT_DOUBLE_EQ(t.cosines[0], -1.0);
    EXPECT_NEAR(t.cosines[29], -1.0, 1e-12);
    EXPECT_NEAR(t.sines[0], 0.0, 1e-12);
    EXPECT_NEAR(t.sines[29], 0.0, 1e-12);
    EXPECT_EQ(&GetSinCosTable(), &t);
}

}  // namespace
}  // namespace zarvento
