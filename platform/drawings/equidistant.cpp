// Equidistant: the raw offset (piece offsets joined by arcs about the corners),
// split at its own crossings, and the pieces nearer than the distance to the
// source dropped. Candidate pairs and distance queries go through a box tree,
// so the work grows as n log n with the number of pieces.
#include "platform/drawings/equidistant.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/core/check.h"
#include "platform/core/numbers.h"
#include "platform/drawings/document_2d.h"

namespace zarvento {

namespace {

bool Finite(Point2D p) { return std::isfinite(p.x) && std::isfinite(p.y); }

Point2D LeftNormal(Point2D t) { return {-t.y, t.x}; }

Point2D Along(Point2D p, Point2D dir, double s) { return {p.x + s * dir.x, p.y + s * dir.y}; }

double Angle(Point2D from, Point2D to) { return std::atan2(to.y - from.y, to.x - from.x); }

// How an error names the unit at index i.
std::string UnitName(std::size_t i) { return "unit " + std::to_string(i + 1); }

// Puts an arc's end points on its circle as exactly as the numbers allow.
// Read from a model, the ends of an arc miss its circle by the rounding of
// the data; the circle about a neighbour's end that bounds the offset then
// reaches past the arc's own offset by as much, cuts a crumb off its end,
// and the offset falls apart there. The centre moves along the
// perpendicular through the chord's middle, but no farther than a few times
// the miss: over a short chord that move grows as the chord shrinks and
// would turn the arc's tangents, and a short arc keeps its centre and takes
// the ends' mean distance as its radius instead.
void FitArcToEnds(Curve2D& c) {
    const Point2D m{0.5 * (c.a.x + c.b.x), 0.5 * (c.a.y + c.b.y)};
    const double chord = Dist(c.a, c.b);
    if (!(chord > 0.0)) return;
    const double miss = std::max(std::abs(Dist(c.a, c.c) - c.r), std::abs(Dist(c.b, c.c) - c.r));
    // An arc that lies on its ends to the last digits keeps them.
    if (miss <= 1e-12 * (1.0 + c.r)) return;
    const Point2D n{-(c.b.y - c.a.y) / chord, (c.b.x - c.a.x) / chord};
    const double h = (c.c.x - m.x) * n.x + (c.c.y - m.y) * n.y;
    const Point2D centre = Along(m, n, h);
    if (Dist(centre, c.c) <= 4.0 * miss) c.c = centre;
    c.r = 0.5 * (Dist(c.a, c.c) + Dist(c.b, c.c));
    const double a0 = Angle(c.c, c.a);
    double turn = Angle(c.c, c.b) - (a0 + c.sweep);
    turn -= 2 * PI * std::round(turn / (2 * PI));
    c.sweep += turn;
    c.a0 = a0;
}

Curve2D Reversed(const Curve2D& c) {
    if (!c.arc) return Curve2D::Line(c.b, c.a);
    Curve2D r = c;
    r.a = c.b;
    r.b = c.a;
    r.a0 = c.a0 + c.sweep;
    r.sweep = -c.sweep;
    return r;
}

// A bounding-volume tree over boxes: median splits along the longer axis.
class BoxTree {
public:
    explicit BoxTree(std::vector<Box2D> boxes) : boxes_(std::move(boxes)) {
        order_.resize(boxes_.size());
        for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<int>(i);
        // The splits compare the boxes' doubled centres; they are worked out
        // once here rather than in every comparison.
        centres_.resize(boxes_.size());
        for (std::size_t i = 0; i < boxes_.size(); ++i)
            centres_[i] = {boxes_[i].xmin + boxes_[i].xmax, boxes_[i].ymin + boxes_[i].ymax};
        if (!order_.empty()) Build(0, static_cast<int>(order_.size()));
        centres_.clear();
        centres_.shrink_to_fit();
    }

    // Calls visit(index) for every box within `slack` of `box`.
    template <class Visit>
    void Query(const Box2D& box, double slack, Visit&& visit) const {
        Walk([&](const Box2D& b) { return b.Overlaps(box, slack); }, visit);
    }

