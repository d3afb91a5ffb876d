// Small contours for the contour tests, written in the units' script form.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "geometry/contour.h"
#include "geometry/contour_script.h"

namespace zarvento::test {

// A closed stepped shaft: radius 20 on z 0..30, radius 15 on z 30..60.
inline constexpr std::string_view kSteppedShaft =
    "LineSeg( 0,0, 0,-20, 1 );\n"
    "LineSeg( 0,-20, 30,-20, 1 );\n"
    "LineSeg( 30,-20, 30,-15, 1 );\n"
    "LineSeg( 30,-15, 60,-15, 1 );\n"
    "LineSeg( 60,-15, 60,0, 1 );\n"
    "LineSeg( 60,0, 0,0, 1 );\n";

// A closed contour with a fillet tangent to the lines on both sides.
inline constexpr std::string_view kFilleted =
    "LineSeg( 0,0, 0,-10, 1 );\n"
    "LineSeg( 0,-10, 20,-10, 1 );\n"
    "ArcByPoint( 20,-15, 5, 20,-10, 25,-15, -1, 1 );\n"
    "LineSeg( 25,-15, 25,-20, 1 );\n"
    "LineSeg( 25,-20, 40,-20, 1 );\n"
    "LineSeg( 40,-20, 40,0, 1 );\n"
    "LineSeg( 40,0, 0,0, 1 );\n";

// An open chain of three lines.
inline constexpr std::string_view kOpenChain =
    "LineSeg( 0,0, 10,0, 1 );\n"
    "LineSeg( 10,0, 10,-10, 1 );\n"
    "LineSeg( 10,-10, 20,-10, 1 );\n";

// A closed figure eight: the second and fourth lines cross at (5, -5).
inline constexpr std::string_view kFigureEight =
    "LineSeg( 0,0, 10,0, 1 );\n"
    "LineSeg( 10,0, 0,-10, 1 );\n"
    "LineSeg( 0,-10, 10,-10, 1 );\n"
    "LineSeg( 10,-10, 0,0, 1 );\n";

inline std::unique_ptr<Contour> MakeContour(std::string_view script) {
    std::string error;
    auto contour = ParseContourScript(script, &error);
    EXPECT_TRUE(contour) << error;
    return contour ? std::move(contour) : std::make_unique<Contour>();
}

}  // namespace zarvento::test
