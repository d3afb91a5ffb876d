// Straight roughing passes of the multi-pass operation over one region:
// the stack of longitudinal or facing passes with their segments chained
// across pockets, oblique entries, retracts and lifts, and the one-piece
// strategies that spread the depth over a counted number of equal passes.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "catalogs/param_tool.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "operations/kind_support.h"
#include "operations/turn_mnogo_prohod.h"
#include "platform/core/check.h"
#include "platform/processes/module.h"

namespace zarvento {

namespace {

constexpr double kFar = 100000.0;
const double kDegree = PI / 180.0;

// One straight cut of a pass, in the pass's own direction.
struct PassSegment {
    double z1, x1, z2, x2;
    double level;  // the pass-normal coordinate of the pass it belongs to
    bool startMark = false, endMark = false;
};

// Segments machined one after the other.
struct RoughPassChain {
    std::vector<int> segments;  // indices into the pass segments
};

// The units of a contour that reach one level across an axis, found without
// visiting the others: every pass line and every probe ray of the pass loop
// meets only those, so the loop's cost follows the units near each level
// instead of the whole contour. A band is handed out as a contour of copies
// in the contour's order, each unit with its neighbours, so that the vertex
// rules of the inside test see the same neighbours as on the whole contour.
class UnitBands {
public:
    UnitBands(const Contour& contour, bool byX) : contour_(contour) {
        const int n = contour.Count();
        ranges_.resize(static_cast<std::size_t>(n));
        double lo = 1e300, hi = -1e300;
        for (int i = 0; i < n; ++i) {
            BoundBox b;
            contour.GetUnit(i)->GetBoundBox(b);
            const double a = (byX ? b.xmin : b.zmin) - kMargin, e = (byX ? b.xmax : b.zmax) + kMargin;
            ranges_[static_cast<std::size_t>(i)] = {a, e};
            lo = std::min(lo, a);
            hi = std::max(hi, e);
        }
        if (n == 0 || !(hi > lo) || !std::isfinite(hi - lo)) {
            for (int i = 0; i < n; ++i) wide_.push_back(i);
            return;
        }
        lo_ = lo;
        cellCount_ = static_cast<std::size_t>(n);
        cell_ = (hi - lo) / n;
        // The cells' units lie in one array, cell after cell: a first walk
        // counts them, a second places them.
        cellStart_.assign(cellCount_ + 1, 0);
        auto forEachCell = [&](auto&& visit) {
            for (int i = 0; i < n; ++i) {
                const auto [a, e] = ranges_[static_cast<std::size_t>(i)];
                const std::size_t c0 = Cell(a), c1 = Cell(e);
                // A unit across many cells is looked at on every query instead.
                if (c1 - c0 > 64) continue;
                for (std::size_t c = c0; c <= c1; ++c) visit(c, i);
            }
        };
        forEachCell([&](std::size_t c, int) { ++cellStart_[c + 1]; });
        for (std::size_t c = 0; c < cellCount_; ++c) cellStart_[c + 1] += cellStart_[c];
        cellUnits_.resize(cellStart_[cellCount_]);
        std::vector<std::size_t> next(cellStart_.begin(), cellStart_.end() - 1);
        forEachCell([&](std::size_t c, int i) { cellUnits_[next[c]++] = i; });
        for (int i = 0; i < n; ++i) {
            const auto [a, e] = ranges_[static_cast<std::size_t>(i)];
            if (Cell(e) - Cell(a) > 64) wide_.push_back(i);
        }
    }

    // The units whose range meets [lo, hi], in the contour's order.
    std::unique_ptr<Contour> Across(double lo, double hi) {
        picked_.clear();
        auto take = [&](int i) {
            const auto [a, e] = ranges_[static_cast<std::size_t>(i)];
            if (hi >= a && lo <= e) picked_.push_back(i);
        };
        for (int i : wide_) take(i);
        if (cellCount_ != 0 && hi >= lo_ && lo <= lo_ + cell_ * static_cast<double>(cellCount_))
            for (std::size_t c = Cell(lo); c <= Cell(hi); ++c) ForCell(c, take);
        return Picked();
    }

    // The units whose range holds the level, each with its two neighbours.
    std::unique_ptr<Contour> Band(double level) {
        picked_.clear();
        const int n = contour_.Count();
        auto take = [&](int i) {
            const auto [a, e] = ranges_[static_cast<std::size_t>(i)];
            if (level < a || level > e) return;
            picked_.push_back(i);
            picked_.push_back(i > 0 ? i - 1 : n - 1);
            picked_.push_back(i + 1 < n ? i + 1 : 0);
        };
        for (int i : wide_) take(i);
        if (cellCount_ != 0 && level >= lo_ && level <= lo_ + cell_ * static_cast<double>(cellCount_))
            ForCell(Cell(level), take);
        return Picked();
    }

private:
    std::unique_ptr<Contour> Picked() {
        std::sort(picked_.begin(), picked_.end());
        picked_.erase(std::unique(picked_.begin(), picked_.end()), picked_.end());
        if (picked_.empty()) return std::make_unique<Contour>();
        auto band = Contour::ContourSized(static_cast<int>(picked_.size()));
        for (int i : picked_) band->AddUnit(contour_.GetUnit(i)->Clone());
        return band;
    }

