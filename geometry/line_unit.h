// CLineUnit: the straight segment of a contour, kind 'L'.
#pragma once

#include "geometry/unit.h"

namespace zarvento {

class CLineUnit : public CUnit {
public:
    // The plane constructor names the surface the segment sweeps about Z.
    CLineUnit(double z1, double x1, double z2, double x2, bool rapid = false);
    // A segment in space; no surface name.
    static std::unique_ptr<CLineUnit> CLineUnitXYZ(double x1, double y1, double z1, double x2, double y2, double z2,
                                                   bool rapid = false);

    // Direction from the start to the end, in [0, 2*PI).
    double GetAngle() const;

    UnitPtr Clone() const override;
    UnitPtr GetSimpleCopy() const override;
    bool ClonesExactly() const override;
    bool IsSameCarrier(const CUnit& other) const override;
    UnitPtr GetOffsetUnit(bool useGiven, double distance) const override;
    bool IsPointOnUnit(double z, double x, int flag = 0) const override;
    void CreateTessellationEdge(std::uint32_t colour) override;
    void CreateTessellationFace(std::uint32_t colour) override;
    Ref2D Draw2D(int style) override;
    void Intersect(const CUnit* other, IntersectPointList& list) const override;
    double GetLength() const override;
    double GetLength3D() const override;
    double GetLengthToPoint(double z, double x) const override;
    double GetLengthToPoint3D(double x, double y, double z) const override;
    void GetMidPoint(IntersectPoint& out, double z1, double x1, double z2, double x2) const override;
    CadrePtr CreateCadre() const override;
    double GetStartAngle() const override;
    double GetEndAngle() const override;
    int GetPointAtAngle(double limit, double& z, double& x) const override;
    void GetBoundBox(BoundBox& box) const override;
    void GetNearestPoint(double z, double x, IntersectPointList& list, int tag) const override;
    void GetFarthestPoint(double z, double x, IntersectPointList& list, int tag) const override;
    void GetPointsByStep(IntersectPointList& list, double step, int mode) const override;
    void GetPointsByStep3D(UnitPoint3DList& list, double step, int mode) const override;
    double GetAngleTolerance() const override;
    std::string GetScriptText() const override;
    void PrintInfo() const override;

private:
    CLineUnit();
};

}  // namespace zarvento
