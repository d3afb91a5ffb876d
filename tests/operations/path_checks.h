// Path checks of the operation suites: the moves of a path, its continuity,
// the distance from a point to a unit or a contour, and the clearance of the
// nose circle along a path.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "catalogs/param_tool.h"
#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "geometry/primitives.h"
#include "nc/cadre_s_f.h"
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

}  // namespace zarvento::test
