// Random turned parts of the operation suites: outer profiles inside a bar
// of 50 from z = -58 to z = 2, and bores in that bar bored to 12, each as the
// working profile in the units' script form with the part as far as the bar
// holds it.
#pragma once

#include <algorithm>
#include <random>
#include <string>

#include "platform/core/variant.h"

namespace zarvento::test {

// An outer profile inside the bar of the fixture, from beyond its face
// towards -Z: diameters, tapers, steps up with or without a fillet at the
// foot and a round on the edge, now and then a step down into a pocket; last
// the shoulder out past the bar. `inBar` is the same part as far as the bar
// holds it, closed by the bar's face: what the tool must keep clear of.
struct RandomProfile {
    std::string text, inBar;
};

// A profile written unit by unit in the script form, each unit from where
// the one before it ended.
struct ProfileWriter {
    std::string text;
    double z, x;

    void Line(double z2, double x2) {
        text += "LineSeg( " + FormatDouble(z) + "," + FormatDouble(x) + ", " + FormatDouble(z2) + "," +
                FormatDouble(x2) + ", 1 );\n";
        z = z2;
        x = x2;
    }
    void Arc(double cz, double cx, double r, double z2, double x2, int dir) {
        text += "ArcByPoint( " + FormatDouble(cz) + "," + FormatDouble(cx) + ", " + FormatDouble(r) + ", " +
                FormatDouble(z) + "," + FormatDouble(x) + ", " + FormatDouble(z2) + "," + FormatDouble(x2) + ", " +
                std::to_string(dir) + ", 1 );\n";
        z = z2;
        x = x2;
    }
};

// Features along the profile from where it stands towards -Z, `features` of
// them at most while it has length left: diameters, tapers, steps up with or
// without a fillet at the foot and a round on the edge, now and then a step
// down into a pocket.
inline void AddRandomFeatures(ProfileWriter& w, std::mt19937& random, int features) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto between = [&](double lo, double hi) { return lo + (hi - lo) * unit(random); };
    double& z = w.z;
    double& x = w.x;
    for (int f = 0; f < features && z > -38.0; ++f) {
        if (f > 0) w.Line(z - between(1.0, 5.0), x);
        const int kind = static_cast<int>(random() % 8);
        if (kind < 2) {  // taper, mostly growing
            w.Line(z - between(1.0, 6.0), std::clamp(x - between(-1.5, 4.0), -23.0, -6.0));
        } else if (kind < 7) {  // step up
            const double x2 = std::max(x - between(1.0, 5.0), -23.0);
            if (x2 > x - 0.5) continue;
            const double foot = random() % 2 ? between(0.1, 0.45) * (x - x2) : 0.0;
            const double edge = random() % 2 ? between(0.1, 0.45) * (x - x2) : 0.0;
            if (foot > 0) w.Arc(z, x - foot, foot, z - foot, x - foot, 1);
            w.Line(z, x2 + edge);
            if (edge > 0) w.Arc(z - edge, x2 + edge, edge, z - edge, x2, -1);
        } else {  // step down into a pocket
            w.Line(z, std::min(x + between(0.5, 3.0), -6.0));
        }
    }
}

// The face at z = 0 from the axis to the diameter x0, with a chamfer or a
// round on its edge now and then.
inline void AddRandomFace(ProfileWriter& w, std::mt19937& random, double x0) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const int edge = static_cast<int>(random() % 3);
    const double e = 0.5 + 1.5 * unit(random);
    if (edge == 0) {
        w.Line(0.0, x0);
    } else if (edge == 1) {  // a chamfer
        w.Line(0.0, x0 + e);
        w.Line(-e, x0);
    } else {  // a round
        w.Line(0.0, x0 + e);
        w.Arc(-e, x0 + e, e, -e, x0, -1);
    }
}

inline RandomProfile RandomOuterProfile(std::mt19937& random) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto between = [&](double lo, double hi) { return lo + (hi - lo) * unit(random); };
    ProfileWriter w{"", 2.0, -between(6.0, 20.0)};
    double& z = w.z;
    double& x = w.x;
    // The first diameter starts beyond the bar's face at z = 2 and runs on into the bar.
    const std::string face = "LineSeg( 2,0, 2," + FormatDouble(x) + ", 1 );\n";
    const std::string beyond = "LineSeg( 5," + FormatDouble(x) + ", 2," + FormatDouble(x) + ", 1 );\n";
    w.Line(between(-3.0, 0.0), x);
    const int features = 1 + static_cast<int>(random() % 6);
    AddRandomFeatures(w, random, features);
    w.Line(z - between(1.0, 5.0), x);
    w.Line(z, -30.0);
    return {beyond + w.text, face + w.text};
}

