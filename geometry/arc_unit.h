// CArcUnit: the circular arc of a contour, kind 'A'. Polar angles run from +Z
// towards +X; DirVector 1 travels clockwise (G02), -1 counter-clockwise (G03).
#pragma once

#include "geometry/unit.h"

namespace zarvento {

// Maps a 3D point to the 2D point (z, x) of a unit in the plane of `arcType`:
// 0 takes (x, y), 1 (the turning plane) takes (z, x), 2 takes (y, z); any other
// type gives (0, 0).
void MapPointByArcType(int arcType, double x, double y, double z, double& pz, double& px);

// Appends the crossings of the circle (zc, xc, radius) with the carrier of a
// line or arc (its infinite line or full circle), unfiltered; false for other
// kinds, which add nothing.
bool AddCircleCrossings(double zc, double xc, double radius, const CUnit& other, IntersectPointList& list);

class CArcUnit : public CUnit {
public:
    CArcUnit(double zc, double xc, double radius, double z1, double x1, double z2, double x2, int dirVector,
             bool rapid = false);
    // The same in another plane: start and centre share one Y value.
    static std::unique_ptr<CArcUnit> CArcUnitXYZ(double zc, double xc, double radius, double z1, double x1, double z2,
                                                 double x2, int dirVector, bool rapid, int arcType, double yStartCentre,
                                                 double yEnd);
    // Common fields plus the arc's own; an empty polyline.
    static std::unique_ptr<CArcUnit> CArcUnitCopy(const CArcUnit& other);
    void CopyArcFields(const CArcUnit& other);

    double GetStartPolarAngle() const;
    double GetEndPolarAngle() const;
    // The angle the arc sweeps in its own sense, in [0, 2*PI].
    double GetSweep() const;
    // Moves the ends radially onto the new radius.
    void SetRadius(double r);
    // Appends the circle's points at polar angles a and a + PI.
    void AddOppositePoints(double a, IntersectPointList& list, int tag) const;
    // At least 5 points about `step` apart along the arc, tagged by index.
    void GetPolyline(IntersectPointList& list, double step) const;
    // Whether the polar angle lies in the arc's sweep (bounds included).
    bool IsAngleInside(double a) const;

    UnitPtr Clone() const override;
    UnitPtr GetSimpleCopy() const override;
    bool ClonesExactly() const override;
    bool IsSameCarrier(const CUnit& other) const override;
    UnitPtr GetOffsetUnit(bool useGiven, double distance) const override;
    bool IsPointOnUnit(double z, double x, int flag = 0) const override;
    void Move3D(double dx, double dy, double dz) override;
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
    double GetCurvature() const override;
    void GetBoundBox(BoundBox& box) const override;
    void GetNearestPoint(double z, double x, IntersectPointList& list, int tag) const override;
    void GetFarthestPoint(double z, double x, IntersectPointList& list, int tag) const override;
    void GetPointsByStep(IntersectPointList& list, double step, int mode) const override;
    void GetPointsByStep3D(UnitPoint3DList& list, double step, int mode) const override;
    double GetAngleTolerance() const override;
    std::string GetScriptText() const override;
    void PrintInfo() const override;

    double Radius = 0.0;
    int ArcType = 1;
    // The points the edge was last drawn with.
    IntersectPointList Polyline{1};

private:
    CArcUnit();
    // The point of the arc's circle at polar angle a.
    void PointAtPolar(double a, double& z, double& x) const;
    // n points from the start to the end at equal angular steps.
    void AddSweepPoints(IntersectPointList& list, std::uint32_t n, bool tagByIndex) const;
    // The normal foot nearer (sign -1) or farther (sign 1) first, then the other.
    void AddNormalFoot(double z, double x, IntersectPointList& list, int tag, double firstSign) const;
};

}  // namespace zarvento
