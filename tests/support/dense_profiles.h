// Profiles as CAD systems export curved faces: dense polylines through points
// of a smooth curve, rounded to a few decimals, so that neighbouring segments
// run nearly or exactly in line. Written in the units' script form.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/core/numbers.h"

namespace zarvento::test {

enum class DenseForm {
    WavyShaft,      // radius 10 rising to 28 over 100 mm with ripples of 0.02 (the race case's family)
    MonotoneShaft,  // radius 10 rising smoothly to 28 over 100 mm, never falling
    Bore,           // a bore from radius 8 at the bottom widening smoothly to 14 at the mouth
};

struct DenseProfile {
    std::string script;  // the part's section as unit scripts
    int first = 0;       // the units of the curved face: first .. last (from 0)
    int last = 0;
};

inline std::string DenseNumber(double v, int decimals) {
    char text[40];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    std::string s = text;
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    return s == "-0" ? "0" : s;
}

// n segments of the curve from z = 0 to z = -100, every point rounded to
// `decimals` places.
// - The shafts' sections: the front face at z = 0 down from the axis, the
//   curve, the back face at z = -100 up to the axis (units 1 .. n curved).
// - The bore's: the bottom at z = -100 from the bore out to radius 30, the
//   outside back to the front at z = 0, the front face in to the bore's mouth,
//   and the curve from the mouth down to the bottom (units 3 .. n + 2 curved).
inline DenseProfile DenseProfileOf(DenseForm form, int n, int decimals) {
    auto radius = [form](double depth) {
        switch (form) {
            case DenseForm::WavyShaft: return 10.0 + 0.18 * depth + 0.02 * std::sin(7.0 * depth);
            case DenseForm::MonotoneShaft: return 10.0 + 9.0 * (1.0 - std::cos(PI * depth / 100.0));
            case DenseForm::Bore: return 14.0 - 6.0 * (depth / 100.0) * (depth / 100.0);
        }
        return 0.0;
    };
    std::vector<std::string> z(static_cast<std::size_t>(n) + 1), x(static_cast<std::size_t>(n) + 1);
    for (int i = 0; i <= n; ++i) {
        const double depth = 100.0 * i / n;
        z[static_cast<std::size_t>(i)] = DenseNumber(-depth, decimals);
        x[static_cast<std::size_t>(i)] = DenseNumber(-radius(depth), decimals);
    }
    DenseProfile out;
    auto line = [&out](const std::string& z1, const std::string& x1, const std::string& z2, const std::string& x2) {
        out.script += "LineSeg( " + z1 + "," + x1 + ", " + z2 + "," + x2 + ", 1 );\n";
    };
    const std::size_t last = static_cast<std::size_t>(n);
    if (form == DenseForm::Bore) {
        line("-100", x[last], "-100", "-30");
        line("-100", "-30", "0", "-30");
        line("0", "-30", "0", x[0]);
        for (std::size_t i = 0; i < last; ++i) line(z[i], x[i], z[i + 1], x[i + 1]);
        out.first = 3;
        out.last = n + 2;
        return out;
    }
    line("0", "0", "0", x[0]);
    for (std::size_t i = 0; i < last; ++i) line(z[i], x[i], z[i + 1], x[i + 1]);
    line("-100", x[last], "-100", "0");
    out.first = 1;
    out.last = n;
    return out;
}

}  // namespace zarvento::test
