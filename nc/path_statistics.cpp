// The time of a cut under constant cutting speed.
#include "nc/path_statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "geometry/primitives.h"
#include "platform/core/numbers.h"

namespace zarvento {

namespace {

// Minutes for a stretch at a spindle speed; a stretch too short to count or
// a speed that is no number of turns adds nothing.
double StretchTime(double stretch, double speed, double feed) {
    if (!(stretch > 1e-6) || !(speed > EPS) || !std::isfinite(speed)) return 0.0;
    return stretch / speed / feed;
}

}  // namespace

double ConstantSpeedTime(double length, double r1, double r2, double cuttingSpeed, double minSpeed, double maxSpeed,
                         double feed) {
    if (!(length > EPS) || !(feed > EPS) || !(cuttingSpeed > EPS) || !std::isfinite(length)) return 0.0;
    const double rmin = std::min(r1, r2), rmax = std::max(r1, r2);
    const double k = cuttingSpeed * 500.0 / PI;
    // Beyond rA the spindle stays at its minimum, below rB at its maximum.
    const double rA = minSpeed > EPS ? k / minSpeed : std::numeric_limits<double>::infinity();
    const double rB = maxSpeed > EPS ? k / maxSpeed : 0.0;
    if (rB > rmax) return StretchTime(length, maxSpeed, feed);
    if (rmin > rA) return StretchTime(length, minSpeed, feed);
    const double span = rmax - rmin;
    const double l1 = rB > rmin && span > 0.0 ? (rB - rmin) * length / span : 0.0;
    const double l2 = rmax > rA && span > 0.0 ? (rmax - rA) * length / span : 0.0;
    const double r1Mid = std::max(rmin, rB), r2Mid = std::min(rmax, rA);
    const double middleSpeed = 1000.0 * cuttingSpeed / PI / (r1Mid + r2Mid);
    const double time = StretchTime(l1, maxSpeed, feed) + StretchTime(l2, minSpeed, feed) +
                        StretchTime(length - l1 - l2, middleSpeed, feed);
    return std::isfinite(time) ? time : 0.0;
}

}  // namespace zarvento
