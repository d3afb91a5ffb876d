// Region subtraction: the arrangement of stock and cutter, the walk round the
// face that holds the reference point, and applying its boundary to the stock.
//
// Every step finds its partners through indexes (a grid of EPS cells over
// points, vertices sorted along Z, a Z sweep of unit boxes), so one call costs
// about (n + m) log(n + m) for n stock and m cutter units; a long stock enters
// with its units near the cutter only, and the rest costs a pass over boxes. The indexes only
// narrow the search: each candidate still passes the same exact test, in the
// same order, as a scan over every pair would apply.
#include "geometry/subtract_region.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "geometry/arc_unit.h"
#include "geometry/box_pairs.h"
#include "geometry/exception.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "geometry/simulation_hook.h"
#include "platform/core/messages.h"

namespace zarvento {

namespace {

// Units leaving a vertex within this angle (radians) of each other leave in
// one direction; curvatures within this of each other are one bend.
constexpr double kTangentAngle = 1e-5;
constexpr double kSameBend = 1e-9;
// How far a unit's end may lie from the vertex it merged into (4 EPS): each
// point of a merged vertex lies within EPS of another.
constexpr double kSnapReach = 4e-6;
// Vertices at or beyond this distance are never taken as the start.
constexpr double kFarDistance = 1e10;

// Diagnostic drawing styles: the arrangement, the first walk unit, a
// single-candidate step.
constexpr int kStyleArrangement = 3;
constexpr int kStyleFirstUnit = 7;
constexpr int kStyleSingleStep = 2;

bool SamePoint(const Point3D& a, const Point3D& b) { return IsEqualPoint(a.z, a.x, b.z, b.x); }
bool SamePoint(const Point3D& a, double z, double x) { return IsEqualPoint(a.z, a.x, z, x); }

// Points in a grid of cells at least EPS wide: two points equal within EPS
// always lie in neighbouring cells, so a lookup reads at most nine. The cells
// live in one open table with chains through a flat entry list, so that a
// call makes a handful of allocations however many points it holds.
class PointGrid {
public:
    explicit PointGrid(std::size_t expected) : cell_(EPS > 0.0 ? EPS : kDefaultEps) {
        std::size_t size = 16;
        while (size < 2 * expected) size *= 2;
        heads_.assign(size, -1);
        entries_.reserve(expected);
    }

    void Add(double z, double x, int id) {
        if (!std::isfinite(z) || !std::isfinite(x)) return;
        const std::uint64_t key = Key(Cell(z), Cell(x));
        int& head = heads_[Slot(key)];
        entries_.push_back({key, id, head});
        head = static_cast<int>(entries_.size()) - 1;
    }
    void Remove(double z, double x, int id) {
        if (!std::isfinite(z) || !std::isfinite(x)) return;
        const std::uint64_t key = Key(Cell(z), Cell(x));
        for (int e = heads_[Slot(key)]; e >= 0; e = entries_[static_cast<std::size_t>(e)].next) {
            Entry& entry = entries_[static_cast<std::size_t>(e)];
            if (entry.key == key && entry.id == id) {
                entry.id = -1;
                return;
            }
        }
    }
    // Appends the ids of the points that may lie within EPS of (z, x),
    // unsorted; an id stored at two points may come twice.
    void Near(double z, double x, std::vector<int>& out) const {
        if (!std::isfinite(z) || !std::isfinite(x)) return;
        // Only the cells the square of half-width EPS about the point reaches:
        // two per axis unless the point sits on a cell border.
        const std::int64_t z1 = Cell(z - cell_), z2 = Cell(z + cell_);
        const std::int64_t x1 = Cell(x - cell_), x2 = Cell(x + cell_);
        for (std::int64_t cz = z1; cz <= z2; ++cz)
            for (std::int64_t cx = x1; cx <= x2; ++cx) {
                const std::uint64_t key = Key(cz, cx);
                for (int e = heads_[Slot(key)]; e >= 0; e = entries_[static_cast<std::size_t>(e)].next) {
                    const Entry& entry = entries_[static_cast<std::size_t>(e)];
                    if (entry.key == key && entry.id >= 0) out.push_back(entry.id);
                }
            }
    }

private:
    struct Entry {
        std::uint64_t key;
        int id;  // -1 once removed
        int next;
    };

    std::int64_t Cell(double v) const {
        constexpr double kLimit = 4.0e18;
        return static_cast<std::int64_t>(std::clamp(std::floor(v / cell_), -kLimit, kLimit));
    }
    static std::uint64_t Key(std::int64_t cz, std::int64_t cx) {
        return static_cast<std::uint64_t>(cz) * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(cx);
    }
    std::size_t Slot(std::uint64_t key) const {
        return static_cast<std::size_t>((key ^ (key >> 29)) * 0xBF58476D1CE4E5B9ull >> 17) & (heads_.size() - 1);
    }

    double cell_;
    std::vector<int> heads_;
    std::vector<Entry> entries_;
};

void SortUnique(std::vector<int>& ids) {
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
}

struct Vertex {
    double z = 0.0;
    double x = 0.0;
};

// Everything the walk changes on units it does not own: each reversal and
// each cleared rapid flag, so that a call which applies nothing can undo them
// in reverse order, on the exception path as well.
class UnitChangeLog {
public:
    UnitChangeLog() = default;
    UnitChangeLog(const UnitChangeLog&) = delete;
    UnitChangeLog& operator=(const UnitChangeLog&) = delete;
    ~UnitChangeLog() {
        if (!kept_) Undo();
    }

