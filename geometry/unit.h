// CUnit: one element of a 2D contour of a turned part, and the base of the
// line, arc, circle, gap and complex units.
//
// Conventions every kind keeps:
// - Points lie in the turning plane as (z, x): Z along the axis, X the negated
//   radius, so a turned part's contour lies at X <= 0. Each point is stored as
//   a 3D triple (x, y, z); 2D operations use z and x and leave y alone.
// - Direction angles are radians in [0, 2*PI), from +Z towards +X. The left of
//   travel is the direction turned by +90 degrees.
// - DirVector 1 is clockwise in (Z, X) (polar angle decreasing, a G02 move),
//   -1 counter-clockwise (G03). Lines carry it too; Reverse and the mirrors
//   change it on every kind.
// - Kind: 'L' line, 'A' arc, 'C' circle, 'G' gap, 'B' complex.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "geometry/cadre_factory.h"
#include "geometry/checked_array.h"
#include "geometry/intersect_point.h"
#include "geometry/step_array.h"
#include "geometry/unit_drawables.h"
#include "platform/core/host_object.h"
#include "platform/drawings/document_2d.h"

namespace zarvento {

inline constexpr char kUnitLine = 'L';
inline constexpr char kUnitArc = 'A';
inline constexpr char kUnitCircle = 'C';
inline constexpr char kUnitGap = 'G';
inline constexpr char kUnitComplex = 'B';

struct Point3D {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// A point of a 3D point list, with the unit that produced it.
struct UnitPoint3D {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    std::int64_t flag = 0;
    const CUnit* unit = nullptr;
};
using UnitPoint3DList = StepArray<UnitPoint3D>;

struct BoundBox {
    double zmin = 0.0;
    double xmin = 0.0;
    double zmax = 0.0;
    double xmax = 0.0;
};

// Grows the box to hold the other one as well.
void UniteBoxes(BoundBox& box, const BoundBox& other);

class CUnit;
class Contour;
using UnitPtr = std::unique_ptr<CUnit>;
// A list of units its holder owns (pieces of a split, for example).
using UnitList = StepArray<UnitPtr>;

class CUnit {
public:
    virtual ~CUnit();
    CUnit(const CUnit&) = delete;
    CUnit& operator=(const CUnit&) = delete;

    // Copies: Clone keeps every copied field and shares the host objects;
    // GetSimpleCopy keeps the geometry only.
    virtual UnitPtr Clone() const = 0;
    virtual UnitPtr GetSimpleCopy() const = 0;

    // Same kind, touching at an end point, and on the same carrier.
    bool IsOverlap(const CUnit& other) const;
    virtual bool IsSameCarrier(const CUnit& other) const;
    // A parallel unit at the given distance (OffsetDistance when useGiven is
    // false), to the left of travel for positive distances, prolonged by the
    // extensions; null when none exists.
    virtual UnitPtr GetOffsetUnit(bool useGiven, double distance) const;
    // On the unit within EPS, end points included. The flag is not read by
    // the plain kinds.
    virtual bool IsPointOnUnit(double z, double x, int flag = 0) const;
    virtual void SetStartPoint(double z, double x);
    virtual void SetEndPoint(double z, double x);
    virtual bool IsZeroLength() const;
    // Converts RefPoint into the NC coordinate system and orients the unit by
    // the side of the axis its reference point lies on.
    virtual void OrientByLSC();

    virtual void Reverse();
    virtual void InvertX();
    virtual void Move(double dz, double dx);
    virtual void Rotate90();
    virtual void MirrorZ();
    virtual void MirrorX();
    virtual void InvertDirection();
    virtual void Move3D(double dx, double dy, double dz);

    virtual void CreateTessellationEdge(std::uint32_t colour);
    virtual void ClearTessellationEdge();
    virtual void CreateTessellationFace(std::uint32_t colour);
    virtual void ClearTessellationFace();
    // Draws the unit into the active 2D document; the new object's reference,
    // 0 when nothing was drawn.
    virtual Ref2D Draw2D(int style);

    // Appends the crossings of the two units that lie on both.
    virtual void Intersect(const CUnit* other, IntersectPointList& list) const;

    virtual double GetLength() const = 0;
    virtual double GetLength3D() const = 0;
    // Length along the unit from its start to a point assumed to lie on it.
    virtual double GetLengthToPoint(double z, double x) const = 0;
    virtual double GetLengthToPoint3D(double x, double y, double z) const = 0;
    // The point halfway between p1 and p2 along the unit; other fields zeroed.
    virtual void GetMidPoint(IntersectPoint& out, double z1, double x1, double z2, double x2) const = 0;

    // A new NC frame for the unit, null when the kind makes none or no frame
    // factory is registered.
    virtual CadrePtr CreateCadre() const;

    virtual void Select();
    virtual void Deselect();
    virtual void ShowTessellation();
    virtual void HideTessellation();
    virtual void ShowSelection();
    virtual void HideSelection();