    static constexpr double kMargin = 1e-5;
    std::size_t Cell(double v) const {
        const double k = std::floor((v - lo_) / cell_);
        if (!(k > 0.0)) return 0;
        return std::min(cellCount_ - 1, static_cast<std::size_t>(k));
    }
    template <class Visit>
    void ForCell(std::size_t c, Visit&& visit) const {
        for (std::size_t k = cellStart_[c]; k < cellStart_[c + 1]; ++k) visit(cellUnits_[k]);
    }

    const Contour& contour_;
    std::vector<std::pair<double, double>> ranges_;
    std::size_t cellCount_ = 0;
    std::vector<std::size_t> cellStart_;  // cell c holds cellUnits_[cellStart_[c], cellStart_[c + 1])
    std::vector<int> cellUnits_;
    std::vector<int> wide_;
    std::vector<int> picked_;
    double lo_ = 0.0, cell_ = 1.0;
};

// The region as one closed contour: the working side backwards, then the stock side.
std::unique_ptr<Contour> RegionOutline(const Contour& w, const Contour& b) {
    auto r = Contour::ContourSized(w.Count() + b.Count());
    auto backwards = ReverseContour(w.Clone());
    for (UnitPtr& unit : backwards->TakeUnits()) r->AddUnit(std::move(unit));
    for (int i = 0; i < b.Count(); ++i) r->AddUnit(b.GetUnit(i)->Clone());
    return r;
}

Contour PassLine(double z1, double x1, double z2, double x2) {
    Contour line;
    line.AddUnit(std::make_unique<CLineUnit>(z1, x1, z2, x2));
    return line;
}

// Crossings of a pass line with W (the first one only, marked) and with B,
// ordered along the pass line.
struct OnePiecePoint {
    double along, z, x;
    bool onWorking;
};

std::vector<OnePiecePoint> OnePieceCrossings(const Contour& line, const Contour& w, const Contour& b, bool alongZ) {
    std::vector<OnePiecePoint> points;
    IntersectPointList found(10);
    line.Intersect(w, found, true);
    if (found.Count() > 0) points.push_back({alongZ ? found[0].z : found[0].x, found[0].z, found[0].x, true});
    found.SetCountZero();
    line.Intersect(b, found, true);
    for (std::uint32_t k = 0; k < found.Count(); ++k)
        points.push_back({alongZ ? found[k].z : found[k].x, found[k].z, found[k].x, false});
    std::sort(points.begin(), points.end(),
              [](const OnePiecePoint& p, const OnePiecePoint& q) { return p.along < q.along; });
    return points;
}

// The working unit's ends and the box of the region, for the one-piece strategies.
struct OnePiece {
    BoundBox box;
    double z1, x1, z2, x2;
};

OnePiece OnePieceOf(const Contour& w, const Contour& b) {
    OnePiece piece{};
    ContoursBoundingBox(w, b, piece.box);
    const CUnit& u = *w.GetFirstUnit();
    piece.z1 = u.StartPoint.z;
    piece.x1 = u.StartPoint.x;
    piece.z2 = u.EndPoint.z;
    piece.x2 = u.EndPoint.x;
    return piece;
}

// The segment starts within the stretch an earlier pass cut, so the way to
// it along the pass at the retract level runs where that pass has cut.
bool LiesUnder(const PassSegment& earlier, const PassSegment& seg, bool facing) {
    const double a1 = facing ? earlier.x1 : earlier.z1, a2 = facing ? earlier.x2 : earlier.z2;
    const double along = facing ? seg.x1 : seg.z1;
    return earlier.level != seg.level && along > std::min(a1, a2) - EPS && along < std::max(a1, a2) + EPS;
}

// The end of a retract from (z1, x1) towards (z2, x2): where it first meets
// the working side after leaving it. In a pocket narrower than the retract
// the fixed slant would carry the nose into the pocket's other wall. Only
// the units across the retract's span of the pass-normal coordinate are met.
void ClipRetract(UnitBands& working, bool facing, double z1, double x1, double& z2, double& x2) {
    const double n1 = facing ? z1 : x1, n2 = facing ? z2 : x2;
    const std::unique_ptr<Contour> near = working.Across(std::min(n1, n2), std::max(n1, n2));
    if (near->Empty()) return;
    IntersectPointList hits(8);
    PassLine(z1, x1, z2, x2).Intersect(*near, hits, true);
    double nearest = Distance(z1, x1, z2, x2);
    for (std::uint32_t k = 0; k < hits.Count(); ++k) {
        const double d = Distance(z1, x1, hits[k].z, hits[k].x);
        if (d > 1e-6 && d < nearest) {
            nearest = d;
            z2 = hits[k].z;
            x2 = hits[k].x;
        }
    }
}

// Whether a move from a point of the working side W sets off out of the
// region outline R, that is into what lies beyond W.
bool LeavesIntoTheWorkingSide(const Contour& R, const Contour& W, double z1, double x1, double z2, double x2) {
    const double length = Distance(z1, x1, z2, x2);
    if (length < 1e-6 || !W.IsPointOnContour(z1, x1)) return false;
    constexpr double kStep = 0.01;
    const double t = std::min(kStep, length) / length;
    const double z = z1 + t * (z2 - z1), x = x1 + t * (x2 - x1);
    return !R.IsPointInside(z, x) && !R.IsPointOnContour(z, x);
}

// Whether a face W lies inside a bore: W climbs towards +Z and lies inside
// the stock side B.
bool FaceInsideBore(const Contour& W, const Contour& B) {
    const double zm = (W.GetFirstUnit()->StartPoint.z + W.GetLastUnit()->EndPoint.z) / 2.0;
    Contour probe = PassLine(zm, 10000.0, zm, -10000.0);
    IntersectPointList onB(10), onW(10);
    probe.Intersect(B, onB, true);
    probe.Intersect(W, onW, true);
    return onB.Count() > 0 && onW.Count() > 0 && W.GetFirstUnit()->StartPoint.z < W.GetLastUnit()->EndPoint.z &&
           onW[onW.Count() - 1].x < onB[0].x;
}

// The pass-normal level a return along the passes runs at, from the level
// `level` the retract left the tool at: `clearance` out (in the sense `out`,
// away from the material) from the level just cut, and as far from the level
// the stock stood at before the pass, which a return on it would only graze
// (a bar is often some tenths oversize). Inside the layer the pass took off
// it may run where both are far enough; else it runs out past the old level.
double ClearReturnLevel(double level, double cut, double before, double out, double clearance) {
    if (out * (level - cut) < clearance - EPS) level = cut + out * clearance;
    if (std::fabs(level - before) < clearance - EPS) level = before + out * clearance;
    return level;
}

}  // namespace

// The signs and offsets of a stack of straight passes, built once per region.
// Legend: pass i cuts at level0 + i·step across the feed, from (xs, zs) and
// back there; a and o are the approach and overrun signed along the passes,
// (dX, dZ) the retract after a cut, kIn the run of an oblique entry per unit
// of depth, kLift the slope of a lift back to the start level.
struct StraightPassLayout {
    bool facing = false;    // passes across the axis (feed direction 1)
    bool reversed = false;  // the user's direction: passes towards +Z, or out from the axis
    double t = 0.0;         // depth of a pass
    double s = 0.0;         // safe distance
    double sSigned = 0.0;   // the safe distance, negative where it points the other way
    double a = 0.0, o = 0.0;
    // Past a start mark: the approach, or the clearance where that is longer,
    // signed as a; the tool comes to the stock at rapid no nearer.
    double lead = 0.0;
    double r = 0.0;             // the tool's corner radius
    double endExtension = 0.0;  // past a marked end: the overrun (facing: less the radius)
    double kLift = 0.0, kIn = 0.0;
    double dX = 0.0, dZ = 0.0;
    double clearance = 0.0;  // how far the returns keep off the surfaces
    double xs = 0.0, zs = 0.0;
    double level0 = 0.0, step = 0.0;
};

namespace {

StraightPassLayout LayOutStraightPasses(const CTurnMnogoProhod& op, bool facing, const BoundBox& box) {
    StraightPassLayout L;
    L.facing = facing;
    L.reversed = op.indNapr;
    L.t = op.DepthPass;
    L.s = op.SafeDistance;
    L.a = op.Vrezanie;
    L.o = op.Perebeg;
    L.r = op.Rtool;
    L.clearance = op.ReturnClearance();
    // The start level is where the passes return to at the end of a chain.
    const double out = std::max(L.a, L.clearance);
    const double t = L.t, s = L.s;
    double phi = op.calc.fi, phi1 = op.calc.fi1;
    if (L.reversed && !facing) std::swap(phi, phi1);
    double theta = phi <= 90.0 ? 90.0 : phi;
    if (theta > 135.0) theta = 126.0;
    L.kLift = std::cos(theta * kDegree) / std::sin(theta * kDegree);
    if (!facing) {
        L.dX = s;
        L.dZ = phi1 > 45.0 ? -s / std::tan(phi1 * kDegree) : -s;
        L.kIn = phi1 * kDegree > 0.001 ? 1.0 / std::tan(phi1 * kDegree) : 0.0;
    } else {
        L.dZ = -s;
        L.dX = phi1 > 45.0 ? s * std::tan(phi1 * kDegree) : s;
    }
    L.sSigned = s;
    if (!facing) {
        L.xs = box.xmin - out;
        L.zs = box.zmax + L.a;
        L.level0 = box.xmin + t;
        L.step = t;
        if (op.internalMachining) {
            L.xs = box.xmax + out;
            L.level0 = box.xmax - t;
            L.step = -t;
            L.dX = -s;
            L.sSigned = -s;
        }
        if (L.reversed) {
            // The passes run towards the free end, but the tool waits there
            // as for the other direction: behind the region's back the part
            // (a shoulder) or the chuck stands.
            L.a = -L.a;
            L.o = -L.o;
            const double base = op.internalMachining ? -s : s;
            L.dZ = phi1 > 45.0 ? base / std::tan(phi1 * kDegree) : base;
            L.kIn = -L.kIn;
        }
        L.endExtension = L.o;
        L.lead = std::copysign(std::max(std::fabs(L.a), L.clearance), L.a);
        return L;
    }
    L.xs = box.xmin - out;
    L.zs = box.zmax;
    L.level0 = box.zmax - t;
    L.step = -t;
    L.endExtension = L.o - L.r;
    if (op.internalMachining) {
        L.xs = box.xmax + out;
        L.a = -L.a;
        L.endExtension = -L.endExtension;
        L.dX = -L.dX;
    }
    if (L.reversed) {
        L.zs = box.zmin;
        L.level0 = box.zmin + t;
        L.step = t;
        L.sSigned = -s;
        L.dZ = s;
    }
    L.lead = std::copysign(std::max(std::fabs(L.a), L.clearance), L.a);
    return L;
}

}  // namespace

// The stack of straight passes over one region: the levels cut into segments
// inside the region, the segments chained across pockets, and the chains
// written as frames.
class CTurnMnogoProhod::StraightPasses {
public:
    StraightPasses(CTurnMnogoProhod& op, const StraightPassLayout& layout, const Contour& W, const Contour& B,
                   const Contour& R)
        : op_(op),
          layout_(layout),
          W_(W),
          B_(B),
          R_(R),
          // Units by the pass-normal coordinate (the pass lines) and by X
          // (the inside probes, which run along -Z).
          regionAcross_(R, !layout.facing),
          regionByX_(R, true),
          stockAcross_(B, !layout.facing),
          workingAcross_(W, !layout.facing) {
        const ParamTool* tool = op.GetTool();
        tipAllowsStart_ = !tool || tool->nP == 1 || tool->nP == 2 || tool->nP == 6;
        if (!layout.facing) {
            // Where the tool's point would bring the nose into the stock.
            probe_ = op.sourceContour ? op.sourceContour->Clone() : std::make_unique<Contour>();
            op.ApplyToolOffsets(*probe_);
            probeByX_ = std::make_unique<UnitBands>(*probe_, true);
        }
    }

