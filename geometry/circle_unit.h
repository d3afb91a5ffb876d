// CCircleUnit: a full circle, kind 'C', the closed figure that region
// subtraction sweeps. It has no start or end, is never drawn and makes no frame.
#pragma once

#include "geometry/unit.h"

namespace zarvento {

class CCircleUnit : public CUnit {
public:
    CCircleUnit(double zc, double xc, double radius, int dirVector, bool rapid = false);
    void CopyCircleFields(const CCircleUnit& other);

    UnitPtr Clone() const override;
    UnitPtr GetSimpleCopy() const override;
    bool IsPointOnUnit(double z, double x, int flag = 0) const override;
    void Intersect(const CUnit* other, IntersectPointList& list) const override;
    double GetLength() const override;
    double GetLength3D() const override;
    // Signed, measured from polar angle 0 in the circle's sense.
    double GetLengthToPoint(double z, double x) const override;
    double GetLengthToPoint3D(double x, double y, double z) const override;
    // A circle has no middle between two of its points: the zero point.
    void GetMidPoint(IntersectPoint& out, double z1, double x1, double z2, double x2) const override;
    void GetBoundBox(BoundBox& box) const override;

    double Radius = 0.0;
    int ArcType = 1;
};

}  // namespace zarvento
