// CollisionTriangle: one triangle of a drawn mesh as the simulation's
// collision tests take it: its corners and normal in model coordinates and
// the box the simulation fills.
#pragma once

#include <array>
#include <cstddef>

namespace zarvento {

struct CollisionTriangle {
    std::array<std::array<double, 3>, 3> vertices{};
    std::array<double, 3> normal{};
    // Minimum x, y, z, then maximum x, y, z.
    std::array<double, 6> box{};
};

// The box of the three vertices.
inline void ComputeTriangleBox(CollisionTriangle& t) {
    t.box = {1e9, 1e9, 1e9, -1e9, -1e9, -1e9};
    for (const auto& v : t.vertices)
        for (std::size_t k = 0; k < 3; ++k) {
            if (v[k] < t.box[k]) t.box[k] = v[k];
            if (v[k] > t.box[k + 3]) t.box[k + 3] = v[k];
        }
}

}  // namespace zarvento