    // The approach to the start of the passes.
    void Approach() {
        double x = layout_.xs, z = layout_.zs;
        if (layout_.facing && op_.internalMachining)
            z = layout_.zs + op_.Vrezanie + (layout_.reversed ? -layout_.s : layout_.s);
        op_.MoveToStart(x, z);
        op_.curX = x;
        op_.curZ = z;
    }

    // The levels one after the other until one meets the region no more;
    // false, with the operation's message, past kMaxPasses of them. Facing
    // levels that step past the chuck's face stop at it: the last layer
    // there is no clean-up pass's (that one follows the working side).
    bool StackLevels() {
        double reachX = 0.0, reachZ = 0.0;
        op_.GetLatheReach(reachX, reachZ);
        for (int pass = 0;; ++pass) {
            if (pass == kMaxPasses) {
                op_.ReportError(kTooManyPassesText);
                return false;
            }
            double level = layout_.level0 + pass * layout_.step;
            if (layout_.facing && layout_.step < 0 && level < reachZ) {
                if (pass > 0 && layout_.level0 + (pass - 1) * layout_.step <= reachZ + EPS) break;
                level = reachZ;
            }
            const std::size_t first = segments_.size();
            if (!CutLevel(level)) break;
            ChainLevel(first);
        }
        return true;
    }