// How a random shaft's working contour begins and ends.
struct ShaftEnds {
    bool face = false;   // from the axis up the face at z = 0, under the bar's 2 mm
    bool chuck = false;  // the last diameter runs on to the bar's back end, where the chuck holds it
};

// A random shaft in the bar of the fixture: as RandomOuterProfile, and with
// `ends` the face in the working contour (a chamfer or a round on its edge
// now and then) or the last diameter running to the chuck. `inBar` is the
// part closed along the axis; the chuck's side is left open past the bar.
inline RandomProfile RandomShaftProfile(std::mt19937& random, ShaftEnds ends) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto between = [&](double lo, double hi) { return lo + (hi - lo) * unit(random); };
    const double x0 = -between(6.0, 20.0);
    ProfileWriter w{"", ends.face ? 0.0 : 2.0, ends.face ? 0.0 : x0};
    double& z = w.z;
    double& x = w.x;
    std::string head;
    if (ends.face) {
        AddRandomFace(w, random, x0);
    } else {
        head = "LineSeg( 5," + FormatDouble(x0) + ", 2," + FormatDouble(x0) + ", 1 );\n";
    }
    const std::string face = ends.face ? "" : "LineSeg( 2,0, 2," + FormatDouble(x0) + ", 1 );\n";
    w.Line(z - between(1.0, 4.0), x);
    const int features = 1 + static_cast<int>(random() % 5);
    AddRandomFeatures(w, random, features);
    if (ends.chuck) {
        w.Line(-58.0, x);
        return {head + w.text, face + w.text + "LineSeg( -58," + FormatDouble(x) + ", -58,-25, 1 );\n"};
    }
    w.Line(z - between(1.0, 5.0), x);
    w.Line(z, -30.0);
    return {head + w.text, face + w.text};
}

// A random shaft shorter than the bar of the fixture: its face at z = 0 as
// with ShaftEnds::face, features as RandomOuterProfile's, and its back face
// down to the axis at `backZ`, where it is to be cut off from the bar. The
// profile runs from the axis at the face to the axis at the back face; its
// units from the second to `lastWork` (counted from 1) are the outside
// between the face and the back face.
struct BackFaceProfile {
    std::string text;
    int lastWork = 0;
    double backZ = 0.0;
};

inline BackFaceProfile RandomBackFaceProfile(std::mt19937& random) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto between = [&](double lo, double hi) { return lo + (hi - lo) * unit(random); };
    const double x0 = -between(6.0, 20.0);
    ProfileWriter w{"", 0.0, 0.0};
    AddRandomFace(w, random, x0);
    w.Line(w.z - between(1.0, 4.0), w.x);
    AddRandomFeatures(w, random, 1 + static_cast<int>(random() % 5));
    w.Line(w.z - between(1.0, 5.0), w.x);
    BackFaceProfile p;
    p.lastWork = static_cast<int>(std::count(w.text.begin(), w.text.end(), '\n'));
    p.backZ = w.z;
    w.Line(w.z, 0.0);
    p.text = w.text;
    return p;
}

// The hole of the bar the bores are turned in, and a point of every bored part.
inline constexpr double kBoreBarInner = 12.0, kBoreInnerZ = -10.0, kBoreInnerX = -24.0;

