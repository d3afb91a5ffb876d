// CGapUnit: the unit of kind 'G' that closes a hole between two consecutive
// units whose end and start do not meet, by one or two bridging lines or arcs.
#pragma once

#include "geometry/unit.h"

namespace zarvento {

// The ways a gap is bridged.
inline constexpr int kGapNone = 0;      // no bridge
inline constexpr int kGapFromAxis = 1;  // square corner, first along X
inline constexpr int kGapToAxis = 2;    // square corner, first along Z
inline constexpr int kGapSegment = 3;   // one segment from start to end
inline constexpr int kGapCorner = 4;    // the neighbours prolonged to their crossing

// The text of a gap type (empty for an unknown one).
const char* GapTypeText(int type);

class CGapUnit : public CUnit {
public:
    // No neighbours: nothing computed, no bridge.
    CGapUnit();
    // Keeps clones of both neighbours and bridges them at once (without
    // trimming them) when the previous end and the next start differ.
    CGapUnit(const CUnit* prev, const CUnit* next);
    ~CGapUnit() override;

    // Chooses the gap type from the neighbours and builds the bridge; unless
    // noTrimming is set, neighbours that pass the corner are cut back to it.
    void CalculateGap(bool noTrimming);
    // The same as SetGapType(kGapSegment) followed by CalculateGap, without
    // the segment bridge that the calculation replaces at once.
    void CalculateGapFromSegment(bool noTrimming);
    // Writes CornerPoint, the crossing of the prolonged neighbours: 1 when
    // found, 0 when none, -1 / -2 for coincident carriers or concentric circles.
    int IntersectNeighbours(const CUnit& prev, const CUnit& next);
    // Sets the type (and its text as SurfaceName) and rebuilds the bridge from
    // the stored start, end and corner.
    void SetGapType(int type);
    // A corner bridge through a's start, a's end (the corner) and b's end.
    void SetBridge(const CUnit& a, const CUnit& b);
    void CopyGapFields(const CGapUnit& other);

    UnitPtr Clone() const override;
    // A gap has no geometry of its own: null, with a trace line on the host output.
    UnitPtr GetSimpleCopy() const override;
    bool IsPointOnUnit(double z, double x, int flag = 0) const override;
    // Moves the end onto a bridge that holds the point; a bridge left without
    // length is dropped and the gap becomes a plain segment gap.
    void SetStartPoint(double z, double x) override;
    void SetEndPoint(double z, double x) override;
    // Transforms move the bridges, the neighbours, the corner and the gap's
    // own ends alike, so a transformed contour keeps its gaps in place.
    void Reverse() override;
    void InvertX() override;
    void Move(double dz, double dx) override;
    void Rotate90() override;
    void MirrorZ() override;
    void MirrorX() override;
    void CreateTessellationEdge(std::uint32_t colour) override;
    void ClearTessellationEdge() override;
    void CreateTessellationFace(std::uint32_t colour) override;
    void ClearTessellationFace() override;
    Ref2D Draw2D(int style) override;
    void Intersect(const CUnit* other, IntersectPointList& list) const override;
    double GetLength() const override;
    double GetLength3D() const override;
    double GetLengthToPoint(double z, double x) const override;
    double GetLengthToPoint3D(double x, double y, double z) const override;
    void GetMidPoint(IntersectPoint& out, double z1, double x1, double z2, double x2) const override;
    void Select() override;
    void Deselect() override;
    void ShowTessellation() override;
    void HideTessellation() override;
    void ShowSelection() override;
    void HideSelection() override;
    // The union of the bridges' boxes; without bridges the box of the two ends.
    void GetBoundBox(BoundBox& box) const override;
    void PrintInfo() const override;
    const CUnit* GetBridge(int index) const override;
    std::unique_ptr<Contour> GetContour() const override;

    UnitPtr PrevUnit;
    UnitPtr NextUnit;
    int GapType = kGapNone;
    double CornerZ = 0.0;
    double CornerX = 0.0;
    UnitPtr Bridge1;
    UnitPtr Bridge2;

private:
    void BuildBridge();
    // The corner bridge of type 4 and the trimming of neighbours it covers.
    void BuildCornerBridge();
    template <typename F>
    void ForEachBridge(F&& f) const {
        if (Bridge1) f(*Bridge1);
        if (Bridge2) f(*Bridge2);
    }
    // Tries the bridge; when it holds the point, moves the bridge's end (start
    // when `start`) there and drops it if no length is left.
    bool MoveBridgeEnd(UnitPtr& bridge, double z, double x, bool start);
    // The bridge goes and the gap counts as a segment gap.
    void DropBridge(UnitPtr& bridge);
    // Applies a point transform of the unit interface to every part of the gap.
    void TransformWhole(void (*apply)(CUnit&));
    // The corner search when one or both neighbours are complex units.
    int ComplexCornerSearch();
};

}  // namespace zarvento
