// Crossing counts and plan-angle trimming of working contours.
#include "operations/plan_angle_trim.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

#include "geometry/line_unit.h"
#include "geometry/primitives.h"

namespace zarvento {

namespace {

constexpr double kRayLength = 10000.0;

// Turns the contour over the line x = xmin (and back: the steps are their own inverse in reverse order).
void MirrorAboutX(Contour& c, double xmin) {
    c.Reverse();
    c.MirrorX();
    c.Move(0.0, 2.0 * xmin);
}
void UnmirrorAboutX(Contour& c, double xmin) {
    c.Move(0.0, -2.0 * xmin);
    c.MirrorX();
    c.Reverse();
}
// The mirror in Z turns every arc's sense itself; turning it once more
// would leave arcs running against their own end points, and the tangent
// search would then clip them outside their sweep.
void ReflectZ(Contour& c, double dz) {
    c.MirrorZ();
    c.Move(-dz, 0.0);
    c.Reverse();
}
void UnreflectZ(Contour& c, double dz) {
    c.Reverse();
    c.Move(dz, 0.0);
    c.MirrorZ();
}

// The units of a contour that a ray of one fixed direction may meet, for the
// many rays one trim casts. Each line and arc is filed in a grid of cells
// across and along the direction, by the rectangle its rough box covers in
// those coordinates; a ray looks only at the cells of its own row from its
// start on. Any crossing lies within EPS of both the ray and the unit, so a
// unit whose box stays farther than the slack from the ray cannot add a
// point; other kinds of unit are always looked at. The lists come out in unit
// order, as the whole-contour search takes the units.
class ParallelRayIndex {
public:
    ParallelRayIndex(const Contour& w, double dz, double dx, double length)
        : w_(w), dz_(dz), dx_(dx), length_(length), spans_(static_cast<std::size_t>(w.Count())) {
        double scale = 1.0;
        for (int j = 0; j < w.Count(); ++j) {
            const UnitBox b = RoughUnitBox(*w.GetUnit(j));
            scale = std::max({scale, std::fabs(b.zmin), std::fabs(b.xmin), std::fabs(b.zmax), std::fabs(b.xmax)});
        }
        slack_ = 100.0 * EPS + 1e-9 * scale;
        std::vector<int> filed;
        double acrossSum = 0.0, alongSum = 0.0;
        for (int j = 0; j < w.Count(); ++j) {
            Span& span = spans_[static_cast<std::size_t>(j)];
            if (Measure(j, span) && std::isfinite(span.acrossLo) && std::isfinite(span.acrossHi) &&
                std::isfinite(span.alongLo) && std::isfinite(span.alongHi)) {
                filed.push_back(j);
                acrossSum += span.acrossHi - span.acrossLo;
                alongSum += span.alongHi - span.alongLo;
            } else {
                span.measured = false;
                always_.push_back(j);
            }
        }
        if (filed.empty()) return;
        const double count = static_cast<double>(filed.size());
        reach_ = 4.0 * alongSum / count;
        across_.lo = along_.lo = INFINITY;
        across_.hi = along_.hi = -INFINITY;
        for (int j : filed) {
            const Span& span = spans_[static_cast<std::size_t>(j)];
            across_.lo = std::min(across_.lo, span.acrossLo);
            across_.hi = std::max(across_.hi, span.acrossHi);
            along_.lo = std::min(along_.lo, span.alongLo);
            along_.hi = std::max(along_.hi, span.alongHi);
        }
        // Cells about a unit's size each way, no more than a few per unit.
        double rows = std::clamp((across_.hi - across_.lo) / (acrossSum / count), 1.0, count);
        double columns = std::clamp((along_.hi - along_.lo) / (alongSum / count), 1.0, count);
        if (!std::isfinite(rows)) rows = 1.0;
        if (!std::isfinite(columns)) columns = 1.0;
        const double shrink = std::sqrt(rows * columns / (kCellsPerUnit * count));
        if (shrink > 1.0) {
            rows = std::max(1.0, rows / shrink);
            columns = std::max(1.0, columns / shrink);
        }
        across_.Divide(static_cast<std::size_t>(rows));
        along_.Divide(static_cast<std::size_t>(columns));
        // Two passes fill the cells in unit order; a unit over many cells goes
        // to the list every ray looks at instead.
        starts_.assign(across_.count * along_.count + 1, 0);
        std::vector<int> wide;
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<std::size_t> fill(starts_.begin(), starts_.end() - 1);
            for (int j : filed) {
                const Span& span = spans_[static_cast<std::size_t>(j)];
                const std::size_t a0 = across_.Cell(span.acrossLo), a1 = across_.Cell(span.acrossHi);
                const std::size_t b0 = along_.Cell(span.alongLo), b1 = along_.Cell(span.alongHi);
                if ((a1 - a0 + 1) * (b1 - b0 + 1) > kWideCells) {
                    if (pass == 0) wide.push_back(j);
                    continue;
                }
                for (std::size_t a = a0; a <= a1; ++a)
                    for (std::size_t b = b0; b <= b1; ++b) {
                        const std::size_t cell = a * along_.count + b;
                        if (pass == 0)
                            ++starts_[cell + 1];
                        else
                            units_[fill[cell]++] = j;
                    }
            }
            if (pass == 0) {
                for (std::size_t c = 1; c < starts_.size(); ++c) starts_[c] += starts_[c - 1];
                units_.resize(starts_.back());
            }
        }
        std::vector<int> merged;
        std::merge(always_.begin(), always_.end(), wide.begin(), wide.end(), std::back_inserter(merged));
        always_ = std::move(merged);
    }