    // Calls visit(index) for every box nearer than `radius` to `p`; stops when visit returns true.
    template <class Visit>
    bool AnyNear(Point2D p, double radius, Visit&& visit) const {
        bool found = false;
        Walk([&](const Box2D& b) { return !found && b.Distance(p) < radius; },
             [&](int i) {
                 if (!found && visit(i)) found = true;
             });
        return found;
    }

private:
    struct Node {
        Box2D box;
        int left = -1, right = -1;  // children, or -1 for a leaf
        int lo = 0, hi = 0;         // leaf range in order_
    };

    int Build(int lo, int hi) {
        Node node;
        node.box = boxes_[order_[lo]];
        for (int i = lo + 1; i < hi; ++i) node.box.Add(boxes_[order_[i]]);
        node.lo = lo;
        node.hi = hi;
        const int id = static_cast<int>(nodes_.size());
        nodes_.push_back(node);
        if (hi - lo <= 4) return id;
        const bool alongX = node.box.xmax - node.box.xmin >= node.box.ymax - node.box.ymin;
        const int mid = lo + (hi - lo) / 2;
        const auto first = order_.begin() + lo, middle = order_.begin() + mid, last = order_.begin() + hi;
        if (alongX)
            std::nth_element(first, middle, last, [&](int a, int b) { return centres_[a].x < centres_[b].x; });
        else
            std::nth_element(first, middle, last, [&](int a, int b) { return centres_[a].y < centres_[b].y; });
        const int left = Build(lo, mid);
        const int right = Build(mid, hi);
        nodes_[id].left = left;
        nodes_[id].right = right;
        return id;
    }

    template <class Accept, class Visit>
    void Walk(Accept&& accept, Visit&& visit) const {
        if (nodes_.empty()) return;
        // Median splits keep the depth under 33 for any int count, and a
        // depth-first walk holds at most depth + 1 nodes.
        std::array<int, 72> stack;
        std::size_t top = 0;
        stack[top++] = 0;
        while (top > 0) {
            const Node& n = nodes_[static_cast<std::size_t>(stack[--top])];
            if (!accept(n.box)) continue;
            if (n.left < 0) {
                for (int i = n.lo; i < n.hi; ++i)
                    if (accept(boxes_[order_[i]])) visit(order_[i]);
                continue;
            }
            stack[top++] = n.left;
            stack[top++] = n.right;
        }
    }