    void Reverse(CUnit* unit) {
        entries_.push_back({unit, false, false});
        unit->Reverse();
    }
    void ClearRapid(CUnit* unit) {
        entries_.push_back({unit, true, unit->IsRapid});
        unit->IsRapid = false;
    }
    void Keep() { kept_ = true; }
    void Undo() {
        for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
            if (it->rapid)
                it->unit->IsRapid = it->wasRapid;
            else
                it->unit->Reverse();
        }
        entries_.clear();
    }

private:
    struct Entry {
        CUnit* unit;
        bool rapid;
        bool wasRapid;
    };
    std::vector<Entry> entries_;
    bool kept_ = false;
};

// ---------------------------------------------------------------- vertices

std::vector<Vertex> CollectVertices(const Contour& stock, const Contour& cutter, const IntersectPointList& crossings) {
    std::vector<Vertex> vertices;
    vertices.reserve(static_cast<std::size_t>(stock.Count() + cutter.Count() + 1) + crossings.Count());
    for (int k = 0; k < stock.Count(); ++k)
        vertices.push_back({stock.GetUnit(k)->StartPoint.z, stock.GetUnit(k)->StartPoint.x});
    for (int k = 0; k < cutter.Count(); ++k)
        vertices.push_back({cutter.GetUnit(k)->StartPoint.z, cutter.GetUnit(k)->StartPoint.x});
    if (const CUnit* last = cutter.GetLastUnit()) vertices.push_back({last->EndPoint.z, last->EndPoint.x});
    for (const IntersectPoint& p : crossings) vertices.push_back({p.z, p.x});
    return vertices;
}

// Each vertex equal to an earlier one (the first such, duplicates included)
// is a duplicate; the earlier one keeps, coordinate by coordinate, the value
// of smaller magnitude. Earlier vertices move while the pass runs, and the
// grid follows them, so every comparison sees the values a plain scan would.
void MergeCloseVertices(std::vector<Vertex>& vertices, std::vector<int>* keys = nullptr) {
    PointGrid grid(vertices.size() + vertices.size() / 4);
    std::vector<char> duplicate(vertices.size(), 0);
    std::vector<int> near;
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        Vertex& v = vertices[i];
        near.clear();
        grid.Near(v.z, v.x, near);
        int first = -1;
        for (int k : near) {
            const Vertex& w = vertices[static_cast<std::size_t>(k)];
            if ((first < 0 || k < first) && IsEqualPoint(w.z, w.x, v.z, v.x)) first = k;
        }
        if (first >= 0) {
            duplicate[i] = 1;
            Vertex& w = vertices[static_cast<std::size_t>(first)];
            const Vertex merged{std::fabs(v.z) < std::fabs(w.z) ? v.z : w.z,
                                std::fabs(v.x) < std::fabs(w.x) ? v.x : w.x};
            if (merged.z != w.z || merged.x != w.x) {
                grid.Remove(w.z, w.x, first);
                w = merged;
                grid.Add(w.z, w.x, first);
            }
        }
        grid.Add(v.z, v.x, static_cast<int>(i));
    }
    std::size_t k = 0;
    std::erase_if(vertices, [&](const Vertex&) { return duplicate[k++] != 0; });
    if (keys) {
        k = 0;
        std::erase_if(*keys, [&](int) { return duplicate[k++] != 0; });
    }
}

// ---------------------------------------------------------------- split

// The vertices sorted along Z, for the lookups by a unit's box.
class VertexIndex {
public:
    explicit VertexIndex(const std::vector<Vertex>& vertices) : vertices_(vertices) {
        order_.reserve(vertices.size());
        for (std::size_t i = 0; i < vertices.size(); ++i)
            if (std::isfinite(vertices[i].z) && std::isfinite(vertices[i].x)) order_.push_back(static_cast<int>(i));
        std::sort(order_.begin(), order_.end(), [&](int a, int b) {
            return vertices_[static_cast<std::size_t>(a)].z < vertices_[static_cast<std::size_t>(b)].z;
        });
    }

    // Indices of the vertices within the box widened by slack, in list order.
    void InBox(const BoundBox& box, double slack, std::vector<int>& out) const {
        out.clear();
        const double zlo = std::min(box.zmin, box.zmax) - slack, zhi = std::max(box.zmin, box.zmax) + slack;
        const double xlo = std::min(box.xmin, box.xmax) - slack, xhi = std::max(box.xmin, box.xmax) + slack;
        auto it = std::lower_bound(order_.begin(), order_.end(), zlo,
                                   [&](int a, double z) { return vertices_[static_cast<std::size_t>(a)].z < z; });
        for (; it != order_.end() && vertices_[static_cast<std::size_t>(*it)].z <= zhi; ++it) {
            const double x = vertices_[static_cast<std::size_t>(*it)].x;
            if (x >= xlo && x <= xhi) out.push_back(*it);
        }
        std::sort(out.begin(), out.end());
    }

private:
    const std::vector<Vertex>& vertices_;
    std::vector<int> order_;
};

// Splits the unit at the vertices that lie on it away from its ends. Adds the
// unit itself, or its pieces (also kept in `pieces`), to the elementary units.
void SplitUnit(CUnit* unit, const std::vector<Vertex>& vertices, const VertexIndex& index, std::vector<int>& scratch,
               std::vector<CUnit*>& elementary, std::vector<UnitPtr>& pieces) {
    BoundBox box;
    unit->GetBoundBox(box);
    // A point on the unit lies within EPS of it, so within EPS of its box.
    index.InBox(box, std::max(2.0 * EPS, kSnapReach), scratch);
    struct Cut {
        double length;
        const Vertex* vertex;
    };
    std::vector<Cut> cuts;
    // The unit's ends move onto the vertices they merged into: points each
    // within EPS of the next make one vertex, and every unit meeting there
    // must end at the same point for the walk to pass it.
    Vertex first{unit->StartPoint.z, unit->StartPoint.x}, last{unit->EndPoint.z, unit->EndPoint.x};
    double firstGap = kSnapReach, lastGap = kSnapReach;
    for (int k : scratch) {
        const Vertex& v = vertices[static_cast<std::size_t>(k)];
        const double toStart = Distance(unit->StartPoint.z, unit->StartPoint.x, v.z, v.x);
        const double toEnd = Distance(unit->EndPoint.z, unit->EndPoint.x, v.z, v.x);
        if (toStart < firstGap) firstGap = toStart, first = v;
        if (toEnd < lastGap) lastGap = toEnd, last = v;
        if (SamePoint(unit->StartPoint, v.z, v.x) || SamePoint(unit->EndPoint, v.z, v.x)) continue;
        if (!unit->IsPointOnUnit(v.z, v.x, 0)) continue;
        cuts.push_back({unit->GetLengthToPoint(v.z, v.x), &v});
    }
    const bool snapped = first.z != unit->StartPoint.z || first.x != unit->StartPoint.x || last.z != unit->EndPoint.z ||
                         last.x != unit->EndPoint.x;
    if (cuts.empty() && !snapped) {
        elementary.push_back(unit);
        return;
    }
    std::stable_sort(cuts.begin(), cuts.end(), [](const Cut& a, const Cut& b) { return a.length < b.length; });
    double z = first.z, x = first.x;
    for (const Cut& cut : cuts) {
        if (IsEqualPoint(cut.vertex->z, cut.vertex->x, z, x)) continue;
        if (UnitPtr piece = unit->CloneWithEnds(z, x, cut.vertex->z, cut.vertex->x)) {
            elementary.push_back(piece.get());
            pieces.push_back(std::move(piece));
        }
        z = cut.vertex->z;
        x = cut.vertex->x;
    }
    if (IsEqualPoint(last.z, last.x, z, x) && !cuts.empty()) return;
    if (UnitPtr piece = unit->CloneWithEnds(z, x, last.z, last.x)) {
        elementary.push_back(piece.get());
        pieces.push_back(std::move(piece));
    }
}

// ---------------------------------------------------------------- covered units

std::vector<UnitBox> BoxesOf(const std::vector<CUnit*>& units) {
    std::vector<UnitBox> boxes;
    boxes.reserve(units.size());
    for (const CUnit* unit : units) {
        BoundBox b;
        unit->GetBoundBox(b);
        boxes.push_back({b.zmin, b.xmin, b.zmax, b.xmax});
    }
    return boxes;
}