// Features of a bore from where it stands towards +Z while it is short of
// z = -12, `features` of them at most: diameters, tapers, steps widening
// towards the face with a round on the edge or a fillet in the corner, now
// and then a narrower step behind which the bore is recessed.
inline void AddRandomBoreFeatures(ProfileWriter& w, std::mt19937& random, int features) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto between = [&](double lo, double hi) { return lo + (hi - lo) * unit(random); };
    double& z = w.z;
    double& x = w.x;
    for (int f = 0; f < features && z < -12.0; ++f) {
        w.Line(z + between(1.0, 5.0), x);
        const int kind = static_cast<int>(random() % 10);
        if (kind < 2) {  // taper, mostly widening
            w.Line(z + between(1.0, 6.0), std::clamp(x - between(-1.5, 4.0), -23.0, -11.0));
        } else if (kind < 6) {  // step wider
            const double x2 = std::max(x - between(1.0, 5.0), -23.0);
            if (x2 > x - 0.5) continue;
            const double edge = random() % 2 ? between(0.1, 0.45) * (x - x2) : 0.0;
            const double corner = random() % 2 ? between(0.1, 0.45) * (x - x2) : 0.0;
            if (edge > 0) w.Arc(z, x - edge, edge, z + edge, x - edge, -1);
            w.Line(z, x2 + corner);
            if (corner > 0) w.Arc(z + corner, x2 + corner, corner, z + corner, x2, 1);
        } else if (kind < 7) {  // step wider by a chamfer
            const double c = std::min(between(0.5, 3.0), x + 23.0);
            if (c > 0.1) w.Line(z + c, x - c);
        } else if (kind < 9) {  // a hollow into the wall or a bulge out of it, along a diameter
            const double length = between(2.0, 6.0);
            const bool hollow = random() % 2 || x > -12.0;
            const double h = std::min(between(0.3, 0.5 * length), hollow ? x + 23.0 : -11.0 - x);
            if (h < 0.1) continue;
            const double r = (length * length / 4.0 + h * h) / (2.0 * h);
            const double cx = hollow ? x - h + r : x + h - r;
            w.Arc(z + length / 2.0, cx, r, z + length, x, hollow ? 1 : -1);
        } else {  // a narrower step: the bore behind it is a recess
            w.Line(z, std::min(x + between(0.5, 3.0), -11.0));
        }
    }
}

// The mouth of a bore out to the bar's face at z = 2, now and then with a
// chamfer, and on out past it: the profile's end and the end of its part
// (from `inBar`, closed by the bar's face out to the rim).
inline RandomProfile FinishBoreMouth(ProfileWriter& w, std::mt19937& random, const std::string& inBar) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto between = [&](double lo, double hi) { return lo + (hi - lo) * unit(random); };
    if (random() % 2 && w.z < -4.0 && w.x > -22.0) {
        const double c = between(0.5, std::min(2.5, w.x + 23.0));
        w.Line(2.0 - c, w.x);
        w.Line(2.0, w.x - c);
        const std::string x = FormatDouble(w.x);
        return {w.text + "LineSeg( 2," + x + ", 5," + x + ", 1 );\n",
                inBar + w.text + "LineSeg( 2," + x + ", 2,-25, 1 );\n"};
    }
    // The last diameter runs out past the face; the part ends at it.
    const std::string last = "LineSeg( " + FormatDouble(w.z) + "," + FormatDouble(w.x) + ", ";
    const std::string x = FormatDouble(w.x);
    return {w.text + last + "5," + x + ", 1 );\n",
            inBar + w.text + last + "2," + x + ", 1 );\nLineSeg( 2," + x + ", 2,-25, 1 );\n"};
}

// A bore in a bar bored to 12, the way an inner profile runs: from its bottom
// face, which starts inside the bar's hole, towards +Z and on out past the
// bar's face at z = 2, with the features of AddRandomBoreFeatures. `inBar`
// starts the bottom at the hole's wall and closes the bore by the bar's face
// out to the rim.
inline RandomProfile RandomBoreProfile(std::mt19937& random) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto between = [&](double lo, double hi) { return lo + (hi - lo) * unit(random); };
    const double hole = -kBoreBarInner / 2.0, bottom = -between(15.0, 40.0);
    ProfileWriter w{"", bottom, -between(11.0, 16.0)};
    const double x = w.x;
    // The bottom is flat or the cone a drill leaves, deepest at the axis.
    const double point = random() % 3 ? 0.0 : between(0.5, 3.0);
    const double atHole = bottom - point * (x - hole) / (x + 2.0);
    const std::string inside = "LineSeg( " + FormatDouble(bottom - point) + ",-2, " + FormatDouble(bottom) + "," +
                               FormatDouble(x) + ", 1 );\n";
    const std::string fromHole = "LineSeg( " + FormatDouble(atHole) + "," + FormatDouble(hole) + ", " +
                                 FormatDouble(bottom) + "," + FormatDouble(x) + ", 1 );\n";
    AddRandomBoreFeatures(w, random, 1 + static_cast<int>(random() % 6));
    RandomProfile p = FinishBoreMouth(w, random, fromHole);
    p.text = inside + p.text;
    return p;
}

// A bore through the whole bar: from the bar's back end at z = -58, where
// the chuck holds it, towards +Z as RandomBoreProfile's, and out past the
// face. `inBar` is the same profile.
inline RandomProfile RandomThroughBoreProfile(std::mt19937& random) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    ProfileWriter w{"", -58.0, -11.0 - 5.0 * unit(random)};
    AddRandomBoreFeatures(w, random, 1 + static_cast<int>(random() % 6));
    return FinishBoreMouth(w, random, "");
}

}  // namespace zarvento::test