    std::vector<Box2D> boxes_;
    std::vector<Point2D> centres_;  // while building
    std::vector<int> order_;
    std::vector<Node> nodes_;
};

std::vector<Box2D> BoxesOf(const std::vector<Curve2D>& pieces) {
    std::vector<Box2D> boxes;
    boxes.reserve(pieces.size());
    for (const Curve2D& c : pieces) boxes.push_back(c.Box());
    return boxes;
}

struct Split {
    double t;
    Point2D p;
};

// A piece of the raw offset that survived, with where it came from.
struct Kept {
    Curve2D curve;
    int raw = 0;
    double t1 = 0, t2 = 1;
};

}  // namespace

const char* EquidistantErrorText(EquidistantError error) {
    switch (error) {
        case EquidistantError::None: return "no error";
        case EquidistantError::EmptyChain: return "the chain to offset holds no segments or arcs";
        case EquidistantError::NonFiniteValue: return "a coordinate, radius or distance is not a finite number";
        case EquidistantError::ZeroLengthUnit: return "a segment or arc of the chain has no length";
        case EquidistantError::ZeroRadius: return "an arc of the chain has a radius of 0 or less";
        case EquidistantError::ArcOffCircle: return "an arc end point does not lie on the arc's circle";
        case EquidistantError::DisconnectedChain:
            return "the chain is broken: a unit does not start where the one before ends";
        case EquidistantError::BadSide: return "the side must be 0 (left) or 1 (right)";
        case EquidistantError::Vanished: return "nothing is left of the offset at this distance";
        case EquidistantError::Internal: return "the offset broke an invariant of its own";
    }
    return "unknown error";
}

void Equidistant::Fail(EquidistantError error, std::string message) {
    if (error_ != EquidistantError::None) return;
    error_ = error;
    message_ = std::string(EquidistantErrorText(error)) + (message.empty() ? "" : ": " + message);
    chain_.clear();
}

Equidistant::Equidistant(std::vector<Curve2D> chain) : chain_(std::move(chain)) {
    double scale = 1.0;
    for (const Curve2D& c : chain_) {
        for (Point2D p : {c.a, c.b, c.c}) scale = std::max({scale, std::abs(p.x), std::abs(p.y)});
        scale = std::max(scale, c.r);
    }
    Check(scale);
}

Equidistant Equidistant::FromObjects(const std::vector<const Object2D*>& objects) {
    Equidistant e;
    double scale = 1.0;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const Object2D& o = *objects[i];
        if (o.type == kObj2DLine) {
            e.chain_.push_back(Curve2D::Line({o.line.x1, o.line.y1}, {o.line.x2, o.line.y2}));
        } else if (o.type == kObj2DArc) {
            const ArcParam2D& a = o.arc;
            const Point2D c{a.xc, a.yc}, p1{a.x1, a.y1}, p2{a.x2, a.y2};
            if (!Finite(c) || !Finite(p1) || !Finite(p2) || !std::isfinite(a.rad)) {
                e.Fail(EquidistantError::NonFiniteValue, UnitName(i));
                return e;
            }
            const double a1 = Angle(c, p1), a2 = Angle(c, p2);
            const double sweep = a.direction < 0 ? -NormalizeAngle(a1 - a2) : NormalizeAngle(a2 - a1);
            Curve2D arc = Curve2D::Arc(c, a.rad, a1, sweep);
            // The drawn end points stand; the check below compares them with the circle.
            arc.a = p1;
            arc.b = p2;
            e.chain_.push_back(arc);
        } else if (o.type == kObj2DCircle) {
            const Point2D c{o.circle.xc, o.circle.yc};
            e.chain_.push_back(Curve2D::Arc(c, o.circle.rad, 0.0, PI));
            e.chain_.push_back(Curve2D::Arc(c, o.circle.rad, PI, PI));
            e.chain_.back().b = e.chain_[e.chain_.size() - 2].a;
        } else if (o.type == kObj2DPolyline) {
            for (std::size_t k = 1; k < o.points.size(); ++k)
                e.chain_.push_back(Curve2D::Line(o.points[k - 1], o.points[k]));
        }
    }
    for (const Curve2D& c : e.chain_) {
        for (Point2D p : {c.a, c.b, c.c})
            if (std::isfinite(p.x) && std::isfinite(p.y)) scale = std::max({scale, std::abs(p.x), std::abs(p.y)});
        if (std::isfinite(c.r)) scale = std::max(scale, c.r);
    }
    e.Check(scale);
    return e;
}

void Equidistant::Check(double scale) {
    if (error_ != EquidistantError::None) return;
    // Contour points count as equal within 1e-6; the chain is read with that slack.
    linkTol_ = std::max(2e-6, 1e-12 * scale);
    geomTol_ = 1e-9 + 1e-11 * scale;
    const double zeroTol = 1e-9 * scale;
    if (chain_.empty()) return Fail(EquidistantError::EmptyChain, "");
    for (std::size_t i = 0; i < chain_.size(); ++i) {
        const Curve2D& c = chain_[i];
        if (!Finite(c.a) || !Finite(c.b) ||
            (c.arc && (!Finite(c.c) || !std::isfinite(c.r) || !std::isfinite(c.a0) || !std::isfinite(c.sweep))))
            return Fail(EquidistantError::NonFiniteValue, UnitName(i));
        if (c.arc && c.r <= zeroTol) return Fail(EquidistantError::ZeroRadius, UnitName(i));
        if (c.arc) {
            // The end points must lie on the circle, where the start angle and sweep put them.
            const double slack = linkTol_ + 1e-9 * c.r;
            const Curve2D exact = Curve2D::Arc(c.c, c.r, c.a0, c.sweep);
            if (std::abs(Dist(c.a, c.c) - c.r) > slack || std::abs(Dist(c.b, c.c) - c.r) > slack ||
                Dist(exact.a, c.a) > 2 * slack || Dist(exact.b, c.b) > 2 * slack)
                return Fail(EquidistantError::ArcOffCircle, UnitName(i));
        }
        if (Dist(c.a, c.b) <= zeroTol || c.Length() <= zeroTol)
            return Fail(EquidistantError::ZeroLengthUnit, UnitName(i));
    }
    // Travel order: a unit drawn the other way round is turned to follow its neighbour.
    const auto meets = [&](Point2D p, Point2D q) { return Dist(p, q) <= linkTol_; };
    if (chain_.size() > 1 && !meets(chain_[0].b, chain_[1].a) && !meets(chain_[0].b, chain_[1].b) &&
        (meets(chain_[0].a, chain_[1].a) || meets(chain_[0].a, chain_[1].b)))
        chain_[0] = Reversed(chain_[0]);
    for (std::size_t i = 1; i < chain_.size(); ++i) {
        if (!meets(chain_[i - 1].b, chain_[i].a) && meets(chain_[i - 1].b, chain_[i].b))
            chain_[i] = Reversed(chain_[i]);
        if (!meets(chain_[i - 1].b, chain_[i].a))
            return Fail(EquidistantError::DisconnectedChain,
                        "unit " + std::to_string(i + 1) + " does not start where unit " + std::to_string(i) + " ends");
        chain_[i].a = chain_[i - 1].b;
    }
    closed_ = chain_.size() > 1 && meets(chain_.back().b, chain_.front().a);
    if (closed_) chain_.back().b = chain_.front().a;
    for (Curve2D& c : chain_)
        if (c.arc) FitArcToEnds(c);
}

