// Contour algorithms over the unit sequence: boxes and lengths, intersection
// of two contours, cuts, midpoints, shape checks, reordering, clean-up and
// the simplified copies.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <unordered_map>

#include "geometry/arc_unit.h"
#include "geometry/complex_unit.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "geometry/simulation_hook.h"
#include "geometry/unit_locator.h"

namespace zarvento {

namespace {

// Pairs of one contour's units are looked for with this box slack: a point
// on both units lies within EPS of each box, so boxes up to 2 EPS apart may
// still share a point.
double PairSlack() { return 4.0 * EPS; }

// Points equal within EPS, found through a grid of EPS cells so that the
// unique test of Intersect stays linear in the number of crossings.
class NearPointSet {
public:
    NearPointSet() : cell_(EPS > 0.0 ? EPS : kDefaultEps) {}

    void Add(double z, double x) {
        if (!std::isfinite(z) || !std::isfinite(x)) return;
        grid_[Key(Cell(z), Cell(x))].push_back({z, x});
    }
    bool Contains(double z, double x) const {
        if (!std::isfinite(z) || !std::isfinite(x)) return false;
        const std::int64_t cz = Cell(z), cx = Cell(x);
        for (std::int64_t dz = -1; dz <= 1; ++dz)
            for (std::int64_t dx = -1; dx <= 1; ++dx) {
                const auto it = grid_.find(Key(cz + dz, cx + dx));
                if (it == grid_.end()) continue;
                for (const Point2& p : it->second)
                    if (IsEqualPoint(p.a, p.b, z, x)) return true;
            }
        return false;
    }

private:
    std::int64_t Cell(double v) const {
        const double c = std::floor(v / cell_);
        constexpr double kLimit = 4.0e18;
        return static_cast<std::int64_t>(std::clamp(c, -kLimit, kLimit));
    }
    static std::uint64_t Key(std::int64_t cz, std::int64_t cx) {
        return static_cast<std::uint64_t>(cz) * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(cx);
    }