// `outer` is of the same kind and holds both end points of `inner`, and its
// middle too: two arcs of different circles through the same two points (the
// nose of a tool at the end of a move and the trace of a vertex of it) bound
// a lens, and neither covers the other.
bool Covers(const CUnit& outer, const CUnit& inner) {
    if (outer.Kind != inner.Kind || !outer.IsPointOnUnit(inner.StartPoint.z, inner.StartPoint.x, 0) ||
        !outer.IsPointOnUnit(inner.EndPoint.z, inner.EndPoint.x, 0))
        return false;
    if (inner.Kind == kUnitLine) return true;
    IntersectPoint middle;
    inner.GetMiddlePoint(middle);
    return outer.IsPointOnUnit(middle.z, middle.x, 0);
}

// One pass: a unit covered by a later (laterCovers) or an earlier unit is
// dropped; all units take part in the comparisons until the pass is over.
void DropCovered(std::vector<CUnit*>& units, bool laterCovers) {
    std::vector<char> dropped(units.size(), 0);
    for (const BoxPair& pair : SelfOverlappingBoxPairs(BoxesOf(units), 2.0 * EPS)) {
        const auto i = static_cast<std::size_t>(pair.first), j = static_cast<std::size_t>(pair.second);
        if (laterCovers) {
            if (!dropped[i] && Covers(*units[j], *units[i])) dropped[i] = 1;
        } else {
            if (!dropped[j] && Covers(*units[i], *units[j])) dropped[j] = 1;
        }
    }
    std::size_t k = 0;
    std::erase_if(units, [&](const CUnit*) { return dropped[k++] != 0; });
}

// ---------------------------------------------------------------- start vertex

// Whether a crossing of the sight line from the reference point to the
// vertex, other than the vertex itself, lies on one of the units.
bool IsHidden(const std::vector<CUnit*>& units, const std::vector<UnitBox>& boxes, double refZ, double refX,
              const Vertex& v, IntersectPointList& scratch) {
    const CLineUnit sight(refZ, refX, v.z, v.x);
    const double slack = 2.0 * EPS;
    const double zlo = std::min(refZ, v.z) - slack, zhi = std::max(refZ, v.z) + slack;
    const double xlo = std::min(refX, v.x) - slack, xhi = std::max(refX, v.x) + slack;
    for (std::size_t k = 0; k < units.size(); ++k) {
        const UnitBox& b = boxes[k];
        if (std::max(b.zmin, b.zmax) < zlo || std::min(b.zmin, b.zmax) > zhi || std::max(b.xmin, b.xmax) < xlo ||
            std::min(b.xmin, b.xmax) > xhi)
            continue;
        scratch.SetCountZero();
        sight.Intersect(units[k], scratch);
        for (const IntersectPoint& p : scratch)
            if (sight.IsPointOnUnit(p.z, p.x, 0) && !IsEqualPoint(p.z, p.x, v.z, v.x)) return true;
    }
    return false;
}

// The nearest vertex that can be seen from the reference point; throws when
// there is none.
// The index of the nearest vertex that can be seen from the reference point;
// throws when there is none. boxes hold the units (they may be larger).
std::size_t FindStartVertex(const std::vector<Vertex>& vertices, const std::vector<CUnit*>& units,
                            const std::vector<UnitBox>& boxes, double refZ, double refX) {
    struct Ranked {
        double distance;
        std::size_t index;
    };
    // Kept from call to call: a long stock would otherwise cost an
    // allocation of its size, and the return of it to the system, each step.
    thread_local std::vector<Ranked> ranked;
    ranked.clear();
    ranked.reserve(vertices.size());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const double d = Distance(vertices[i].z, vertices[i].x, refZ, refX);
        if (d < kFarDistance) ranked.push_back({d, i});
    }
    // Strictly nearer wins, so of equally near vertices the first in the list
    // comes first. A heap hands them out nearest first: usually the first
    // one is seen, and the rest need no order.
    const auto farther = [](const Ranked& a, const Ranked& b) {
        return a.distance > b.distance || (a.distance == b.distance && a.index > b.index);
    };
    std::make_heap(ranked.begin(), ranked.end(), farther);
    IntersectPointList scratch(10);
    while (!ranked.empty()) {
        std::pop_heap(ranked.begin(), ranked.end(), farther);
        const std::size_t index = ranked.back().index;
        ranked.pop_back();
        if (!IsHidden(units, boxes, refZ, refX, vertices[index], scratch)) return index;
    }
    throw Exception("Не найдена ближайшая точка");
}

// ---------------------------------------------------------------- walk

enum class WalkEnd { Closed, Failed };

// Of several units leaving P, the first one counter-clockwise about P
// from the arriving unit (turned to leave P). Units leave P in the order
// of their directions there; units that leave in one direction part by
// their bends, the one that bends further to the left lying counter-
// clockwise of the other, however near P the order is looked at. Null
// when only the arriving unit itself (or one lying along it) is left:
// the walk cannot go on.
CUnit* TurnNext(const CUnit& current, const std::vector<CUnit*>& candidates) {
    struct Leaving {
        double angle;
        double bend;   // the curvature, positive to the left
        double slack;  // how far the angle may be off for ends within EPS
    };
    auto leaving = [](const CUnit& u) {
        if (u.Kind != kUnitArc) return Leaving{u.GetStartAngle(), 0.0, 0.0};
        const double r = static_cast<const CArcUnit&>(u).Radius;
        return Leaving{u.GetStartAngle(), (u.DirVector == 1 ? -1.0 : 1.0) / r, 2 * EPS / r};
    };
    const Leaving back = leaving(current);
    // How far counter-clockwise from the arriving unit a unit leaves: its
    // angle, and its bend against the arriving unit's when they leave
    // alike (a unit bending less lies just clockwise of it, a whole turn
    // round).
    struct Rank {
        double turn;
        double bend;
        double slack;
    };
    CUnit* chosen = nullptr;
    Rank best{0.0, 0.0, 0.0};
    for (CUnit* u : candidates) {
        const Leaving l = leaving(*u);
        double turn = std::remainder(l.angle - back.angle, 2 * PI);
        if (turn < 0.0) turn += 2 * PI;
        const double tangent = kTangentAngle + l.slack + back.slack;
        if (turn < tangent || turn > 2 * PI - tangent) {
            const double apart = l.bend - back.bend;
            if (std::fabs(apart) <= kSameBend) continue;
            turn = apart > 0.0 ? 0.0 : 2 * PI;
        }
        const Rank rank{turn, l.bend, l.slack};
        const double alike = kTangentAngle + rank.slack + best.slack;
        const bool first = !chosen || rank.turn < best.turn - alike ||
                           (std::fabs(rank.turn - best.turn) <= alike && rank.bend < best.bend);
        if (first) {
            chosen = u;
            best = rank;
        }
    }
    return chosen;
}

class Walk {
public:
    Walk(const std::vector<CUnit*>& units, UnitChangeLog& log, bool draw)
        : units_(units), log_(log), draw_(draw), ends_(2 * units.size()) {
        for (std::size_t k = 0; k < units_.size(); ++k) {
            const int id = static_cast<int>(k);
            ends_.Add(units_[k]->StartPoint.z, units_[k]->StartPoint.x, id);
            ends_.Add(units_[k]->EndPoint.z, units_[k]->EndPoint.x, id);
        }
    }

