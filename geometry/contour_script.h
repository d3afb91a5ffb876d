// The script form of a contour: one unit per line in the units' own call text
// ("LineSeg( z1,x1, z2,x2, 1 );", "ArcByPoint( zc,xc, R, z1,x1, z2,x2, dir, 1 );"
// with dir the host's sense, -DirVector). Fixtures and traces use it.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <limits>

#include "geometry/contour.h"

namespace zarvento {

// Reads the lines in order; blank lines and lines starting with "//" or "#"
// are skipped. Null on the first bad line, with "line N: ..." in error. A
// value beyond `maxMagnitude` either way makes a line bad too (a part drawn by
// a user has no such size; tests build far-away units on purpose).
std::unique_ptr<Contour> ParseContourScript(std::string_view text, std::string* error = nullptr,
                                            double maxMagnitude = std::numeric_limits<double>::infinity());

// The units' script texts one after the other.
std::string ContourScriptText(const Contour& contour);

}  // namespace zarvento
