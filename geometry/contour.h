// Contour: the system's 2D outline, an ordered sequence of units it owns, with
// the unit-relation matrix of the contour tab and the algorithms over whole
// contours (intersections, cuts, point tests, clean-up, direction, paths).
//
// The storage lives in contour.cpp, the algorithms in contour_algorithms.cpp
// (sequence work), contour_point_tests.cpp (probes) and contour_paths.cpp
// (prolonging, host objects, region drawing).
//
// Conventions:
// - Points are (z, x) pairs compared with EPS through IsEqualPoint. A box is
//   (zmin, xmin, zmax, xmax).
// - A contour owns its units; copies hold clones. Operations that return a
//   contour hand it to the caller and return null when there is nothing.
// - Every contour registers its address in the object registry for its life,
//   so a contour is neither moved nor assigned.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "geometry/box_pairs.h"
#include "geometry/checked_array.h"
#include "geometry/intersect_point.h"
#include "geometry/unit.h"
#include "platform/core/host_object.h"
#include "platform/drawings/document_2d.h"

namespace zarvento {

class RegionDrawable;

inline constexpr std::uint32_t kDefaultContourColour = 6617700;  // 0x64FA64

class UnitLocator;

// A box that holds the unit's exact box and costs no angle tests: an arc's
// whole circle with its ends.
UnitBox RoughUnitBox(const CUnit& unit);

class Contour {
public:
    Contour();
    // The copy holds clones of the source's units, its matrix cells, base
    // point, colour and tag.
    Contour(const Contour& source);
    Contour& operator=(const Contour&) = delete;
    ~Contour();

    // An empty contour with room for n units; n below 1 throws.
    static std::unique_ptr<Contour> ContourSized(int n);
    // A copy of the source; a null source gives an empty contour.
    static std::unique_ptr<Contour> ContourCopy(const Contour* source);
    std::unique_ptr<Contour> Clone() const;
    // The same as a copy of a contour that is not wanted any more: the units
    // a clone would give equal are handed over instead of cloned.
    static std::unique_ptr<Contour> CopyTaking(std::unique_ptr<Contour> source);
    // Hands every unit over, each one that a clone would give equal as it
    // is and any other as its clone, and leaves the contour empty.
    std::vector<UnitPtr> TakeUnits();
    // Appends clones of the other's units (a contour appended to itself stays as it was).
    void AppendCopy(const Contour& other);

    // --- unit storage ---
    int Count() const { return static_cast<int>(units_.size()); }
    bool Empty() const { return units_.empty(); }
    // Stores the unit at the end and returns its slot; a null unit is refused (-1).
    int AddUnit(UnitPtr unit);
    // Stores the unit at slot i for 0 <= i <= Count and returns null; for any
    // other index (or a null unit) the unit comes back to the caller.
    UnitPtr InsertUnit(int i, UnitPtr unit);
    // Unlinks the last slot holding the unit and hands it back; null when the
    // contour does not hold it.
    UnitPtr RemoveUnit(const CUnit* unit);
    void DeleteUnit(const CUnit* unit);
    // Exchanges the whole unit sequence with `units` in constant time; the
    // relation matrix stays as it is, as it does when units are removed and
    // added one by one.
    void SwapUnits(std::vector<UnitPtr>& units) { units_.swap(units); }
    // Unit i first, the order kept cyclic; other indices change nothing.
    void RotateToIndex(int i);

    // --- the unit-relation matrix (gap types chosen per pair of units) ---
    // Count rows of Count cells, all 0; nothing on an empty contour. The
    // matrix keeps its size when units are later added or removed. Only the
    // cells that are not 0 are held, so the matrix costs what it holds.
    void CreateRelationMatrix();
    // The pairs of units the matrix has cells for, n (n - 1) / 2: past
    // 46,341 units more than an int holds.
    std::int64_t PairCount() const { return pairCount_; }
    // Rows (and cells per row) of the matrix as last built; 0 when none.
    int RelationSize() const { return relationSize_; }
    // Cells outside the built size throw Exception.
    int GetRelation(int i, int j) const;
    void SetRelation(int i, int j, int gapType);
    // Calls visit(i, j, gapType) for every cell that is not 0, row by row.
    template <class Visit>
    void ForEachRelation(Visit&& visit) const {
        for (const auto& [key, gapType] : relations_)
            visit(static_cast<int>(key >> 32), static_cast<int>(key & 0xFFFFFFFFu), gapType);
    }