    // The frames, chain by chain, and the way back to the start; the marks'
    // approach and overrun stop where the lathe's reach does.
    void WriteChains() {
        op_.GetLatheReach(axisX_, chuckZ_);
        const double liftSign = op_.indNapr ? -1.0 : 1.0;
        for (std::size_t c = 0; c < chains_.size(); ++c) {
            const std::vector<int>& held = chains_[c].segments;
            for (std::size_t j = 0; j < held.size(); ++j) {
                // A chain holds segments of the stack.
                if (ZARVENTO_NEVER(held[j] < 0 || static_cast<std::size_t>(held[j]) >= segments_.size()))
                    return op_.RefuseBrokenPath();
                const PassSegment* before = j > 0 ? &Segment(held[j - 1]) : nullptr;
                // A segment the tool leaves by a lift to the start level
                // returns along no surface, but across the axis, where the
                // lift runs along the passes.
                const bool lifts =
                    !layout_.facing &&
                    (j + 1 == held.size() || !LiesUnder(Segment(held[j]), Segment(held[j + 1]), layout_.facing));
                WriteSegment(Segment(held[j]), before, j == 0 && c > 0, lifts);
            }
            op_.MoveTo(layout_.xs, op_.curZ - std::fabs(op_.curX - layout_.xs - layout_.dX) * layout_.kLift * liftSign,
                       true);
        }
        op_.MoveTo(layout_.xs, layout_.zs, true);
    }

private:
    const PassSegment& Segment(int index) const { return segments_[static_cast<std::size_t>(index)]; }