    double Along(double z, double x) const { return dz_ * z + dx_ * x; }
    // A first window ahead of a ray's start: a few units' length.
    double Reach() const { return reach_; }
    // Whether a window up to this far along holds every unit's start.
    bool HoldsAll(double upTo) const { return !(upTo < along_.hi); }

    // The units the ray from (pz, px) may meet that begin no farther along
    // than upTo, ascending.
    const std::vector<int>& Candidates(double pz, double px, double upTo) {
        found_.clear();
        const double across = Across(pz, px), along = Along(pz, px);
        auto take = [&](int j) {
            const Span& span = spans_[static_cast<std::size_t>(j)];
            if (span.measured && (across < span.acrossLo || across > span.acrossHi || span.alongHi < along ||
                                  span.alongLo > along + length_ || span.alongLo > upTo))
                return;
            found_.push_back(j);
        };
        for (int j : always_) take(j);
        if (!units_.empty() && across >= across_.lo && across <= across_.hi && !std::isnan(along) &&
            !std::isnan(upTo)) {
            const std::size_t row = across_.Cell(across) * along_.count;
            const std::size_t last = along_.Cell(std::min(upTo, along + length_));
            for (std::size_t b = along_.Cell(along); b <= last; ++b)
                for (std::size_t k = starts_[row + b]; k < starts_[row + b + 1]; ++k) take(units_[k]);
        }
        std::sort(found_.begin(), found_.end());
        found_.erase(std::unique(found_.begin(), found_.end()), found_.end());
        return found_;
    }