namespace {

// The offset of one chain at one distance, phase by phase. `dd` is the signed
// distance (left of travel when positive), `d` its size and `tol` the
// crossing tolerance at that distance.
class OffsetRun {
public:
    OffsetRun(const std::vector<Curve2D>& chain, bool closed, double distance, double geomTol, double linkTol)
        : chain_(chain),
          closed_(closed),
          dd_(distance),
          d_(std::abs(distance)),
          tol_(geomTol + 1e-12 * d_),
          joinTol_(std::max(tol_, 0.5 * linkTol)) {}

    // Phase 1, the raw offset: each unit's offset, joined about the shared
    // corner by an arc of radius d turning the way the chain turns. At a
    // concave corner that arc runs backwards into a loop, which the trimming
    // removes (between two segments the offsets are cut at their crossing
    // instead). False when nothing is left (every arc shrank to its centre).
    bool BuildRawOffset() {
        UnitOffsets units = OffsetUnits();
        CutConcaveCorners(units);
        JoinUnitOffsets(units);
        if (raw_.empty()) return false;
        if (closed_) raw_.back().b = raw_.front().a;
        // The raw offset is one continuous chain.
        for (std::size_t k = 1; k < raw_.size(); ++k)
            if (ZARVENTO_NEVER(raw_[k].a.x != raw_[k - 1].b.x || raw_[k].a.y != raw_[k - 1].b.y)) return Break();
        return true;
    }

    // Phase 2, the splitters of an open chain: where the raw offset can enter
    // the band of width d round the source other than by crossing itself
    // (caps at the free ends, the far sides of units the offset winds round).
    // The raw offset comes first, so an index below its size is a raw piece.
    std::vector<Curve2D> RawAndSplitters() const {
        std::vector<Curve2D> all = raw_;
        if (closed_) return all;
        // Between two units whose offsets on the far side exist and end at the
        // shared point's far normal (segments, and arcs that keep a radius
        // there), the band's edge about that point is only the arc on the far
        // side when that side is convex (the near side's is the raw offset's
        // own join). The whole circle would do as well, but on a dense
        // polyline (or an offset of one, with a round at every corner) every
        // raw piece would meet hundreds of them.
        const auto farSideKept = [&](const Curve2D& u) { return !u.arc || u.r + u.Direction() * dd_ > tol_; };
        for (std::size_t i = 0; i < chain_.size(); ++i) {
            const Curve2D& c = chain_[i];
            if (!c.arc) {
                const Point2D nl = LeftNormal(c.Tangent(0));
                all.push_back(Curve2D::Line(Along(c.a, nl, -dd_), Along(c.b, nl, -dd_)));
            } else if (const double rr = c.r + c.Direction() * dd_; std::abs(rr) > tol_) {
                all.push_back(rr > 0 ? Curve2D::Arc(c.c, rr, c.a0, c.sweep)
                                     : Curve2D::Arc(c.c, -rr, c.a0 + PI, c.sweep));
            }
            if (i > 0 && farSideKept(c) && farSideKept(chain_[i - 1])) {
                const Point2D t1 = chain_[i - 1].Tangent(1), t2 = c.Tangent(0);
                const double turn = std::atan2(t1.x * t2.y - t1.y * t2.x, t1.x * t2.x + t1.y * t2.y);
                if (turn * dd_ > 0.0)
                    all.push_back(Curve2D::Arc(c.a, d_, Angle(c.a, Along(c.a, LeftNormal(t1), -dd_)), turn));
                continue;
            }
            all.push_back(Curve2D::Arc(c.a, d_, 0.0, 2 * PI));
        }
        all.push_back(Curve2D::Arc(chain_.back().b, d_, 0.0, 2 * PI));
        return all;
    }

