// The sweep of a chisel thread's passes, the room the part leaves it and the
// groove band the clearance check holds its passes to.
#include "operations/thread_clearance.h"

#include <algorithm>
#include <cmath>

#include "catalogs/param_tool.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "operations/path_clearance.h"
#include "operations/turn_threading.h"

namespace zarvento {

namespace {

// The crest line's X at z, prolonged past its ends.
double LineX(const ThreadSweep& s, double z) { return s.a.y + (z - s.a.x) * (s.b.y - s.a.y) / (s.b.x - s.a.x); }

// How far below the crest line a point lies, in X, towards the material.
double Below(const ThreadSweep& s, double deeper, Point2D p) { return deeper * (p.y - LineX(s, p.x)); }

// How much deeper below the crest line a point lies when moved by o.
double BelowShift(const ThreadSweep& s, double deeper, Point2D o) {
    return deeper * (o.y - o.x * (s.b.y - s.a.y) / (s.b.x - s.a.x));
}

// The length along the normal of the lines parallel to the crest line that
// one unit of X across them makes.
double NormalScale(const ThreadSweep& s) {
    const double slope = (s.b.y - s.a.y) / (s.b.x - s.a.x);
    return std::sqrt(1.0 + slope * slope);
}

// How far the point lies outside the band: past its ends along Z, below the
// thread's depth.
double OutsideBand(const ThreadBand& band, Point2D p) {
    const double along = std::max({band.lo - p.x, p.x - band.hi, 0.0});
    const double below = std::max(0.0, Below(band.sweep, band.deeper, p) - band.sweep.depth) / NormalScale(band.sweep);
    return std::hypot(along, below);
}

double Reach(const ThreadBand& band, const ClearanceOutline& part, const Curve2D& centre, const ThreadInsert& insert,
             double tolerance) {
    const double r = insert.r;
    const Box2D box = centre.Box();
    // The points of the outline that come within the part's span across the
    // axis somewhere along the piece; the rest cannot meet it.
    const Box2D& bounds = part.Bounds();
    std::vector<Point2D> outline;
    for (const Point2D& o : insert.outline)
        if (box.ymax + o.y >= bounds.ymin && box.ymin + o.y <= bounds.ymax) outline.push_back(o);
    // A line keeps its depth below the crest line linear along it: an insert
    // whose reach stays in the band at both ends stays in it all along.
    if (!centre.arc) {
        double back = -r, ahead = r, below = r * NormalScale(band.sweep);
        for (const Point2D& o : outline) {
            back = std::min(back, o.x);
            ahead = std::max(ahead, o.x);
            below = std::max(below, BelowShift(band.sweep, band.deeper, o));
        }
        const double deepest =
            std::max(Below(band.sweep, band.deeper, centre.a), Below(band.sweep, band.deeper, centre.b)) + below;
        if (box.xmin + back >= band.lo - tolerance && box.xmax + ahead <= band.hi + tolerance &&
            deepest <= band.sweep.depth + tolerance)
            return 0.0;
    }
    // Otherwise the insert is followed along the piece, as the outline's
    // depth is: each point of it outside the band and inside the part is as
    // deep as the nearer of the part's surface and the band.
    const int n = std::clamp(static_cast<int>(centre.Length() / 0.01), 16, 4000);
    const int around = r > 1e-9 ? 24 : 0;
    double deepest = 0.0;
    const auto probe = [&](Point2D p) {
        const double outside = OutsideBand(band, p);
        if (outside <= deepest || !part.Inside(p)) return;
        deepest = std::max(deepest, part.Distance(Curve2D::Line(p, p), outside));
    };
    for (int k = 0; k <= n; ++k) {
        const Point2D c = centre.At(static_cast<double>(k) / n);
        for (int i = 0; i <= around; ++i) {
            const double angle = 2.0 * PI * i / std::max(around, 1);
            probe(i == around ? c : Point2D{c.x + r * std::cos(angle), c.y + r * std::sin(angle)});
        }
        for (const Point2D& o : outline) probe({c.x + o.x, c.y + o.y});
    }
    return deepest;
}

}  // namespace

ThreadInsert ThreadInsertOf(const CTurn& op) {
    ThreadInsert insert;
    const ParamTool* tool = op.GetTool();
    if (!tool) return insert;
    insert.r = std::max(0.0, tool->r);
    const Contour* outline = op.GetToolContour();
    if (!outline) return insert;
    // The outline's (0, 0) is the programmed point; the nose centre lies off it.
    double dz = 0.0, dx = 0.0;
    tool->NoseCentre(dz, dx);
    // Points no further apart than a tenth of a millimetre along each unit.
    for (int i = 0; i < outline->Count(); ++i) {
        const Curve2D& piece = insert.pieces.emplace_back(PieceOf(*outline->GetUnit(i), -dz, -dx));
        const int n = std::clamp(static_cast<int>(std::ceil(piece.Length() / 0.1)), 1, 1000);
        for (int k = 0; k < n; ++k) insert.outline.push_back(piece.At(static_cast<double>(k) / n));
    }
    return insert;
}

std::vector<ThreadSweep> ThreadSweepsOf(const CTurn& op, double noseRadius) {
    std::vector<ThreadSweep> sweeps;
    const auto* thread = dynamic_cast<const CTurnTHREADING*>(&op);
    if (!thread || !op.workContour || op.workContour->Count() == 0) return sweeps;
    const CUnit& line = *op.workContour->GetUnit(0);
    if (std::fabs(line.StartPoint.z - line.EndPoint.z) < EPS) return sweeps;
    const int starts = std::max(1, thread->Nzahod);
    // The later starts are cut from further back by their share of the lead;
    // an infeed along the flank (the passes' own, and a machine cycle's)
    // shifts the cut back by up to tan 30° of the depth.
    double back = op.Spod / starts * (starts - 1);
    const CycleParameter* flank = thread->Cycle().FindParam("P2");
    if (op.indShema == 1 || (flank && flank->ListIndex() != 0)) back += std::tan(PI / 6.0) * thread->Depth;
    const int repetitions = std::clamp(thread->Nrep, 1, kMaxThreadPasses);
    for (int r = 0; r < repetitions; ++r) {
        const double shift = thread->dZ0rep + r * thread->dZrep;
        const CLineUnit moved(line.StartPoint.z + shift, line.StartPoint.x, line.EndPoint.z + shift, line.EndPoint.x);
        ThreadLine cut;
        if (!ExtendThreadLine(moved, op.indNapr, op.Vrezanie, op.Perebeg, cut)) continue;
        ThreadSweep s;
        s.a = {moved.StartPoint.z, moved.StartPoint.x};
        s.b = {moved.EndPoint.z, moved.EndPoint.x};
        s.depth = thread->Depth;
        const double from = (cut.start + cut.back * back).z, to = cut.end.z;
        s.runOutAtLo = to < from;
        s.r = noseRadius;
        s.lo = std::min(from, to) - noseRadius;
        s.hi = std::max(from, to) + noseRadius;
        sweeps.push_back(s);
    }
    return sweeps;
}

ThreadRoom RoomAlongThread(const ClearanceOutline& part, const ThreadSweep& sweep, double tolerance) {
    ThreadRoom room;
    // The material's side: just off the middle of the line.
    const double probe = std::max(10.0 * tolerance, 1e-3);
    const Point2D mid{0.5 * (sweep.a.x + sweep.b.x), 0.5 * (sweep.a.y + sweep.b.y)};
    const bool towardsAxis = part.Inside({mid.x, mid.y + probe});
    if (towardsAxis == part.Inside({mid.x, mid.y - probe})) return room;
    room.deeper = towardsAxis ? 1.0 : -1.0;
    const double zmin = std::min(sweep.a.x, sweep.b.x), zmax = std::max(sweep.a.x, sweep.b.x);
    // The part's outline where it lies across the line, chord by chord: a
    // line is its own chord, an arc is followed closely enough.
    const auto across = [&](Point2D p, Point2D q) {
        const double wp = Below(sweep, room.deeper, p) + tolerance, wq = Below(sweep, room.deeper, q) + tolerance;
        if (wp >= 0.0 && wq >= 0.0) return;
        double z1 = p.x, z2 = q.x;
        if (wp >= 0.0) z1 = p.x + (q.x - p.x) * wp / (wp - wq);
        if (wq >= 0.0) z2 = p.x + (q.x - p.x) * wp / (wp - wq);
        const double lo = std::min(z1, z2), hi = std::max(z1, z2);
        if (lo + hi < zmin + zmax) {
            room.lo = std::max(room.lo, hi);
        } else {
            room.hi = std::min(room.hi, lo);
        }
    };
    for (const Curve2D& piece : part.Pieces()) {
        const int chords = piece.arc ? 64 : 1;
        Point2D p = piece.a;
        for (int k = 1; k <= chords; ++k) {
            const Point2D q = k == chords ? piece.b : piece.At(static_cast<double>(k) / chords);
            across(p, q);
            p = q;
        }
    }
    return room;
}

void WidenForInsert(ThreadSweep& sweep, double deeper, const ThreadInsert& insert, const ClearanceOutline& part) {
    if (insert.pieces.empty() || deeper == 0.0) return;
    const Box2D& bounds = part.Bounds();
    // How far the outline reaches along Z (towards: -1 or +1) from the nose
    // centre at z at the thread's depth, the nose radius at least: a line
    // cut at the part's span exactly, an arc through points close together.
    const auto reach = [&](double z, double towards) {
        const double x = LineX(sweep, z) + deeper * (sweep.depth - sweep.r);
        const double from = bounds.ymin - x, to = bounds.ymax - x;
        double farthest = sweep.r;
        const auto take = [&](Point2D o) {
            if (o.y >= from && o.y <= to) farthest = std::max(farthest, towards * o.x);
        };
        for (const Curve2D& piece : insert.pieces) {
            if (piece.arc) {
                const int n = std::clamp(static_cast<int>(std::ceil(piece.Length() / 0.005)), 1, 10000);
                for (int k = 0; k <= n; ++k) take(piece.At(static_cast<double>(k) / n));
                continue;
            }
            take(piece.a);
            take(piece.b);
            for (const double y : {from, to})
                if ((piece.a.y - y) * (piece.b.y - y) < 0.0)
                    take({piece.a.x + (piece.b.x - piece.a.x) * (y - piece.a.y) / (piece.b.y - piece.a.y), y});
        }
        return farthest;
    };
    const double lo = sweep.lo + sweep.r, hi = sweep.hi - sweep.r;
    sweep.lo = lo - reach(lo, -1.0);
    sweep.hi = hi + reach(hi, 1.0);
}

std::vector<ThreadBand> ThreadBandsOf(const CTurn& op, const ClearanceOutline& part, const ThreadInsert& insert,
                                      double tolerance) {
    std::vector<ThreadBand> bands;
    if (part.Empty()) return bands;
    for (ThreadSweep sweep : ThreadSweepsOf(op, insert.r)) {
        const ThreadRoom room = RoomAlongThread(part, sweep, tolerance);
        if (room.deeper == 0.0) continue;
        WidenForInsert(sweep, room.deeper, insert, part);
        bands.push_back({sweep, room.deeper, std::max(sweep.lo, room.lo), std::min(sweep.hi, room.hi)});
    }
    return bands;
}

double OutsideThreadBands(const std::vector<ThreadBand>& bands, Point2D p) {
    double least = std::numeric_limits<double>::infinity();
    for (const ThreadBand& band : bands) least = std::min(least, OutsideBand(band, p));
    return least;
}

double ThreadPassReach(const std::vector<ThreadBand>& bands, const ClearanceOutline& part, const Curve2D& centre,
                       const ThreadInsert& insert, double tolerance) {
    double least = bands.empty() ? 0.0 : std::numeric_limits<double>::infinity();
    for (const ThreadBand& band : bands) {
        least = std::min(least, Reach(band, part, centre, insert, tolerance));
        if (least <= tolerance) break;
    }
    return least;
}

}  // namespace zarvento