    // The segments of one level inside the region, with the marks of ends
    // that lie on the stock side; false when the level meets the region no more.
    bool CutLevel(double level) {
        const bool facing = layout_.facing;
        Contour line =
            facing ? (op_.internalMachining ? PassLine(level, kFar, level, -kFar) : PassLine(level, -kFar, level, kFar))
                   : (layout_.reversed ? PassLine(-kFar, level, kFar, level) : PassLine(kFar, level, -kFar, level));
        points_.SetCountZero();
        const std::unique_ptr<Contour> band = regionAcross_.Band(level);
        line.Intersect(*band, points_, true);
        const std::unique_ptr<Contour> stockBand = stockAcross_.Band(level);
        const int n = static_cast<int>(points_.Count());
        if (n < 2) return false;
        for (int i = 1; i < n; ++i) {
            const IntersectPoint& p = points_[static_cast<std::uint32_t>(i - 1)];
            const IntersectPoint& q = points_[static_cast<std::uint32_t>(i)];
            const double mz = (p.z + q.z) / 2.0, mx = (p.x + q.x) / 2.0;
            // A probe along -Z meets only the units across the midpoint's X.
            if (!(facing ? regionByX_.Band(mx) : regionAcross_.Band(level))->IsPointInside(mz, mx)) continue;
            if (IsEqualPoint(p.z, p.x, q.z, q.x)) continue;
            PassSegment seg{p.z, p.x, q.z, q.x, level};
            if (i == 1) {
                ++firstPairs_;
                if (stockBand->IsPointOnContour(p.z, p.x)) {
                    if (facing) {
                        seg.startMark = !(op_.internalMachining && !tipAllowsStart_);
                    } else {
                        seg.startMark = !probeByX_->Band(p.x)->IsPointInside(p.z + layout_.a + layout_.r + 0.1, p.x);
                    }
                }
            }
            if (i == n - 1 && stockBand->IsPointOnContour(q.z, q.x)) {
                seg.endMark =
                    facing ? true : !probeByX_->Band(q.x)->IsPointInside(q.z - layout_.o - layout_.r - 0.1, q.x);
            }
            segments_.push_back(seg);
        }
        return true;
    }

    // The segments of the level from `first` on join the chains: a level
    // with more segments than the one before opens a chain for each new
    // one; the others go on with the nearest chain.
    void ChainLevel(std::size_t first) {
        const int m = static_cast<int>(segments_.size() - first);
        for (int k = 0; k < m; ++k) {
            const int index = static_cast<int>(first) + k;
            if (m > previousCount_ && (firstPairs_ == 0 || k > 0)) {
                chains_.push_back({{index}});
                continue;
            }
            // A segment no chain reaches opens its own: dropping it would
            // leave its material for the finishing tool.
            const int c = NearestChain(Segment(index));
            if (c < 0) {
                chains_.push_back({{index}});
            } else {
                chains_[static_cast<std::size_t>(c)].segments.push_back(index);
            }
        }
        previousCount_ = m;
    }