    // Phase 3: the crossings of each raw piece with the raw offset and the
    // splitters, as parameters along it.
    std::vector<std::vector<Split>> FindCrossings(const std::vector<Curve2D>& all) const {
        const std::size_t nraw = raw_.size();
        std::vector<std::vector<Split>> splits(nraw);
        const BoxTree tree(BoxesOf(all));
        std::vector<CurveHit> hits;
        for (std::size_t i = 0; i < nraw; ++i) {
            tree.Query(raw_[i].Box(), tol_, [&](int jj) {
                const auto j = static_cast<std::size_t>(jj);
                // A box of the tree is one of its pieces.
                if (ZARVENTO_NEVER(j >= all.size())) return static_cast<void>(Break());
                if (j < nraw && j <= i) return;
                hits.clear();
                IntersectCurves(raw_[i], all[j], tol_, hits);
                const bool next = j == i + 1;
                const bool wrap = closed_ && i == 0 && j == nraw - 1;
                for (const CurveHit& h : hits) {
                    // Neighbours meet at their shared end; that is no crossing.
                    if (next && Dist(h.p, raw_[i].b) <= 10 * tol_) continue;
                    if (wrap && Dist(h.p, raw_[i].a) <= 10 * tol_) continue;
                    splits[i].push_back({h.t1, h.p});
                    if (j < nraw) splits[j].push_back({h.t2, h.p});
                }
            });
        }
        return splits;
    }

    // Phase 4: the raw pieces split at their crossings, keeping the parts
    // whose middle lies no nearer than d to the source.
    std::vector<Kept> KeepFarParts(std::vector<std::vector<Split>>& splits) const {
        const BoxTree sourceTree(BoxesOf(chain_));
        // Valid parts sit at d up to rounding; invalid ones near a crossing of
        // nearly tangent pieces fall short by little, so the margin stays tight.
        const double keepTol = 0.01 * tol_;
        std::vector<Kept> kept;
        kept.reserve(raw_.size());
        for (std::size_t i = 0; i < raw_.size(); ++i) {
            auto& s = splits[i];
            std::sort(s.begin(), s.end(), [](const Split& p, const Split& q) { return p.t < q.t; });
            const double len = raw_[i].Length();
            double t0 = 0;
            Point2D p0 = raw_[i].a;
            const auto emit = [&](double t1, Point2D p1) {
                const Curve2D sub = raw_[i].Sub(t0, t1, p0, p1);
                // A segment is judged where it was offset, not where its
                // ends were moved onto its neighbours' (see ideal_).
                const Point2D mid = raw_[i].arc ? sub.At(0.5) : ideal_[i].At(0.5 * (t0 + t1));
                const bool near = sourceTree.AnyNear(mid, d_ - keepTol, [&](int k) {
                    return chain_[static_cast<std::size_t>(k)].Distance(mid) < d_ - keepTol;
                });
                if (!near) kept.push_back({sub, static_cast<int>(i), t0, t1});
                t0 = t1;
                p0 = p1;
            };
            for (const Split& sp : s) {
                if ((sp.t - t0) * len <= tol_ || (1.0 - sp.t) * len <= tol_) continue;
                emit(sp.t, sp.p);
            }
            emit(1.0, raw_[i].b);
        }
        return kept;
    }

