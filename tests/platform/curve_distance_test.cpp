// The distance between two pieces (segments and arcs), against the least
// distance between dense samples of both.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "platform/core/numbers.h"
#include "platform/drawings/curve_2d.h"

namespace zarvento {
namespace {

TEST(CurveDistance, CrossingTouchingAndApart) {
    const Curve2D a = Curve2D::Line({0, 0}, {10, 0});
    EXPECT_EQ(CurveDistance(a, Curve2D::Line({5, -1}, {5, 1})), 0.0);
    EXPECT_NEAR(CurveDistance(a, Curve2D::Line({12, 3}, {20, 3})), std::hypot(2.0, 3.0), 1e-12);
    // An arc over the segment: nearest at its top, away from both ends.
    const Curve2D over = Curve2D::Arc({5, 5}, 2, PI, PI);
    EXPECT_NEAR(CurveDistance(a, over), 3.0, 1e-12);
    EXPECT_NEAR(CurveDistance(over, a), 3.0, 1e-12);
    // The same circle's other half faces away: its ends are nearest.
    EXPECT_NEAR(CurveDistance(a, Curve2D::Arc({5, 5}, 2, 0.0, PI)), 5.0, 1e-12);
    // Arcs on the line through their centres, and on one centre.
    EXPECT_NEAR(CurveDistance(Curve2D::Arc({0, 0}, 1, -0.5, 1.0), Curve2D::Arc({5, 0}, 1, PI - 0.5, 1.0)), 3.0, 1e-12);
    EXPECT_NEAR(CurveDistance(Curve2D::Arc({0, 0}, 1, 0, 1), Curve2D::Arc({0, 0}, 3, 0.5, 1)), 2.0, 1e-12);
    EXPECT_EQ(CurveDistance(Curve2D::Arc({0, 0}, 2, 0, PI), Curve2D::Line({0, 0}, {0, 5})), 0.0);
}

TEST(CurveDistance, NeverAboveTheSamplesAndCloseBelowThem) {
    std::mt19937 random(3207);
    std::uniform_real_distribution<double> coord(-10.0, 10.0), radius(0.2, 8.0), angle(-PI, PI);
    const auto piece = [&](bool arc) {
        if (!arc) return Curve2D::Line({coord(random), coord(random)}, {coord(random), coord(random)});
        return Curve2D::Arc({coord(random), coord(random)}, radius(random), angle(random), 0.9 * angle(random));
    };
    constexpr int kSamples = 4000;
    for (int run = 0; run < 300; ++run) {
        const Curve2D p = piece(run % 3 != 0), q = piece(run % 2 != 0);
        double sampled = 1e300;
        std::vector<Point2D> onQ(kSamples + 1);
        for (int j = 0; j <= kSamples; ++j) onQ[static_cast<std::size_t>(j)] = q.At(static_cast<double>(j) / kSamples);
        for (int i = 0; i <= kSamples; ++i) {
            const Point2D a = p.At(static_cast<double>(i) / kSamples);
            sampled = std::min(sampled, q.Distance(a));
        }
        for (const Point2D& b : onQ) sampled = std::min(sampled, p.Distance(b));
        const double exact = CurveDistance(p, q);
        SCOPED_TRACE(run);
        EXPECT_LE(exact, sampled + 1e-9);
        // The samples of one piece lie within half a step of every point of it.
        const double step = std::max(p.Length(), q.Length()) / kSamples;
        EXPECT_GE(exact, sampled - step);
    }
}

}  // namespace
}  // namespace zarvento