    // Unit j has been cut short: a piece that leaves the rectangle it was
    // filed under is looked at by every ray from now on.
    void Refresh(int j) {
        Span& filed = spans_[static_cast<std::size_t>(j)];
        if (!filed.measured) return;
        Span now;
        if (Measure(j, now) && now.acrossLo >= filed.acrossLo && now.acrossHi <= filed.acrossHi &&
            now.alongLo >= filed.alongLo && now.alongHi <= filed.alongHi)
            return;
        filed.measured = false;
        always_.insert(std::lower_bound(always_.begin(), always_.end(), j), j);
    }

private:
    struct Span {
        bool measured = false;
        double acrossLo = 0.0, acrossHi = 0.0, alongLo = 0.0, alongHi = 0.0;
    };
    // One coordinate's range cut into equal cells.
    struct Axis {
        double lo = 0.0, hi = 0.0, width = 0.0;
        std::size_t count = 1;
        void Divide(std::size_t n) {
            count = std::max<std::size_t>(n, 1);
            width = (hi - lo) / static_cast<double>(count);
            if (!(width > 0.0) || !std::isfinite(width)) {
                width = 0.0;
                count = 1;
            }
        }
        // Monotone in v, so a stretch's cells run from its low end's to its high end's.
        std::size_t Cell(double v) const {
            if (width <= 0.0) return 0;
            const double k = std::floor((v - lo) / width);
            return static_cast<std::size_t>(std::clamp(k, 0.0, static_cast<double>(count - 1)));
        }
    };
    static constexpr double kCellsPerUnit = 4.0;
    static constexpr std::size_t kWideCells = 16;

    double Across(double z, double x) const { return -dx_ * z + dz_ * x; }

    // The stretches of a line's or arc's rough box across and along the
    // direction, widened by the slack; false for other kinds.
    bool Measure(int j, Span& span) const {
        const CUnit& unit = *w_.GetUnit(j);
        if (unit.Kind != kUnitLine && unit.Kind != kUnitArc) return false;
        const UnitBox b = RoughUnitBox(unit);
        const double zs[] = {b.zmin, b.zmax}, xs[] = {b.xmin, b.xmax};
        span.acrossLo = span.alongLo = INFINITY;
        span.acrossHi = span.alongHi = -INFINITY;
        for (double z : zs)
            for (double x : xs) {
                span.acrossLo = std::min(span.acrossLo, Across(z, x));
                span.acrossHi = std::max(span.acrossHi, Across(z, x));
                span.alongLo = std::min(span.alongLo, Along(z, x));
                span.alongHi = std::max(span.alongHi, Along(z, x));
            }
        span.acrossLo -= slack_;
        span.acrossHi += slack_;
        span.alongLo -= slack_;
        span.alongHi += slack_;
        span.measured = true;
        return true;
    }

    const Contour& w_;
    double dz_, dx_, length_;
    double slack_ = 0.0;
    double reach_ = 0.0;
    std::vector<Span> spans_;
    Axis across_, along_;
    std::vector<std::size_t> starts_;
    std::vector<int> units_;
    std::vector<int> always_;
    std::vector<int> found_;
};

// The nearest crossing past p (not equal to it) among crossings found with
// only the units that begin within the barrier of p along the ray. Any unit
// left out meets the ray beyond the barrier, and can change which points the
// duplicate test drops only through a chain of points each within EPS of the
// next; a gap of 8 EPS among the kept lengths below the barrier (every dropped
// point lies within EPS of a kept one) breaks every such chain, so the points
// short of the gap are those the whole search keeps. The nearest one must be
// alone at its length: among equal lengths the order is the sort's own.
bool SettledAhead(const IntersectPointList& found, double pz, double px, double barrier, IntersectPoint& q) {
    std::vector<double> lengths;
    lengths.reserve(found.Count());
    const IntersectPoint* best = nullptr;
    bool alone = true;
    for (const IntersectPoint& p : found) {
        if (!std::isfinite(p.z) || !std::isfinite(p.x) || !std::isfinite(p.length)) return false;
        lengths.push_back(p.length);
        if (IsEqualPoint(p.z, p.x, pz, px)) continue;
        if (!best || p.length < best->length) {
            best = &p;
            alone = true;
        } else if (p.length == best->length) {
            alone = false;
        }
    }
    if (!best || !alone) return false;
    std::sort(lengths.begin(), lengths.end());
    const double gap = 8.0 * EPS;
    double below = best->length;
    for (double l : lengths) {
        if (l <= below) continue;
        if (l > barrier) break;
        if (l - below >= gap) {
            q = *best;
            return true;
        }
        below = l;
    }
    if (barrier - below < gap) return false;
    q = *best;
    return true;
}

// The first crossing past p that the ray's whole list of crossings with w
// gives, found first among the units near p and widening the window while
// what lies beyond could still change it; false when the list has none.
bool FirstCrossingAhead(const Contour& ray, const Contour& w, ParallelRayIndex& index, double pz, double px,
                        IntersectPoint& q) {
    const double along = index.Along(pz, px);
    IntersectPointList onW(10);
    // The window doubles each time, until it holds every unit's start.
    for (double reach = index.Reach(); reach > 0.0 && !index.HoldsAll(along + reach); reach *= 2.0) {
        onW.SetCountZero();
        ray.IntersectUnits(w, index.Candidates(pz, px, along + reach), onW, true);
        if (SettledAhead(onW, pz, px, reach - 4.0 * EPS, q)) return true;
    }
    onW.SetCountZero();
    ray.IntersectUnits(w, index.Candidates(pz, px, INFINITY), onW, true);
    // Mostly p itself comes first, but not when the unit at p has been cut
    // down to nothing by an earlier bridge or runs along the ray: then the
    // first crossing is already the far one.
    for (const IntersectPoint& p : onW)
        if (!IsEqualPoint(p.z, p.x, pz, px)) {
            q = p;
            return true;
        }
    return false;
}

// A zero direction counts as a full turn, so that it never lies below the limit.
double FullTurnForZero(double a) { return std::fabs(a) < EPS ? 2.0 * PI : a; }

}  // namespace