    // Phase 5, chaining: a kept part goes on with the next one in raw order
    // when that starts at its end, otherwise with the part that starts there
    // and comes soonest after it (the loop in between was cut away). The
    // successor of each part, or -1 at the end of an open chain.
    std::vector<long> LinkKeptParts(const std::vector<Kept>& kept) const {
        const std::size_t nk = kept.size();
        const double linkTol = LinkTolerance();
        std::vector<std::size_t> byX(nk);
        for (std::size_t k = 0; k < nk; ++k) byX[k] = k;
        std::sort(byX.begin(), byX.end(),
                  [&](std::size_t p, std::size_t q) { return kept[p].curve.a.x < kept[q].curve.a.x; });
        std::vector<long> succ(nk, -1);
        std::vector<bool> claimed(nk, false);
        for (std::size_t k = 0; k < nk; ++k) {
            const Point2D end = kept[k].curve.b;
            const std::size_t natural = (k + 1) % nk;
            if ((k + 1 < nk || closed_) && !claimed[natural] && Dist(kept[natural].curve.a, end) <= linkTol &&
                natural != k) {
                succ[k] = static_cast<long>(natural);
                claimed[natural] = true;
                continue;
            }
            auto it = std::lower_bound(byX.begin(), byX.end(), end.x - linkTol,
                                       [&](std::size_t q, double x) { return kept[q].curve.a.x < x; });
            std::size_t best = nk;
            std::size_t bestGap = nk;
            for (; it != byX.end() && kept[*it].curve.a.x <= end.x + linkTol; ++it) {
                const std::size_t q = *it;
                if (q == k && nk > 1) continue;
                if (claimed[q] || Dist(kept[q].curve.a, end) > linkTol) continue;
                const std::size_t gap = (q + nk - k) % nk;
                if (gap < bestGap) {
                    bestGap = gap;
                    best = q;
                }
            }
            if (best < nk) {
                succ[k] = static_cast<long>(best);
                claimed[best] = true;
            }
        }
        return succ;
    }

    // Phase 6: the chains along the successors, from the parts nothing leads
    // to first (the open chains), then the closed ones.
    void CollectChains(const std::vector<Kept>& kept, const std::vector<long>& succ,
                       std::vector<EquidistantChain>& chains) const {
        const std::size_t nk = kept.size();
        std::vector<bool> visited(nk, false);
        std::vector<bool> hasPred(nk, false);
        for (std::size_t k = 0; k < nk; ++k) {
            // A successor is a kept part.
            if (ZARVENTO_NEVER(succ[k] >= static_cast<long>(nk))) return static_cast<void>(Break());
            if (succ[k] >= 0) hasPred[static_cast<std::size_t>(succ[k])] = true;
        }
        for (std::size_t k = 0; k < nk; ++k)
            if (!hasPred[k] && !visited[k]) FollowChain(kept, succ, k, visited, chains);
        for (std::size_t k = 0; k < nk; ++k)
            if (!visited[k]) FollowChain(kept, succ, k, visited, chains);
    }

private:
    // The offsets of the units alone, with where each starts and ends.
    struct UnitOffsets {
        std::vector<Point2D> start, end;
        std::vector<Curve2D> pieces;
        std::vector<bool> hasPiece;  // false for an arc shrunk to its centre
    };

    UnitOffsets OffsetUnits() const {
        const std::size_t n = chain_.size();
        UnitOffsets u{std::vector<Point2D>(n), std::vector<Point2D>(n), std::vector<Curve2D>(n),
                      std::vector<bool>(n, false)};
        for (std::size_t i = 0; i < n; ++i) {
            const Curve2D& c = chain_[i];
            if (!c.arc) {
                const Point2D nl = LeftNormal(c.Tangent(0));
                u.start[i] = Along(c.a, nl, dd_);
                u.end[i] = Along(c.b, nl, dd_);
                u.pieces[i] = Curve2D::Line(u.start[i], u.end[i]);
                u.hasPiece[i] = true;
                continue;
            }
            // Left of a counter-clockwise arc lies towards its centre.
            const double rr = c.r - c.Direction() * dd_;
            u.start[i] = Along(c.c, {std::cos(c.a0), std::sin(c.a0)}, rr);
            u.end[i] = Along(c.c, {std::cos(c.a0 + c.sweep), std::sin(c.a0 + c.sweep)}, rr);
            if (std::abs(rr) <= tol_) {
                u.start[i] = u.end[i] = c.c;  // the arc shrinks to its centre: no piece
                continue;
            }
            // A negative radius runs through the centre onto the far side; the
            // trimming takes it away again.
            u.pieces[i] = rr > 0 ? Curve2D::Arc(c.c, rr, c.a0, c.sweep) : Curve2D::Arc(c.c, -rr, c.a0 + PI, c.sweep);
            u.pieces[i].a = u.start[i];
            u.pieces[i].b = u.end[i];
            u.hasPiece[i] = true;
        }
        return u;
    }