    double cell_;
    std::unordered_map<std::uint64_t, std::vector<Point2>> grid_;
};

// The interval test of Intersect, with EPS slack.
bool Overlaps(double a1, double a2, double b1, double b2) {
    return (a1 - EPS < b1 && b1 < a2 + EPS) || (b1 - EPS < a1 && a1 < b2 + EPS);
}

bool BoxesOverlap(const UnitBox& a, const UnitBox& b) {
    return Overlaps(a.zmin, a.zmax, b.zmin, b.zmax) && Overlaps(a.xmin, a.xmax, b.xmin, b.xmax);
}

// Probes of at most this many units skip the sweep.
constexpr std::size_t kShortProbe = 4;

// Every pair of boxes that passes BoxesOverlap passes this too, and so does
// any pair with the second box grown: a necessary test on a rough box.
bool MayOverlap(const UnitBox& a, const UnitBox& b) {
    return b.zmin < a.zmax + EPS && a.zmin < b.zmax + EPS && b.xmin < a.xmax + EPS && a.xmin < b.xmax + EPS;
}

// Sorts the crossings of one unit by their length along it. Short lists take
// the exchange sort, whose order of equal lengths callers have always seen;
// long ones a stable sort, which differs only among exactly equal lengths.
void SortByLength(std::vector<IntersectPoint>& t) {
    constexpr std::size_t kExchangeSortLimit = 256;
    if (t.size() > kExchangeSortLimit) {
        std::stable_sort(t.begin(), t.end(),
                         [](const IntersectPoint& l, const IntersectPoint& r) { return l.length < r.length; });
        return;
    }
    for (std::size_t p = 0; p < t.size(); ++p)
        for (std::size_t q = p + 1; q < t.size(); ++q)
            if (t[q].length < t[p].length) std::swap(t[p], t[q]);
}

bool IsEndOf(const CUnit& unit, double z, double x) {
    return IsEqualPoint(unit.StartPoint.z, unit.StartPoint.x, z, x) ||
           IsEqualPoint(unit.EndPoint.z, unit.EndPoint.x, z, x);
}

bool StartsWhereEnds(const CUnit& next, const CUnit& prev) {
    return IsEqualPoint(next.StartPoint.z, next.StartPoint.x, prev.EndPoint.z, prev.EndPoint.x);
}

std::unique_ptr<Contour> SizedOrNull(std::vector<UnitPtr>& units) {
    if (units.empty()) return nullptr;
    auto contour = Contour::ContourSized(static_cast<int>(units.size()));
    for (UnitPtr& unit : units) contour->AddUnit(std::move(unit));
    return contour;
}

}  // namespace

// ---------------------------------------------------------------- boxes, lengths

void Contour::GetBoundBox(double& zmin, double& xmin, double& zmax, double& xmax) const {
    zmin = xmin = 1e6;
    zmax = xmax = -1e6;
    for (const UnitPtr& unit : units_) {
        BoundBox b;
        unit->GetBoundBox(b);
        for (double z : {b.zmin, b.zmax}) {
            if (z < zmin) zmin = z;
            if (z > zmax) zmax = z;
        }
        for (double x : {b.xmin, b.xmax}) {
            if (x < xmin) xmin = x;
            if (x > xmax) xmax = x;
        }
    }
}

BoundBox Contour::GetBoundBox() const {
    BoundBox box;
    GetBoundBox(box.zmin, box.xmin, box.zmax, box.xmax);
    return box;
}

std::vector<UnitBox> Contour::GetUnitBoxes() const {
    std::vector<UnitBox> boxes;
    boxes.reserve(units_.size());
    for (const UnitPtr& unit : units_) {
        BoundBox b;
        unit->GetBoundBox(b);
        boxes.push_back({b.zmin, b.xmin, b.zmax, b.xmax});
    }
    return boxes;
}

UnitBox RoughUnitBox(const CUnit& unit) {
    if (unit.Kind != kUnitArc) {
        BoundBox b;
        unit.GetBoundBox(b);
        return {b.zmin, b.xmin, b.zmax, b.xmax};
    }
    const double r = static_cast<const CArcUnit&>(unit).Radius;
    const double zc = unit.CentrePoint.z, xc = unit.CentrePoint.x;
    return {
        std::min({zc - r, unit.StartPoint.z, unit.EndPoint.z}), std::min({xc - r, unit.StartPoint.x, unit.EndPoint.x}),
        std::max({zc + r, unit.StartPoint.z, unit.EndPoint.z}), std::max({xc + r, unit.StartPoint.x, unit.EndPoint.x})};
}

void ContoursBoundingBox(const Contour& a, const Contour& b, BoundBox& box) {
    const BoundBox ba = a.GetBoundBox(), bb = b.GetBoundBox();
    box.zmin = box.xmin = 1e6;
    box.zmax = box.xmax = -1e6;
    for (double z : {ba.zmin, ba.zmax, bb.zmin, bb.zmax}) {
        box.zmin = std::min(box.zmin, z);
        box.zmax = std::max(box.zmax, z);
    }
    for (double x : {ba.xmin, ba.xmax, bb.xmin, bb.xmax}) {
        box.xmin = std::min(box.xmin, x);
        box.xmax = std::max(box.xmax, x);
    }
}

double Contour::GetLength() const {
    double sum = 0.0;
    for (const UnitPtr& unit : units_) sum += unit->GetLength();
    return sum;
}

double Contour::GetLength3D() const {
    double sum = 0.0;
    for (const UnitPtr& unit : units_) sum += unit->GetLength3D();
    return sum;
}

// ---------------------------------------------------------------- Intersect

namespace {

// A pair of units whose boxes may meet, with the other unit's exact box.
struct UnitPairBoxes {
    int mine = 0;
    int theirs = 0;
    UnitBox box;
};

// The pairs a short probe makes with the listed units of the other contour
// (all of them when the list is null): each is looked at once, and its exact
// box made only where its rough box comes near.
std::vector<UnitPairBoxes> ShortProbePairs(const std::vector<UnitBox>& mine, const Contour& other,
                                           const std::vector<int>* only) {
    std::vector<UnitPairBoxes> pairs;
    const int count = only ? static_cast<int>(only->size()) : other.Count();
    for (int i = 0; i < static_cast<int>(mine.size()); ++i) {
        const UnitBox& a = mine[static_cast<std::size_t>(i)];
        for (int k = 0; k < count; ++k) {
            const int j = only ? (*only)[static_cast<std::size_t>(k)] : k;
            const CUnit& unit = *other.GetUnit(j);
            if (!MayOverlap(a, RoughUnitBox(unit))) continue;
            BoundBox b;
            unit.GetBoundBox(b);
            pairs.push_back({i, j, {b.zmin, b.xmin, b.zmax, b.xmax}});
        }
    }
    return pairs;
}

// The crossings of the pairs, in pair order, each unit's own sorted along it.
void IntersectPairs(const Contour& self, const Contour& other, const std::vector<UnitBox>& mine,
                    const std::vector<UnitPairBoxes>& pairs, IntersectPointList& points, bool unique) {
    NearPointSet found;
    if (unique)
        for (const IntersectPoint& p : points) found.Add(p.z, p.x);

    std::vector<IntersectPoint> t;
    IntersectPointList scratch(5);
    std::size_t next = 0;
    while (next < pairs.size()) {
        const int i = pairs[next].mine;
        const CUnit& unit = *self.GetUnit(i);
        t.clear();
        for (; next < pairs.size() && pairs[next].mine == i; ++next) {
            const int j = pairs[next].theirs;
            if (!BoxesOverlap(mine[static_cast<std::size_t>(i)], pairs[next].box)) continue;
            scratch.SetCountZero();
            unit.Intersect(other.GetUnit(j), scratch);
            for (IntersectPoint p : scratch) {
                if (unique) {
                    if (found.Contains(p.z, p.x)) continue;
                    found.Add(p.z, p.x);
                }
                p.index1 = i;
                p.index2 = j;
                t.push_back(p);
            }
        }
        for (IntersectPoint& p : t) p.length = unit.GetLengthToPoint(p.z, p.x);
        SortByLength(t);
        for (const IntersectPoint& p : t) points.Add(p);
    }
}

}  // namespace

void Contour::Intersect(const Contour& other, IntersectPointList& points, bool unique) const {
    const std::vector<UnitBox> mine = GetUnitBoxes();
    if (mine.size() <= kShortProbe) {
        // A probe of a unit or two against a long contour, as the point and
        // trimming tests make one per unit.
        IntersectPairs(*this, other, mine, ShortProbePairs(mine, other, nullptr), points, unique);
        return;
    }
    const std::vector<UnitBox> theirs = other.GetUnitBoxes();
    // The sweep widens by EPS on every side, which takes in every pair the
    // interval test below accepts; that test then decides exactly.
    const std::vector<BoxPair> found = OverlappingBoxPairs(mine, theirs, EPS);
    std::vector<UnitPairBoxes> pairs;
    pairs.reserve(found.size());
    for (const auto& [i, j] : found) pairs.push_back({i, j, theirs[static_cast<std::size_t>(j)]});
    IntersectPairs(*this, other, mine, pairs, points, unique);
}

void Contour::IntersectUnits(const Contour& other, const std::vector<int>& units, IntersectPointList& points,
                             bool unique) const {
    const std::vector<UnitBox> mine = GetUnitBoxes();
    IntersectPairs(*this, other, mine, ShortProbePairs(mine, other, &units), points, unique);
}

// ---------------------------------------------------------------- cuts

namespace {

// A geometry-only copy of the unit with new ends; null when the unit makes no
// copy (a gap) or the piece has no length.
UnitPtr Piece(const CUnit& unit, const double* start, const double* end, bool keepMarker) {
    // A complex unit's own simple copy is empty; its piece is cut from the
    // geometry of its sub-units instead.
    UnitPtr copy =
        unit.Kind == kUnitComplex ? static_cast<const CComplexUnit&>(unit).GetGeometryCopy() : unit.GetSimpleCopy();
    if (!copy) return nullptr;
    if (start) copy->SetStartPoint(start[0], start[1]);
    if (end) copy->SetEndPoint(end[0], end[1]);
    if (keepMarker) copy->FromComplex = unit.FromComplex;
    if (copy->IsZeroLength()) return nullptr;
    if (copy->Kind == kUnitComplex && static_cast<const CComplexUnit&>(*copy).SubUnitCount() == 0) return nullptr;
    return copy;
}

void AddPiece(std::vector<UnitPtr>& pieces, UnitPtr piece) {
    if (piece) pieces.push_back(std::move(piece));
}

}  // namespace

std::unique_ptr<Contour> Contour::CutPartCyclic(const IntersectPoint& p1, const IntersectPoint& p2) const {
    if (IsEqualPoint(p1.z, p1.x, p2.z, p2.x)) return nullptr;
    const int i1 = p1.index1, i2 = p2.index1, n = Count();
    if (i1 < 0 || i1 >= n || i2 < 0 || i2 >= n) return nullptr;
    const double a[2] = {p1.z, p1.x}, b[2] = {p2.z, p2.x};
    const CUnit& first = *GetUnit(i1);
    std::vector<UnitPtr> pieces;
    // p2 behind p1 on one unit of a longer contour: the cyclic piece runs all
    // the way round rather than backwards along that unit.
    const bool roundTrip = i1 == i2 && n > 1 && first.GetLengthToPoint(p2.z, p2.x) < first.GetLengthToPoint(p1.z, p1.x);
    if (i1 == i2 && !roundTrip) {
        AddPiece(pieces, Piece(first, a, b, false));
        return SizedOrNull(pieces);
    }
    AddPiece(pieces, Piece(first, a, nullptr, false));
    for (int k = i1 + 1; k < n && k != i2; ++k) AddPiece(pieces, Piece(*GetUnit(k), nullptr, nullptr, false));
    if (i2 <= i1)
        for (int k = 0; k < i2; ++k) AddPiece(pieces, Piece(*GetUnit(k), nullptr, nullptr, false));
    AddPiece(pieces, Piece(*GetUnit(i2), nullptr, b, false));
    return SizedOrNull(pieces);
}

std::unique_ptr<Contour> Contour::CutPart(const IntersectPoint& p1, const IntersectPoint& p2) const {
    if (IsEqualPoint(p1.z, p1.x, p2.z, p2.x)) return nullptr;
    const int i1 = p1.index1, i2 = p2.index1, n = Count();
    if (i1 < 0 || i1 >= n || i2 < 0 || i2 >= n) return nullptr;
    const double a[2] = {p1.z, p1.x}, b[2] = {p2.z, p2.x};
    std::vector<UnitPtr> pieces;
    if (i1 == i2) {
        AddPiece(pieces, Piece(*GetUnit(i1), a, b, true));
        return SizedOrNull(pieces);
    }
    AddPiece(pieces, Piece(*GetUnit(i1), a, nullptr, true));
    for (int k = i1 + 1; k < i2; ++k) AddPiece(pieces, Piece(*GetUnit(k), nullptr, nullptr, true));
    AddPiece(pieces, Piece(*GetUnit(i2), nullptr, b, true));
    return SizedOrNull(pieces);
}

// ---------------------------------------------------------------- midpoints

namespace {

// The unit indices from `first` on by `step`, `count` of them, for a range-for
// (Clang 14, which builds the fuzz targets, cannot take libstdc++ 12's views).
class IndexRun {
public:
    IndexRun(int first, int step, int count) : first_(first), step_(step), count_(count) {}
    struct Iterator {
        int k, step;
        int operator*() const { return k; }
        Iterator& operator++() {
            k += step;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return k != other.k; }
    };
    Iterator begin() const { return {first_, step_}; }
    Iterator end() const { return {first_ + step_ * count_, step_}; }

private:
    int first_, step_, count_;
};

// A list walked from its end, for a range-for (the same reason).
template <class List>
struct Backwards {
    const List& list;
    auto begin() const { return list.rbegin(); }
    auto end() const { return list.rend(); }
};
template <class List>
Backwards(const List&) -> Backwards<List>;

// The first of the units at `indices` that holds the point, else the unit
// the point was found on.
template <class Indices>
int UnitHolding(const Contour& c, Indices&& indices, const IntersectPoint& p) {
    for (int k : indices)
        if (c.GetUnit(k)->IsPointOnUnit(p.z, p.x, 0)) return k;
    return p.index1;
}

// The point between p1 on unit u1 and p2 on unit u2: the middle of the two
// on one unit, else the end of u1.
IntersectPoint& MidPointOnUnits(const Contour& c, IntersectPoint& out, const IntersectPoint& p1, int u1,
                                const IntersectPoint& p2, int u2) {
    out = IntersectPoint{};
    const CUnit* unit = c.GetUnit(u1);
    if (!unit) return out;
    if (u1 == u2) {
        unit->GetMidPoint(out, p1.z, p1.x, p2.z, p2.x);
    } else {
        out.z = unit->EndPoint.z;
        out.x = unit->EndPoint.x;
    }
    out.index1 = out.index2 = 0;
    out.length = 0.0;
    return out;
}

}  // namespace

IntersectPoint& Contour::GetMidPointBetween(IntersectPoint& out, const IntersectPoint& p1,
                                            const IntersectPoint& p2) const {
    const int n = Count();
    return MidPointOnUnits(*this, out, p1, UnitHolding(*this, IndexRun(n - 1, -1, n), p1), p2,
                           UnitHolding(*this, IndexRun(0, 1, n), p2));
}

IntersectPoint& Contour::GetMidPointBetween(IntersectPoint& out, const IntersectPoint& p1, const IntersectPoint& p2,
                                            UnitLocator& units) const {
    // Each list of candidates is walked before the next is asked for.
    const int u1 = UnitHolding(*this, Backwards{units.Candidates(p1.z, p1.x)}, p1);
    return MidPointOnUnits(*this, out, p1, u1, p2, UnitHolding(*this, units.Candidates(p2.z, p2.x), p2));
}

IntersectPoint& Contour::GetUnitMidPointAtLength(IntersectPoint& out, double L) const {
    out = IntersectPoint{};
    double sum = 0.0;
    for (const UnitPtr& unit : units_) {
        sum += unit->GetLength();
        if (sum > L) {
            unit->GetMiddlePoint(out);
            break;
        }
    }
    return out;
}

IntersectPoint& Contour::GetMidPoint(IntersectPoint& out) const {
    return GetUnitMidPointAtLength(out, 0.5 * GetLength());
}

// ---------------------------------------------------------------- shape checks

bool Contour::IsClosed() const {
    if (Empty()) return false;
    const CUnit& first = *units_.front();
    return StartsWhereEnds(first, *units_.back()) && !HasBreaks();
}

bool Contour::HasBreaks() const {
    for (std::size_t k = 1; k < units_.size(); ++k)
        if (!StartsWhereEnds(*units_[k], *units_[k - 1])) return true;
    return false;
}

bool Contour::HasSelfIntersection() const {
    IntersectPointList list(10);
    for (const BoxPair& pair : SelfOverlappingBoxPairs(GetUnitBoxes(), PairSlack())) {
        const CUnit& a = *GetUnit(pair.first);
        const CUnit& b = *GetUnit(pair.second);
        list.SetCountZero();
        a.Intersect(&b, list);
        for (const IntersectPoint& p : list)
            if (!IsEndOf(a, p.z, p.x) || !IsEndOf(b, p.z, p.x)) return true;
    }
    return false;
}

// ---------------------------------------------------------------- reordering

void Contour::Reverse() {
    // In place: the units keep their identity and drawn state.
    std::reverse(units_.begin(), units_.end());
    for (UnitPtr& unit : units_) unit->Reverse();
}

void Contour::ShiftStartToExtreme() {
    if (Empty()) return;
    double least = 1e6;
    for (const UnitPtr& unit : units_)
        if (unit->StartPoint.z < least) least = unit->StartPoint.z;
    double greatest = -1e6;
    int chosen = -1;
    for (int k = 0; k < Count(); ++k) {
        const CUnit& unit = *GetUnit(k);
        if (std::fabs(unit.StartPoint.z - least) < EPS && unit.StartPoint.x > greatest) {
            greatest = unit.StartPoint.x;
            chosen = k;
        }
    }
    if (chosen > 0) RotateToIndex(chosen);
}

void Contour::ChainUnits() {
    for (int i = 0; i + 1 < Count(); ++i)
        for (int k = i + 1; k < Count(); ++k)
            if (StartsWhereEnds(*units_[static_cast<std::size_t>(k)], *units_[static_cast<std::size_t>(i)]))
                std::swap(units_[static_cast<std::size_t>(k)], units_[static_cast<std::size_t>(i) + 1]);
}

// ---------------------------------------------------------------- clean-up

void Contour::RemoveLoops() {
    const int n = Count();
    if (n < 2) return;
    // Trimming only shortens units i and j, so the boxes found up front stay
    // wide enough for every later pair.
    // The candidate partners (j > i): the pairs come sorted by i, then j,
    // so those of unit i are the run of pairs that starts with i.
    const std::vector<BoxPair> near = SelfOverlappingBoxPairs(GetUnitBoxes(), PairSlack());
    std::size_t next = 0;
    std::vector<char> marked(static_cast<std::size_t>(n), 0);
    IntersectPointList list(5);
    for (int i = 0; i + 1 < n; ++i) {
        const std::size_t first = next;
        while (next < near.size() && near[next].first == i) ++next;
        if (marked[static_cast<std::size_t>(i)]) continue;
        CUnit& a = *GetUnit(i);
        for (std::size_t p = first; p < next; ++p) {
            const int j = near[p].second;
            CUnit& b = *GetUnit(j);
            if (StartsWhereEnds(b, a)) continue;
            if (i == 0 && j == n - 1 && StartsWhereEnds(a, b)) continue;
            list.SetCountZero();
            a.Intersect(&b, list);
            if (list.Empty()) continue;
            for (int k = i + 1; k < j; ++k) marked[static_cast<std::size_t>(k)] = 1;
            a.SetEndPoint(list[0].z, list[0].x);
            b.SetStartPoint(list[0].z, list[0].x);
            break;
        }
    }
    std::size_t k = 0;
    std::erase_if(units_, [&](const UnitPtr&) { return marked[k++] != 0; });
}

void Contour::RemoveZeroLengthUnits() {
    std::erase_if(units_, [](const UnitPtr& unit) { return unit->IsZeroLength(); });
}

void Contour::MergeOverlappingUnits() {
    SimulationUnitList* simulation = GetSimulationUnitList();
    const bool tellSimulation = simulation && simulation->DefersHostDeletions();
    std::vector<char> marked(units_.size(), 0);
    for (std::size_t i = 1; i < units_.size(); ++i) {
        CUnit& prev = *units_[i - 1];
        CUnit& unit = *units_[i];
        if (!unit.IsOverlap(prev)) continue;
        // The merged unit covers both: it starts at whichever start comes
        // first along the common carrier and ends at whichever end comes last,
        // so a unit that contains the other loses nothing.
        const Point3D start =
            unit.IsPointOnUnit(prev.StartPoint.z, prev.StartPoint.x, 0) ? unit.StartPoint : prev.StartPoint;
        const Point3D end = prev.IsPointOnUnit(unit.EndPoint.z, unit.EndPoint.x, 0) ? prev.EndPoint : unit.EndPoint;
        unit.SetStartPoint(start.z, start.x);
        unit.SetEndPoint(end.z, end.x);
        prev.CopyObjectsTo(unit);
        marked[i - 1] = 1;
        if (tellSimulation) simulation->AddChangedUnit(&unit);
    }
    std::size_t k = 0;
    std::erase_if(units_, [&](const UnitPtr& unit) {
        if (!marked[k++]) return false;
        if (tellSimulation) simulation->RemoveChangedUnit(unit.get());
        return true;
    });
}

// ---------------------------------------------------------------- simplified copies

namespace {

void AddCloneUnlessZero(std::vector<UnitPtr>& units, const CUnit* unit, bool fromComplex) {
    if (!unit || unit->IsZeroLength()) return;
    UnitPtr copy = unit->Clone();
    if (!copy) return;
    if (fromComplex) copy->FromComplex = true;
    units.push_back(std::move(copy));
}

// A complex unit counts as its number of sub-units.
int ExpandedUnitCount(const CUnit& unit) {
    return unit.Kind == kUnitComplex ? static_cast<const CComplexUnit&>(unit).SubUnitCount() : 1;
}

// Clones of a complex unit's sub-units; with `simple` the degenerate ones
// are left out and the clones marked as taken from a complex unit.
void AddSubUnits(std::vector<UnitPtr>& units, const CUnit& unit, bool simple) {
    const auto& complex = static_cast<const CComplexUnit&>(unit);
    for (int i = 0; i < complex.SubUnitCount(); ++i) {
        if (simple)
            AddCloneUnlessZero(units, complex.SubUnit(i), true);
        else if (UnitPtr copy = complex.SubUnit(i)->Clone())
            units.push_back(std::move(copy));
    }
}

void AddBridges(std::vector<UnitPtr>& units, const CUnit& gap) {
    for (int b = 0; b < 2; ++b) AddCloneUnlessZero(units, gap.GetBridge(b), false);
}

}  // namespace

std::unique_ptr<Contour> Contour::GetSimpleContour() const {
    std::vector<UnitPtr> units;
    for (const UnitPtr& unit : units_) {
        if (!unit || unit->IsZeroLength()) continue;
        if (unit->Kind == kUnitGap) {
            AddBridges(units, *unit);
        } else if (unit->Kind == kUnitComplex) {
            AddSubUnits(units, *unit, true);
        } else {
            AddCloneUnlessZero(units, unit.get(), false);
        }
    }
    return SizedOrNull(units);
}

std::unique_ptr<Contour> Contour::ExpandGaps() const {
    std::vector<UnitPtr> units;
    for (const UnitPtr& unit : units_) {
        if (unit->Kind == kUnitGap)
            AddBridges(units, *unit);
        else
            units.push_back(unit->Clone());
    }
    return SizedOrNull(units);
}

std::unique_ptr<Contour> Contour::ExpandComplex() const {
    int expanded = 0;
    for (const UnitPtr& unit : units_) expanded += ExpandedUnitCount(*unit);
    if (expanded == Count()) return nullptr;
    std::vector<UnitPtr> units;
    for (const UnitPtr& unit : units_) {
        if (unit->Kind == kUnitGap) continue;
        if (unit->Kind == kUnitComplex)
            AddSubUnits(units, *unit, false);
        else
            units.push_back(unit->Clone());
    }
    return SizedOrNull(units);
}

}  // namespace zarvento