    // The chain whose last segment starts nearest to the segment's start, of
    // those whose last cut of an earlier pass it lies under if any. A chain
    // goes on to its next segment along the pass at the retract level, which
    // is clear of the part only above the cut before it: a nearer chain in
    // the next pocket along would take the tool through the wall between.
    int NearestChain(const PassSegment& seg) const {
        int best = -1;
        bool bestUnder = false;
        double bestDistance = 1e6;
        for (std::size_t c = 0; c < chains_.size(); ++c) {
            const std::vector<int>& held = chains_[c].segments;
            const PassSegment& last = Segment(held.back());
            std::size_t k = held.size();
            while (k > 0 && Segment(held[k - 1]).level == seg.level) --k;
            const bool under = k > 0 && LiesUnder(Segment(held[k - 1]), seg, layout_.facing);
            const double d = Distance2(last.z1, last.x1, seg.z1, seg.x1);
            if ((under && !bestUnder) || (under == bestUnder && d < bestDistance)) {
                bestDistance = d;
                bestUnder = under;
                best = static_cast<int>(c);
            }
        }
        return best;
    }

    // One segment: the way to its start (from outside the part for the
    // first of a chain, or one that does not lie under the segment before
    // it), the cut, and the retract.
    void WriteSegment(PassSegment seg, const PassSegment* before, bool opensChain, bool lifts) {
        const bool facing = layout_.facing;
        const double stepSign = layout_.step > 0 ? 1.0 : -1.0;
        const bool fromOutside = before != nullptr && !LiesUnder(*before, seg, facing);
        if (fromOutside)
            op_.MoveTo(
                layout_.xs,
                op_.curZ - std::fabs(op_.curX - layout_.xs - layout_.dX) * layout_.kLift * (op_.indNapr ? -1.0 : 1.0),
                true);
        if (facing) {
            if (seg.startMark) seg.x1 -= layout_.lead;
            if (seg.endMark) seg.x2 += layout_.endExtension;
            seg.x1 = std::min(seg.x1, axisX_);
            seg.x2 = std::min(seg.x2, axisX_);
        } else {
            if (seg.startMark) seg.z1 += layout_.lead;
            if (seg.endMark) seg.z2 -= layout_.endExtension;
            seg.z1 = std::max(seg.z1, chuckZ_);
            seg.z2 = std::max(seg.z2, chuckZ_);
        }
        const double normal = facing ? seg.z1 : seg.x1;
        double level = facing ? op_.curZ : op_.curX;
        if (opensChain || fromOutside) level = normal - stepSign * (layout_.t + layout_.s);
        if (!facing) {
            if (!seg.startMark) {
                // The oblique entry starts the clearance over the level cut
                // before: the tool comes down to there at rapid, no nearer.
                const double over = seg.x1 - stepSign * (layout_.t + layout_.clearance);
                if (stepSign * (over - level) > 0.0) level = over;
                // Never from behind the bar's back end, where the chuck holds it.
                const double ze = std::max(seg.z1 + std::fabs(level - seg.x1) * layout_.kIn, chuckZ_);
                op_.MoveTo(op_.curX, ze, true);
                op_.MoveTo(level, ze, true);
                op_.MoveTo(seg.x1, seg.z1, false);
            } else {
                op_.MoveTo(op_.curX, seg.z1, true);
                op_.MoveTo(level, seg.z1, true);
                op_.MoveTo(seg.x1, seg.z1, true);
            }
        } else {
            op_.MoveTo(seg.x1, op_.curZ, true);
            op_.MoveTo(seg.x1, level, true);
            op_.MoveTo(seg.x1, seg.z1, seg.startMark);
        }
        op_.MoveTo(seg.x2, seg.z2, false);
        double retractZ2 = seg.z2 - layout_.dZ, retractX2 = seg.x2 - layout_.dX;
        const double fullZ2 = retractZ2, fullX2 = retractX2;
        ClipRetract(workingAcross_, facing, seg.z2, seg.x2, retractZ2, retractX2);
        // A pass that ends on the far side of a hollow in the working side
        // would set off into the part: it leaves without a retract.
        if (LeavesIntoTheWorkingSide(R_, W_, seg.z2, seg.x2, retractZ2, retractX2)) {
            retractZ2 = seg.z2;
            retractX2 = seg.x2;
        }
        op_.MoveTo(retractX2, retractZ2, false);
        // A retract the working side cut short stays where it is: straight
        // out from there the part may stand over it.
        if (!lifts && IsEqualPoint(retractZ2, retractX2, fullZ2, fullX2)) ClearTheReturn(seg);
    }

    // The return after a pass runs clear of the surface it cut and of the
    // level the stock stood at before it: the retract goes on straight out
    // at rapid where it ended nearer, as far as the working side lets it.
    void ClearTheReturn(const PassSegment& seg) {
        const bool facing = layout_.facing;
        const double out = layout_.step > 0 ? -1.0 : 1.0;
        const double here = facing ? op_.curZ : op_.curX;
        const double level = ClearReturnLevel(here, seg.level, seg.level - layout_.step, out, layout_.clearance);
        if (out * (level - here) <= EPS) return;
        double z2 = facing ? level : op_.curZ, x2 = facing ? op_.curX : level;
        ClipRetract(workingAcross_, facing, op_.curZ, op_.curX, z2, x2);
        op_.MoveTo(x2, z2, true);
    }