    // Walks from V, leaving towards the reference point's side; the boundary
    // runs in walk order.
    WalkEnd Run(const Vertex& start, double refZ, double refX, std::vector<CUnit*>& boundary) {
        UnitPtr current = std::make_unique<CLineUnit>(start.z, start.x, refZ, refX);
        if (draw_) current->Draw2D(kStyleFirstUnit);
        double pz = start.z, px = start.x;
        // A closed boundary takes each elementary unit at most once.
        const std::size_t maxSteps = units_.size() + 1;
        std::vector<int> near;
        std::vector<CUnit*> candidates;
        std::vector<CUnit*> reversedNow;
        for (std::size_t step = 1; step <= maxSteps; ++step) {
            near.clear();
            ends_.Near(pz, px, near);
            SortUnique(near);
            candidates.clear();
            reversedNow.clear();
            for (int id : near) {
                CUnit* u = units_[static_cast<std::size_t>(id)];
                if (SamePoint(u->EndPoint, pz, px)) {
                    log_.Reverse(u);
                    reversedNow.push_back(u);
                }
                if (SamePoint(u->StartPoint, pz, px) && !SamePoint(u->EndPoint, current->EndPoint))
                    candidates.push_back(u);
            }
            CUnit* chosen = nullptr;
            if (candidates.size() == 1) {
                chosen = candidates.front();
                if (draw_) current->Draw2D(kStyleSingleStep);
            } else if (candidates.size() > 1) {
                chosen = TurnNext(*current, candidates);
            }
            if (!chosen) return WalkEnd::Failed;
            // Taking its first unit again, the walk is round: back at a
            // vertex within EPS of another within EPS of its start.
            if (!boundary.empty() && chosen == boundary.front()) {
                for (CUnit* u : reversedNow) log_.Reverse(u);
                return WalkEnd::Closed;
            }
            current = chosen->Clone();
            current->Reverse();
            log_.ClearRapid(chosen);
            boundary.push_back(chosen);
            pz = chosen->EndPoint.z;
            px = chosen->EndPoint.x;
            for (CUnit* u : reversedNow)
                if (u != chosen) log_.Reverse(u);
            if (IsEqualPoint(pz, px, start.z, start.x)) return WalkEnd::Closed;
        }
        return WalkEnd::Failed;
    }

private:
    const std::vector<CUnit*>& units_;
    UnitChangeLog& log_;
    bool draw_;
    PointGrid ends_;
};

// ---------------------------------------------------------------- apply

// The order Contour::ChainUnits gives `units` when each unit's end meets the
// start of exactly one unit: the boundary's cycle, from the unit in front.
// False when some end meets several starts; the caller then chains the
// ordinary way.
bool ChainAlongBoundary(std::vector<UnitPtr>& units) {
    const std::size_t n = units.size();
    PointGrid starts(n);
    for (std::size_t k = 0; k < n; ++k) starts.Add(units[k]->StartPoint.z, units[k]->StartPoint.x, static_cast<int>(k));
    std::vector<int> next(n, -1);
    std::vector<int> near;
    for (std::size_t k = 0; k < n; ++k) {
        near.clear();
        starts.Near(units[k]->EndPoint.z, units[k]->EndPoint.x, near);
        for (int id : near) {
            if (!SamePoint(units[static_cast<std::size_t>(id)]->StartPoint, units[k]->EndPoint)) continue;
            if (next[k] >= 0) return false;
            next[k] = id;
        }
        if (next[k] < 0) return false;
    }
    std::vector<UnitPtr> chained;
    chained.reserve(n);
    std::vector<char> used(n, 0);
    for (std::size_t k = 0, at = 0; k < n; ++k, at = static_cast<std::size_t>(next[at])) {
        if (used[at]) return false;
        used[at] = 1;
        chained.push_back(std::move(units[at]));
    }
    units = std::move(chained);
    return true;
}

// Unit identities sorted for lookups.
class SortedUnitSet {
public:
    explicit SortedUnitSet(std::vector<const CUnit*> units) : units_(std::move(units)) {
        std::sort(units_.begin(), units_.end(), std::less<const CUnit*>());
    }
    bool count(const CUnit* unit) const {
        return std::binary_search(units_.begin(), units_.end(), unit, std::less<const CUnit*>());
    }

private:
    std::vector<const CUnit*> units_;
};

// Replaces the stock's units by the boundary: stock units outside it go to
// the removed list and are destroyed, clones of the other boundary units go
// to the added list and join the stock, which is then put in chain order.
void ApplyBoundary(Contour& stock, const std::vector<CUnit*>& boundary, RemovedUnitList& removed,
                   AddedUnitList& added) {
    const SortedUnitSet inBoundary(std::vector<const CUnit*>(boundary.begin(), boundary.end()));
    std::vector<const CUnit*> stockUnits;
    stockUnits.reserve(static_cast<std::size_t>(stock.Count()));
    for (int k = 0; k < stock.Count(); ++k) {
        const CUnit* unit = stock.GetUnit(k);
        stockUnits.push_back(unit);
        if (!inBoundary.count(unit)) removed.Add(unit);
    }
    const SortedUnitSet inStock(std::move(stockUnits));
    std::vector<UnitPtr> clones;
    for (const CUnit* unit : boundary) {
        if (inStock.count(unit)) continue;
        clones.push_back(unit->Clone());
        added.Add(clones.back().get());
    }
    // Taken from the back, each unit leaves its slot in constant time.
    std::vector<UnitPtr> units;
    units.reserve(static_cast<std::size_t>(stock.Count()) + clones.size());
    while (CUnit* last = stock.GetLastUnit()) {
        UnitPtr unit = stock.RemoveUnit(last);
        if (inBoundary.count(unit.get())) units.push_back(std::move(unit));
    }
    std::reverse(units.begin(), units.end());
    for (UnitPtr& clone : clones) units.push_back(std::move(clone));
    const bool chained = ChainAlongBoundary(units);
    for (UnitPtr& unit : units) stock.AddUnit(std::move(unit));
    if (!chained) stock.ChainUnits();
}

// The arrangement, then the host's view call that shows it.
void DrawArrangement(const std::vector<CUnit*>& units) {
    for (CUnit* unit : units) unit->Draw2D(kStyleArrangement);
    ActiveDocument2D().RefreshView(2);
}

// ---------------------------------------------------------------- near the cutter

// Only the stock near the cutter enters the arrangement; the runs of stock
// units away from it are carried over as they are, and the walk crosses each
// such run in one go. That is what the whole arrangement gives as long as the
// stock away from the cutter meets itself only where a unit ends and the next
// begins, by the same point: a stock the subtraction has made keeps its units
// further apart than the snap reach everywhere else. Whatever else the call
// meets (a rapid or zero-length unit, ends that do not meet exactly, a walk
// that runs against the stock or comes back to a vertex it passed) goes
// through the whole arrangement instead.

bool wholeStockOnly = false;

// Below this many units the whole arrangement costs about as little.
constexpr int kNearCutterMinUnits = 32;
// How far beyond the cutter's box the stock still counts as near: far more
// than the tolerances of the arrangement (a few EPS).
constexpr double kNearMargin = 1e-2;
constexpr double kNearMarginInEps = 1e4;

