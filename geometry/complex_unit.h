// CComplexUnit: the unit of kind 'B', one face of the part made of an ordered
// chain of lines and arcs that stays one element of the contour.
#pragma once

#include "geometry/step_array.h"
#include "geometry/unit.h"

namespace zarvento {

class CComplexUnit : public CUnit {
public:
    CComplexUnit();
    // An empty unit holding the host face it is made from.
    static std::unique_ptr<CComplexUnit> CComplexUnitObject(HostObjectPtr hostObject);
    ~CComplexUnit() override;

    // The common fields and clones of the other's sub-units (own ones dropped).
    void CopyFrom(const CComplexUnit& other);
    // Takes the sub-unit in at the end and marks it FromComplex; the unit's
    // own ends are not updated (UpdateEnds does that).
    void AddUnit(UnitPtr unit);
    // Start := first sub-unit's start, end := last sub-unit's end.
    void UpdateEnds();
    int SubUnitCount() const { return static_cast<int>(subUnits_.Count()); }
    CUnit* SubUnit(int i) const;
    const HostObjectPtr& HostFace() const { return hostFace_; }

    UnitPtr Clone() const override;
    // An empty complex unit.
    UnitPtr GetSimpleCopy() const override;
    // A complex unit of the geometry-only copies of the sub-units: what a cut
    // through this unit is made of.
    std::unique_ptr<CComplexUnit> GetGeometryCopy() const;
    // Both complex, the other with at least as many sub-units, and each
    // sub-unit on the carrier of the other's sub-unit at the same place.
    bool IsSameCarrier(const CUnit& other) const override;
    // The trimmed or prolonged copy, offset through the host's equidistant in
    // the hidden work document (made active for the call only).
    UnitPtr GetOffsetUnit(bool useGiven, double distance) const override;
    bool IsPointOnUnit(double z, double x, int flag = 0) const override;
    // Cut at the first (last) sub-unit holding the point; the sub-units
    // before (after) it are dropped. Nothing when no sub-unit holds it.
    void SetStartPoint(double z, double x) override;
    void SetEndPoint(double z, double x) override;
    // Every sub-unit is a point (a face with one degenerate piece keeps its
    // length); an empty unit is not.
    bool IsZeroLength() const override;
    void OrientByLSC() override;
    // The chain is reversed as a whole: each sub-unit and their order, and the
    // unit's own ends with them.
    void Reverse() override;
    // The other transforms move the sub-units and the unit's own points alike.
    void InvertX() override;
    void Move(double dz, double dx) override;
    void Rotate90() override;
    void MirrorZ() override;
    void MirrorX() override;
    void InvertDirection() override;
    void Move3D(double dx, double dy, double dz) override;
    void CreateTessellationEdge(std::uint32_t colour) override;
    void ClearTessellationEdge() override;
    void CreateTessellationFace(std::uint32_t colour) override;
    void ClearTessellationFace() override;
    Ref2D Draw2D(int style) override;
    double GetLength() const override;
    double GetLength3D() const override;
    double GetLengthToPoint(double z, double x) const override;
    double GetLengthToPoint3D(double x, double y, double z) const override;
    // The sub-unit's midpoint when both points lie on one sub-unit, else the
    // end of p1's sub-unit; the zero point when either lies on none.
    void GetMidPoint(IntersectPoint& out, double z1, double x1, double z2, double x2) const override;
    void ShowTessellation() override;
    void HideTessellation() override;
    double GetStartAngle() const override;
    double GetEndAngle() const override;
    void GetBoundBox(BoundBox& box) const override;
    void GetPointsByStep(IntersectPointList& list, double step, int mode) const override;
    void PrintInfo() const override;
    // Null when empty, else a contour of clones of the sub-units.
    std::unique_ptr<Contour> GetContour() const override;

private:
    template <typename F>
    void ForEachSub(F&& f) const {
        for (std::uint32_t i = 0; i < subUnits_.Count(); ++i) f(*subUnits_[i]);
    }
    // First (or, with fromEnd, last) sub-unit holding the point; -1 when none.
    int FindSubUnit(double z, double x, bool fromEnd) const;
    // Keeps sub-units first..last and moves the first start by e1 and the
    // last end by e2 along their chords.
    void KeepRange(int first, int last, double e1, double e2);
    // Replaces the sub-units by the host's equidistant of them at distance d;
    // unchanged when the host makes nothing.
    void OffsetThroughHost(double d);
    void ReplaceSubUnits(const Contour& contour);

    StepArray<UnitPtr> subUnits_{100};
    HostObjectPtr hostFace_;
};

}  // namespace zarvento