int CountContourCrossings(const Contour* a, const Contour* b) {
    if (!a || !b) return 0;
    IntersectPointList points(100);
    a->Intersect(*b, points, true);
    return static_cast<int>(points.Count());
}

std::unique_ptr<Contour> TrimContourByAngle(Contour& w, double angleDegrees, const Contour& s) {
    const double theta = PI - angleDegrees * PI / 180.0;
    const double rz = kRayLength * std::cos(theta), rx = kRayLength * std::sin(theta);
    const int n = w.Count();
    std::vector<UnitPtr> out;
    ParallelRayIndex index(w, std::cos(theta), std::sin(theta), kRayLength);

    // Bridges the stretch behind p along the limit direction; false when no
    // crossing ahead makes a bridge (the caller keeps the unit then).
    auto bridge = [&](int& i, double pz, double px) {
        auto ray = MakeLineContour(pz, px, pz + rz, px + rx);
        // The first crossing past p on the working contour.
        IntersectPoint ahead;
        double qz = 0, qx = 0;
        int j = 0;
        if (FirstCrossingAhead(*ray, w, index, pz, px, ahead)) {
            qz = ahead.z;
            qx = ahead.x;
            j = ahead.index2;
        } else {
            IntersectPointList onS(1);
            ray->Intersect(s, onS, true);
            if (onS.Count() == 0) return false;
            qz = onS[0].z;
            qx = onS[0].x;
            j = n;
            i = n - 1;  // the rest of the contour lies behind the source
        }
        if (j <= i) return false;
        out.push_back(std::make_unique<CLineUnit>(pz, px, qz, qx));
        if (i < n - 1) {
            // A crossing at the very end of unit j leaves nothing of it; the
            // contour goes on with the unit after it (or ends on the bridge).
            const CUnit& reached = *w.GetUnit(j);
            if (IsEqualPoint(qz, qx, reached.EndPoint.z, reached.EndPoint.x)) {
                if (j == n - 1) {
                    i = n - 1;
                    return true;
                }
                ++j;
            }
            w.GetUnit(j)->SetStartPoint(qz, qx);
            index.Refresh(j);
            i = j - 1;
        }
        return true;
    };

    // i only grows (a bridge jumps ahead), so the walk looks at each unit at most once.
    for (int i = 0; i < n; ++i) {
        CUnit& u = *w.GetUnit(i);
        double pz = 0, px = 0;
        const int r = u.GetPointAtAngle(theta, pz, px);
        if (r == 1) {
            const double d = FullTurnForZero(AngleOfVector(u.StartPoint.z, u.StartPoint.x, u.EndPoint.z, u.EndPoint.x));
            if (!(theta > d && bridge(i, pz, px))) out.push_back(u.Clone());
        } else if (r == 3 && u.DirVector == 1) {
            out.push_back(u.CloneWithEnds(u.StartPoint.z, u.StartPoint.x, pz, px));
            const double e = FullTurnForZero(u.GetEndAngle());
            // Without a bridge the arc goes on from where it was clipped, so
            // the chain stays whole.
            if (!(theta > e && bridge(i, pz, px))) out.push_back(u.CloneWithEnds(pz, px, u.EndPoint.z, u.EndPoint.x));
        } else if (r == 3) {
            out.push_back(std::make_unique<CLineUnit>(u.StartPoint.z, u.StartPoint.x, pz, px));
            out.push_back(u.CloneWithEnds(pz, px, u.EndPoint.z, u.EndPoint.x));
        } else {
            out.push_back(u.Clone());
        }
    }
    // Two last units from one point: a bridge that ended on a unit's end left
    // that unit without length. The empty one goes, not the unit after it.
    if (out.size() >= 2) {
        const CUnit& last = *out.back();
        const CUnit& before = *out[out.size() - 2];
        if (IsEqualPoint(last.StartPoint.z, last.StartPoint.x, before.StartPoint.z, before.StartPoint.x)) {
            if (before.IsZeroLength() && !last.IsZeroLength())
                out.erase(out.end() - 2);
            else
                out.pop_back();
        }
    }
    if (out.empty()) return nullptr;
    auto result = Contour::ContourSized(static_cast<int>(out.size()));
    result->Colour = kDefaultContourColour;
    for (UnitPtr& unit : out) result->AddUnit(std::move(unit));
    return result;
}