UnitBox Grown(const UnitBox& box, double by) { return {box.zmin - by, box.xmin - by, box.zmax + by, box.xmax + by}; }
bool Meets(const UnitBox& a, const UnitBox& b) {
    return a.zmin <= b.zmax && b.zmin <= a.zmax && a.xmin <= b.xmax && b.xmin <= a.xmax;
}
bool Holds(const UnitBox& box, double z, double x) {
    return z >= box.zmin && z <= box.zmax && x >= box.xmin && x <= box.xmax;
}

// A box holding the unit, from its ends (an arc: from its circle), widened by
// EPS against rounding; false for kinds other than lines and arcs.
bool RoughUnitBox(const CUnit& unit, UnitBox& box) {
    const Point3D& a = unit.StartPoint;
    const Point3D& b = unit.EndPoint;
    if (unit.Kind == kUnitLine) {
        box = {std::min(a.z, b.z), std::min(a.x, b.x), std::max(a.z, b.z), std::max(a.x, b.x)};
    } else if (unit.Kind == kUnitArc) {
        const auto& arc = static_cast<const CArcUnit&>(unit);
        const double r = std::fabs(arc.Radius);
        box = {arc.CentrePoint.z - r, arc.CentrePoint.x - r, arc.CentrePoint.z + r, arc.CentrePoint.x + r};
    } else {
        return false;
    }
    box = Grown(box, EPS);
    return std::isfinite(box.zmin) && std::isfinite(box.xmin) && std::isfinite(box.zmax) && std::isfinite(box.xmax);
}

// Where the boundary goes: a unit of the arrangement, or `count` stock units
// from stock slot `first` on (cyclically) when unit is null.
struct Segment {
    CUnit* unit = nullptr;
    int first = 0;
    int count = 0;
};

// The per-unit arrays of a near-cutter step, kept from call to call: their
// allocation and return, at the size of a long stock, cost more than the
// step itself.
struct NearScratch {
    std::vector<UnitBox> boxes;
    std::vector<char> near;
    std::vector<char> inMerge;
    std::vector<Vertex> all;
    std::vector<int> allKeys;
    std::vector<CUnit*> units;
    std::vector<UnitBox> unitBoxes;
    std::vector<int> order;
    std::vector<char> kept;
    std::vector<UnitPtr> taken;
    std::vector<UnitPtr> newUnits;
    std::vector<CUnit*> stockUnits;
};

NearScratch& TheNearScratch() {
    thread_local NearScratch scratch;
    return scratch;
}

// Going: the walk stands at a vertex of the arrangement and goes on.
enum class NearWalkEnd { Going, Closed, Failed, Unsupported };

class NearCutterSubtraction {
public:
    NearCutterSubtraction(Contour& stock, Contour& cutter)
        : stock_(stock),
          cutter_(cutter),
          n_(stock.Count()),
          scratch_(TheNearScratch()),
          boxes_(scratch_.boxes),
          near_(scratch_.near),
          stockUnits_(scratch_.stockUnits) {}

    // The subtraction's result, or nothing when the whole arrangement has to
    // decide.
    std::optional<int> Run(double refZ, double refX, RemovedUnitList& removed, AddedUnitList& added);

private:
    // The vertices near the cutter: the merged ones with their places in the
    // whole list (stock starts, cutter starts, the cutter's end, crossings),
    // and every vertex the near units may meet, in the whole list's order.
    struct NearVertices {
        std::vector<Vertex> merged;
        std::vector<int> keys;
        std::vector<Vertex> vertices;
    };
    // Where the walk starts, and the far slot it starts on (-1 when none).
    struct WalkStart {
        Vertex vertex;
        int farStart = -1;
    };
    using UnitOrigins = std::vector<std::pair<const CUnit*, int>>;

    bool Classify();
    bool CollectVertices(const std::vector<int>& nearIndex, const IntersectPointList& crossings, NearVertices& out);
    void SplitNearUnits(const std::vector<int>& nearIndex, const std::vector<Vertex>& vertices,
                        std::vector<UnitPtr>& pieces, UnitOrigins& origins);
    WalkStart FindWalkStart(const NearVertices& near, double refZ, double refX);
    void OrderWalkItems(const UnitOrigins& origins, const std::vector<int>& nearIndex);
    CUnit* Unit(int k) const { return stockUnits_[static_cast<std::size_t>(k)]; }
    int Next(int k) const { return k + 1 == n_ ? 0 : k + 1; }
    int Prev(int k) const { return k == 0 ? n_ - 1 : k - 1; }
    NearWalkEnd Walk(const Vertex& start, int farStart, double refZ, double refX, UnitChangeLog& log);
    NearWalkEnd TakeRun(int k, const Vertex& start);
    bool ChainsAlongBoundary() const;
    void Apply(RemovedUnitList& removed, AddedUnitList& added);

    Contour& stock_;
    Contour& cutter_;
    const int n_;
    UnitBox cutterBox_{};
    double margin_ = 0.0;
    NearScratch& scratch_;
    std::vector<UnitBox>& boxes_;
    std::vector<char>& near_;
    std::vector<CUnit*>& stockUnits_;  // the stock's units by slot, as the call found them
    int nearCount_ = 0;

    // The arrangement near the cutter, and what the walk meets: its units and
    // the far stock units next to it, in the order the whole arrangement
    // would hold them.
    std::vector<CUnit*> elementary_;
    std::vector<CUnit*> items_;
    std::vector<int> itemStock_;                           // stock slot of a far item, -1 for the arrangement's units
    std::vector<std::pair<const CUnit*, int>> nearSlots_;  // sorted by unit

    std::size_t maxSteps_ = 0;
    std::size_t step_ = 0;
    UnitPtr current_;
    double pz_ = 0.0, px_ = 0.0;
    const CUnit* front_ = nullptr;
    std::vector<Segment> boundary_;
};

bool NearCutterSubtraction::Classify() {
    UnitBox box{};
    for (int j = 0; j < cutter_.Count(); ++j) {
        UnitBox b;
        if (!RoughUnitBox(*cutter_.GetUnit(j), b)) return false;
        box = j == 0 ? b
                     : UnitBox{std::min(box.zmin, b.zmin), std::min(box.xmin, b.xmin), std::max(box.zmax, b.zmax),
                               std::max(box.xmax, b.xmax)};
    }
    cutterBox_ = box;
    margin_ = std::max(kNearMargin, kNearMarginInEps * EPS);
    const UnitBox window = Grown(box, margin_);
    stockUnits_.clear();
    for (int k = 0; k < n_; ++k) stockUnits_.push_back(stock_.GetUnit(k));
    boxes_.resize(static_cast<std::size_t>(n_));
    near_.assign(static_cast<std::size_t>(n_), 0);
    nearCount_ = 0;
    for (int k = 0; k < n_; ++k) {
        const CUnit& unit = *Unit(k);
        const CUnit& next = *Unit(Next(k));
        if (unit.IsRapid || unit.IsZeroLength() || unit.EndPoint.z != next.StartPoint.z ||
            unit.EndPoint.x != next.StartPoint.x || !RoughUnitBox(unit, boxes_[static_cast<std::size_t>(k)]))
            return false;
        if (Meets(boxes_[static_cast<std::size_t>(k)], window)) {
            near_[static_cast<std::size_t>(k)] = 1;
            ++nearCount_;
        }
    }
    return nearCount_ < n_;
}

