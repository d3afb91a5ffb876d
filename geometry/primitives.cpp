// Point comparisons, distances, angles and the line/circle intersections.
#include "geometry/primitives.h"

#include <cmath>

#include "platform/core/process_state.h"

namespace zarvento {

double EPS = kDefaultEps;

ZARVENTO_STATE_RESET { EPS = kDefaultEps; }

bool IsEqualPoint(double a1, double b1, double a2, double b2) {
    return std::fabs(a1 - a2) < EPS && std::fabs(b1 - b2) < EPS;
}

double Distance(double a1, double b1, double a2, double b2) { return std::sqrt(Distance2(a1, b1, a2, b2)); }

double Distance2(double a1, double b1, double a2, double b2) {
    const double da = a2 - a1;
    const double db = b2 - b1;
    return da * da + db * db;
}

double Distance3D(double x1, double y1, double z1, double x2, double y2, double z2) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double dz = z2 - z1;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

bool IsEqualPoint3D(double x1, double y1, double z1, double x2, double y2, double z2) {
    return std::fabs(x1 - x2) < EPS && std::fabs(y1 - y2) < EPS && std::fabs(z1 - z2) < EPS;
}

double DistPointLine(double pa, double pb, double a1, double b1, double a2, double b2, double L) {
    const double da = a2 - a1;
    const double db = b2 - b1;
    if (L < 0.0) L = std::sqrt(da * da + db * db);
    const double num = std::fabs(db * pa - da * pb + (b1 * a2 - a1 * b2));
    // Two equal line points: the distance to that point is the only sensible answer.
    if (L == 0.0) return Distance(pa, pb, a1, b1);
    return num / L;
}

double AngleOfVector(double a1, double b1, double a2, double b2) {
    const double da = a2 - a1;
    const double db = b2 - b1;
    const double eps2 = EPS * EPS;
    if (std::fabs(da) < eps2) return b2 > b1 ? PI / 2 : 3 * PI / 2;
    if (std::fabs(db) < eps2) return a2 > a1 ? 0.0 : PI;
    double ang = std::atan2(db, da);
    if (ang < 0.0) ang += 2 * PI;
    return ang;
}

int IntersectLines(double a1, double b1, double a2, double b2, double a3, double b3, double a4, double b4, double& a,
                   double& b) {
    const double d1a = a2 - a1, d1b = b2 - b1;
    const double d2a = a4 - a3, d2b = b4 - b3;
    const double det = d2a * d1b - d2b * d1a;
    const double L1 = std::sqrt(d1a * d1a + d1b * d1b), L2 = std::sqrt(d2a * d2a + d2b * d2b);
    if (L1 > 0.0 && L2 > 0.0) {
        // Like with like: the angle between the lines (its sine) against the
        // direction tolerance EPS squared, their distance against EPS. Short
        // units that turn by a few micro-radians still meet where they meet,
        // which is what keeps an offset of a dense polyline in one piece.
        if (std::fabs(det) > EPS * EPS * L1 * L2) {
            // About the first line's start, so that the point carries the
            // rounding of the lines' lengths and not of their coordinates.
            const double c2 = d2a * (b3 - b1) - d2b * (a3 - a1);
            a = a1 + c2 * d1a / det;
            b = b1 + c2 * d1b / det;
            return 1;
        }
        return DistPointLine(a3, b3, a1, b1, a2, b2, L1) < EPS ? -1 : 0;
    }
    // A line without length: the carriers' constants decide, as they always have.
    const double c1 = d1a * b1 - d1b * a1;
    const double c2 = d2a * b3 - d2b * a3;
    if (std::fabs(c2 * d1b - d2b * c1) < EPS && std::fabs(c2 * d1a - d2a * c1) < EPS) return -1;
    return 0;
}

int IntersectLineOriginCircle(double A, double B, double C, double r, Point2& p1, Point2& p2, double N) {
    if (N < 0.0) N = std::sqrt(A * A + B * B);
    const double s = -C / N;
    const double fa = s * A / N;
    const double fb = s * B / N;
    const double g = std::fabs(s) - r;
    if (g >= EPS) return 0;
    if (std::fabs(g) < EPS) {
        p1 = {fa, fb};
        p2 = {0.0, 0.0};
        return 1;
    }
    const double h = std::sqrt(r * r - s * s);
    const double u = h * A / N;
    const double v = h * B / N;
    if (A * B > 0) {
        p1 = {fa + v, fb - u};
        p2 = {fa - v, fb + u};
    } else {
        p1 = {fa + std::fabs(v), fb + std::fabs(u)};
        p2 = {fa - std::fabs(v), fb - std::fabs(u)};
    }
    return 2;
}

int IntersectLineCircle(double a1, double b1, double a2, double b2, double ca, double cb, double r, Point2& p1,
                        Point2& p2, double N) {
    const double A = b2 - b1;
    const double B = a1 - a2;
    const double C = (b1 - cb) * (a2 - ca) - (a1 - ca) * (b2 - cb);
    const int n = IntersectLineOriginCircle(A, B, C, r, p1, p2, N);
    if (n > 0) {
        p1.a += ca;
        p1.b += cb;
        p2.a += ca;
        p2.b += cb;
    }
    return n;
}

int IntersectCircles(double ca1, double cb1, double r1, double ca2, double cb2, double r2, Point2& p1, Point2& p2,
                     double N) {
    if (IsEqualPoint(ca1, cb1, ca2, cb2)) return std::fabs(r1 - r2) < EPS ? -1 : -2;
    const double da = ca2 - ca1;
    const double db = cb2 - cb1;
    const double A = -2 * da;
    const double B = -2 * db;
    const double C = da * da + db * db + r1 * r1 - r2 * r2;
    const int n = IntersectLineOriginCircle(A, B, C, r1, p1, p2, N);
    if (n > 0) {
        p1.a += ca1;
        p1.b += cb1;
        p2.a += ca1;
        p2.b += cb1;
    }
    return n;
}

namespace {
void Append(IntersectPointList& list, const Point2& p) {
    IntersectPoint ip;
    ip.z = p.a;
    ip.x = p.b;
    list.Add(ip);
}
}  // namespace

int AddLinesIntersection(double a1, double b1, double a2, double b2, double a3, double b3, double a4, double b4,
                         IntersectPointList& list) {
    double a = 0, b = 0;
    const int n = IntersectLines(a1, b1, a2, b2, a3, b3, a4, b4, a, b);
    if (n == 1) Append(list, {a, b});
    return n;
}

int AddLineCircleIntersections(double a1, double b1, double a2, double b2, double ca, double cb, double r,
                               IntersectPointList& list) {
    Point2 p1, p2;
    const int n = IntersectLineCircle(a1, b1, a2, b2, ca, cb, r, p1, p2, -1.0);
    if (n > 0) Append(list, p1);
    if (n == 2) Append(list, p2);
    return n;
}

int AddCirclesIntersections(double ca1, double cb1, double r1, double ca2, double cb2, double r2,
                            IntersectPointList& list) {
    Point2 p1, p2;
    const int n = IntersectCircles(ca1, cb1, r1, ca2, cb2, r2, p1, p2, -1.0);
    if (n > 0) Append(list, p1);
    if (n == 2) Append(list, p2);
    return n;
}

const SinCosTable& GetSinCosTable() {
    static const SinCosTable table = [] {
        SinCosTable t;
        t.count = 30;
        t.cosines.SetSize(t.count);
        t.sines.SetSize(t.count);
        const double step = 2 * PI / (t.count - 1);
        double angle = PI;
        for (int i = 0; i < t.count; ++i) {
            t.cosines[i] = std::cos(angle);
            t.sines[i] = std::sin(angle);
            angle += step;
        }
        return t;
    }();
    return table;
}

}  // namespace zarvento
