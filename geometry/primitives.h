// The global tolerance and the geometric primitives of the turning plane.
// 2D points are (a, b): in contours a is Z along the axis and b is X, the
// negated radius. Angles run from +a towards +b, in [0, 2*PI).
#pragma once

#include "geometry/checked_array.h"
#include "geometry/intersect_point.h"
#include "platform/core/numbers.h"

namespace zarvento {

// The one absolute tolerance of coordinate comparisons. Only region
// subtraction lowers it, for one intersection, and always sets it back.
extern double EPS;
inline constexpr double kDefaultEps = 1e-6;

struct Point2 {
    double a = 0.0;
    double b = 0.0;
};

bool IsEqualPoint(double a1, double b1, double a2, double b2);
double Distance(double a1, double b1, double a2, double b2);
double Distance2(double a1, double b1, double a2, double b2);
double Distance3D(double x1, double y1, double z1, double x2, double y2, double z2);
bool IsEqualPoint3D(double x1, double y1, double z1, double x2, double y2, double z2);
// Distance of (pa, pb) from the infinite line through the two points; L is the
// line's length when known, negative to compute it.
double DistPointLine(double pa, double pb, double a1, double b1, double a2, double b2, double L = -1.0);
double AngleOfVector(double a1, double b1, double a2, double b2);

// 1 one point, 0 parallel, -1 the same line (outs written only on 1).
int IntersectLines(double a1, double b1, double a2, double b2, double a3, double b3, double a4, double b4, double& a,
                   double& b);
// Line A*a + B*b + C = 0 and the circle of radius r about the origin: 0, 1 or 2
// points in a fixed order. N is the norm of (A, B), negative to compute it.
int IntersectLineOriginCircle(double A, double B, double C, double r, Point2& p1, Point2& p2, double N = -1.0);
int IntersectLineCircle(double a1, double b1, double a2, double b2, double ca, double cb, double r, Point2& p1,
                        Point2& p2, double N = -1.0);
// 0, 1, 2 points; -1 the same circle; -2 concentric circles.
int IntersectCircles(double ca1, double cb1, double r1, double ca2, double cb2, double r2, Point2& p1, Point2& p2,
                     double N = -1.0);

int AddLinesIntersection(double a1, double b1, double a2, double b2, double a3, double b3, double a4, double b4,
                         IntersectPointList& list);
int AddLineCircleIntersections(double a1, double b1, double a2, double b2, double ca, double cb, double r,
                               IntersectPointList& list);
int AddCirclesIntersections(double ca1, double cb1, double r1, double ca2, double cb2, double r2,
                            IntersectPointList& list);

// The ring of cosines and sines used to revolve profiles about the axis.
struct SinCosTable {
    int count = 0;
    CheckedArray<double> cosines;
    CheckedArray<double> sines;
};
const SinCosTable& GetSinCosTable();

}  // namespace zarvento
