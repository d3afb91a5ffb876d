// Locale-free printf-style number texts for the unit dumps and script lines.
#pragma once

#include <string>

namespace zarvento {

// As printf "%g" in the "C" locale.
std::string FormatG(double v);
// As printf "%1.<precision>f" in the "C" locale.
std::string FormatFixed(double v, int precision);

}  // namespace zarvento