std::optional<int> NearCutterSubtraction::Run(double refZ, double refX, RemovedUnitList& removed,
                                              AddedUnitList& added) {
    if (n_ < kNearCutterMinUnits || cutter_.Count() == 0 || !Classify()) return std::nullopt;

    // Crossings: the far units' boxes miss the cutter's by the margin.
    Contour nearStock;
    std::vector<int> nearIndex;
    for (int k = 0; k < n_; ++k) {
        if (!near_[static_cast<std::size_t>(k)]) continue;
        if (!Unit(k)->ClonesExactly()) return std::nullopt;
        nearStock.AddUnit(Unit(k)->Clone());
        nearIndex.push_back(k);
    }
    IntersectPointList crossings(100);
    nearStock.Intersect(cutter_, crossings, true);
    if (crossings.Count() < 2) return 0;
    const int crossingCount = static_cast<int>(crossings.Count());

    NearVertices near;
    if (!CollectVertices(nearIndex, crossings, near)) return std::nullopt;
    std::vector<UnitPtr> pieces;
    UnitOrigins origins;
    SplitNearUnits(nearIndex, near.vertices, pieces, origins);
    const WalkStart start = FindWalkStart(near, refZ, refX);
    OrderWalkItems(origins, nearIndex);

    // The log is declared after the pieces, so that it undoes its changes
    // while they still exist.
    UnitChangeLog log;
    const NearWalkEnd end = Walk(start.vertex, start.farStart, refZ, refX, log);
    if (end == NearWalkEnd::Unsupported) return std::nullopt;
    if (end == NearWalkEnd::Failed) return 0;
    if (!ChainsAlongBoundary()) return std::nullopt;
    log.Keep();
    Apply(removed, added);
    return crossingCount;
}

bool NearCutterSubtraction::CollectVertices(const std::vector<int>& nearIndex, const IntersectPointList& crossings,
                                            NearVertices& out) {
    // Vertices near the cutter, merged; the keys are their places in the
    // whole list (stock starts, cutter starts, the cutter's end, crossings).
    const UnitBox core = Grown(cutterBox_, margin_ / 4);
    const UnitBox reach = Grown(cutterBox_, margin_ / 2);
    std::vector<Vertex>& merged = out.merged;
    std::vector<int>& keys = out.keys;
    std::vector<char>& inMerge = scratch_.inMerge;
    inMerge.assign(static_cast<std::size_t>(n_), 0);
    for (int k : nearIndex) {
        const Point3D& p = Unit(k)->StartPoint;
        if (!Holds(reach, p.z, p.x)) continue;
        inMerge[static_cast<std::size_t>(k)] = 1;
        merged.push_back({p.z, p.x});
        keys.push_back(k);
    }
    {
        const std::size_t firstCutter = merged.size();
        for (int j = 0; j < cutter_.Count(); ++j)
            merged.push_back({cutter_.GetUnit(j)->StartPoint.z, cutter_.GetUnit(j)->StartPoint.x});
        if (const CUnit* last = cutter_.GetLastUnit()) merged.push_back({last->EndPoint.z, last->EndPoint.x});
        for (const IntersectPoint& p : crossings) merged.push_back({p.z, p.x});
        for (std::size_t i = firstCutter; i < merged.size(); ++i) {
            if (!Holds(core, merged[i].z, merged[i].x)) return false;
            keys.push_back(n_ + static_cast<int>(i - firstCutter));
        }
    }
    MergeCloseVertices(merged, &keys);
    for (const Vertex& v : merged)
        if (!Holds(reach, v.z, v.x)) return false;

    // The vertices the near units may meet: the merged ones and the ends of
    // the near units, in the order of the whole list.
    std::vector<std::pair<int, Vertex>> keyed;
    for (std::size_t i = 0; i < merged.size(); ++i) keyed.emplace_back(keys[i], merged[i]);
    for (int k : nearIndex)
        for (int s : {k, Next(k)})
            if (!inMerge[static_cast<std::size_t>(s)])
                keyed.emplace_back(s, Vertex{Unit(s)->StartPoint.z, Unit(s)->StartPoint.x});
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    keyed.erase(
        std::unique(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
        keyed.end());
    out.vertices.reserve(keyed.size());
    for (const auto& entry : keyed) out.vertices.push_back(entry.second);
    return true;
}

void NearCutterSubtraction::SplitNearUnits(const std::vector<int>& nearIndex, const std::vector<Vertex>& vertices,
                                           std::vector<UnitPtr>& pieces, UnitOrigins& origins) {
    // Elementary units near the cutter, each with the slot it comes from.
    {
        const VertexIndex index(vertices);
        std::vector<int> scratch;
        auto split = [&](CUnit* unit, int origin) {
            const std::size_t from = elementary_.size();
            SplitUnit(unit, vertices, index, scratch, elementary_, pieces);
            for (std::size_t i = from; i < elementary_.size(); ++i) origins.emplace_back(elementary_[i], origin);
        };
        for (int k : nearIndex) split(Unit(k), k);
        for (int j = 0; j < cutter_.Count(); ++j) split(cutter_.GetUnit(j), n_ + j);
    }
    std::erase_if(elementary_, [](const CUnit* unit) { return unit->IsZeroLength(); });
    DropCovered(elementary_, true);
    DropCovered(elementary_, false);
    std::sort(origins.begin(), origins.end());
}

NearCutterSubtraction::WalkStart NearCutterSubtraction::FindWalkStart(const NearVertices& near, double refZ,
                                                                      double refX) {
    // The start vertex, from every vertex and unit of the whole arrangement.
    std::vector<Vertex>& all = scratch_.all;
    std::vector<int>& allKeys = scratch_.allKeys;
    const std::vector<char>& inMerge = scratch_.inMerge;
    all.clear();
    allKeys.clear();
    all.reserve(static_cast<std::size_t>(n_) + near.merged.size());
    allKeys.reserve(all.capacity());
    std::size_t m = 0;
    for (int k = 0; k < n_; ++k) {
        if (inMerge[static_cast<std::size_t>(k)]) {
            while (m < near.keys.size() && near.keys[m] < k) ++m;
            if (m < near.keys.size() && near.keys[m] == k) {
                all.push_back(near.merged[m]);
                allKeys.push_back(k);
            }
            continue;
        }
        all.push_back({Unit(k)->StartPoint.z, Unit(k)->StartPoint.x});
        allKeys.push_back(k);
    }
    for (std::size_t i = 0; i < near.keys.size(); ++i)
        if (near.keys[i] >= n_) {
            all.push_back(near.merged[i]);
            allKeys.push_back(near.keys[i]);
        }
    std::vector<CUnit*>& units = scratch_.units;
    std::vector<UnitBox>& unitBoxes = scratch_.unitBoxes;
    units.assign(elementary_.begin(), elementary_.end());
    unitBoxes.clear();
    for (const UnitBox& box : BoxesOf(elementary_)) unitBoxes.push_back(box);
    for (int k = 0; k < n_; ++k)
        if (!near_[static_cast<std::size_t>(k)]) {
            units.push_back(Unit(k));
            unitBoxes.push_back(boxes_[static_cast<std::size_t>(k)]);
        }
    const std::size_t startIndex = FindStartVertex(all, units, unitBoxes, refZ, refX);
    const int startKey = allKeys[startIndex];
    const bool onFarRun =
        startKey < n_ && !near_[static_cast<std::size_t>(startKey)] && !near_[static_cast<std::size_t>(Prev(startKey))];
    return {all[startIndex], onFarRun ? startKey : -1};
}

void NearCutterSubtraction::OrderWalkItems(const UnitOrigins& origins, const std::vector<int>& nearIndex) {
    // What the walk meets, in the whole arrangement's order: its units by
    // the slot they come from, and the far units at the ends of each run.
    struct Item {
        int origin;
        std::size_t order;
        CUnit* unit;
        int stockSlot;
    };
    auto originOf = [&](const CUnit* unit) {
        return std::lower_bound(origins.begin(), origins.end(), std::pair<const CUnit*, int>(unit, -1))->second;
    };
    std::vector<Item> items;
    for (std::size_t i = 0; i < elementary_.size(); ++i)
        items.push_back({originOf(elementary_[i]), i, elementary_[i], -1});
    for (int k = 0; k < n_; ++k)
        if (!near_[static_cast<std::size_t>(k)] &&
            (near_[static_cast<std::size_t>(Prev(k))] || near_[static_cast<std::size_t>(Next(k))]))
            items.push_back({k, 0, Unit(k), k});
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return a.origin < b.origin || (a.origin == b.origin && a.order < b.order);
    });
    for (const Item& item : items) {
        items_.push_back(item.unit);
        itemStock_.push_back(item.stockSlot);
    }
    for (int k : nearIndex) nearSlots_.emplace_back(Unit(k), k);
    std::sort(nearSlots_.begin(), nearSlots_.end());
    maxSteps_ = elementary_.size() + static_cast<std::size_t>(n_ - nearCount_) + 1;
}