    // Two segments that meet at a concave corner: their offsets cross just
    // short of it and are cut there at once. The loop a join would make is
    // of the size of the turn; between neighbours of a dense polyline that
    // barely turn it lies within rounding of the distance the keeping test
    // tells it by, and a piece of it could stay in the offset. A corner that
    // swallows a whole offset is left to the loop and the test.
    void CutConcaveCorners(UnitOffsets& u) const {
        const std::size_t n = chain_.size();
        const auto cutConcave = [&](std::size_t i, std::size_t j) {
            if (!u.hasPiece[i] || !u.hasPiece[j] || chain_[i].arc || chain_[j].arc) return;
            const Point2D t1 = chain_[i].Tangent(1), t2 = chain_[j].Tangent(0);
            if ((t1.x * t2.y - t1.y * t2.x) * dd_ <= 0.0) return;
            const Point2D p = u.pieces[i].a, q = u.pieces[j].a;
            const Point2D r1{u.pieces[i].b.x - p.x, u.pieces[i].b.y - p.y};
            const Point2D r2{u.pieces[j].b.x - q.x, u.pieces[j].b.y - q.y};
            const double denom = r1.x * r2.y - r1.y * r2.x;
            if (denom == 0.0) return;
            const Point2D w{q.x - p.x, q.y - p.y};
            const double t = (w.x * r2.y - w.y * r2.x) / denom, v = (w.x * r1.y - w.y * r1.x) / denom;
            if (!(t > 0.0 && t < 1.0 && v > 0.0 && v < 1.0)) return;
            const Point2D x = Along(p, r1, t);
            u.pieces[i].b = u.end[i] = x;
            u.pieces[j].a = u.start[j] = x;
        };
        for (std::size_t i = 0; i + 1 < n; ++i) cutConcave(i, i + 1);
        if (closed_ && n > 1) cutConcave(n - 1, 0);
    }

    void JoinUnitOffsets(UnitOffsets& u) {
        const std::size_t n = chain_.size();
        raw_.reserve(2 * n + 1);
        ideal_.reserve(2 * n + 1);
        const auto addJoin = [&](std::size_t i, std::size_t j) {
            const Point2D e = u.end[i], s = u.start[j];
            if (Dist(e, s) <= joinTol_) return false;
            const Point2D t1 = chain_[i].Tangent(1), t2 = chain_[j].Tangent(0);
            double turn = std::atan2(t1.x * t2.y - t1.y * t2.x, t1.x * t2.x + t1.y * t2.y);
            // Turning straight back: the join goes round the tip, away from the offset side.
            if (std::abs(turn) > PI - 1e-12) turn = dd_ > 0 ? -PI : PI;
            const Point2D v = chain_[i].b;
            Curve2D join = Curve2D::Arc(v, d_, Angle(v, e), turn);
            join.a = raw_.empty() ? e : raw_.back().b;
            join.b = s;
            raw_.push_back(join);
            ideal_.push_back(join);
            return true;
        };
        for (std::size_t i = 0; i < n; ++i) {
            if (u.hasPiece[i]) {
                ideal_.push_back(u.pieces[i]);
                if (!raw_.empty()) u.pieces[i].a = raw_.back().b;
                raw_.push_back(u.pieces[i]);
            }
            if (i + 1 < n) addJoin(i, i + 1);
        }
        if (closed_ && !addJoin(n - 1, 0) && !raw_.empty()) raw_.back().b = raw_.front().a;
    }

    double LinkTolerance() const { return 100 * tol_; }

