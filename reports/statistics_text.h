// The number texts of the statistics and the cost estimate.
#pragma once

#include <string>

#include "geometry/number_format.h"

namespace zarvento {

// "%1.2f"
inline std::string FormatFixed2(double value) { return FormatFixed(value, 2); }
// The number a typed text starts with, a decimal comma read as a point
// ("12,5" is 12.5); 0 when it starts with none.
double ReadTypedNumber(std::string text);

}  // namespace zarvento
