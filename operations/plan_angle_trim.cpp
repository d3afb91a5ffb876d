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
// many rays one trim casts: each line and arc is filed by the stretch its
// rough box covers across the direction, in buckets of that coordinate, so a
// ray looks only at the units whose boxes lie about its own line. Any crossing
// lies within EPS of both the ray and the unit, so a unit whose box stays
// farther than the slack from the ray cannot add a point; other kinds of unit
// are always looked at. The list comes out in unit order, as the whole-contour
// search takes them.
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
        for (int j = 0; j < w.Count(); ++j) {
            Span& span = spans_[static_cast<std::size_t>(j)];
            if (Measure(j, span) && std::isfinite(span.acrossLo) && std::isfinite(span.acrossHi)) {
                filed.push_back(j);
            } else {
                span.measured = false;
                always_.push_back(j);
            }
        }
        if (filed.empty()) return;
        lo_ = hi_ = spans_[static_cast<std::size_t>(filed[0])].acrossLo;
        for (int j : filed) {
            lo_ = std::min(lo_, spans_[static_cast<std::size_t>(j)].acrossLo);
            hi_ = std::max(hi_, spans_[static_cast<std::size_t>(j)].acrossHi);
        }
        const std::size_t buckets = filed.size();
        width_ = (hi_ - lo_) / static_cast<double>(buckets);
        if (!(width_ > 0.0) || !std::isfinite(width_)) width_ = 0.0;
        // Two passes fill the buckets in unit order; a unit across many
        // buckets goes to the list every ray looks at instead.
        starts_.assign((width_ > 0.0 ? buckets : 1) + 1, 0);
        std::vector<int> wide;
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<std::size_t> fill(starts_.begin(), starts_.end() - 1);
            for (int j : filed) {
                const Span& span = spans_[static_cast<std::size_t>(j)];
                const std::size_t b0 = Bucket(span.acrossLo), b1 = Bucket(span.acrossHi);
                if (b1 - b0 >= kWideBuckets) {
                    if (pass == 0) wide.push_back(j);
                    continue;
                }
                for (std::size_t b = b0; b <= b1; ++b) {
                    if (pass == 0)
                        ++starts_[b + 1];
                    else
                        units_[fill[b]++] = j;
                }
            }
            if (pass == 0) {
                for (std::size_t b = 1; b < starts_.size(); ++b) starts_[b] += starts_[b - 1];
                units_.resize(starts_.back());
            }
        }
        std::vector<int> merged;
        std::merge(always_.begin(), always_.end(), wide.begin(), wide.end(), std::back_inserter(merged));
        always_ = std::move(merged);
    }

    // The units the ray from (pz, px) may meet, ascending.
    const std::vector<int>& Candidates(double pz, double px) {
        found_.clear();
        const double across = Across(pz, px), along = Along(pz, px);
        auto take = [&](int j) {
            const Span& span = spans_[static_cast<std::size_t>(j)];
            if (span.measured && (across < span.acrossLo || across > span.acrossHi || span.alongHi < along ||
                                  span.alongLo > along + length_))
                return;
            found_.push_back(j);
        };
        for (int j : always_) take(j);
        if (!units_.empty() && across >= lo_ && across <= hi_) {
            const std::size_t b = Bucket(across);
            for (std::size_t k = starts_[b]; k < starts_[b + 1]; ++k) take(units_[k]);
        }
        std::sort(found_.begin(), found_.end());
        found_.erase(std::unique(found_.begin(), found_.end()), found_.end());
        return found_;
    }

    // Unit j has been cut short: a piece that leaves the stretch it was
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
    static constexpr std::size_t kWideBuckets = 16;

    double Across(double z, double x) const { return -dx_ * z + dz_ * x; }
    double Along(double z, double x) const { return dz_ * z + dx_ * x; }

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
    std::size_t Bucket(double across) const {
        if (width_ <= 0.0) return 0;
        const double k = std::floor((across - lo_) / width_);
        const double last = static_cast<double>(starts_.size() - 2);
        return static_cast<std::size_t>(std::clamp(k, 0.0, last));
    }

    const Contour& w_;
    double dz_, dx_, length_;
    double slack_ = 0.0;
    std::vector<Span> spans_;
    double lo_ = 0.0, hi_ = 0.0, width_ = 0.0;
    std::vector<std::size_t> starts_;
    std::vector<int> units_;
    std::vector<int> always_;
    std::vector<int> found_;
};

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
        IntersectPointList onW(10);
        ray->IntersectUnits(w, index.Candidates(pz, px), onW, true);
        // The first crossing past p. Mostly p itself comes first, but not when
        // the unit at p has been cut down to nothing by an earlier bridge or
        // runs along the ray: then the first crossing is already the far one.
        std::uint32_t ahead = 0;
        while (ahead < onW.Count() && IsEqualPoint(onW[ahead].z, onW[ahead].x, pz, px)) ++ahead;
        double qz = 0, qx = 0;
        int j = 0;
        if (ahead < onW.Count()) {
            qz = onW[ahead].z;
            qx = onW[ahead].x;
            j = onW[ahead].index2;
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