std::unique_ptr<Contour> TrimContourByPlanAngles(Contour& w, double a1, double a2, const Contour& s, bool& mirrored,
                                                 bool swap) {
    if (swap) std::swap(a1, a2);
    double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
    w.GetBoundBox(zmin, xmin, zmax, xmax);
    std::unique_ptr<Contour> sc = s.Clone();
    IntersectPointList crossings(10);
    w.Intersect(*sc, crossings, true);
    if (crossings.Count() == 0) return nullptr;

    mirrored = false;
    const double zf = crossings[0].z;
    const double zl = crossings[crossings.Count() - 1].z;
    const double zm = (zf + zl) / 2.0;
    auto probe = MakeLineContour(zm, kRayLength, zm, -kRayLength);
    IntersectPointList onS(1), onW(1);
    probe->Intersect(*sc, onS, true);
    probe->Intersect(w, onW, true);
    // The stock above the part's lowest point under the middle: an inner
    // profile, worked on turned over.
    if (onW.Count() > 0 && onS.Count() > 0 && zl > zf && onS[0].x > onW[onW.Count() - 1].x) {
        mirrored = true;
        MirrorAboutX(w, xmin);
        MirrorAboutX(*sc, xmin);
    }

    std::unique_ptr<Contour> result = TrimContourByAngle(w, a2, *sc);
    if (result) {
        const double dz = zmax - zmin;
        ReflectZ(*result, dz);
        ReflectZ(*sc, dz);
        std::unique_ptr<Contour> second = TrimContourByAngle(*result, a1, *sc);
        if (second && !(second->Count() == 1 && second->GetUnit(0)->IsZeroLength())) result = std::move(second);
        UnreflectZ(*result, dz);
        if (mirrored) UnmirrorAboutX(*result, xmin);
    }
    if (mirrored) UnmirrorAboutX(w, xmin);
    return result;
}

}  // namespace zarvento
