// The twenty-plane triangle test and the box pruning around it.
#include "model/triangle_collision.h"

#include <algorithm>
#include <vector>

#include "geometry/primitives.h"

namespace zarvento {

namespace {

// The unnormalised distance of x from the plane through p, q, r.
double SignedDistance(const CollisionPoint& p, const CollisionPoint& q, const CollisionPoint& r,
                      const CollisionPoint& x) {
    const double u0 = q[0] - p[0], u1 = q[1] - p[1], u2 = q[2] - p[2];
    const double v0 = r[0] - p[0], v1 = r[1] - p[1], v2 = r[2] - p[2];
    const double n0 = u1 * v2 - u2 * v1, n1 = u2 * v0 - u0 * v2, n2 = u0 * v1 - u1 * v0;
    return (x[0] - p[0]) * n0 + (x[1] - p[1]) * n1 + (x[2] - p[2]) * n2;
}

// Triangles of a mesh whose boxes overlap the box, as indices.
std::vector<std::uint32_t> TrianglesIn(const StepArray<CollisionTriangle>& mesh, const CollisionBox& box) {
    std::vector<std::uint32_t> out;
    for (std::uint32_t k = 0; k < mesh.Count(); ++k)
        if (BoxesOverlap(mesh[k].box, box)) out.push_back(k);
    return out;
}

}  // namespace

bool PlaneSeparatesPoints(const CollisionPoint& p, const CollisionPoint& q, const CollisionPoint& r,
                          const CollisionPoint& s, const CollisionPoint& t, const CollisionPoint& u, int pattern) {
    const double ds = SignedDistance(p, q, r, s);
    const double dt = SignedDistance(p, q, r, t);
    const double du = SignedDistance(p, q, r, u);
    auto above = [](double d) { return d > EPS; };
    auto below = [](double d) { return d < EPS; };
    switch (pattern) {
        case 0: return (above(ds) && above(dt) && above(du)) || (below(ds) && below(dt) && below(du));
        case 1: return (above(ds) && below(dt) && below(du)) || (below(ds) && above(dt) && above(du));
        case 3: return (above(ds) && above(dt) && below(du)) || (below(ds) && below(dt) && above(du));
        default: return false;
    }
}

bool TriangleIntersect(const CollisionTriangle& a, const CollisionTriangle& b) {
    const auto& A = a.vertices;
    const auto& B = b.vertices;
    // The plane through the edge (A[i], A[j]) and each vertex of B in turn:
    // the third vertex of A against the two other vertices of B.
    auto edgeOfA = [&](int i, int j, int k) {
        return PlaneSeparatesPoints(A[i], A[j], B[0], A[k], B[1], B[2], 1) ||
               PlaneSeparatesPoints(A[i], A[j], B[1], A[k], B[0], B[2], 1) ||
               PlaneSeparatesPoints(A[i], A[j], B[2], A[k], B[0], B[1], 1);
    };
    // The plane through A[i] and each edge of B in turn: the two other
    // vertices of A against the third vertex of B.
    auto vertexOfA = [&](int i, int j, int k) {
        return PlaneSeparatesPoints(A[i], B[0], B[1], A[j], A[k], B[2], 3) ||
               PlaneSeparatesPoints(A[i], B[0], B[2], A[j], A[k], B[1], 3) ||
               PlaneSeparatesPoints(A[i], B[1], B[2], A[j], A[k], B[0], 3);
    };
    if (PlaneSeparatesPoints(A[0], A[1], A[2], B[0], B[1], B[2], 0)) return false;
    if (edgeOfA(0, 1, 2) || edgeOfA(0, 2, 1) || vertexOfA(0, 1, 2)) return false;
    if (edgeOfA(1, 2, 0) || vertexOfA(1, 0, 2) || vertexOfA(2, 0, 1)) return false;
    return !PlaneSeparatesPoints(B[0], B[1], B[2], A[0], A[1], A[2], 0);
}

bool IntervalsOverlap(double lo1, double hi1, double lo2, double hi2) {
    return (lo1 > lo2 - EPS && lo1 < hi2 + EPS) || (lo2 > lo1 - EPS && lo2 < hi1 + EPS);
}

bool BoxesOverlap(const CollisionBox& a, const CollisionBox& b) {
    for (int axis = 0; axis < 3; ++axis)
        if (!IntervalsOverlap(a[axis], a[axis + 3], b[axis], b[axis + 3])) return false;
    return true;
}

bool MeshesCollide(const StepArray<CollisionTriangle>& a, const CollisionBox& boxA,
                   const StepArray<CollisionTriangle>& b, const CollisionBox& boxB) {
    if (!BoxesOverlap(boxA, boxB)) return false;
    CollisionBox overlap;
    for (int axis = 0; axis < 3; ++axis) {
        overlap[axis] = std::max(boxA[axis], boxB[axis]);
        overlap[axis + 3] = std::min(boxA[axis + 3], boxB[axis + 3]);
    }
    std::vector<std::uint32_t> ta = TrianglesIn(a, overlap);
    std::vector<std::uint32_t> tb = TrianglesIn(b, overlap);
    if (ta.empty() || tb.empty()) return false;
    // The pairs whose boxes overlap, found by a sweep along x: each list is
    // sorted by its boxes' lower x, and a triangle of one list meets only the
    // triangles of the other whose lower x comes before its upper x (with the
    // slack of the overlap rule). Every such pair gets the full box test, so
    // no pair the plain double loop would test is missed.
    auto byLowX = [](const StepArray<CollisionTriangle>& mesh) {
        return [&mesh](std::uint32_t i, std::uint32_t j) { return mesh[i].box[0] < mesh[j].box[0]; };
    };
    std::sort(ta.begin(), ta.end(), byLowX(a));
    std::sort(tb.begin(), tb.end(), byLowX(b));
    const double slack = 2.0 * EPS;
    std::size_t first = 0;
    for (std::uint32_t i : ta) {
        const CollisionTriangle& t = a[i];
        while (first < tb.size() && b[tb[first]].box[3] < t.box[0] - slack) ++first;
        // Only the leading run of tb that ends before t is dropped for good
        // (later triangles of ta begin further on); the rest pass the box test.
        for (std::size_t k = first; k < tb.size(); ++k) {
            const CollisionTriangle& f = b[tb[k]];
            if (f.box[0] > t.box[3] + slack) break;
            if (BoxesOverlap(t.box, f.box) && TriangleIntersect(t, f)) return true;
        }
    }
    return false;
}

}  // namespace zarvento
