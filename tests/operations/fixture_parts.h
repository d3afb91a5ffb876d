// The corpus of fixture parts the operation suites and benchmarks share:
// stepped shafts, chamfers, fillets, grooves, undercuts and bores, each as
// the working profile in the units' one-line script form with the bar it is
// turned from and a point inside the part. External profiles run from beyond
// the bar's face towards -Z and end out past the bar; bores run from beyond
// the bar's own hole towards +Z and end beyond the face (an inner profile
// runs that way, so that the tool keeps to its left).
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace zarvento::test {

struct FixturePart {
    const char* name;
    const char* profile;
    double barLength, barDiameter, barInner, barZ;
    double innerZ, innerX;  // a point inside the finished part
    int regions;            // machining regions between the profile and the bar
};

// Bars of 60 mm from z = -58 to z = 2: solid of diameter 50, or bored to 20.
inline const std::vector<FixturePart>& FixtureParts() {
    static const std::vector<FixturePart> parts = {
        {"step", "LineSeg( 5,-20, -30,-20, 1 );\nLineSeg( -30,-20, -30,-30, 1 );\n", 60, 50, 0, 2, -10, -5, 1},
        {"two steps",
         "LineSeg( 5,-15, -10,-15, 1 );\nLineSeg( -10,-15, -10,-20, 1 );\nLineSeg( -10,-20, -30,-20, 1 );\n"
         "LineSeg( -30,-20, -30,-30, 1 );\n",
         60, 50, 0, 2, -10, -5, 1},
        {"three steps",
         "LineSeg( 5,-10, -8,-10, 1 );\nLineSeg( -8,-10, -8,-14, 1 );\nLineSeg( -8,-14, -18,-14, 1 );\n"
         "LineSeg( -18,-14, -18,-19, 1 );\nLineSeg( -18,-19, -35,-19, 1 );\n"
         "LineSeg( -35,-19, -35,-30, 1 );\n",
         60, 50, 0, 2, -10, -5, 1},
        {"face chamfer",
         "LineSeg( 5,-13, 0,-13, 1 );\nLineSeg( 0,-13, -2,-15, 1 );\nLineSeg( -2,-15, -30,-15, 1 );\n"
         "LineSeg( -30,-15, -30,-30, 1 );\n",
         60, 50, 0, 2, -10, -5, 1},
        {"shoulder chamfer",
         "LineSeg( 5,-18, -25,-18, 1 );\nLineSeg( -25,-18, -25,-21, 1 );\nLineSeg( -25,-21, -28,-24, 1 );\n"
         "LineSeg( -28,-24, -40,-24, 1 );\nLineSeg( -40,-24, -40,-30, 1 );\n",
         60, 50, 0, 2, -10, -5, 1},
        {"shoulder fillet",
         "LineSeg( 5,-20, -27,-20, 1 );\nArcByPoint( -27,-23, 3, -27,-20, -30,-23, 1, 1 );\n"
         "LineSeg( -30,-23, -30,-30, 1 );\n",
         60, 50, 0, 2, -10, -5, 1},
        {"rounded step edge",
         "LineSeg( 5,-18, -10,-18, 1 );\nLineSeg( -10,-18, -10,-20, 1 );\n"
         "ArcByPoint( -12,-20, 2, -10,-20, -12,-22, -1, 1 );\nLineSeg( -12,-22, -30,-22, 1 );\n"
         "LineSeg( -30,-22, -30,-30, 1 );\n",
         60, 50, 0, 2, -10, -5, 1},
        {"taper", "LineSeg( 5,-12, -20,-20, 1 );\nLineSeg( -20,-20, -30,-20, 1 );\nLineSeg( -30,-20, -30,-30, 1 );\n",
         60, 50, 0, 2, -10, -5, 1},
        {"hollow in the diameter",
         "LineSeg( 5,-20, -10,-20, 1 );\nArcByPoint( -20,-30, 14.142135623730951, -10,-20, -30,-20, 1, 1 );\n"
         "LineSeg( -30,-20, -40,-20, 1 );\nLineSeg( -40,-20, -40,-30, 1 );\n",
         60, 50, 0, 2, -10, -5, 1},
        {"groove",
         "LineSeg( 5,-20, -10,-20, 1 );\nLineSeg( -10,-20, -10,-17, 1 );\nLineSeg( -10,-17, -14,-17, 1 );\n"
         "LineSeg( -14,-17, -14,-20, 1 );\nLineSeg( -14,-20, -30,-20, 1 );\nLineSeg( -30,-20, -30,-30, 1 );\n",
         60, 50, 0, 2, -10, -5, 1},
        {"shaft with a land",
         "LineSeg( 5,-20, -15,-20, 1 );\nLineSeg( -15,-20, -15,-27, 1 );\nLineSeg( -15,-27, -25,-27, 1 );\n"
         "LineSeg( -25,-27, -25,-20, 1 );\nLineSeg( -25,-20, -40,-20, 1 );\nLineSeg( -40,-20, -40,-30, 1 );\n",
         60, 50, 0, 2, -10, -5, 2},
        {"two lands",
         "LineSeg( 5,-20, -10,-20, 1 );\nLineSeg( -10,-20, -10,-27, 1 );\nLineSeg( -10,-27, -15,-27, 1 );\n"
         "LineSeg( -15,-27, -15,-20, 1 );\nLineSeg( -15,-20, -25,-20, 1 );\nLineSeg( -25,-20, -25,-27, 1 );\n"
         "LineSeg( -25,-27, -30,-27, 1 );\nLineSeg( -30,-27, -30,-20, 1 );\nLineSeg( -30,-20, -45,-20, 1 );\n"
         "LineSeg( -45,-20, -45,-30, 1 );\n",
         60, 50, 0, 2, -10, -5, 3},
        {"undercut",
         "LineSeg( 5,-20, -10,-20, 1 );\nLineSeg( -10,-20, -14,-16, 1 );\nLineSeg( -14,-16, -18,-16, 1 );\n"
         "LineSeg( -18,-16, -18,-20, 1 );\nLineSeg( -18,-20, -30,-20, 1 );\nLineSeg( -30,-20, -30,-30, 1 );\n",
         60, 50, 0, 2, -10, -5, 1},
        {"faced end",
         "LineSeg( 0,1, 0,-12, 1 );\nLineSeg( 0,-12, -2,-14, 1 );\nLineSeg( -2,-14, -30,-14, 1 );\n"
         "LineSeg( -30,-14, -30,-30, 1 );\n",
         60, 50, 0, 2, -10, -5, 1},
        {"many steps",
         "LineSeg( 5,-8, -5,-8, 1 );\nLineSeg( -5,-8, -5,-10, 1 );\nLineSeg( -5,-10, -10,-10, 1 );\n"
         "LineSeg( -10,-10, -10,-12, 1 );\nLineSeg( -10,-12, -15,-12, 1 );\nLineSeg( -15,-12, -15,-14, 1 );\n"
         "LineSeg( -15,-14, -20,-14, 1 );\nLineSeg( -20,-14, -20,-16, 1 );\nLineSeg( -20,-16, -25,-16, 1 );\n"
         "LineSeg( -25,-16, -25,-18, 1 );\nLineSeg( -25,-18, -40,-18, 1 );\nLineSeg( -40,-18, -40,-30, 1 );\n",
         60, 50, 0, 2, -10, -5, 1},
        {"fillets both sides of a collar",
         "LineSeg( 5,-15, -8,-15, 1 );\nArcByPoint( -8,-17, 2, -8,-15, -10,-17, 1, 1 );\n"
         "LineSeg( -10,-17, -10,-20, 1 );\nLineSeg( -10,-20, -20,-20, 1 );\nLineSeg( -20,-20, -20,-17, 1 );\n"
         "ArcByPoint( -22,-17, 2, -20,-17, -22,-15, 1, 1 );\nLineSeg( -22,-15, -35,-15, 1 );\n"
         "LineSeg( -35,-15, -35,-30, 1 );\n",
         60, 50, 0, 2, -10, -5, 1},
        {"bore",
         "LineSeg( -40,-5, -40,-12, 1 );\nLineSeg( -40,-12, -20,-12, 1 );\nLineSeg( -20,-12, -20,-15, 1 );\nLineSeg( "
         "-20,-15, 5,-15, 1 );\n",
         60, 50, 20, 2, -10, -20, 1},
        {"bore with chamfer",
         "LineSeg( -30,-5, -30,-15, 1 );\nLineSeg( -30,-15, -2,-15, 1 );\nLineSeg( -2,-15, 0,-17, 1 );\nLineSeg( "
         "0,-17, 5,-17, 1 );\n",
         60, 50, 20, 2, -10, -20, 1},
        {"stepped bore with fillet",
         "LineSeg( -35,-5, -35,-12, 1 );\nLineSeg( -35,-12, -17,-12, 1 );\nLineSeg( -17,-12, -17,-14, 1 "
         ");\nArcByPoint( -15,-14, 2, -17,-14, -15,-16, 1, 1 );\nLineSeg( -15,-16, 5,-16, 1 );\n",
         60, 50, 20, 2, -10, -20, 1},
        {"bore taper", "LineSeg( -25,-5, -25,-12, 1 );\nLineSeg( -25,-12, 5,-16, 1 );\n", 60, 50, 20, 2, -10, -20, 1},
        {"long slim shaft",
         "LineSeg( 5,-6, -45,-6, 1 );\nLineSeg( -45,-6, -45,-9, 1 );\nLineSeg( -45,-9, -50,-9, 1 );\n"
         "LineSeg( -50,-9, -50,-30, 1 );\n",
         60, 50, 0, 2, -20, -3, 1},
    };
    return parts;
}

// The part of the corpus of that name.
inline const FixturePart& FixturePartNamed(const std::string& name) {
    for (const FixturePart& part : FixtureParts())
        if (part.name == name) return part;
    throw std::runtime_error("no fixture part " + name);
}

}  // namespace zarvento::test