    // --- lookups ---
    CUnit* GetUnit(int i) const;
    CUnit* GetFirstUnit() const;
    CUnit* GetLastUnit() const;
    int IndexOf(const CUnit* unit) const;
    // The first unit that holds the host object. Looking up many objects, a
    // UnitsByObject index costs less than a scan for each.
    CUnit* FindUnitByObject(const HostObjectPtr& hostObject) const;
    // The unit after (before) the first unit whose ends equal the given unit's,
    // cyclically; null when none matches.
    CUnit* GetNextUnit(const CUnit* unit) const;
    CUnit* GetPrevUnit(const CUnit* unit) const;
    CUnit* GetSelectedUnit(int n) const;
    int GetSelectedCount() const;
    bool HasSelectedUnitWithoutObject() const;
    CUnit* GetGapUnit(int n) const;
    int GetGapCount() const;
    int GetNonZeroUnitCount() const;
    // Note the (x, z) order; an empty contour leaves both unchanged.
    void GetStartPoint(double& x, double& z) const;
    void GetEndPoint(double& x, double& z) const;
    // Selects the units strictly between the units holding the two objects;
    // nothing when either object is missing, not a 2D object, or held by no unit.
    void SelectBetween(const HostObjectPtr& hostObject1, const HostObjectPtr& hostObject2);

    // --- for-each operations ---
    void CreateTessellationEdges(std::uint32_t colour);
    void ClearTessellationEdges();
    void CreateTessellationFaces(std::uint32_t colour);
    void ClearTessellationFaces();
    void Draw2D(int style);
    void SelectAll();
    void DeselectAll();
    void DeselectGaps();
    void ShowTessellation();
    void HideTessellation();
    void ShowSelection();
    void HideSelection();
    void Move(double dz, double dx);
    void Move3D(double dx, double dy, double dz);
    // Moves the units so that BasePoint comes to (z, x).
    void MoveTo(double z, double x);
    void MirrorX();
    void MirrorZ();
    void Rotate90();
    void InvertDirection();

    // --- boxes and lengths ---
    // An empty contour gives (1e6, 1e6, -1e6, -1e6).
    void GetBoundBox(double& zmin, double& xmin, double& zmax, double& xmax) const;
    BoundBox GetBoundBox() const;
    // Every unit's own box, in unit order.
    std::vector<UnitBox> GetUnitBoxes() const;
    double GetLength() const;
    double GetLength3D() const;

    // --- intersections and cuts ---
    // Appends the crossings with the other contour in this contour's order:
    // unit by unit, and along each unit from its start. With unique set a
    // point already found is not appended again.
    void Intersect(const Contour& other, IntersectPointList& points, bool unique) const;
    // The same looking only at the listed units of the other contour, in
    // ascending order: equal to Intersect when no unit left out meets this one.
    void IntersectUnits(const Contour& other, const std::vector<int>& units, IntersectPointList& points,
                        bool unique) const;
    // The piece from p1 to p2 (geometry-only copies), wrapping past the last
    // unit when p2 lies on an earlier unit; null when p1 equals p2 or nothing
    // is left.
    std::unique_ptr<Contour> CutPartCyclic(const IntersectPoint& p1, const IntersectPoint& p2) const;
    // The same without wrapping.
    std::unique_ptr<Contour> CutPart(const IntersectPoint& p1, const IntersectPoint& p2) const;

    // --- point tests ---
    bool IsPointOnContour(double z, double x) const;
    // Ray casting towards -Z; a point on the outline is not inside. With
    // report set the crossings go to the host's text output.
    bool IsPointInside(double z, double x, bool report = false) const;
    // The same for many points on one contour: the units the point may lie
    // on come from a locator of this contour (its slack at least EPS)
    // instead of a scan of them all.
    bool IsPointInside(double z, double x, UnitLocator& near) const;
    // Some stretch of this contour between two consecutive crossings with the
    // other lies inside the other.
    bool PassesInside(const Contour& other) const;

    // --- midpoints ---
    IntersectPoint& GetMidPointBetween(IntersectPoint& out, const IntersectPoint& p1, const IntersectPoint& p2) const;
    // The same, finding the units of the two points through a locator built
    // on this contour with a slack of some EPS (the same result, faster on
    // long contours).
    IntersectPoint& GetMidPointBetween(IntersectPoint& out, const IntersectPoint& p1, const IntersectPoint& p2,
                                       UnitLocator& units) const;
    // The middle of the unit at which the running length first exceeds L.
    IntersectPoint& GetUnitMidPointAtLength(IntersectPoint& out, double L) const;
    IntersectPoint& GetMidPoint(IntersectPoint& out) const;

    // --- shape checks ---
    bool IsClosed() const;
    bool HasBreaks() const;
    // Two units cross somewhere other than at their end points.
    bool HasSelfIntersection() const;

    // --- reordering ---
    // Reverses the order and every unit; the units keep their identity.
    void Reverse();
    // Starts the contour at the unit whose start has the least z and, of
    // those, the greatest x; the order stays cyclic.
    void ShiftStartToExtreme();
    void ChainUnits();