    CTurnMnogoProhod& op_;
    const StraightPassLayout& layout_;
    const Contour& W_;
    const Contour& B_;
    const Contour& R_;
    std::unique_ptr<Contour> probe_;  // longitudinal: the stock moved by the tool's offsets
    UnitBands regionAcross_, regionByX_, stockAcross_, workingAcross_;
    std::unique_ptr<UnitBands> probeByX_;
    bool tipAllowsStart_ = true;
    std::vector<PassSegment> segments_;
    std::vector<RoughPassChain> chains_;
    IntersectPointList points_{10};
    int firstPairs_ = -1;
    int previousCount_ = 0;
    double axisX_ = 0.0, chuckZ_ = 0.0;
};

double CTurnMnogoProhod::ReturnClearance() const {
    return SafeDistance >= 0.001 ? SafeDistance : kDefaultReturnClearance;
}

double CTurnMnogoProhod::RapidClearance() const {
    return indCycleElementar == 1 ? kDefaultRapidClearance : ReturnClearance();
}

bool CTurnMnogoProhod::LongitudNew() {
    RegionClosed = true;
    if (!calc.regionContour || !calc.pairedContour || calc.regionContour->Empty() || calc.pairedContour->Empty())
        return true;
    // Passes a zero depth apart would never leave the region.
    if (!(DepthPass >= 0.001)) return true;
    const bool facing = calc.feedDirection == 1;
    const Contour& W = *calc.regionContour;
    const Contour& B = *calc.pairedContour;
    std::unique_ptr<Contour> R = RegionOutline(W, B);
    if (!R->IsClosed()) {
        RegionClosed = false;
        return true;
    }
    if (!R->DetermineDirection()) R->Reverse();
    BoundBox box;
    ContoursBoundingBox(W, B, box);

    // A working side of one unit that spans no level: passes of equal depth over its whole length.
    if (W.Count() == 1) {
        const CUnit& u = *W.GetFirstUnit();
        const double span = facing ? u.EndPoint.z - u.StartPoint.z : u.EndPoint.x - u.StartPoint.x;
        if (std::fabs(span) < 0.001) {
            if (!facing) return LongitudOnePiece();
            indNapr = userNapr;
            return FacingOnePiece();
        }
    }

    if (facing) internalMachining = FaceInsideBore(W, B);
    const StraightPassLayout layout = LayOutStraightPasses(*this, facing, box);
    contourReversed = internalMachining ? !indNapr : indNapr;
    StraightPasses passes(*this, layout, W, B, *R);
    passes.Approach();
    if (!passes.StackLevels()) return false;
    passes.WriteChains();
    calc.retractX = layout.xs;
    calc.retractZ = layout.zs;
    RetractDZ = layout.dZ;
    RetractDX = layout.dX;
    indNapr = userNapr;
    // The host shows the passes drawn so far; its failure is the command's.
    RefreshHostView();
    return true;
}

bool CTurnMnogoProhod::LongitudOnePiece() {
    OnePieceAcrossPass = false;
    OnePieceAlongPass = true;
    const Contour& W = *calc.regionContour;
    const Contour& B = *calc.pairedContour;
    const auto [box, z1, x1, z2, x2] = OnePieceOf(W, B);
    const bool reversed = indNapr;
    double s = SafeDistance;
    const double a = Vrezanie, o = Perebeg;
    // Where the pass starts off the stock: no nearer than the clearance.
    const double lead = std::max(a, ReturnClearance());
    double xs = box.xmin;
    if (z2 > z1) {
        xs = box.xmax;
        s = -s;
    }
    const double zs = reversed ? box.zmin - a : box.zmax + a;
    const double h = x1 - xs;
    contourReversed = internalMachining ? !indNapr : indNapr;
    MoveToStart(xs, zs);
    curX = xs;
    curZ = zs;
    const double levels = std::ceil(std::fabs(h) / DepthPass - 1e-9);
    if (!(levels <= kMaxPasses)) {
        ReportError(kTooManyPassesText);
        return false;
    }
    const int n = static_cast<int>(levels);
    double axisX = 0.0, chuckZ = 0.0;
    GetLatheReach(axisX, chuckZ);
    bool first = true;
    for (int k = 1; k <= n; ++k) {
        const double level = xs + h * k / n;
        Contour line = PassLine(kFar, level, -kFar, level);
        const std::vector<OnePiecePoint> points = OnePieceCrossings(line, W, B, true);
        // A level that meets nothing is passed over; the next one still cuts.
        if (points.size() < 2) continue;
        OnePiecePoint from = points.back(), to = points.front();
        if (reversed) std::swap(from, to);
        const double dir = reversed ? -1.0 : 1.0;
        double zFrom = from.z, zTo = to.z;
        if (!from.onWorking) zFrom += dir * lead;
        if (!to.onWorking) zTo -= dir * o;
        zFrom = std::max(zFrom, chuckZ);
        zTo = std::max(zTo, chuckZ);
        if (!first) MoveTo(curX, zFrom, true);
        MoveTo(level, zFrom, true);
        first = false;
        MoveTo(level, zTo, false);
        MoveTo(level - s, zTo, isRapidIdle);
        // The return to the next pass runs clear of this level and of the one before it.
        const double out = h > 0.0 ? -1.0 : 1.0;
        const double clear = ClearReturnLevel(curX, level, xs + h * (k - 1) / n, out, ReturnClearance());
        if (k < n && out * (clear - curX) > EPS) MoveTo(clear, zTo, true);
    }
    MoveTo(xs, zs, true);
    calc.retractX = xs;
    calc.retractZ = zs;
    // The host shows the passes drawn so far; its failure is the command's.
    RefreshHostView();
    return true;
}

bool CTurnMnogoProhod::FacingOnePiece() {
    OnePieceAlongPass = false;
    OnePieceAcrossPass = true;
    const Contour& W = *calc.regionContour;
    const Contour& B = *calc.pairedContour;
    const auto [box, z1, x1, z2, x2] = OnePieceOf(W, B);
    const bool reversed = indNapr;
    double s = SafeDistance;
    const double a = Vrezanie, o = Perebeg, r = Rtool;
    const double lead = std::max(a, ReturnClearance());
    // The material lies on the side of the box away from the face; a face
    // running towards the axis with the stock above it is no exception (its
    // sense alone would put the start on the face itself and lay no pass).
    double zs = box.zmax;
    if (x2 > x1 && z1 - box.zmin > box.zmax - z1) zs = box.zmin;
    if (zs < z1) s = -s;
    const double xs = reversed ? box.xmax + a : box.xmin - a;
    // The passes step from the start level towards the face, whichever side
    // of it the material lies on.
    const double height = std::fabs(z1 - zs);
    const double toward = z1 < zs ? -1.0 : 1.0;
    contourReversed = internalMachining ? !indNapr : indNapr;
    const double startZ = reversed ? zs + a : zs;
    MoveToStart(xs, startZ);
    curX = xs;
    curZ = startZ;
    const double t = DepthPass;
    std::vector<double> depths;
    double remaining = height;
    while (remaining > t) {
        if (static_cast<int>(depths.size()) == kMaxPasses) {
            ReportError(kTooManyPassesText);
            return false;
        }
        depths.push_back(t);
        remaining -= t;
    }
    if (remaining > 1e-6) depths.push_back(remaining);
    double level = zs;
    double axisX = 0.0, chuckZ = 0.0;
    GetLatheReach(axisX, chuckZ);
    bool first = true;
    for (std::size_t d = 0; d < depths.size(); ++d) {
        const double depth = depths[d];
        level += toward * depth;
        Contour line = PassLine(level, -kFar, level, kFar);
        const std::vector<OnePiecePoint> points = OnePieceCrossings(line, W, B, false);
        if (points.size() < 2) continue;
        OnePiecePoint from = points.front(), to = points.back();
        if (reversed) std::swap(from, to);
        const double dir = reversed ? -1.0 : 1.0;
        double xFrom = from.x, xTo = to.x;
        if (!from.onWorking) xFrom -= dir * lead;
        if (!to.onWorking) xTo += dir * (o - r);
        xFrom = std::min(xFrom, axisX);
        xTo = std::min(xTo, axisX);
        if (first) {
            MoveTo(xFrom, level, !reversed);
        } else {
            MoveTo(xFrom, curZ, true);
            MoveTo(xFrom, level, !reversed);
        }
        first = false;
        MoveTo(xTo, level, false);
        MoveTo(xTo, level + s, isRapidIdle);
        const double out = -toward;
        const double clear = ClearReturnLevel(curZ, level, level - toward * depth, out, ReturnClearance());
        if (d + 1 < depths.size() && out * (clear - curZ) > EPS) MoveTo(xTo, clear, true);
    }
    MoveTo(xs, startZ, true);
    calc.retractX = xs;
    calc.retractZ = startZ;
    // The host shows the passes drawn so far; its failure is the command's.
    RefreshHostView();
    return true;
}

}  // namespace zarvento
