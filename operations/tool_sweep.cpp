// The tool's outline cut into short pieces and followed along a path against
// outlines of material, each piece measured again only when the tool has
// travelled as far as it stood off the material.
#include "operations/tool_sweep.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "geometry/contour.h"
#include "platform/core/numbers.h"

namespace zarvento {

namespace {

// The longest piece the outline is cut into, and how far out a piece's
// distance to the material is measured: a piece farther off than that is
// measured again after the tool has travelled as far.
constexpr double kPieceLength = 1.0;
constexpr double kMeasureReach = 1.0;
// Ends of the outline's units closer than this join.
constexpr double kJoinEnds = 1e-3;

Curve2D Moved(const Curve2D& c, Point2D by) {
    Curve2D out = c;
    out.a = {c.a.x + by.x, c.a.y + by.y};
    out.b = {c.b.x + by.x, c.b.y + by.y};
    out.c = {c.c.x + by.x, c.c.y + by.y};
    return out;
}

// The piece mirrored across the spindle's axis (x, the plan's radius, negated).
Curve2D Mirrored(const Curve2D& c) {
    Curve2D out = c;
    out.a = {c.a.x, -c.a.y};
    out.b = {c.b.x, -c.b.y};
    out.c = {c.c.x, -c.c.y};
    out.a0 = -c.a0;
    out.sweep = -c.sweep;
    return out;
}

// An arc of the tool's corner radius: the nose, or a blade's other corner.
bool IsCorner(const Curve2D& c, double r) { return c.arc && r > 1e-3 && std::fabs(c.r - r) <= 0.25 * r; }

bool EndsMeet(const Curve2D& p, const Curve2D& q) {
    for (const Point2D e : {p.a, p.b})
        for (const Point2D f : {q.a, q.b})
            if (Dist(e, f) <= kJoinEnds) return true;
    return false;
}

// The tool's cutting edges are its corners and the units that run from
// them (or, for a sharp tool, from its point); the rest of the outline holds
// them.
std::vector<ToolPart> PartsOf(const std::vector<Curve2D>& units, Point2D nose, double r) {
    std::vector<ToolPart> parts(units.size(), ToolPart::Holder);
    for (std::size_t k = 0; k < units.size(); ++k) {
        bool edge = IsCorner(units[k], r) || units[k].Distance(nose) <= r + 0.01;
        for (std::size_t j = 0; !edge && j < units.size(); ++j)
            edge = j != k && IsCorner(units[j], r) && EndsMeet(units[k], units[j]);
        if (edge) parts[k] = ToolPart::Edge;
    }
    return parts;
}

// The stretches of the piece that lie outside the circle.
std::vector<Curve2D> StretchesOutside(const Curve2D& piece, Point2D centre, double radius) {
    std::vector<CurveHit> hits;
    IntersectCurves(piece, Curve2D::Arc(centre, radius, 0.0, 2.0 * PI), 1e-12, hits);
    std::vector<double> cuts{0.0, 1.0};
    for (const CurveHit& h : hits) cuts.push_back(std::clamp(h.t1, 0.0, 1.0));
    std::sort(cuts.begin(), cuts.end());
    std::vector<Curve2D> kept;
    const double length = piece.Length();
    for (std::size_t k = 1; k < cuts.size(); ++k) {
        const double t0 = cuts[k - 1], t1 = cuts[k];
        if ((t1 - t0) * length <= 1e-9) continue;
        if (Dist(piece.At(0.5 * (t0 + t1)), centre) <= radius) continue;
        kept.push_back(t0 <= 0.0 && t1 >= 1.0
                           ? piece
                           : piece.Sub(t0, t1, t0 <= 0.0 ? piece.a : piece.At(t0), t1 >= 1.0 ? piece.b : piece.At(t1)));
    }
    return kept;
}

}  // namespace

ToolSweep::ToolSweep(const Contour& outline, const Setup& setup)
    : beyondPlanned_(setup.beyondPlanned), mirrored_(setup.acrossAxis), tolerance_(setup.tolerance) {
    std::vector<Curve2D> units;
    for (int i = 0; i < outline.Count(); ++i) {
        const CUnit& unit = *outline.GetUnit(i);
        if ((unit.Kind != kUnitLine && unit.Kind != kUnitArc) || unit.IsZeroLength()) continue;
        units.push_back(PieceOf(unit, 0.0, 0.0));
    }
    const std::vector<ToolPart> parts = PartsOf(units, setup.nose, setup.r);
    for (std::size_t k = 0; k < units.size(); ++k) AddUnit(units[k], parts[k], setup);
    // What the sweep leaves to the nose reaches at most this much farther
    // past a surface than the nose circle does.
    const double beyondNose = 2.0 * setup.tolerance;
    near_ = setup.tolerance + (mirrored_ ? 0.0 : beyondNose + setup.noseTolerance);
}

void ToolSweep::AddUnit(const Curve2D& unit, ToolPart part, const Setup& setup) {
    std::vector<Curve2D> kept;
    if (setup.acrossAxis)
        kept.push_back(Mirrored(unit));
    else
        kept = StretchesOutside(unit, setup.nose, std::max(0.0, setup.r) + 2.0 * setup.tolerance);
    for (const Curve2D& stretch : kept) {
        const int n = std::clamp(static_cast<int>(std::ceil(stretch.Length() / kPieceLength)), 1, 100000);
        Point2D from = stretch.a;
        for (int i = 0; i < n; ++i) {
            const Point2D to = i + 1 == n ? stretch.b : stretch.At(static_cast<double>(i + 1) / n);
            AddPiece(
                n == 1 ? stretch : stretch.Sub(static_cast<double>(i) / n, static_cast<double>(i + 1) / n, from, to),
                setup.acrossAxis ? ToolPart::AcrossAxis : part);
            from = to;
        }
    }
}

void ToolSweep::AddPiece(const Curve2D& curve, ToolPart part) {
    Piece piece;
    piece.curve = curve;
    piece.part = part;
    const auto add = [&](Point2D p) {
        if (!points_.empty() && Dist(points_.back(), p) <= 1e-12) {
            piece.points.push_back(static_cast<int>(points_.size()) - 1);
            return;
        }
        points_.push_back(p);
        piece.points.push_back(static_cast<int>(points_.size()) - 1);
    };
    add(curve.a);
    // An arc's sweep is bounded by the traces of its points this close
    // together: between two of them it bulges a quarter of the tolerance.
    if (curve.arc && curve.r > 0.0) {
        const double step = 2.0 * std::acos(std::max(-1.0, 1.0 - 0.25 * tolerance_ / curve.r));
        const int n = std::clamp(static_cast<int>(std::ceil(std::fabs(curve.sweep) / step)), 1, 1000);
        for (int i = 1; i < n; ++i) add(curve.At(static_cast<double>(i) / n));
    }
    add(curve.b);
    pieces_.push_back(std::move(piece));
}

int ToolSweep::Follow(const ClearanceOutline& material) {
    Material m;
    if (!material.Empty() && material.Closed()) m.outline = &material;
    m.traced.assign(points_.size(), 0u);
    // Nothing is known yet: every piece is measured at the first move.
    for (std::size_t k = 0; k < pieces_.size(); ++k)
        m.due.emplace(-std::numeric_limits<double>::infinity(), static_cast<int>(k));
    materials_.push_back(std::move(m));
    return static_cast<int>(materials_.size()) - 1;
}

Curve2D ToolSweep::Placed(const Curve2D& move) const { return mirrored_ ? Mirrored(move) : move; }

double ToolSweep::PieceDepth(const Material& m, int piece, Point2D at) const {
    return m.outline->InsideDepth(Moved(pieces_[static_cast<std::size_t>(piece)].curve, at), beyondPlanned_);
}

OutlineReach ToolSweep::DeepestAt(const Material& m, const Curve2D& move, OutlineReach met) const {
    // The message names the cutting edges when they reach in at all: they
    // meet the material before what holds them does.
    double edges = 0.0;
    for (std::size_t k = 0; k < pieces_.size(); ++k)
        for (const Point2D at : {move.a, move.b}) {
            const double depth = PieceDepth(m, static_cast<int>(k), at);
            met.depth = std::max(met.depth, depth);
            if (pieces_[k].part == ToolPart::Edge) edges = std::max(edges, depth);
        }
    if (edges > tolerance_) met.part = ToolPart::Edge;
    return met;
}

std::optional<OutlineReach> ToolSweep::Reach(int target, const Curve2D& move) {
    Material& m = materials_[static_cast<std::size_t>(target)];
    if (!m.outline || pieces_.empty()) return std::nullopt;
    const Curve2D path = Placed(move);
    const double length = path.Length();
    const double from = travel_ + (moved_ ? Dist(at_, move.a) : 0.0), to = from + length;
    ++m.move;
    const auto found = [&](double depth, int piece) {
        return DeepestAt(m, path, {depth, pieces_[static_cast<std::size_t>(piece)].part});
    };
    // A piece whose clearance outlasts the move keeps clear all along it:
    // each of its points stays within the travel of where it was measured.
    // The others are measured once each, and wait for the next move again.
    std::vector<std::pair<double, int>>& measured = m.measured;
    measured.clear();
    while (!m.due.empty() && m.due.top().first < to + near_) {
        auto [clearUntil, k] = m.due.top();
        m.due.pop();
        const Piece& piece = pieces_[static_cast<std::size_t>(k)];
        if (clearUntil < from + near_) {
            const double d = m.outline->Distance(Moved(piece.curve, path.a), kMeasureReach);
            if (d < near_)
                if (const double depth = PieceDepth(m, k, path.a); depth > tolerance_) return found(depth, k);
            clearUntil = from + d;
            if (clearUntil >= to + near_) {
                measured.emplace_back(clearUntil, k);
                continue;
            }
        }
        const double d = m.outline->Distance(Moved(piece.curve, path.b), kMeasureReach);
        if (d < near_)
            if (const double depth = PieceDepth(m, k, path.b); depth > tolerance_) return found(depth, k);
        // The piece may come nearer on the way: what it sweeps is bounded by
        // where it starts and ends and the traces of its points.
        if (d < length + near_)
            for (const int p : piece.points) {
                unsigned& traced = m.traced[static_cast<std::size_t>(p)];
                if (traced == m.move) continue;
                traced = m.move;
                const Curve2D trace = Moved(path, points_[static_cast<std::size_t>(p)]);
                if (m.outline->Distance(trace, near_) >= near_) continue;
                if (const double depth = m.outline->InsideDepth(trace, beyondPlanned_); depth > tolerance_)
                    return found(depth, k);
            }
        measured.emplace_back(to + d, k);
    }
    for (const auto& due : measured) m.due.push(due);
    return std::nullopt;
}

ToolPart ToolSweep::PartAt(int target, const Curve2D& move) const {
    const Material& m = materials_[static_cast<std::size_t>(target)];
    if (!m.outline) return ToolPart::Nose;
    const OutlineReach met = DeepestAt(m, Placed(move), {0.0, ToolPart::Holder});
    return met.depth > tolerance_ ? met.part : ToolPart::Nose;
}

void ToolSweep::Advance(const Curve2D& move) {
    if (moved_) travel_ += Dist(at_, move.a);
    travel_ += move.Length();
    at_ = move.b;
    moved_ = true;
}

}  // namespace zarvento
