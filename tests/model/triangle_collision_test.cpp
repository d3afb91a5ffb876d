// The twenty-plane triangle test against an independent reference (edges
// through faces), its one threshold on touching and coplanar pairs, the box
// rule, and the mesh test's pruning against a plain double loop.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <string>

#include "model/triangle_collision.h"
#include "test_support.h"

namespace zarvento {
namespace {

using P = CollisionPoint;

CollisionTriangle Tri(P a, P b, P c) {
    CollisionTriangle t;
    t.vertices = {a, b, c};
    ComputeTriangleBox(t);
    return t;
}

P Sub(const P& a, const P& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
P Cross(const P& a, const P& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double Dot(const P& a, const P& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// The segment from p to q meets the triangle (Moller and Trumbore), the
// barycentric and segment ranges widened by tol.
bool SegmentHitsTriangle(const P& p, const P& q, const CollisionTriangle& t, double tol) {
    const P& v0 = t.vertices[0];
    const P e1 = Sub(t.vertices[1], v0), e2 = Sub(t.vertices[2], v0), d = Sub(q, p);
    const P h = Cross(d, e2);
    const double det = Dot(e1, h);
    if (std::fabs(det) < 1e-12) return false;
    const P s = Sub(p, v0);
    const double u = Dot(s, h) / det;
    const P k = Cross(s, e1);
    const double v = Dot(d, k) / det;
    const double w = Dot(e2, k) / det;
    return u >= -tol && v >= -tol && u + v <= 1 + tol && w >= -tol && w <= 1 + tol;
}

// Two triangles that are not coplanar meet when an edge of one meets the other.
bool Reference(const CollisionTriangle& a, const CollisionTriangle& b, double tol = 0.0) {
    for (int k = 0; k < 3; ++k) {
        if (SegmentHitsTriangle(a.vertices[k], a.vertices[(k + 1) % 3], b, tol)) return true;
        if (SegmentHitsTriangle(b.vertices[k], b.vertices[(k + 1) % 3], a, tol)) return true;
    }
    return false;
}

const CollisionTriangle kFloor = Tri({0, 0, 0}, {4, 0, 0}, {0, 4, 0});

TEST(TriangleIntersect, AgreesWithTheReferenceOnTheKindsOfPairs) {
    struct Case {
        const char* name;
        CollisionTriangle other;
        bool meets;
    };
    const Case cases[] = {
        {"crossing", Tri({1, 0.5, -1}, {1, 0.5, 1}, {1, 3, 0}), true},
        {"parallel, apart", Tri({0, 0, 1}, {4, 0, 1}, {0, 4, 1}), false},
        {"parallel, a hair apart", Tri({0, 0, 1e-3}, {4, 0, 1e-3}, {0, 4, 1e-3}), false},
        {"an edge through the face", Tri({1, 1, -1}, {1, 1, 1}, {10, 10, 10}), true},
        {"the face's edge through the other", Tri({2, -1, -1}, {2, 3, -1}, {2, 1, 5}), true},
        {"apart, not parallel", Tri({10, 10, -1}, {10, 10, 1}, {12, 10, 0}), false},
        {"beside an edge", Tri({3, 3, -1}, {3, 3, 1}, {5, 5, 0}), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Reference(kFloor, c.other), c.meets);
        EXPECT_EQ(TriangleIntersect(kFloor, c.other), c.meets);
        EXPECT_EQ(TriangleIntersect(c.other, kFloor), c.meets);
    }
}

TEST(TriangleIntersect, CoplanarPairsNeverMeet) {
    for (const CollisionTriangle& other :
         {Tri({1, 1, 0}, {5, 1, 0}, {1, 5, 0}), kFloor, Tri({-1, -1, 0}, {10, -1, 0}, {-1, 10, 0})})
        EXPECT_FALSE(TriangleIntersect(kFloor, other));
}

TEST(TriangleIntersect, TouchingPairsFollowTheOneThreshold) {
    // A triangle standing on the floor's face on its tip, from above and from
    // below, with the tip at a depth through the face. A point on a plane
    // (d = 0) counts as below it, like every d < EPS, so a tip that only
    // touches reads as one on the near side and the pair is separated; the
    // distances are unnormalised, so a tip counts as through once its depth
    // times the plane normal's length exceeds EPS.
    struct Case {
        double depth;
        bool meets;
    };
    for (const Case c : {Case{-1e-3, false}, Case{0.0, false}, Case{1e-8, false}, Case{1e-5, true}, Case{1e-3, true}}) {
        SCOPED_TRACE(c.depth);
        const CollisionTriangle fromAbove = Tri({1, 1, -c.depth}, {1, 1, 2}, {2, 1, 2});
        const CollisionTriangle fromBelow = Tri({1, 1, c.depth}, {1, 1, -2}, {2, 1, -2});
        EXPECT_EQ(TriangleIntersect(kFloor, fromAbove), c.meets);
        EXPECT_EQ(TriangleIntersect(fromAbove, kFloor), c.meets);
        EXPECT_EQ(TriangleIntersect(kFloor, fromBelow), c.meets);
        EXPECT_EQ(TriangleIntersect(fromBelow, kFloor), c.meets);
    }
    // Sharing a vertex, or an edge lying on the other's face, is a touch too.
    EXPECT_FALSE(TriangleIntersect(kFloor, Tri({0, 0, 0}, {-1, -1, 1}, {-1, 0, 1})));
    EXPECT_FALSE(TriangleIntersect(kFloor, Tri({2, 0, 0}, {2, 0, 2}, {3, 0, 2})));
}

TEST(TriangleIntersect, RandomPairsAgreeWithTheReference) {
    std::mt19937 rng(20261210);
    std::uniform_real_distribution<double> coordinate(-1.0, 1.0);
    auto randomTriangle = [&] {
        return Tri({coordinate(rng), coordinate(rng), coordinate(rng)},
                   {coordinate(rng), coordinate(rng), coordinate(rng)},
                   {coordinate(rng), coordinate(rng), coordinate(rng)});
    };
    int meeting = 0, compared = 0;
    for (int k = 0; k < 4000; ++k) {
        const CollisionTriangle a = randomTriangle(), b = randomTriangle();
        // Pairs that touch within the tolerances are the threshold's to decide.
        if (Reference(a, b, 1e-6) != Reference(a, b, -1e-6)) continue;
        ++compared;
        const bool meets = Reference(a, b);
        meeting += meets ? 1 : 0;
        ASSERT_EQ(TriangleIntersect(a, b), meets) << "pair " << k;
    }
    EXPECT_GT(meeting, 200);
    EXPECT_GT(compared - meeting, 200);
}

TEST(TriangleBoxes, OverlapWithinTheToleranceAndNotBeyond) {
    EXPECT_TRUE(IntervalsOverlap(0, 1, 1 + 0.5e-6, 2));
    EXPECT_TRUE(IntervalsOverlap(1 + 0.5e-6, 2, 0, 1));
    EXPECT_FALSE(IntervalsOverlap(0, 1, 1 + 2e-6, 2));
    EXPECT_FALSE(IntervalsOverlap(1 + 2e-6, 2, 0, 1));
    EXPECT_TRUE(IntervalsOverlap(0, 1, 0, 1));
    EXPECT_TRUE(IntervalsOverlap(0, 10, 3, 4));
    const CollisionBox unit{0, 0, 0, 1, 1, 1};
    EXPECT_TRUE(BoxesOverlap(unit, {1 + 0.5e-6, 0, 0, 2, 1, 1}));
    EXPECT_FALSE(BoxesOverlap(unit, {0, 0, 1 + 2e-6, 1, 1, 2}));
    CollisionTriangle t = Tri({1, -2, 3}, {-4, 5, 0}, {2, 2, 2});
    EXPECT_EQ(t.box, (CollisionBox{-4, -2, 0, 2, 5, 3}));
}

TEST(MeshesCollide, FindsWhatThePlainDoubleLoopFinds) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> centre(-3.0, 3.0), offset(-0.4, 0.4);
    auto mesh = [&](int n, double shift) {
        StepArray<CollisionTriangle> list(100);
        for (int k = 0; k < n; ++k) {
            const P c{centre(rng) + shift, centre(rng), centre(rng)};
            list.Add(Tri({c[0] + offset(rng), c[1] + offset(rng), c[2] + offset(rng)},
                         {c[0] + offset(rng), c[1] + offset(rng), c[2] + offset(rng)},
                         {c[0] + offset(rng), c[1] + offset(rng), c[2] + offset(rng)}));
        }
        return list;
    };
    auto boxOf = [](const StepArray<CollisionTriangle>& list) {
        CollisionBox box{1e9, 1e9, 1e9, -1e9, -1e9, -1e9};
        for (const CollisionTriangle& t : list)
            for (int axis = 0; axis < 3; ++axis) {
                box[axis] = std::min(box[axis], t.box[axis]);
                box[axis + 3] = std::max(box[axis + 3], t.box[axis + 3]);
            }
        return box;
    };
    int hits = 0;
    for (int round = 0; round < 200; ++round) {
        const auto a = mesh(40, 0.0);
        const auto b = mesh(40, 4.0 + offset(rng) * 5);
        bool plain = false;
        for (const CollisionTriangle& t : a)
            for (const CollisionTriangle& f : b) plain = plain || TriangleIntersect(t, f);
        hits += plain ? 1 : 0;
        ASSERT_EQ(MeshesCollide(a, boxOf(a), b, boxOf(b)), plain) << "round " << round;
    }
    EXPECT_GT(hits, 20);
    EXPECT_LT(hits, 180);
}

}  // namespace
}  // namespace zarvento
