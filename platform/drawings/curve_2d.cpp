// Curve2D: exact point, box, distance and crossing computations for segments and arcs.
#include "platform/drawings/curve_2d.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/core/numbers.h"

namespace zarvento {

namespace {

constexpr double kTwoPi = 2.0 * PI;

Point2D Diff(Point2D p, Point2D q) { return {p.x - q.x, p.y - q.y}; }
double Dot(Point2D p, Point2D q) { return p.x * q.x + p.y * q.y; }
double Cross(Point2D p, Point2D q) { return p.x * q.y - p.y * q.x; }
// Coordinates stay far below the range where hypot's care would matter, and it is slow.
double Len(double dx, double dy) { return std::sqrt(dx * dx + dy * dy); }

// Angle travelled from the arc's start to direction `phi`, in [0, 2*pi).
double AngleFromStart(const Curve2D& arc, double phi) {
    return arc.sweep >= 0 ? NormalizeAngle(phi - arc.a0) : NormalizeAngle(arc.a0 - phi);
}

bool AngleOnArc(const Curve2D& arc, double phi) { return AngleFromStart(arc, phi) <= std::abs(arc.sweep); }

// Parameter of a point near the arc's circle, or none when its direction lies
// outside the arc by more than the tolerance.
std::optional<double> ArcParam(const Curve2D& arc, Point2D p, double tol) {
    const double span = std::abs(arc.sweep);
    const double angTol = tol / arc.r;
    const double delta = AngleFromStart(arc, std::atan2(p.y - arc.c.y, p.x - arc.c.x));
    if (delta <= span + angTol) return std::min(delta, span) / span;
    if (delta >= kTwoPi - angTol) return 0.0;
    return std::nullopt;
}

std::optional<double> LineParam(const Curve2D& line, Point2D p, double tol) {
    const Point2D d = Diff(line.b, line.a);
    const double len2 = Dot(d, d);
    const double s = Dot(Diff(p, line.a), d) / len2;
    const double sTol = tol / std::sqrt(len2);
    if (s < -sTol || s > 1.0 + sTol) return std::nullopt;
    return std::clamp(s, 0.0, 1.0);
}

std::optional<double> ParamWithTol(const Curve2D& c, Point2D p, double tol) {
    return c.arc ? ArcParam(c, p, tol) : LineParam(c, p, tol);
}

void AddHit(const Curve2D& p, const Curve2D& q, Point2D x, double tol, std::vector<CurveHit>& out) {
    const auto t1 = ParamWithTol(p, x, tol);
    if (!t1) return;
    const auto t2 = ParamWithTol(q, x, tol);
    if (!t2) return;
    out.push_back({x, *t1, *t2});
}

// Ends of each piece lying on the other: the crossings of two pieces on one carrier.
void OverlapHits(const Curve2D& p, const Curve2D& q, double tol, std::vector<CurveHit>& out) {
    for (Point2D e : {q.a, q.b})
        if (p.Distance(e) <= tol) AddHit(p, q, e, tol, out);
    for (Point2D e : {p.a, p.b})
        if (q.Distance(e) <= tol) AddHit(p, q, e, tol, out);
}

void LineLine(const Curve2D& p, const Curve2D& q, double tol, std::vector<CurveHit>& out) {
    const Point2D d1 = Diff(p.b, p.a);
    const Point2D d2 = Diff(q.b, q.a);
    const double l1 = Len(d1.x, d1.y);
    const double l2 = Len(d2.x, d2.y);
    const double denom = Cross(d1, d2);
    const Point2D w = Diff(q.a, p.a);
    if (std::abs(denom) <= 1e-14 * l1 * l2) {
        if (std::abs(Cross(d1, w)) / l1 <= tol) OverlapHits(p, q, tol, out);
        return;
    }
    const double t = Cross(w, d2) / denom;
    const double u = Cross(w, d1) / denom;
    if (t < -tol / l1 || t > 1.0 + tol / l1 || u < -tol / l2 || u > 1.0 + tol / l2) return;
    const double tc = std::clamp(t, 0.0, 1.0);
    out.push_back({p.At(tc), tc, std::clamp(u, 0.0, 1.0)});
}

void LineArc(const Curve2D& line, const Curve2D& arc, bool swapped, double tol, std::vector<CurveHit>& out) {
    const Point2D d0 = Diff(line.b, line.a);
    const double len = Len(d0.x, d0.y);
    const Point2D d{d0.x / len, d0.y / len};
    const Point2D ac = Diff(arc.c, line.a);
    const double s0 = Dot(ac, d);
    const double h = Cross(d, ac);
    if (std::abs(h) > arc.r + tol) return;
    const double w = std::sqrt(std::max(0.0, arc.r * arc.r - h * h));
    const double ss[2] = {s0 - w, s0 + w};
    const int n = w <= tol ? 1 : 2;
    for (int i = 0; i < n; ++i) {
        const double s = n == 1 ? s0 : ss[i];
        const Point2D x{line.a.x + s * d.x, line.a.y + s * d.y};
        if (swapped)
            AddHit(arc, line, x, tol, out);
        else
            AddHit(line, arc, x, tol, out);
    }
}

void ArcArc(const Curve2D& p, const Curve2D& q, double tol, std::vector<CurveHit>& out) {
    const Point2D dc = Diff(q.c, p.c);
    const double dist = Len(dc.x, dc.y);
    if (dist <= tol) {
        if (std::abs(p.r - q.r) <= tol) OverlapHits(p, q, tol, out);
        return;
    }
    if (dist > p.r + q.r + tol || dist < std::abs(p.r - q.r) - tol) return;
    const double along = (p.r * p.r - q.r * q.r + dist * dist) / (2.0 * dist);
    const double h = std::sqrt(std::max(0.0, p.r * p.r - along * along));
    const Point2D u{dc.x / dist, dc.y / dist};
    const Point2D base{p.c.x + along * u.x, p.c.y + along * u.y};
    if (h <= tol) {
        AddHit(p, q, base, tol, out);
        return;
    }
    AddHit(p, q, {base.x - h * u.y, base.y + h * u.x}, tol, out);
    AddHit(p, q, {base.x + h * u.y, base.y - h * u.x}, tol, out);
}

// The points of an arc's circle on the line through its centre along `u`
// that lie on the arc: where the distance to another piece can be least
// away from both pieces' ends.
void CirclePointsAlong(const Curve2D& arc, Point2D u, std::vector<Point2D>& out) {
    for (double s : {1.0, -1.0}) {
        const Point2D p{arc.c.x + s * arc.r * u.x, arc.c.y + s * arc.r * u.y};
        if (AngleOnArc(arc, std::atan2(s * u.y, s * u.x))) out.push_back(p);
    }
}

}  // namespace

double Dist(Point2D p, Point2D q) { return Len(p.x - q.x, p.y - q.y); }

double NormalizeAngle(double a) {
    a = std::fmod(a, kTwoPi);
    if (a < 0) a += kTwoPi;
    return a >= kTwoPi ? 0.0 : a;
}

Curve2D Curve2D::Line(Point2D from, Point2D to) {
    Curve2D c;
    c.a = from;
    c.b = to;
    return c;
}

Curve2D Curve2D::Arc(Point2D centre, double radius, double startAngle, double signedSweep) {
    Curve2D c;
    c.arc = true;
    c.c = centre;
    c.r = radius;
    c.a0 = startAngle;
    c.sweep = signedSweep;
    c.a = {centre.x + radius * std::cos(startAngle), centre.y + radius * std::sin(startAngle)};
    const double e = startAngle + signedSweep;
    c.b = {centre.x + radius * std::cos(e), centre.y + radius * std::sin(e)};
    return c;
}

double Curve2D::Length() const { return arc ? r * std::abs(sweep) : Dist(a, b); }

Point2D Curve2D::At(double t) const {
    if (t <= 0) return a;
    if (t >= 1) return b;
    if (!arc) return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
    const double phi = a0 + t * sweep;
    return {c.x + r * std::cos(phi), c.y + r * std::sin(phi)};
}

Point2D Curve2D::Tangent(double t) const {
    if (!arc) {
        const double len = Dist(a, b);
        return {(b.x - a.x) / len, (b.y - a.y) / len};
    }
    const double phi = a0 + std::clamp(t, 0.0, 1.0) * sweep;
    const double s = sweep < 0 ? -1.0 : 1.0;
    return {-s * std::sin(phi), s * std::cos(phi)};
}

Box2D Curve2D::Box() const {
    Box2D box{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    if (!arc) return box;
    for (int k = 0; k < 4; ++k) {
        const double phi = k * PI / 2;
        if (!AngleOnArc(*this, phi)) continue;
        const Point2D p{c.x + r * std::cos(phi), c.y + r * std::sin(phi)};
        box.Add({p.x, p.y, p.x, p.y});
    }
    return box;
}

double Curve2D::Distance(Point2D p) const {
    if (!arc) {
        const Point2D d = Diff(b, a);
        const double len2 = Dot(d, d);
        const double s = len2 > 0 ? std::clamp(Dot(Diff(p, a), d) / len2, 0.0, 1.0) : 0.0;
        return Dist(p, {a.x + s * d.x, a.y + s * d.y});
    }
    const double fromCentre = Dist(p, c);
    if (fromCentre > 0 && AngleOnArc(*this, std::atan2(p.y - c.y, p.x - c.x))) return std::abs(fromCentre - r);
    if (fromCentre == 0) return r;
    return std::min(Dist(p, a), Dist(p, b));
}

double Curve2D::ParamOf(Point2D p) const {
    if (!arc) {
        const Point2D d = Diff(b, a);
        const double len2 = Dot(d, d);
        return len2 > 0 ? std::clamp(Dot(Diff(p, a), d) / len2, 0.0, 1.0) : 0.0;
    }
    const double span = std::abs(sweep);
    const double delta = AngleFromStart(*this, std::atan2(p.y - c.y, p.x - c.x));
    if (delta <= span) return delta / span;
    return delta - span < kTwoPi - delta ? 1.0 : 0.0;
}

Curve2D Curve2D::Sub(double t1, double t2, Point2D p1, Point2D p2) const {
    Curve2D s = *this;
    s.a = p1;
    s.b = p2;
    if (arc) {
        s.a0 = a0 + t1 * sweep;
        s.sweep = (t2 - t1) * sweep;
    }
    return s;
}

namespace {

// The distance between two segments: 0 when they cross, else from an end of
// one to the other.
double SegmentDistance(const Curve2D& p, const Curve2D& q) {
    const Point2D d1 = Diff(p.b, p.a), d2 = Diff(q.b, q.a);
    const double s1 = Cross(d1, Diff(q.a, p.a)), s2 = Cross(d1, Diff(q.b, p.a));
    const double s3 = Cross(d2, Diff(p.a, q.a)), s4 = Cross(d2, Diff(p.b, q.a));
    if (((s1 > 0 && s2 < 0) || (s1 < 0 && s2 > 0)) && ((s3 > 0 && s4 < 0) || (s3 < 0 && s4 > 0))) return 0.0;
    return std::min({p.Distance(q.a), p.Distance(q.b), q.Distance(p.a), q.Distance(p.b)});
}

}  // namespace

double CurveDistance(const Curve2D& p, const Curve2D& q) {
    if (!p.arc && !q.arc) return SegmentDistance(p, q);
    // Callers measure many pairs: the crossings go into one buffer.
    thread_local std::vector<CurveHit> hits;
    hits.clear();
    IntersectCurves(p, q, 0.0, hits);
    if (!hits.empty()) return 0.0;
    // Apart, the nearest pair has an end of one piece in it, or lies on a
    // normal common to both: a line's normal through an arc's centre, or the
    // line through two arcs' centres.
    double best = std::min({p.Distance(q.a), p.Distance(q.b), q.Distance(p.a), q.Distance(p.b)});
    std::vector<Point2D> onP, onQ;
    if (p.arc != q.arc) {
        const Curve2D& line = p.arc ? q : p;
        const Curve2D& arc = p.arc ? p : q;
        const Point2D d = Diff(line.b, line.a);
        const double len = Len(d.x, d.y);
        if (len > 0) CirclePointsAlong(arc, {-d.y / len, d.x / len}, p.arc ? onP : onQ);
    } else if (p.arc) {
        const Point2D dc = Diff(q.c, p.c);
        const double dist = Len(dc.x, dc.y);
        if (dist > 0) {
            const Point2D u{dc.x / dist, dc.y / dist};
            CirclePointsAlong(p, u, onP);
            CirclePointsAlong(q, u, onQ);
        } else {
            // One centre: where the arcs share a direction their distance is
            // the difference of the radii.
            const bool shared = AngleOnArc(p, std::atan2(q.a.y - q.c.y, q.a.x - q.c.x)) ||
                                AngleOnArc(p, std::atan2(q.b.y - q.c.y, q.b.x - q.c.x)) ||
                                AngleOnArc(q, std::atan2(p.a.y - p.c.y, p.a.x - p.c.x));
            if (shared) best = std::min(best, std::abs(p.r - q.r));
        }
    }
    for (Point2D e : onP) best = std::min(best, q.Distance(e));
    for (Point2D e : onQ) best = std::min(best, p.Distance(e));
    return best;
}

void IntersectCurves(const Curve2D& p, const Curve2D& q, double tol, std::vector<CurveHit>& out) {
    if (!p.arc && !q.arc)
        LineLine(p, q, tol, out);
    else if (!p.arc)
        LineArc(p, q, false, tol, out);
    else if (!q.arc)
        LineArc(q, p, true, tol, out);
    else
        ArcArc(p, q, tol, out);
}

}  // namespace zarvento
