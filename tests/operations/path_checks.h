// Path checks of the operation suites: the moves of a path, its continuity,
// the distance from a point to a unit or a contour, and the clearance of the
// nose circle along a path.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "catalogs/param_tool.h"
#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "nc/cadre_s_f.h"
#include "operations/path_clearance.h"
#include "operations/turn.h"
#include "plan/spid.h"

namespace zarvento::test {

// One move of a path: its ends, whether it is a rapid, and its frame.
struct PathMove {
    double x1, z1, x2, z2;
    bool rapid;
    const CCadreISO* frame;
};

// The moves of the path in order, each with its units' ends.
inline std::vector<PathMove> PathMoves(const CTurn& op) {
    std::vector<PathMove> moves;
    for (const auto& frame : op.Frames()) {
        StepArray<CUnit*> units(4);
        frame->AddPathUnits(units);
        if (units.Count() == 0) continue;
        moves.push_back({frame->start.x, frame->start.z, frame->end.x, frame->end.z, frame->rapid != 0, frame.get()});
    }
    return moves;
}

// Every move starts where the one before it ended.
inline void ExpectContinuous(const std::vector<PathMove>& moves) {
    for (std::size_t k = 1; k < moves.size(); ++k) {
        ASSERT_NEAR(moves[k].x1, moves[k - 1].x2, 1e-6) << "move " << k;
        ASSERT_NEAR(moves[k].z1, moves[k - 1].z2, 1e-6) << "move " << k;
    }
}

// Distance from a point to a line or arc unit.
inline double Distance(const CUnit& u, double z, double x) {
    auto d = [](double z1, double x1, double z2, double x2) { return std::hypot(z1 - z2, x1 - x2); };
    const double ends = std::min(d(z, x, u.StartPoint.z, u.StartPoint.x), d(z, x, u.EndPoint.z, u.EndPoint.x));
    if (u.Kind == kUnitArc) {
        const auto& arc = static_cast<const CArcUnit&>(u);
        const double r = d(z, x, u.CentrePoint.z, u.CentrePoint.x);
        if (r < 1e-12) return arc.Radius;
        const double qz = u.CentrePoint.z + (z - u.CentrePoint.z) * arc.Radius / r;
        const double qx = u.CentrePoint.x + (x - u.CentrePoint.x) * arc.Radius / r;
        return u.IsPointOnUnit(qz, qx, 0) ? std::fabs(r - arc.Radius) : ends;
    }
    const double lz = u.EndPoint.z - u.StartPoint.z, lx = u.EndPoint.x - u.StartPoint.x;
    const double len2 = lz * lz + lx * lx;
    if (len2 < 1e-24) return ends;
    const double t = ((z - u.StartPoint.z) * lz + (x - u.StartPoint.x) * lx) / len2;
    if (t <= 0 || t >= 1) return ends;
    return d(z, x, u.StartPoint.z + t * lz, u.StartPoint.x + t * lx);
}

inline double Distance(const Contour& c, double z, double x) {
    double best = 1e300;
    for (int i = 0; i < c.Count(); ++i) best = std::min(best, Distance(*c.GetUnit(i), z, x));
    return best;
}

// The first frame along which the nose-circle centre comes closer to the part
// than the nose radius and the allowance (the nose radius alone once the
// finishing cutting data are set), as text; empty when none does. The routes
// to and from the home point are the user's and are not judged.
inline std::string FirstGouge(const CTurn& op, const Contour& part, double allowance) {
    const ParamTool* tool = op.GetTool();
    if (!tool) return "no tool";
    const CSPID& spid = *GetSPID();
    double limit = tool->r + allowance - 1e-6;
    for (const auto& frame : op.Frames()) {
        if (dynamic_cast<const CCadre_S_F*>(frame.get())) limit = tool->r - 1e-6;
        if (IsEqualPoint(frame->start.z, frame->start.x, spid.Z0tool, -spid.X0tool) ||
            IsEqualPoint(frame->end.z, frame->end.x, spid.Z0tool, -spid.X0tool))
            continue;
        StepArray<CUnit*> units(4);
        frame->AddPathUnits(units);
        for (std::uint32_t k = 0; k < units.Count(); ++k) {
            IntersectPointList points(64);
            units[k]->GetPointsByStep(points, 0.05, 1);
            for (std::uint32_t p = 0; p < points.Count(); ++p) {
                const double cz = points[p].z + tool->dNoseDx, cx = points[p].x - tool->dNoseDy;
                if (Distance(part, cz, cx) < limit)
                    return "frame from (" + std::to_string(frame->start.z) + ", " + std::to_string(frame->start.x) +
                           ") to (" + std::to_string(frame->end.z) + ", " + std::to_string(frame->end.x) + ")";
            }
        }
    }
    return "";
}

// The first rapid of the operation that brings the nose of its tool nearer
// than `clearance` to the part (the plan's section) or to the stock standing,
// as the main job's check has the stock: as it stood before the operation
// until its first feed move, and what the operation leaves of it all along.
// A rapid that sets off nearer (from where a cut left the tool) only has to
// get out; every rapid ends the clearance off. As text, empty when none
// does.
inline std::string FirstRapidTooNear(const CTurn& op, double clearance, double tolerance = 2e-3) {
    const ParamTool* tool = op.GetTool();
    if (!tool) return "";
    const double r = std::max(0.0, tool->r), dz = tool->dNoseDx, dx = -tool->dNoseDy;
    std::optional<ClearanceOutline> part, before, after;
    if (const Contour* section = GetSPID()->GetDetailContour(); section && !section->Empty()) part.emplace(*section);
    if (op.prevFinalContour && !op.prevFinalContour->Empty()) before.emplace(*op.prevFinalContour);
    if (op.finalContour && !op.finalContour->Empty()) after.emplace(*op.finalContour);
    bool fed = false;
    for (const ClearanceMove& m : ComputedMoves(op)) {
        if (!m.rapid) {
            fed = true;
            continue;
        }
        Curve2D move = m.piece;
        move.a = {move.a.x + dz, move.a.y + dx};
        move.b = {move.b.x + dz, move.b.y + dx};
        move.c = {move.c.x + dz, move.c.y + dx};
        // How far the nose keeps off the material along a piece of the move;
        // below 0 inside it.
        const auto gap = [&](const Curve2D& piece) {
            double least = 1e300;
            for (const ClearanceOutline* o :
                 {part ? &*part : nullptr, after ? &*after : nullptr, fed || !before ? nullptr : &*before}) {
                if (!o || o->Empty()) continue;
                double d = o->Distance(piece, r + clearance + 1.0);
                if (d > 0.0 && o->Inside(piece.a)) d = -d;
                least = std::min(least, d - r);
            }
            return least;
        };
        const double start = gap(Curve2D::Line(move.a, move.a)), end = gap(Curve2D::Line(move.b, move.b));
        const double along = gap(move);
        if (end >= clearance - tolerance && (start < clearance - tolerance || along >= clearance - tolerance)) continue;
        std::ostringstream s;
        s << "frame " << m.frame << ": the rapid from (" << m.piece.a.x << ", " << m.piece.a.y << ") to ("
          << m.piece.b.x << ", " << m.piece.b.y << ") comes " << std::min(along, end) << " off the material (from "
          << start << ", ending " << end << "), within the clearance " << clearance;
        return s.str();
    }
    return "";
}

// The deepest the tool's outline reaches into the part along the
// operation's feed moves, the outline placed at each point of the path as
// the simulation places it (the tool's contour moved by the point), and the
// point of the path where it does. The depth is that of the part's profile
// inside the outline: the tool cannot reach into the part without the
// profile crossing into it.
struct OutlineGouge {
    double depth = 0.0;
    double z = 0.0, x = 0.0;
};

inline std::vector<std::pair<double, double>> PolylineOf(const Contour& c, double step) {
    std::vector<std::pair<double, double>> points;
    const auto add = [&](double z, double x) {
        if (points.empty() || !IsEqualPoint(points.back().first, points.back().second, z, x)) points.emplace_back(z, x);
    };
    for (int i = 0; i < c.Count(); ++i) {
        // A line is its ends; an arc, chords of the step.
        const CUnit& unit = *c.GetUnit(i);
        if (unit.Kind != kUnitArc) {
            add(unit.StartPoint.z, unit.StartPoint.x);
            add(unit.EndPoint.z, unit.EndPoint.x);
            continue;
        }
        IntersectPointList along(64);
        unit.GetPointsByStep(along, step, 1);
        for (std::uint32_t k = 0; k < along.Count(); ++k) add(along[k].z, along[k].x);
    }
    return points;
}

inline OutlineGouge DeepestOutlineGouge(const CTurn& op, const Contour& part, const Contour& outline) {
    const auto polygon = PolylineOf(outline, 0.02);
    // The profile finer: an edge may reach into it between its ends.
    std::vector<std::pair<double, double>> profile;
    for (int i = 0; i < part.Count(); ++i) {
        IntersectPointList along(64);
        part.GetUnit(i)->GetPointsByStep(along, 0.02, 1);
        for (std::uint32_t k = 0; k < along.Count(); ++k) profile.emplace_back(along[k].z, along[k].x);
    }
    // By Z, so that each place of the tool looks only at the stretch under its outline.
    std::sort(profile.begin(), profile.end());
    double zmin = 1e300, xmin = 1e300, zmax = -1e300, xmax = -1e300;
    for (const auto& [z, x] : polygon) {
        zmin = std::min(zmin, z), zmax = std::max(zmax, z);
        xmin = std::min(xmin, x), xmax = std::max(xmax, x);
    }
    const auto inside = [&](double z, double x) {
        if (z < zmin || z > zmax || x < xmin || x > xmax) return false;
        bool in = false;
        for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
            const auto& [zi, xi] = polygon[i];
            const auto& [zj, xj] = polygon[j];
            if ((xi > x) != (xj > x) && z < zi + (x - xi) * (zj - zi) / (xj - xi)) in = !in;
        }
        return in;
    };
    OutlineGouge worst;
    const CSPID& spid = *GetSPID();
    for (const auto& frame : op.Frames()) {
        if (frame->rapid) continue;
        if (IsEqualPoint(frame->start.z, frame->start.x, spid.Z0tool, -spid.X0tool) ||
            IsEqualPoint(frame->end.z, frame->end.x, spid.Z0tool, -spid.X0tool))
            continue;
        StepArray<CUnit*> units(4);
        frame->AddPathUnits(units);
        for (std::uint32_t k = 0; k < units.Count(); ++k) {
            IntersectPointList points(64);
            units[k]->GetPointsByStep(points, 0.05, 1);
            for (std::uint32_t p = 0; p < points.Count(); ++p) {
                const auto from = std::lower_bound(profile.begin(), profile.end(),
                                                   std::pair<double, double>{points[p].z + zmin, -1e300});
                for (auto q = from; q != profile.end() && q->first <= points[p].z + zmax; ++q) {
                    const double lz = q->first - points[p].z, lx = q->second - points[p].x;
                    if (!inside(lz, lx)) continue;
                    const double depth = Distance(outline, lz, lx);
                    if (depth > worst.depth) worst = {depth, points[p].z, points[p].x};
                }
            }
        }
    }
    return worst;
}