// Goes on along the far run from stock slot k, whose unit the walk has just
// chosen, to the vertex at the run's end.
NearWalkEnd NearCutterSubtraction::TakeRun(int k, const Vertex& start) {
    Segment run{nullptr, k, 0};
    for (;;) {
        CUnit* unit = Unit(k);
        if (run.count > 0) {
            if (++step_ > maxSteps_) return NearWalkEnd::Failed;
            if (unit == front_) {
                boundary_.push_back(run);
                return NearWalkEnd::Closed;
            }
        }
        if (!front_) front_ = unit;
        ++run.count;
        pz_ = unit->EndPoint.z;
        px_ = unit->EndPoint.x;
        if (IsEqualPoint(pz_, px_, start.z, start.x)) {
            boundary_.push_back(run);
            return NearWalkEnd::Closed;
        }
        if (near_[static_cast<std::size_t>(Next(k))]) break;
        k = Next(k);
    }
    boundary_.push_back(run);
    current_ = Unit(k)->Clone();
    current_->Reverse();
    return NearWalkEnd::Going;
}

// The walk of the whole arrangement, step for step, with the far runs
// crossed in one go: inside a run each vertex has the arriving unit and the
// next one only, so the walk takes the next one.
NearWalkEnd NearCutterSubtraction::Walk(const Vertex& start, int farStart, double refZ, double refX,
                                        UnitChangeLog& log) {
    current_ = std::make_unique<CLineUnit>(start.z, start.x, refZ, refX);
    pz_ = start.z;
    px_ = start.x;
    std::vector<int> near;
    std::vector<CUnit*> met;
    std::vector<CUnit*> candidates;
    std::vector<CUnit*> reversedNow;
    // The units met at the vertex: those ending there turn round (logged),
    // those leaving there (but not back to where the walk came from) are the
    // candidates; then the chosen one, null when none.
    auto choose = [&]() -> CUnit* {
        candidates.clear();
        reversedNow.clear();
        for (CUnit* u : met) {
            if (SamePoint(u->EndPoint, pz_, px_)) {
                log.Reverse(u);
                reversedNow.push_back(u);
            }
            if (SamePoint(u->StartPoint, pz_, px_) && !SamePoint(u->EndPoint, current_->EndPoint))
                candidates.push_back(u);
        }
        if (candidates.size() == 1) return candidates.front();
        return candidates.size() > 1 ? TurnNext(*current_, candidates) : nullptr;
    };
    auto turnBackOthers = [&](const CUnit* chosen) {
        for (CUnit* u : reversedNow)
            if (u != chosen) log.Reverse(u);
    };

    PointGrid ends(2 * items_.size());
    for (std::size_t k = 0; k < items_.size(); ++k) {
        const int id = static_cast<int>(k);
        ends.Add(items_[k]->StartPoint.z, items_[k]->StartPoint.x, id);
        ends.Add(items_[k]->EndPoint.z, items_[k]->EndPoint.x, id);
    }

    step_ = 0;
    if (farStart >= 0) {
        // Inside a far run: the two units meeting there, in slot order.
        step_ = 1;
        const int before = Prev(farStart);
        met.clear();
        met.push_back(Unit(std::min(before, farStart)));
        met.push_back(Unit(std::max(before, farStart)));
        CUnit* chosen = choose();
        if (!chosen) return NearWalkEnd::Failed;
        if (chosen != Unit(farStart)) return NearWalkEnd::Unsupported;
        log.ClearRapid(chosen);
        turnBackOthers(chosen);
        const NearWalkEnd end = TakeRun(farStart, start);
        if (end != NearWalkEnd::Going) return end;
    }
    for (;;) {
        if (++step_ > maxSteps_) return NearWalkEnd::Failed;
        near.clear();
        ends.Near(pz_, px_, near);
        SortUnique(near);
        met.clear();
        for (int id : near) met.push_back(items_[static_cast<std::size_t>(id)]);
        CUnit* chosen = choose();
        if (!chosen) return NearWalkEnd::Failed;
        if (front_ && chosen == front_) {
            for (CUnit* u : reversedNow) log.Reverse(u);
            return NearWalkEnd::Closed;
        }
        const auto at = std::find(items_.begin(), items_.end(), chosen) - items_.begin();
        const int slot = itemStock_[static_cast<std::size_t>(at)];
        log.ClearRapid(chosen);
        if (slot >= 0) {
            // A far run, entered at its first unit as it runs; a run taken
            // against the stock's direction is left to the whole arrangement.
            if (std::find(reversedNow.begin(), reversedNow.end(), chosen) != reversedNow.end())
                return NearWalkEnd::Unsupported;
            turnBackOthers(chosen);
            const NearWalkEnd end = TakeRun(slot, start);
            if (end != NearWalkEnd::Going) return end;
            continue;
        }
        current_ = chosen->Clone();
        current_->Reverse();
        boundary_.push_back({chosen, 0, 0});
        if (!front_) front_ = chosen;
        pz_ = chosen->EndPoint.z;
        px_ = chosen->EndPoint.x;
        turnBackOthers(chosen);
        if (IsEqualPoint(pz_, px_, start.z, start.x)) return NearWalkEnd::Closed;
    }
}