    // Direction of travel at the start / end, in [0, 2*PI).
    virtual double GetStartAngle() const;
    virtual double GetEndAngle() const;
    // Where the direction of travel reaches the limit angle: 1 at the start,
    // 2 at the end, 3 inside (point written), 0 nowhere.
    virtual int GetPointAtAngle(double limit, double& z, double& x) const;
    virtual double GetCurvature() const;
    virtual void GetBoundBox(BoundBox& box) const = 0;
    virtual void GetNearestPoint(double z, double x, IntersectPointList& list, int tag) const;
    virtual void GetFarthestPoint(double z, double x, IntersectPointList& list, int tag) const;
    // mode 0: a point every step after the start, then the end; mode 1: evenly
    // spaced points, start and end included.
    virtual void GetPointsByStep(IntersectPointList& list, double step, int mode) const;
    virtual void GetPointsByStep3D(UnitPoint3DList& list, double step, int mode) const;
    // The angle that EPS of length makes on this unit.
    virtual double GetAngleTolerance() const;
    virtual std::string GetScriptText() const;
    // A one-line description to the host's text output.
    virtual void PrintInfo() const;

    void InitFields();
    // Copies the common fields; the drawn state (HostObjectId, SourceObject,
    // FaceColour, drawables) stays with the original.
    void CopyFrom(const CUnit& other);
    UnitPtr CloneWithEnds(double z1, double x1, double z2, double x2) const;
    // Whether Clone gives a unit equal to this one in every field (a line or
    // an arc that holds no drawn state): such a unit can be handed on in
    // place of its clone when its holder goes.
    virtual bool ClonesExactly() const;
    void GetMiddlePoint(IntersectPoint& out) const;
    // Sorts the points along the unit and appends a clone per piece between
    // them; the unit itself is unchanged.
    void SplitAtPoints(UnitList& units, IntersectPointList& points) const;

    void SetSourceObject(const HostObjectPtr& object);
    // The host curve the unit was made from (null when none).
    const HostObjectPtr& GetSourceInterface() const { return SourceObject; }
    void AddObject(const HostObjectPtr& object);
    bool HasObject(const HostObjectPtr& object) const;
    void CopyObjectsTo(CUnit& other) const;
    int HostObjectCount() const { return HostObjects.Size(); }
    // The i-th host object, null when i is out of range.
    HostObjectPtr GetSourceObject(int i) const;

    // A gap's bridging units (index 0 and 1); null for every other kind.
    virtual const CUnit* GetBridge(int index) const;
    // The unit as a contour of its plain pieces: a clone of itself here; a
    // gap gives its bridges, a complex unit its sub-units (null when empty).
    virtual std::unique_ptr<Contour> GetContour() const;

    // The small fields come last, side by side, so that a unit carries no
    // padding between them: contours hold many thousands of units.
    std::string SurfaceName;
    Point3D StartPoint;
    Point3D EndPoint;
    Point3D CentrePoint;
    Point3D RefVector;
    Point3D RefPoint;
    double OffsetDistance = 0.0;
    double StartExtension = 0.0;
    double EndExtension = 0.0;
    const CUnit* SourceUnit = nullptr;
    HostObjectPtr SourceObject;
    CheckedArray<HostObjectPtr> HostObjects;
    // Made on first drawing.
    std::unique_ptr<UnitEdgeDrawable> Edge;
    std::unique_ptr<UnitFaceDrawable> Face;
    Ref2D HostObjectId = 0;
    std::uint32_t FaceColour = 0;
    std::int16_t DirVector = 1;
    bool Selected = false;
    bool IsRapid = false;
    bool IsMarked = false;
    bool FromComplex = false;
    char Kind = 0;

protected:
    explicit CUnit(char kind);

    // The unit has been drawn or tied to a host curve: state a clone leaves behind.
    bool HoldsDrawnState() const;

    UnitEdgeDrawable& EdgeDrawable();
    UnitFaceDrawable& FaceDrawable();
    // The colour an edge is drawn in, by the settings' precedence.
    std::uint32_t EdgeColour(std::uint32_t given) const;
    // The colour a face is drawn in; remembers it while the unit is not selected.
    std::uint32_t TakeFaceColour(std::uint32_t given);
    // The style a unit draws in: rapid units rise to at least 4.
    int DrawStyle(int style) const;

    // Runs the partner's kind-independent cases (gap, complex) of Intersect;
    // true when it handled the partner.
    bool IntersectSpecialPartner(const CUnit& other, IntersectPointList& list) const;
    // Keeps only the points appended since `before` that lie on both units.
    void FilterNewPoints(const CUnit& other, IntersectPointList& list, std::uint32_t before) const;
};

// Angle a brought into [0, 2*PI) with slack: a value above 2*PI - slack loses
// 2*PI, one below -slack gains it.
double NormalizeAngle(double a, double slack);
// Checks a step walk along a unit of the given length before it starts: a
// clear Exception when the step is not a positive number or the walk would
// make more than kMaxStepPoints points.
void CheckPointStep(double step, double length);
inline constexpr double kMaxStepPoints = 1e7;

}  // namespace zarvento
