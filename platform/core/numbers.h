// The number π, the one constant of it for every folder.
#pragma once

#include <numbers>

namespace zarvento {

inline constexpr double PI = std::numbers::pi;

}  // namespace zarvento