// An insert as the finishing tool's model draws it about the tool's nose
// (its tip towards the axis, or away from it for a boring tool): the edge on
// the -Z side straight along X from the nose, the one on the +Z side leaving
// it at `trailing` degrees from that, both 16 mm long; null if the nose arc
// cannot be drawn round the tip.
inline std::shared_ptr<Contour> InsertOutline(const ParamTool& tool, double trailing, bool bore = false) {
    const double r = tool.r, cz = tool.dNoseDx, cx = -tool.dNoseDy, side = bore ? -1.0 : 1.0;
    const double a = trailing * PI / 180.0;
    const double tz = cz + r * std::cos(a), tx = cx + side * r * std::sin(a);
    const double ez = tz + 16.0 * std::sin(a), ex = tx - side * 16.0 * std::cos(a);
    auto outline = std::make_shared<Contour>();
    outline->AddUnit(std::make_unique<CLineUnit>(cz - r, cx, cz - r, cx - side * 16.0));
    outline->AddUnit(std::make_unique<CLineUnit>(cz - r, cx - side * 16.0, ez, ex));
    outline->AddUnit(std::make_unique<CLineUnit>(ez, ex, tz, tx));
    for (int sense : {1, -1}) {
        auto arc = std::make_unique<CArcUnit>(cz, cx, r, tz, tx, cz - r, cx, sense);
        IntersectPointList points(64);
        arc->GetPointsByStep(points, 0.01, 1);
        bool tip = false;
        for (std::uint32_t k = 0; k < points.Count(); ++k) tip = tip || side * (points[k].x - cx) > 0.99 * r;
        if (!tip) continue;
        outline->AddUnit(std::move(arc));
        return outline;
    }
    return nullptr;
}