    // One chain from part `start` along the successors: the parts of one raw
    // piece that follow each other become one again, slivers and crumbs go.
    void FollowChain(const std::vector<Kept>& kept, const std::vector<long>& succ, std::size_t start,
                     std::vector<bool>& visited, std::vector<EquidistantChain>& chains) const {
        const std::size_t nk = kept.size();
        const double linkTol = LinkTolerance();
        std::vector<std::size_t> comp;  // the parts in the chain's order
        std::size_t cur = start;
        for (std::size_t steps = 0; steps < nk && !visited[cur]; ++steps) {
            visited[cur] = true;
            comp.push_back(cur);
            if (succ[cur] < 0) break;
            cur = static_cast<std::size_t>(succ[cur]);
        }
        const bool isClosed = succ[comp.empty() ? start : cur] >= 0 && cur == start;
        std::vector<Kept> merged;
        merged.reserve(comp.size());
        for (const std::size_t part : comp) {
            const Kept& k = kept[part];
            if (!merged.empty() && merged.back().raw == k.raw && merged.back().t2 == k.t1) {
                Kept& m = merged.back();
                m.curve = raw_[static_cast<std::size_t>(k.raw)].Sub(m.t1, k.t2, m.curve.a, k.curve.b);
                m.t2 = k.t2;
                continue;
            }
            merged.push_back(k);
        }
        EquidistantChain chain;
        chain.closed = isClosed;
        chain.pieces.reserve(merged.size());
        for (const Kept& k : merged) {
            Curve2D c = k.curve;
            if (!chain.pieces.empty()) c.a = chain.pieces.back().b;
            if (c.Length() <= linkTol && merged.size() > 1) {
                // A sliver: its neighbours meet across it.
                if (!chain.pieces.empty()) chain.pieces.back().b = c.b;
                continue;
            }
            chain.pieces.push_back(c);
        }
        // Where three pieces cross almost at one point, a few micrometres of one
        // may pass the distance test beside the chain that goes through; such a
        // crumb is no part of the offset.
        const double crumb = 1e-4 * d_ + 1000 * tol_;
        double length = 0;
        for (const Curve2D& c : chain.pieces) length += c.Length();
        if (chain.pieces.empty() || length <= crumb) return;
        if (isClosed) chain.pieces.back().b = chain.pieces.front().a;
        // An offset chain is continuous.
        for (std::size_t k = 1; k < chain.pieces.size(); ++k)
            if (ZARVENTO_NEVER(chain.pieces[k].a.x != chain.pieces[k - 1].b.x ||
                               chain.pieces[k].a.y != chain.pieces[k - 1].b.y))
                return static_cast<void>(Break());
        chains.push_back(std::move(chain));
    }

    // A broken invariant: the run gives no offset.
    bool Break() const {
        broken_ = true;
        return false;
    }

public:
    bool Broken() const { return broken_; }

private:
    mutable bool broken_ = false;
    const std::vector<Curve2D>& chain_;
    const bool closed_;
    const double dd_, d_, tol_;
    // Offsets of neighbours that miss each other by less than this meet
    // without a join: the turn between the units is the rounding of the
    // chain's data (a segment's end a nanometre off its arc's tangent, an
    // arc fitted to its ends), and the join of such a turn would be a crumb
    // of a loop, whose crossings with its neighbours, nearly tangent, fall
    // too far apart for the pieces to be linked again.
    const double joinTol_;
    std::vector<Curve2D> raw_;
    // The raw pieces as offset, before each was made to start where the one
    // before it ends. The ends of neighbouring offsets differ as much as the
    // chain's own data do (an arc's end a few nanometres off its circle, as a
    // section of a model gives it); a segment moved that much at one end
    // would have its middle judged nearer than the distance by half of it,
    // far past the keeping margin, and would be lost from the offset. An
    // arc is judged on its own circle already.
    std::vector<Curve2D> ideal_;
};

EquidistantResult Failed(EquidistantError error, const std::string& what = {}) {
    EquidistantResult result;
    result.error = error;
    result.message = std::string(EquidistantErrorText(error)) + (what.empty() ? "" : ": " + what);
    return result;
}

}  // namespace

EquidistantResult Equidistant::Execute(double distance) const {
    if (error_ != EquidistantError::None) {
        EquidistantResult result;
        result.error = error_;
        result.message = message_;
        return result;
    }
    if (!std::isfinite(distance)) return Failed(EquidistantError::NonFiniteValue, "the distance");
    EquidistantResult result;
    if (distance == 0.0) {
        result.chains.push_back({chain_, closed_});
        return result;
    }
    OffsetRun run(chain_, closed_, distance, geomTol_, linkTol_);
    const auto vanishedOrBroken = [&run] {
        return run.Broken() ? Failed(EquidistantError::Internal, BrokenInvariantText("offset"))
                            : Failed(EquidistantError::Vanished);
    };
    if (!run.BuildRawOffset()) return vanishedOrBroken();
    std::vector<std::vector<Split>> splits = run.FindCrossings(run.RawAndSplitters());
    const std::vector<Kept> kept = run.KeepFarParts(splits);
    if (kept.empty() || run.Broken()) return vanishedOrBroken();
    run.CollectChains(kept, run.LinkKeptParts(kept), result.chains);
    if (result.chains.empty() || run.Broken()) return vanishedOrBroken();
    return result;
}

}  // namespace zarvento
