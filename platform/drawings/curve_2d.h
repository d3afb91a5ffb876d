// Curve2D: one analytic piece of a 2D chain (a segment or a circular arc) with
// the few exact operations the equidistant needs: points, boxes, distances and
// crossings. Angles are radians in the (x, y) plane, counter-clockwise positive.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace zarvento {

struct Point2D {
    double x = 0, y = 0;
};

// The box tests sit in the inner loops of the offset's box tree: they are
// defined here so that the compiler inlines them.
struct Box2D {
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;

    void Add(const Box2D& o) {
        xmin = std::min(xmin, o.xmin);
        ymin = std::min(ymin, o.ymin);
        xmax = std::max(xmax, o.xmax);
        ymax = std::max(ymax, o.ymax);
    }
    bool Overlaps(const Box2D& o, double slack) const {
        return xmin <= o.xmax + slack && o.xmin <= xmax + slack && ymin <= o.ymax + slack && o.ymin <= ymax + slack;
    }
    // Distance from a point to the box; 0 inside.
    double Distance(Point2D p) const {
        const double dx = std::max({xmin - p.x, 0.0, p.x - xmax});
        const double dy = std::max({ymin - p.y, 0.0, p.y - ymax});
        return std::sqrt(dx * dx + dy * dy);
    }
};

struct Curve2D {
    bool arc = false;
    Point2D a, b;      // start and end point
    Point2D c;         // arc centre
    double r = 0;      // arc radius
    double a0 = 0;     // arc start angle
    double sweep = 0;  // arc signed sweep: positive counter-clockwise

    static Curve2D Line(Point2D from, Point2D to);
    // An arc from its centre, radius, start angle and signed sweep; the end
    // points are computed.
    static Curve2D Arc(Point2D centre, double radius, double startAngle, double signedSweep);

    // Counter-clockwise 1, clockwise -1 (lines 1).
    int Direction() const { return sweep < 0 ? -1 : 1; }
    double Length() const;
    // Point at parameter t in [0, 1] (along the length); the ends are exact.
    Point2D At(double t) const;
    // Unit tangent in the direction of travel at parameter t.
    Point2D Tangent(double t) const;
    Box2D Box() const;
    double Distance(Point2D p) const;
    // Parameter of a point known to lie on the piece (its projection).
    double ParamOf(Point2D p) const;
    // The piece between parameters t1 < t2, with the given exact end points.
    Curve2D Sub(double t1, double t2, Point2D p1, Point2D p2) const;
};

struct CurveHit {
    Point2D p;
    double t1 = 0;  // parameter on the first piece
    double t2 = 0;  // parameter on the second piece
};

// Appends the crossing and touching points of two pieces. `tol` is the
// absolute distance under which points count as one; coincident carriers
// report the ends of each piece that lie on the other.
void IntersectCurves(const Curve2D& p, const Curve2D& q, double tol, std::vector<CurveHit>& out);

// The least distance between two pieces: 0 when they cross or touch.
double CurveDistance(const Curve2D& p, const Curve2D& q);

double Dist(Point2D p, Point2D q);
// Angle brought into [0, 2*pi).
double NormalizeAngle(double a);

}  // namespace zarvento