// The first move of the operation, feed or rapid, whose nose circle reaches
// behind the part's back face (the least Z of its section) by more than the
// operation's overrun, or than the nose's radius where that is more
// (finishing up to the face takes the nose's edge that far), as text; empty
// when none does. Behind the face the bar goes on into the chuck: the part
// is cut off from it there, and nothing of it is machined.
inline std::string FirstMoveBehindTheBackFace(const CTurn& op, const Contour& part, double tolerance = 1e-3) {
    const ParamTool* tool = op.GetTool();
    if (!tool || part.Empty()) return "";
    const double r = std::max(0.0, tool->r);
    const double limit = part.GetBoundBox().zmin - std::max(std::max(op.Perebeg, 0.0), r) - tolerance;
    for (const auto& frame : op.Frames()) {
        StepArray<CUnit*> units(4);
        frame->AddPathUnits(units);
        for (std::uint32_t k = 0; k < units.Count(); ++k) {
            IntersectPointList points(64);
            units[k]->GetPointsByStep(points, 0.05, 1);
            for (std::uint32_t p = 0; p < points.Count(); ++p) {
                const double reach = points[p].z + tool->dNoseDx - r;
                if (reach >= limit) continue;
                return std::string(frame->rapid ? "rapid" : "feed") + " from (" + std::to_string(frame->start.z) +
                       ", " + std::to_string(frame->start.x) + ") to (" + std::to_string(frame->end.z) + ", " +
                       std::to_string(frame->end.x) + ") reaches z = " + std::to_string(reach) + ", past " +
                       std::to_string(limit);
            }
        }
    }
    return "";
}

}  // namespace zarvento::test