// Whether the boundary chains along its walk as ChainAlongBoundary finds it:
// each segment's end meets the start of the next segment and of no other.
// Inside a far run each end meets the next unit's start alone.
bool NearCutterSubtraction::ChainsAlongBoundary() const {
    const std::size_t count = boundary_.size();
    auto first = [&](const Segment& s) -> const CUnit& { return s.unit ? *s.unit : *Unit(s.first); };
    auto last = [&](const Segment& s) -> const CUnit& {
        return s.unit ? *s.unit : *Unit((s.first + s.count - 1) % n_);
    };
    PointGrid starts(count);
    for (std::size_t i = 0; i < count; ++i)
        starts.Add(first(boundary_[i]).StartPoint.z, first(boundary_[i]).StartPoint.x, static_cast<int>(i));
    std::vector<int> near;
    for (std::size_t i = 0; i < count; ++i) {
        const Point3D& end = last(boundary_[i]).EndPoint;
        near.clear();
        starts.Near(end.z, end.x, near);
        SortUnique(near);
        int match = -1;
        for (int id : near) {
            if (!SamePoint(first(boundary_[static_cast<std::size_t>(id)]).StartPoint, end)) continue;
            if (match >= 0) return false;
            match = id;
        }
        if (match != static_cast<int>((i + 1) % count)) return false;
    }
    return true;
}

// ApplyBoundary for the boundary of segments: the same removed and added
// lists, and the same chain order, from the kept stock unit in the lowest
// slot (or else the walk's first unit).
void NearCutterSubtraction::Apply(RemovedUnitList& removed, AddedUnitList& added) {
    std::vector<int>& order = scratch_.order;  // a stock slot, or -1 - the index of a clone
    order.clear();
    order.reserve(static_cast<std::size_t>(n_));
    std::vector<UnitPtr> clones;
    for (const Segment& s : boundary_) {
        if (!s.unit) {
            for (int i = 0, k = s.first; i < s.count; ++i, k = Next(k)) order.push_back(k);
            continue;
        }
        const auto it =
            std::lower_bound(nearSlots_.begin(), nearSlots_.end(), std::pair<const CUnit*, int>(s.unit, -1));
        if (it != nearSlots_.end() && it->first == s.unit) {
            order.push_back(it->second);
            continue;
        }
        clones.push_back(s.unit->Clone());
        added.Add(clones.back().get());
        order.push_back(-1 - static_cast<int>(clones.size() - 1));
    }
    std::vector<char>& kept = scratch_.kept;
    kept.assign(static_cast<std::size_t>(n_), 0);
    std::size_t front = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] < 0) continue;
        kept[static_cast<std::size_t>(order[i])] = 1;
        if (order[front] < 0 || order[i] < order[front]) front = i;
    }
    for (int k = 0; k < n_; ++k)
        if (!kept[static_cast<std::size_t>(k)]) removed.Add(Unit(k));
    std::rotate(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(front), order.end());
    std::vector<UnitPtr>& taken = scratch_.taken;
    std::vector<UnitPtr>& units = scratch_.newUnits;
    taken.clear();
    units.clear();
    stock_.SwapUnits(taken);
    units.reserve(order.size());
    for (int code : order)
        units.push_back(code >= 0 ? std::move(taken[static_cast<std::size_t>(code)])
                                  : std::move(clones[static_cast<std::size_t>(-1 - code)]));
    stock_.SwapUnits(units);
    // The removed units go now; both vectors keep their room for the next step.
    taken.clear();
    units.clear();
}

// The arrangement of the whole stock and the cutter.
int SubtractWholeStock(Contour& stock, Contour& cutter, double refZ, double refX, RemovedUnitList& removed,
                       AddedUnitList& added, bool draw) {
    // 2. Crossings.
    IntersectPointList crossings(100);
    stock.Intersect(cutter, crossings, true);
    if (crossings.Count() < 2) return 0;
    const int crossingCount = static_cast<int>(crossings.Count());

    // 3-4. Vertices, close ones merged.
    std::vector<Vertex> vertices = CollectVertices(stock, cutter, crossings);
    MergeCloseVertices(vertices);

    // 5-6. Elementary units: every unit split at the vertices on it.
    std::vector<UnitPtr> pieces;
    std::vector<CUnit*> elementary;
    elementary.reserve(static_cast<std::size_t>(stock.Count() + cutter.Count()) + 2 * vertices.size());
    {
        const VertexIndex index(vertices);
        std::vector<int> scratch;
        for (int k = 0; k < stock.Count(); ++k)
            SplitUnit(stock.GetUnit(k), vertices, index, scratch, elementary, pieces);
        for (int k = 0; k < cutter.Count(); ++k)
            SplitUnit(cutter.GetUnit(k), vertices, index, scratch, elementary, pieces);
    }
    std::erase_if(elementary, [](const CUnit* unit) { return unit->IsZeroLength(); });

    // 7. Doubled and covered units collapse.
    DropCovered(elementary, true);
    DropCovered(elementary, false);

    // 8.
    if (elementary.empty()) HostTextOutput("AllUnits.MaxIndex()+1<1");
    if (draw) DrawArrangement(elementary);

    // 9. Start vertex.
    const Vertex start = vertices[FindStartVertex(vertices, elementary, BoxesOf(elementary), refZ, refX)];

    // 10. Walk. The log is declared after the pieces, so that it undoes its
    // changes while they still exist.
    UnitChangeLog log;
    std::vector<CUnit*> boundary;
    Walk walk(elementary, log, draw);
    if (walk.Run(start, refZ, refX, boundary) != WalkEnd::Closed) return 0;

    // 11. Apply.
    log.Keep();
    ApplyBoundary(stock, boundary, removed, added);
    return crossingCount;
}

}  // namespace

void SetRegionDiagnosticRun(bool on) { SimulationCheckMode = on; }
bool RegionDiagnosticRun() { return SimulationCheckMode; }

int SubtractRegion(Contour& stock, Contour& cutter, double refZ, double refX, RemovedUnitList& removed,
                   AddedUnitList& added, int stepIndex, int stepCount) {
    // 1. The cutter loses its zero-length units for good.
    for (int k = cutter.Count() - 1; k >= 0; --k)
        if (cutter.GetUnit(k)->IsZeroLength()) cutter.DeleteUnit(cutter.GetUnit(k));
    const bool draw = SimulationCheckMode && stepIndex == stepCount - 2;
    if (!draw && !wholeStockOnly) {
        NearCutterSubtraction near(stock, cutter);
        if (const std::optional<int> result = near.Run(refZ, refX, removed, added)) return *result;
    }
    return SubtractWholeStock(stock, cutter, refZ, refX, removed, added, draw);
}

void SetWholeStockSubtraction(bool on) { wholeStockOnly = on; }

}  // namespace zarvento