    // --- clean-up ---
    void RemoveLoops();
    void RemoveZeroLengthUnits();
    // Collapses each run of overlapping neighbours into one unit that covers
    // the run and holds the host objects of all of it.
    void MergeOverlappingUnits();

    // --- host drawing objects ---
    // Appends units read from the lines and arcs of the document: filter 1
    // takes style 1, filter -1 every style but 3, filter 7 lines of styles 1
    // and 3 (style 3 marked rapid) and arcs of style 1; any other filter takes
    // nothing. Zero-length objects are skipped; overlapping neighbours merge.
    // Reads the objects of one host group (reference 0: the whole document);
    // curves are broken by the host into segments and arcs at `tolerance`.
    void LoadFromHostObjects(Document2D& document, Ref2D group, int styleFilter, double tolerance);

    // --- simplified copies ---
    std::unique_ptr<Contour> GetSimpleContour() const;
    std::unique_ptr<Contour> ExpandGaps() const;
    // Null when no complex unit has to be expanded.
    std::unique_ptr<Contour> ExpandComplex() const;

    // --- direction ---
    // True when the contour runs clockwise with Z to the right and X up. It is
    // false whenever the first and last crossings of the probe lie on the
    // same unit (a single complex unit, for one). Fewer than two crossings
    // show "Ошибка определения направления контура" and give true.
    bool DetermineDirection() const;
    // Whether the other contour runs the same way as the crossings; may rotate
    // the other so that it starts at the first crossing's unit.
    bool IsCrossingForward(Contour& other) const;

    // Writes a point inside the contour and returns the number of crossings
    // of the diagonal probe; 0 when no point inside was found.
    int FindInsidePoint(double& z, double& x) const;

    // --- paths ---
    void PrependLine(double length, double angleDegrees, bool rapid);
    void AppendLine(double length, double angleDegrees, bool rapid);
    // Prolongs a tool path at both ends where the tool stays clear of the
    // obstacle. step (may be null) is the caller's approach length, capped at
    // 5.0 when the start arc was prolonged.
    void ExtendEnds(double startLength, double endLength, const Contour* obstacle, double toolRadius, double* step);

    // --- drawing ---
    void CreateTessellation(RegionDrawable& drawable, std::uint32_t colour);

    // --- storage of the user's choice over a rebuilt contour ---
    // Writes the selected units (by their first host object) with their
    // offset and prolongations, and the non-zero matrix cells, as the record
    // of that name in the active document; false when it cannot be opened.
    bool Save(const std::string& recordName) const;
    // Applies a stored choice: units holding a stored object are selected
    // (the flag only) and get its offsets; the matrix is rebuilt and the
    // stored cells that fit it are set. False when there is no such record.
    bool Load(const std::string& recordName);

    std::uint32_t Colour = kDefaultContourColour;
    Point3D BasePoint;
    // A free tag of the caller's; copies keep it.
    int Tag = 0;

private:
    void Copy(const Contour& source);
    // Copies the matrix cells, base point, colour and tag once the units are in.
    void CopyFields(const Contour& source);
    int SlotOf(const CUnit* unit) const;  // last slot holding the unit, -1 when none

    // Throws as an index check of the matrix's rows and cells does.
    void CheckRelationCell(int i, int j) const;

    std::vector<UnitPtr> units_;
    // The cells that are not 0, keyed row then column (i << 32 | j), so that
    // they come in the order of the rows.
    std::map<std::uint64_t, int> relations_;
    int relationSize_ = 0;
    std::int64_t pairCount_ = 0;
};

// The units of a contour by the host objects they hold: for each object the
// first unit holding it, as FindUnitByObject gives it, found without a scan.
// It indexes the contour as it is when made.
class UnitsByObject {
public:
    explicit UnitsByObject(const Contour& contour);
    CUnit* Find(const HostObjectPtr& hostObject) const;

private:
    std::unordered_map<const HostObject*, CUnit*> first_;
};

// A contour of one line from (z1, x1) to (z2, x2): the probes of the point
// tests and the segment tests.
std::unique_ptr<Contour> MakeLineContour(double z1, double x1, double z2, double x2);
// The union box of both contours.
void ContoursBoundingBox(const Contour& a, const Contour& b, BoundBox& box);
// Whether the point lies on the unit: within EPS of its box, then exactly
// (the box spares the exact test for the units far off).
bool IsPointOnUnitNear(const CUnit& unit, double z, double x);
// Whether the segment (z1, x1)-(z2, x2) passes inside the contour.
bool IsSegmentInside(const Contour& contour, double z1, double x1, double z2, double x2);

}  // namespace zarvento
