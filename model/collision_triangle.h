// CollisionTriangle: one triangle of a drawn mesh as the simulation's
// collision tests take it: its corners and normal in model coordinates and
// the box the simulation fills.
#pragma once

#include <array>

namespace zarvento {

struct CollisionTriangle {
    std::array<std::array<double, 3>, 3> vertices{};
    std::array<double, 3> normal{};
    // Minimum x, y, z, then maximum x, y, z.
    std::array<double, 6> box{};
};

}  // namespace zarvento
