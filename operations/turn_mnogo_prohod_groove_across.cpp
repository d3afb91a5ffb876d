// Multi-pass groove in elementary moves: plunges side by side across the
// groove, each down to the region's depth at its place, the count and step
// from the groove's width less the tool's.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "catalogs/param_tool.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "nc/cadre_g04.h"
#include "nc/frame_text_format.h"
#include "operations/kind_support.h"
#include "operations/turn_mnogo_prohod.h"

namespace zarvento {

namespace {

// How far inside the tool's edges the groove is probed: clear of the equal
// points' tolerance, and far below what a path or its printed text shows.
constexpr double kEdgeInset = 1e-5;

struct GrooveCrossing {
    double x, z;
    bool onRegion;
};

}  // namespace

void CTurnMnogoProhod::ElementarGroovCycleAcross() {
    if (!calc.regionContour || !calc.pairedContour || calc.regionContour->Empty() || calc.pairedContour->Empty())
        return;
    if (const ParamTool* tool = GetTool()) {
        double width = 0.0, base = 0.0;
        if (tool->GetVariable("width", width)) {
            WidthTool = width;
            SetCycleText(grooveCycle, "P2", FormatGeneral(width));
            SetCycleKind(grooveCycle, "P2", 'R');
        } else {
            SetCycleKind(grooveCycle, "P2", 'd');
        }
        std::int32_t corner = 0;
        // A base out of the integer range is no vertex: the cycle's own stays.
        if (tool->GetVariable("base", base) && TruncateToInt32(base + 0.01, corner)) {
            indPrivazTool = corner;
            SetCycleText(grooveCycle, "P3", std::to_string(corner));
            SetCycleKind(grooveCycle, "P3", 'R');
        } else {
            SetCycleKind(grooveCycle, "P3", 'i');
        }
    }
    double t = DepthPass;
    const double w = WidthTool;
    const double a = Vrezanie, o = Perebeg;
    OnePieceAlongPass = OnePieceAcrossPass = false;
    RegionClosed = true;
    const Contour& W = *calc.regionContour;
    BoundBox box;
    ContoursBoundingBox(W, *calc.pairedContour, box);
    const Point3D first = W.GetFirstUnit()->StartPoint, last = W.GetLastUnit()->EndPoint;
    const bool xChanges = std::fabs(first.x - last.x) >= 0.001, zChanges = std::fabs(first.z - last.z) >= 0.001;
    if (xChanges && !zChanges) OnePieceAcrossPass = true;
    // A region that climbs towards +Z across diameters is a bore's, as the
    // machine cycle takes it: its plunges run out from the axis, whichever
    // tool was picked.
    if (xChanges && zChanges) internalMachining = first.z < last.z;
    if (!xChanges) {
        OnePieceAlongPass = true;
        if (box.xmin < first.x - 1e-6) internalMachining = true;
    }

    // A groove narrower than the tool has no room for a second plunge: a
    // negative step would cut its walls.
    if (!(w >= 0.0)) return ReportError(kToolWidthText);
    // The region keeps the binding corner's nose off the walls; the other
    // corner's nose lies the blade's width less both corners' radii beside
    // it, and is kept off its wall by that span.
    const double span = std::max(0.0, w - 2.0 * NoseOffsetRadius('w'));
    const double H = std::fabs(first.z - last.z) - span;
    if (H < -EPS) return ReportError(kGrooveWidthText);
    // The count is bounded before any move is made: a step far below the
    // groove's width is refused rather than cut in millions of plunges.
    const double plunges = std::ceil(H / t - 1e-6) + 0.1 + 1.0;
    if (!(plunges <= kMaxPasses)) return ReportError(kTooManyPassesMessage);
    int N = std::max(static_cast<int>(plunges), 2);

    double rz = indNapr ? box.zmin : box.zmax;
    double rx = internalMachining ? box.xmax + a : box.xmin - a;
    if (indPrivazTool == 0 && !indNapr) rz -= span;
    if (indPrivazTool != 0 && indNapr) rz += span;
    if (sourceContour) {
        // The retract X comes as near the stock as the source contour allows
        // at the plunge's two edges.
        double nearest = internalMachining ? rx - a : rx + a;
        for (int i = 0; i < sourceContour->Count(); ++i) {
            const Point3D s = sourceContour->GetUnit(i)->StartPoint;
            if (std::fabs(s.z - rz) > 1e-6 && std::fabs(s.z - rz - w) > 1e-6) continue;
            if (internalMachining ? !(s.x > nearest) : !(s.x < nearest)) continue;
            nearest = s.x;
            rx = internalMachining ? s.x + a : s.x - a;
        }
    }
    const double edge = indPrivazTool == 0 ? span : -span;
    // No plunge takes the blade past the bar's back end, where the chuck
    // holds it: one that would is made against that end instead.
    double axisX = 0.0, chuckZ = 0.0;
    GetLatheReach(axisX, chuckZ);
    const auto withinReach = [&](double zk) { return std::max(zk, chuckZ - std::min(edge, 0.0)); };
    MoveToStart(rx, withinReach(rz));
    curX = rx;
    curZ = withinReach(rz);

    if (isCorrectStep && N > 1) t = H / (N - 1);
    if (indNapr) t = -t;
    const double lastStep = isCorrectStep ? t : (indNapr ? -1.0 : 1.0) * H - (N - 2) * t;
    // The probes lie a hair inside the tool's edges: an edge that only
    // touches a wall of the groove must not take that wall's top for the
    // depth there, which would leave a strip of the groove uncut.
    const double inset = std::fabs(edge) > 4.0 * kEdgeInset ? std::copysign(kEdgeInset, edge) : 0.0;

    double z = rz;
    bool plunged = false;
    for (int k = 0; k < N; ++k) {
        auto crossings = [&](double zc, const Contour& c, std::vector<GrooveCrossing>& out, bool region) {
            Contour probe;
            probe.AddUnit(std::make_unique<CLineUnit>(zc, -10000.0, zc, 10000.0));
            IntersectPointList found(8);
            probe.Intersect(c, found, true);
            for (std::uint32_t i = 0; i < found.Count(); ++i) out.push_back({found[i].x, found[i].z, region});
        };
        const double zk = withinReach(z);
        std::vector<GrooveCrossing> A, B;
        crossings(zk + inset, W, A, true);
        crossings(zk + edge - inset, W, B, true);
        if (!A.empty() && !B.empty()) {
            const auto shallower = [&](const std::vector<GrooveCrossing>& C) {
                if (!C.empty() && std::fabs(C[0].x - rx) + 1e-6 < std::fabs(A[0].x - rx))
                    for (std::size_t i = 0; i < std::min(A.size(), C.size()); ++i) A[i].x = C[i].x;
            };
            shallower(B);
            // The edge between the corners stops at the shallowest point of
            // the groove under it: a step or a bulge between them stands
            // higher than either corner's line. That point lies at a vertex
            // or at an arc's top within the edge's span.
            const double zlo = std::min(zk + inset, zk + edge - inset), zhi = std::max(zk + inset, zk + edge - inset);
            for (int i = 0; i < W.Count(); ++i) {
                const CUnit& u = *W.GetUnit(i);
                for (double zu : {u.StartPoint.z, u.EndPoint.z, u.Kind == kUnitArc ? u.CentrePoint.z : zlo}) {
                    if (!(zu > zlo && zu < zhi)) continue;
                    std::vector<GrooveCrossing> C;
                    crossings(zu, W, C, true);
                    shallower(C);
                }
            }
            double lo = A[0].x, hi = A[0].x;
            for (const auto& c : A) {
                lo = std::min(lo, c.x);
                hi = std::max(hi, c.x);
            }
            std::vector<GrooveCrossing> list = A, stock;
            crossings(zk + inset, *calc.pairedContour, stock, false);
            crossings(zk + edge - inset, *calc.pairedContour, stock, false);
            for (const auto& c : stock)
                if (internalMachining ? c.x >= hi + 1e-6 : c.x <= lo - 1e-6) list.push_back(c);
            if (list.size() >= 2) {
                std::sort(list.begin(), list.end(),
                          [](const GrooveCrossing& p, const GrooveCrossing& q) { return p.x > q.x; });
                const GrooveCrossing& xhi = list.front();
                const GrooveCrossing& xlo = list.back();
                bool fromHigh = internalMachining;
                if (OnePieceAcrossPass) fromHigh = indNapr;
                double s = fromHigh ? xhi.x : xlo.x, b = fromHigh ? xlo.x : xhi.x;
                if (!(fromHigh ? xhi : xlo).onRegion) s += fromHigh ? a : -a;
                if (!(fromHigh ? xlo : xhi).onRegion) b += fromHigh ? -o : o;
                if (std::fabs(s - b) >= 1e-6) {
                    MoveTo(s, zk, plunged && isRapidIdle);
                    MoveTo(b, zk, false);
                    if (TimePause > 0.01) AddFrame(std::make_unique<CCadre_G04>(TimePause));
                    MoveTo(s, zk, isRapidIdle);
                    plunged = true;
                }
            }
        }
        if (k + 1 < N) z -= k + 2 == N ? lastStep : t;
    }
    MoveTo(rx, curZ, true);
    calc.retractX = rx;
    calc.retractZ = curZ;
}

}  // namespace zarvento
