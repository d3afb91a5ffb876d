// The approximation of a body's projected outline by lines and arcs.
#include "platform/model_view.h"

#include <algorithm>
#include <cmath>

#include "platform/core/host_error.h"
#include "platform/core/numbers.h"

namespace zarvento {

namespace {

// The body's outline is kept to a few metres either way.
constexpr double kMaxCoordinate = 1e6;

double Cross(const OutlinePoint& o, const OutlinePoint& a, const OutlinePoint& b) {
    return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}

double Distance(const OutlinePoint& a, const OutlinePoint& b) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

// The distance of p from the segment a-b.
double SegmentDistance(const OutlinePoint& p, const OutlinePoint& a, const OutlinePoint& b) {
    const double dx = b[0] - a[0], dy = b[1] - a[1];
    const double len2 = dx * dx + dy * dy;
    if (len2 <= 0) return Distance(p, a);
    const double t = std::clamp(((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / len2, 0.0, 1.0);
    return Distance(p, {a[0] + t * dx, a[1] + t * dy});
}

// The circle through three points; false when they lie on one line.
bool CircleThrough(const OutlinePoint& a, const OutlinePoint& b, const OutlinePoint& c, OutlinePoint& centre,
                   double& radius) {
    const double d = 2 * (a[0] * (b[1] - c[1]) + b[0] * (c[1] - a[1]) + c[0] * (a[1] - b[1]));
    if (std::fabs(d) < 1e-12) return false;
    const double a2 = a[0] * a[0] + a[1] * a[1], b2 = b[0] * b[0] + b[1] * b[1], c2 = c[0] * c[0] + c[1] * c[1];
    centre = {(a2 * (b[1] - c[1]) + b2 * (c[1] - a[1]) + c2 * (a[1] - b[1])) / d,
              (a2 * (c[0] - b[0]) + b2 * (a[0] - c[0]) + c2 * (b[0] - a[0])) / d};
    radius = Distance(centre, a);
    return std::isfinite(radius);
}

}  // namespace

bool ModelViewOrientationByName(std::string_view name, ModelViewOrientation& out) {
    if (name == "#Снизу") {
        out = ModelViewOrientation::FromBelow;
        return true;
    }
    if (name == "#Сверху") {
        out = ModelViewOrientation::FromAbove;
        return true;
    }
    return false;
}

namespace {

// The chain as a closed run of its points and the first again, started at
// its sharpest corner: no arc runs through the run's start.
std::vector<OutlinePoint> FromSharpestCorner(const OutlineChain& chain) {
    const std::size_t n = chain.size();
    std::size_t first = 0;
    double sharpest = -1;
    for (std::size_t i = 0; i < n; ++i) {
        const OutlinePoint& prev = chain[(i + n - 1) % n];
        const OutlinePoint& next = chain[(i + 1) % n];
        const double a1 = std::atan2(chain[i][1] - prev[1], chain[i][0] - prev[0]);
        const double a2 = std::atan2(next[1] - chain[i][1], next[0] - chain[i][0]);
        const double turn = std::fabs(std::remainder(a2 - a1, 2 * PI));
        if (turn > sharpest) {
            sharpest = turn;
            first = i;
        }
    }
    std::vector<OutlinePoint> q(n + 1);
    for (std::size_t i = 0; i <= n; ++i) q[i] = chain[(first + i) % n];
    return q;
}

// An arc from q[i] to q[j] through q[(i+j)/2] that passes every point in
// between within `within`, turning one way by less than a half turn.
bool ArcHolds(const std::vector<OutlinePoint>& q, std::size_t i, std::size_t j, double within, double tolerance,
              OutlinePiece& arc) {
    OutlinePoint c;
    double r = 0;
    if (!CircleThrough(q[i], q[(i + j) / 2], q[j], c, r) || r > kMaxCoordinate) return false;
    const int direction = Cross(q[i], q[(i + j) / 2], q[j]) > 0 ? 1 : -1;
    double sweep = 0;
    for (std::size_t k = i; k < j; ++k) {
        if (std::fabs(Distance(q[k + 1], c) - r) > within) return false;
        const double step = std::atan2(Cross(c, q[k], q[k + 1]), (q[k][0] - c[0]) * (q[k + 1][0] - c[0]) +
                                                                     (q[k][1] - c[1]) * (q[k + 1][1] - c[1]));
        if (step * direction < 0) return false;
        // The chord between two points must stay near the arc too.
        if (r * (1 - std::cos(step / 2)) > tolerance) return false;
        sweep += std::fabs(step);
    }
    if (sweep >= PI) return false;
    arc.kind = OutlinePiece::kArc;
    arc.start = q[i];
    arc.end = q[j];
    arc.centre = c;
    arc.radius = r;
    arc.direction = direction;
    return true;
}

}  // namespace

std::vector<OutlinePiece> ApproximateOutline(const OutlineChain& chain, double tolerance) {
    const std::size_t n = chain.size();
    if (n < 2) return {};
    const std::vector<OutlinePoint> q = FromSharpestCorner(chain);

    // Points on the body's own lines and circles fit them to within the
    // clipper's rounding; pieces are first sought that close, so that a line
    // ends where its arc begins instead of running into it, and within the
    // tolerance only where no close fit goes on.
    const double close = tolerance * 0.01;
    auto lineHolds = [&](std::size_t i, std::size_t j, double within) {
        for (std::size_t k = i + 1; k < j; ++k)
            if (SegmentDistance(q[k], q[i], q[j]) > within) return false;
        return true;
    };
    auto arcHolds = [&](std::size_t i, std::size_t j, double within, OutlinePiece& arc) {
        return ArcHolds(q, i, j, within, tolerance, arc);
    };
    auto lineEnd = [&](std::size_t i, double within) {
        std::size_t end = i + 1;
        while (end + 1 <= n && lineHolds(i, end + 1, within)) ++end;
        return end;
    };
    // The furthest end of an arc from q[i] over at least `fewest` steps; i
    // for none.
    auto arcEnd = [&](std::size_t i, double within, std::size_t fewest, OutlinePiece& arc) {
        std::size_t end = i;
        OutlinePiece candidate;
        for (std::size_t j = i + fewest; j <= n && arcHolds(i, j, within, candidate); ++j) {
            end = j;
            arc = candidate;
        }
        return end;
    };

    std::vector<OutlinePiece> pieces;
    auto addLine = [&](std::size_t i, std::size_t j) {
        OutlinePiece line;
        line.start = q[i];
        line.end = q[j];
        if (Distance(line.start, line.end) > 0) pieces.push_back(line);
    };
    for (std::size_t i = 0; i < n;) {
        OutlinePiece arc, next;
        const std::size_t closeLine = lineEnd(i, close);
        const std::size_t closeArc = arcEnd(i, close, 3, arc);
        if (closeArc > i && closeArc >= closeLine) {
            pieces.push_back(arc);
            i = closeArc;
        } else if (closeLine >= i + 2 || (i + 1 < n && arcEnd(i + 1, close, 3, next) > i + 1)) {
            addLine(i, closeLine);
            i = closeLine;
        } else {
            const std::size_t looseLine = lineEnd(i, tolerance);
            const std::size_t looseArc = arcEnd(i, tolerance, 2, arc);
            if (looseArc > looseLine) {
                pieces.push_back(arc);
                i = looseArc;
            } else {
                addLine(i, looseLine);
                i = looseLine;
            }
        }
    }
    return pieces;
}

}  // namespace zarvento
