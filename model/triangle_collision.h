// Collisions of two models' meshes, triangle by triangle: the tool's model
// against a fixture's during the simulation.
//
// Two triangles meet unless one of twenty candidate planes separates them:
// the plane of each triangle, and every plane through an edge of one and a
// vertex of the other. A point counts as above a plane when its unnormalised
// distance d exceeds EPS and as below when d < EPS: one threshold for both
// sides, so a coplanar pair is always separated by its own plane, and a pair
// that only touches is decided by where the threshold puts the touching
// vertex. The mesh test prunes by boxes first: the models' boxes, then each
// triangle's box against the two boxes' overlap, then the pairs' boxes.
#pragma once

#include <array>

#include "geometry/step_array.h"
#include "model/collision_triangle.h"

namespace zarvento {

using CollisionPoint = std::array<double, 3>;
// Minimum x, y, z, then maximum x, y, z.
using CollisionBox = std::array<double, 6>;

// Whether the plane through p, q, r separates the points s, t, u in the
// pattern: 0 all three on one side; 1 s on one side, t and u on the other;
// 3 s and t on one side, u on the other.
bool PlaneSeparatesPoints(const CollisionPoint& p, const CollisionPoint& q, const CollisionPoint& r,
                          const CollisionPoint& s, const CollisionPoint& t, const CollisionPoint& u, int pattern);

bool TriangleIntersect(const CollisionTriangle& a, const CollisionTriangle& b);

// Intervals [lo1, hi1] and [lo2, hi2] overlap when the lower end of one lies
// strictly between the other's ends widened by EPS, either way round.
bool IntervalsOverlap(double lo1, double hi1, double lo2, double hi2);
bool BoxesOverlap(const CollisionBox& a, const CollisionBox& b);

// Whether two meshes (their triangles with boxes filled, and each mesh's own
// box) have a pair of intersecting triangles.
bool MeshesCollide(const StepArray<CollisionTriangle>& a, const CollisionBox& boxA,
                   const StepArray<CollisionTriangle>& b, const CollisionBox& boxB);

}  // namespace zarvento
