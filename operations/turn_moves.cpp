// The idle moves of a path: the approach to its first working move (from the
// previous operation, through the safety zone or from the home point), the
// retract to the home point, and the links between pieces of one path.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalogs/param_tool.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "nc/cadre_g28.h"
#include "operations/path_clearance.h"
#include "operations/plan_angle_trim.h"
#include "operations/turn.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/check.h"

namespace zarvento {

namespace {

constexpr double kFar = 10000.0;

// A route of rapid lines through the given points (z, x); zero-length legs are left out.
std::unique_ptr<Contour> Route(std::initializer_list<std::pair<double, double>> points) {
    auto route = std::make_unique<Contour>();
    const std::pair<double, double>* previous = nullptr;
    for (const auto& p : points) {
        if (previous && !IsEqualPoint(previous->first, previous->second, p.first, p.second))
            route->AddUnit(std::make_unique<CLineUnit>(previous->first, previous->second, p.first, p.second, true));
        previous = &p;
    }
    return route;
}

using RoutePoints = std::vector<std::pair<double, double>>;  // (z, x)

// A route of rapid lines through the points, a leg that goes on straight
// from the one before it taken into that one.
std::unique_ptr<Contour> RouteThrough(const RoutePoints& points) {
    RoutePoints corners;
    for (const auto& p : points) {
        if (!corners.empty() && IsEqualPoint(corners.back().first, corners.back().second, p.first, p.second)) continue;
        if (corners.size() >= 2) {
            const auto& a = corners[corners.size() - 2];
            const auto& b = corners.back();
            const double uz = b.first - a.first, ux = b.second - a.second;
            const double vz = p.first - b.first, vx = p.second - b.second;
            if (std::fabs(uz * vx - ux * vz) <= EPS * std::hypot(uz, ux) * std::hypot(vz, vx) &&
                uz * vz + ux * vx > 0.0)
                corners.pop_back();
        }
        corners.push_back(p);
    }
    auto route = std::make_unique<Contour>();
    for (std::size_t k = 1; k < corners.size(); ++k)
        route->AddUnit(std::make_unique<CLineUnit>(corners[k - 1].first, corners[k - 1].second, corners[k].first,
                                                   corners[k].second, true));
    return route;
}

double RouteLength(const Contour& route) {
    double length = 0.0;
    for (int i = 0; i < route.Count(); ++i) {
        const CUnit& leg = *route.GetUnit(i);
        length += std::hypot(leg.EndPoint.z - leg.StartPoint.z, leg.EndPoint.x - leg.StartPoint.x);
    }
    return length;
}

// The crossings of a route with the obstacle, but where the route touches it
// at the point it leaves from (a pass ends on the part) or comes to.
std::vector<IntersectPoint> CrossingsOnTheWay(const Contour& route, const Contour* obstacle) {
    std::vector<IntersectPoint> found;
    if (!obstacle || route.Empty()) return found;
    IntersectPointList points(100);
    route.Intersect(*obstacle, points, true);
    const Point3D& from = route.GetFirstUnit()->StartPoint;
    const Point3D& to = route.GetLastUnit()->EndPoint;
    constexpr double kTouch = 1e-3;
    for (std::uint32_t k = 0; k < points.Count(); ++k) {
        const IntersectPoint& p = points[k];
        if (std::hypot(p.z - from.z, p.x - from.x) < kTouch || std::hypot(p.z - to.z, p.x - to.x) < kTouch) continue;
        found.push_back(p);
    }
    return found;
}

bool KeepsOff(const Contour& route, const Contour* obstacle) { return CrossingsOnTheWay(route, obstacle).empty(); }

// How near a rapid may bring the nose to material: the clearance check's
// resolution.
constexpr double kRapidTolerance = 1e-3;

// The least distance from the route, moved by (dz, dx), to the outline's
// units, or `within` when none comes nearer: units whose box lies farther
// off are not measured.
double NearestApproach(const Contour& route, double dz, double dx, const Contour& outline, double within) {
    double best = within;
    for (int i = 0; i < route.Count(); ++i) {
        const Curve2D leg = PieceOf(*route.GetUnit(i), dz, dx);
        const Box2D box = leg.Box();
        for (int k = 0; k < outline.Count(); ++k) {
            const CUnit& unit = *outline.GetUnit(k);
            BoundBox b;
            unit.GetBoundBox(b);
            if (!box.Overlaps({b.zmin, b.xmin, b.zmax, b.xmax}, best)) continue;
            best = std::min(best, CurveDistance(leg, PieceOf(unit, 0.0, 0.0)));
        }
    }
    return best;
}

// Clearance kept before the tool's point reaches the stock on a fed approach.
constexpr double kApproachClearance = 1.0;

// The nose of the operation's tool: its corner radius and where its centre
// lies from the point the program drives.
struct NoseCircle {
    double r = 0.0, dz = 0.0, dx = 0.0;
};

NoseCircle NoseOfTool(const CTurn& op) {
    const ParamTool* tool = op.GetTool();
    // A path the machine compensates drives the contour itself, the nose
    // off it as the compensation puts it: its routes are measured as a
    // point's, the main job's check measures the corrected path.
    if (!tool || (op.MachineCompensatesRadius() && !op.CorrectsRadius())) return {};
    return {std::max(0.0, tool->r), tool->dNoseDx, -tool->dNoseDy};
}

// What a rapid route keeps the tool's nose off, measured as the main job's
// clearance check measures a rapid move: the part's section and the stock
// given (null or empty contours are left out), kept `clearance` off (the
// nose as a circle that much larger). The outlines are indexed the first
// time a route is measured.
class RouteMaterial {
public:
    RouteMaterial(const CTurn& op, std::vector<const Contour*> contours, double clearance = 0.0)
        : nose_(NoseOfTool(op)), clearance_(clearance) {
        for (const Contour* c : contours)
            if (c && !c->Empty()) contours_.push_back(c);
    }

    bool Clear(const Contour& route) {
        if (route.Empty()) return true;
        for (const auto& outline : Outlines())
            if (RouteReach(route, nose_.dz, nose_.dx, nose_.r + clearance_, *outline, kRapidTolerance)) return false;
        return true;
    }

    // Where the route comes within the clearance of the material: the
    // length along its last leg up to there, -1 when it never does, or -2
    // when it does on an earlier leg. A route that sets off within it (from
    // where a cut left the tool) is not measured so: -1.
    double FeedStart(const Contour& route) {
        if (route.Empty() || clearance_ <= 0.0) return -1.0;
        const CUnit& first = *route.GetFirstUnit();
        const Point2D from{first.StartPoint.z + nose_.dz, first.StartPoint.x + nose_.dx};
        if (Near(Curve2D::Line(from, from))) return -1.0;
        for (int i = 0; i < route.Count(); ++i) {
            const Curve2D leg = PieceOf(*route.GetUnit(i), nose_.dz, nose_.dx);
            const double t = FirstNear(leg, 0.0, 1.0);
            if (t < 0.0) continue;
            if (i + 1 < route.Count()) return -2.0;
            return t * leg.Length();
        }
        return -1.0;
    }

    const std::vector<const Contour*>& Contours() const { return contours_; }
    const NoseCircle& Nose() const { return nose_; }

private:
    const std::vector<std::unique_ptr<ClearanceOutline>>& Outlines() {
        if (outlines_.empty())
            for (const Contour* c : contours_) outlines_.push_back(std::make_unique<ClearanceOutline>(*c));
        return outlines_;
    }

    // Whether the nose about the piece comes within the clearance of the material.
    bool Near(const Curve2D& piece) {
        // A rapid that ends the clearance off to rounding keeps it.
        const double keep = nose_.r + clearance_ - 0.5 * CTurn::kClearanceSlack;
        for (const auto& outline : Outlines()) {
            const double d = outline->Distance(piece, keep);
            if (d < keep || outline->Inside(piece.a)) return true;
        }
        return false;
    }

    // The first parameter in [t0, t1] of the leg where the nose comes
    // within the clearance, to a thousandth of a millimetre; -1 for none.
    double FirstNear(const Curve2D& leg, double t0, double t1) {
        if (!Near(leg.Sub(t0, t1, leg.At(t0), leg.At(t1)))) return -1.0;
        if ((t1 - t0) * leg.Length() <= kRapidTolerance) return t0;
        const double mid = 0.5 * (t0 + t1);
        const double t = FirstNear(leg, t0, mid);
        return t >= 0.0 ? t : FirstNear(leg, mid, t1);
    }

    NoseCircle nose_;
    double clearance_ = 0.0;
    std::vector<const Contour*> contours_;
    std::vector<std::unique_ptr<ClearanceOutline>> outlines_;
};

// How the tool gets out of the material from a point along Z: the Z of the
// front it passes (the nose the clearance past every unit), and the levels
// it can run at from the point's Z to there, each the nearest to the point
// that keeps the nose the clearance off every unit on the way: inside the
// bore the point stands in (the nose not past the mirror of the bore's
// narrowest wall beyond the axis), and outside all of the material.
struct ExitWay {
    double front = 0.0;
    std::vector<double> levels;
};

ExitWay FindExitWay(const std::vector<const Contour*>& material, const NoseCircle& nose, double z, double x,
                    double clearance) {
    const double cz = z + nose.dz, cx = x + nose.dx;
    double zmax = -std::numeric_limits<double>::infinity();
    for (const Contour* c : material) zmax = std::max(zmax, c->GetBoundBox().zmax);
    ExitWay way;
    const double front = std::max(cz, zmax + nose.r + clearance);
    way.front = front - nose.dz;
    // The narrowest wall (greatest x) and the outermost unit along the way;
    // what lies wholly behind the nose is not on it.
    double inner = -std::numeric_limits<double>::infinity(), outer = std::numeric_limits<double>::infinity();
    for (const Contour* c : material) {
        for (int i = 0; i < c->Count(); ++i) {
            BoundBox b;
            c->GetUnit(i)->GetBoundBox(b);
            if (b.zmax <= cz - nose.r + kRapidTolerance || b.zmin >= front + nose.r) continue;
            inner = std::max(inner, b.xmax);
            outer = std::min(outer, b.xmin);
        }
    }
    if (outer > inner) {
        way.levels.push_back(x);
        return way;
    }
    // Inside: the room between the nose on the narrowest wall and the axis.
    if (const double room = -inner - nose.r; room > 2.0 * kRapidTolerance) {
        const double keep = std::min(clearance, 0.5 * room);
        const double lo = inner + nose.r + keep, hi = std::max(lo, -inner - nose.r - keep);
        way.levels.push_back(std::clamp(cx, lo, hi) - nose.dx);
    }
    way.levels.push_back(std::min(cx, outer - nose.r - clearance) - nose.dx);
    return way;
}

// The ways from a point towards the open: the point itself, and for each
// level of its exit way the move across to it, then along Z past the front
// or not.
std::vector<RoutePoints> WaysOut(double z, double x, const ExitWay* way) {
    std::vector<RoutePoints> ways{{{z, x}}};
    if (!way) return ways;
    for (double level : way->levels) {
        ways.push_back({{z, x}, {z, level}});
        ways.push_back({{z, x}, {z, level}, {way->front, level}});
    }
    return ways;
}

// The routes from a to b that leave a by one of its ways out, go over to
// the end of one of b's ways out (directly, along Z first or along X first)
// and come in by that way backwards; the route that takes neither way out
// is left to the caller.
std::vector<std::unique_ptr<Contour>> RoutesBetween(const std::vector<RoutePoints>& fromA,
                                                    const std::vector<RoutePoints>& fromB) {
    std::vector<std::unique_ptr<Contour>> routes;
    for (const RoutePoints& a : fromA) {
        for (const RoutePoints& b : fromB) {
            if (a.size() == 1 && b.size() == 1) continue;
            const auto [az, ax] = a.back();
            const auto [bz, bx] = b.back();
            for (int link = 0; link < 3; ++link) {
                RoutePoints points = a;
                if (link == 1) points.emplace_back(bz, ax);
                if (link == 2) points.emplace_back(az, bx);
                points.insert(points.end(), b.rbegin(), b.rend());
                routes.push_back(RouteThrough(points));
            }
        }
    }
    return routes;
}

// The shortest of the routes the test lets through; null when none.
const Contour* ShortestOf(const std::vector<std::unique_ptr<Contour>>& routes,
                          const std::function<bool(const Contour&)>& passes) {
    std::vector<const Contour*> byLength;
    for (const auto& r : routes) byLength.push_back(r.get());
    std::stable_sort(byLength.begin(), byLength.end(),
                     [](const Contour* a, const Contour* b) { return RouteLength(*a) < RouteLength(*b) - EPS; });
    for (const Contour* r : byLength)
        if (passes(*r)) return r;
    return nullptr;
}

std::string Coordinates(double z, double x) {
    // Internal X is the negated radius; the text gives diameters as the program does.
    char text[96];
    std::snprintf(text, sizeof text, "Z%.3f D%.3f", std::fabs(z) < 5e-4 ? 0.0 : z,
                  std::fabs(x) < 2.5e-4 ? 0.0 : -2.0 * x);
    return text;
}

// The boundary of the plan's safety zone: along -Xplane up to Zplane, then out along Zplane.
std::unique_ptr<Contour> SafetyBoundary(const CSPID& spid) {
    return Route({{-kFar, -spid.Xplane}, {spid.Zplane, -spid.Xplane}, {spid.Zplane, kFar}});
}

// Whether the straight move from q to g passes the protected side of the
// zone boundary: a crossing away from its ends, or a middle point on the
// part's side (a move between points on the two legs of the boundary cuts
// the corner although it touches the boundary only at its ends).
bool CutsZone(const CSPID& spid, double qz, double qx, double gz, double gx, const Contour& boundary) {
    auto line = MakeLineContour(qz, qx, gz, gx);
    IntersectPointList points(10);
    line->Intersect(boundary, points, true);
    for (std::uint32_t k = 0; k < points.Count(); ++k) {
        if (!IsEqualPoint(points[k].z, points[k].x, qz, qx) && !IsEqualPoint(points[k].z, points[k].x, gz, gx))
            return true;
    }
    const double mz = (qz + gz) / 2.0, mx = (qx + gx) / 2.0;
    return mz < spid.Zplane - EPS && mx > -spid.Xplane + EPS;
}

// The first crossing of the route with the boundary, as a cut point of the route.
bool FirstCrossing(const Contour& route, const Contour& boundary, IntersectPoint& at) {
    IntersectPointList points(100);
    route.Intersect(boundary, points, true);
    if (points.Count() == 0) return false;
    at = points[0];
    return true;
}

IntersectPoint RouteStart(const Contour& route) {
    IntersectPoint p;
    p.z = route.GetFirstUnit()->StartPoint.z;
    p.x = route.GetFirstUnit()->StartPoint.x;
    p.index1 = 0;
    return p;
}

IntersectPoint RouteEnd(const Contour& route) {
    IntersectPoint p;
    p.z = route.GetLastUnit()->EndPoint.z;
    p.x = route.GetLastUnit()->EndPoint.x;
    p.index1 = route.Count() - 1;
    return p;
}

// The length along the route's last leg up to the clearance before its
// first meeting with the stock (0 when that is nearer than the clearance).
double FedStart(const Contour& route, const Contour* stock) {
    const CUnit& last = *route.GetLastUnit();
    double first = std::hypot(last.EndPoint.z - last.StartPoint.z, last.EndPoint.x - last.StartPoint.x);
    for (const IntersectPoint& p : CrossingsOnTheWay(route, stock))
        first = std::min(first, std::hypot(p.z - last.StartPoint.z, p.x - last.StartPoint.x));
    return std::max(0.0, first - kApproachClearance);
}

}  // namespace

std::unique_ptr<Contour> CTurn::NoseObstacle(const Contour* contour) {
    if (!contour || contour->Empty()) return nullptr;
    // The offset is made from the contour itself; a copy is made only where
    // the contour is the obstacle as it is.
    const double r = NoseOffsetRadius('s');
    std::unique_ptr<Contour> around =
        r > 0.0 ? MakeEquidistant(contour, r, 's') : OffsetContourByRadius(contour->Clone(), 's');
    if (!around || around->Empty()) around = contour->Clone();
    ApplyToolOffsets(*around);
    return around;
}

bool CTurn::ClearsNoseObstacle(const Contour& route, const Contour* contour) const {
    // The obstacle is the contour's offset by the nose radius, or the contour
    // itself where no offset applies or the offset fails: every piece of it
    // lies within that radius of a unit of the contour, up to the offset's
    // rounding, far below the margin. Both are moved by the tool's offsets.
    constexpr double kMargin = 0.1;
    if (!contour || contour->Empty() || route.Empty()) return true;
    const double reach = NoseOffsetRadius('s') + kMargin;
    // The route is measured with the tool's offsets taken back out.
    double dz = 0.0, dx = 0.0;
    if (kind != kTurnDRILL && !isHeidenhain) ToolOffsetShift(-1.0, dz, dx);
    return NearestApproach(route, dz, dx, *contour, reach) >= reach;
}

bool CTurn::BuildDetourPath(double x, double z, Contour& route) {
    const CSPID& spid = *GetSPID();
    const double hz = spid.Z0tool, hx = -spid.X0tool;
    std::unique_ptr<Contour> candidates[3] = {
        Route({{z, x}, {hz, hx}}),           // direct
        Route({{z, x}, {hz, x}, {hz, hx}}),  // Z first
        Route({{z, x}, {z, hx}, {hz, hx}}),  // X first
    };
    // The stock as the operation leaves it, and the part; the offset of the
    // whole final contour is made only when a route comes near enough to it
    // to tell.
    RouteMaterial left(*this, {spid.GetDetailContour(), finalContour.get()});
    std::unique_ptr<Contour> part;
    const auto keepsOff = [&](const Contour& candidate) {
        if (!left.Clear(candidate)) return false;
        if (ClearsNoseObstacle(candidate, finalContour.get())) return true;
        // A route near the part: the part is not empty, and its obstacle is made once.
        if (!part) part = NoseObstacle(finalContour.get());
        return KeepsOff(candidate, part.get());
    };
    int chosen = naprVozvrat;
    if (naprVozvrat == 0) {
        chosen = 1;
        for (int k = 0; k < 3; ++k) {
            if (keepsOff(*candidates[k])) {
                chosen = k + 1;
                break;
            }
        }
        naprVozvrat = chosen;
    }
    if (chosen < 1 || chosen > 3) return true;
    // A pass that ends in a corner of the part, or in a bore: the order
    // chosen would take the tool through it. This return takes the first
    // order that keeps off the part and the stock (the choice itself stays),
    // else the shortest way out of the material first (out of a bore along
    // its axis, out past the stock's face, then home).
    if (keepsOff(*candidates[chosen - 1])) {
        route.AppendCopy(*candidates[chosen - 1]);
        return true;
    }
    for (int k = 0; k < 3; ++k) {
        if (keepsOff(*candidates[k])) {
            route.AppendCopy(*candidates[k]);
            return true;
        }
    }
    const ExitWay way = FindExitWay(left.Contours(), left.Nose(), z, x, kApproachClearance);
    const auto out = RoutesBetween(WaysOut(z, x, &way), WaysOut(hz, hx, nullptr));
    if (const Contour* found = ShortestOf(out, [&](const Contour& r) { return left.Clear(r); })) {
        route.AppendCopy(*found);
        return true;
    }
    route.AppendCopy(*candidates[chosen - 1]);
    return false;
}

void CTurn::RefuseRoute(const char* what, double x1, double z1, double x2, double z2) {
    if (calc.routeRefused) return;
    calc.routeRefused = true;
    ReportError(std::string("Нет пути ") + what + ", свободного от детали и заготовки: из " + Coordinates(z1, x1) +
                " в " + Coordinates(z2, x2));
}

void CTurn::RefuseBrokenPath() {
    if (calc.routeRefused) return;
    calc.routeRefused = true;
    ReportError(BrokenInvariantText("Траектория не построена"));
}

void CTurn::ReturnToHome(double x, double z) {
    // The piece the tool leaves is one of the path's.
    if (ZARVENTO_NEVER(calc.pieceIndex < 0 || calc.pieceIndex > std::max(calc.lastPieceIndex, 0)))
        return RefuseBrokenPath();
    calc.retractX = x;
    calc.retractZ = z;
    if (kind == kTurnMnogoProhod && calc.pieceIndex < calc.lastPieceIndex) return;
    // The next operation takes over from here unless it starts from the home
    // point. A different tool means a tool change there, whatever its mode
    // still says from an earlier calculation: its own prologue has not run yet.
    const auto* next = dynamic_cast<const CTurn*>(GetPLAN()->GetNextActiveTurn(index + 1));
    if (next && next->indPerehod != 2 && next->nToolPosition == nToolPosition) return;

    Contour route;
    if (!BuildDetourPath(x, z, route)) {
        const CSPID& spid = *GetSPID();
        RefuseRoute("отвода инструмента", x, z, -spid.X0tool, spid.Z0tool);
        return;
    }
    const std::size_t first = frames.size();
    for (int i = 0; i < route.Count(); ++i) AddUnitFrame(*route.GetUnit(i), true, false, isPathToggled);
    if (!GetSPID()->isReferent) return;
    for (std::size_t k = first; k < frames.size(); ++k) {
        auto g28 = std::make_unique<CCadre_G28>();
        g28->start = frames[k]->start;
        g28->end = frames[k]->end;
        g28->CreatePathFigure();
        g28->operation = this;
        if (g28->codeParameters) g28->codeParameters->parent = FrameParent();
        frames[k] = std::move(g28);
    }
}

void CTurn::LinkPieces(double x, double z) {
    bool zFirst = x > calc.retractX;
    if (internalMachining) zFirst = !zFirst;
    AddRapidRoute(calc.retractX, calc.retractZ, x, z, zFirst ? kZFirst : kXFirst);
}

void CTurn::AddRapidRoute(double x1, double z1, double x2, double z2, RapidOrder order) {
    std::unique_ptr<Contour> routes[3] = {
        Route({{z1, x1}, {z2, x1}, {z2, x2}}),  // Z first
        Route({{z1, x1}, {z1, x2}, {z2, x2}}),  // X first
        Route({{z1, x1}, {z2, x2}}),            // direct
    };
    std::swap(routes[0], routes[order == kZFirst ? 0 : order == kXFirst ? 1 : 2]);
    // The route of the levels of its ends may run through what stands
    // between them: a collar of the part higher than either, or stock that a
    // later piece is still to cut. Its nose keeps off the part's section and
    // the stock the operation leaves, and the point it drives off the
    // regions not cut yet (each the area that point sweeps), so a route that
    // meets them gives way to another order, and the orders to a route out
    // over them at the clearance of an approach.
    const ParamTool* tool = GetTool();
    const double r = tool ? std::max(0.0, tool->r) : 0.0;
    const double dz = tool ? tool->dNoseDx : 0.0, dx = tool ? -tool->dNoseDy : 0.0;
    std::vector<const Contour*> material;
    for (const Contour* c : {GetSPID()->GetDetailContour(), finalContour.get()})
        if (c && !c->Empty()) material.push_back(c);
    // A region is its working side and its stock side turned to run on from
    // the working side's end; the working side is read where it is held.
    struct Uncut {
        const Contour* working;
        std::unique_ptr<Contour> stock;
    };
    std::vector<Uncut> uncut;
    const std::size_t regions = std::min(calc.regionList.size(), calc.pairedList.size());
    for (std::size_t i = static_cast<std::size_t>(std::max(calc.pieceIndex, 0)); i < regions; ++i) {
        auto stockSide = calc.pairedList[i]->Clone();
        stockSide->Reverse();
        uncut.push_back({calc.regionList[i].get(), std::move(stockSide)});
    }
    const auto keepsOff = [&](const Contour& route) {
        for (const Contour* m : material)
            if (NearestApproach(route, dz, dx, *m, r) < r - kRapidTolerance) return false;
        for (const Uncut& area : uncut)
            if (!KeepsOff(route, area.working) || !KeepsOff(route, area.stock.get())) return false;
        return true;
    };
    for (const auto& route : routes)
        if (keepsOff(*route)) return AddRoute(*route);
    // The level out over everything between the two ends.
    const double zlo = std::min(z1, z2), zhi = std::max(z1, z2);
    double level = internalMachining ? std::max(x1, x2) : std::min(x1, x2);
    const auto rise = [&](const Contour& c, double by) {
        for (int i = 0; i < c.Count(); ++i) {
            BoundBox b;
            c.GetUnit(i)->GetBoundBox(b);
            if (b.zmax < zlo + dz - by || b.zmin > zhi + dz + by) continue;
            level = internalMachining ? std::max(level, b.xmax - dx + by) : std::min(level, b.xmin - dx - by);
        }
    };
    for (const Contour* m : material) rise(*m, r + kApproachClearance);
    for (const Uncut& area : uncut) {
        rise(*area.working, kApproachClearance);
        rise(*area.stock, kApproachClearance);
    }
    const auto over = Route({{z1, x1}, {z1, level}, {z2, level}, {z2, x2}});
    if (keepsOff(*over)) return AddRoute(*over);
    // Else out of the material from the one end and in to the other, each
    // by its own way (out of a bore along its axis, or out over everything).
    std::vector<const Contour*> around = material;
    for (const Uncut& area : uncut) {
        around.push_back(area.working);
        around.push_back(area.stock.get());
    }
    const NoseCircle nose{r, dz, dx};
    const ExitWay fromWay = FindExitWay(around, nose, z1, x1, kApproachClearance);
    const ExitWay toWay = FindExitWay(around, nose, z2, x2, kApproachClearance);
    const auto out = RoutesBetween(WaysOut(z1, x1, &fromWay), WaysOut(z2, x2, &toWay));
    if (const Contour* found = ShortestOf(out, keepsOff)) return AddRoute(*found);
    // The regions still to cut are judged by the point's crossings, which a
    // route along their edge counts too: the first route whose nose keeps
    // off the part and the stock the operation leaves.
    RouteMaterial left(*this, {GetSPID()->GetDetailContour(), finalContour.get()});
    for (const auto& route : routes)
        if (left.Clear(*route)) return AddRoute(*route);
    if (left.Clear(*over)) return AddRoute(*over);
    if (const Contour* found = ShortestOf(out, [&](const Contour& route) { return left.Clear(route); }))
        return AddRoute(*found);
    RefuseRoute("перехода инструмента", x1, z1, x2, z2);
}

void CTurn::AddRoute(const Contour& route) {
    for (int i = 0; i < route.Count(); ++i) {
        const CUnit& leg = *route.GetUnit(i);
        AddLineFrame(leg.StartPoint.x, leg.StartPoint.z, leg.EndPoint.x, leg.EndPoint.z, -1.0, true);
    }
}

namespace {

// Whether any of the frames moves the tool.
bool AnyMove(const std::vector<std::unique_ptr<CCadreISO>>& frames) {
    for (const auto& frame : frames) {
        StepArray<CUnit*> units(4);
        frame->AddPathUnits(units);
        if (units.Count() != 0) return true;
    }
    return false;
}

// The route cut where the feed starts on its last leg: the rapid part and the fed part.
std::pair<std::unique_ptr<Contour>, std::unique_ptr<Contour>> SplitAtFeed(const Contour& route, double fedFrom) {
    auto rapid = std::make_unique<Contour>(), fed = std::make_unique<Contour>();
    for (int i = 0; i + 1 < route.Count(); ++i) rapid->AddUnit(route.GetUnit(i)->Clone());
    const CUnit& last = *route.GetLastUnit();
    const double len = std::hypot(last.EndPoint.z - last.StartPoint.z, last.EndPoint.x - last.StartPoint.x);
    if (fedFrom < 0.0 || len <= EPS) {
        rapid->AddUnit(last.Clone());
        return {std::move(rapid), std::move(fed)};
    }
    const double t = std::min(1.0, fedFrom / len);
    const double mz = last.StartPoint.z + t * (last.EndPoint.z - last.StartPoint.z);
    const double mx = last.StartPoint.x + t * (last.EndPoint.x - last.StartPoint.x);
    if (!IsEqualPoint(last.StartPoint.z, last.StartPoint.x, mz, mx))
        rapid->AddUnit(std::make_unique<CLineUnit>(last.StartPoint.z, last.StartPoint.x, mz, mx, true));
    if (!IsEqualPoint(mz, mx, last.EndPoint.z, last.EndPoint.x))
        fed->AddUnit(std::make_unique<CLineUnit>(mz, mx, last.EndPoint.z, last.EndPoint.x, true));
    return {std::move(rapid), std::move(fed)};
}

}  // namespace

bool CTurn::FindApproach(double fromX, double fromZ, double x, double z, bool fromHome, ApproachRoute& found) {
    // Where no route keeps the clearance on its way (a narrow bore), the
    // nearest one keeping off; the path's rapids are then made at feed
    // where they come nearer (FeedWithinClearance).
    const int order = naprVihod;
    if (FindApproachKeeping(fromX, fromZ, x, z, fromHome, RapidClearance(), found)) return true;
    naprVihod = order;
    return FindApproachKeeping(fromX, fromZ, x, z, fromHome, 0.0, found);
}

bool CTurn::FindApproachKeeping(double fromX, double fromZ, double x, double z, bool fromHome, double clearance,
                                ApproachRoute& found) {
    const CSPID& spid = *GetSPID();
    std::unique_ptr<Contour> candidates[3] = {
        Route({{fromZ, fromX}, {z, x}}),              // direct
        Route({{fromZ, fromX}, {z, fromX}, {z, x}}),  // Z first
        Route({{fromZ, fromX}, {fromZ, x}, {z, x}}),  // X first
    };
    const std::unique_ptr<Contour> nosed = NoseObstacle(sourceContour.get());
    const Contour* stock = nosed.get();
    // The rapid part keeps off the stock as it stands and the part; what the
    // route reaches at feed is stock the operation removes: it keeps off the part.
    RouteMaterial standing(*this, {spid.GetDetailContour(), prevFinalContour.get()}, clearance);
    RouteMaterial left(*this, {spid.GetDetailContour()});
    const bool startOnStock = stock && (stock->IsPointInside(z, x) || stock->IsPointOnContour(z, x));
    // Where on the route's last leg the feed starts: below -1 when the route
    // does not do as an approach, -1 when it runs at rapid all the way. The
    // feed starts before the point meets the stock, and where the nose
    // comes within the clearance of the stock or the part (the allowance
    // left on the part included) if that is sooner.
    const auto judge = [&](const Contour& route) -> double {
        if (route.Empty()) return -1.0;
        const std::vector<IntersectPoint> met = CrossingsOnTheWay(route, stock);
        const int lastLeg = route.Count() - 1;
        if (!std::all_of(met.begin(), met.end(), [&](const IntersectPoint& p) { return p.index1 == lastLeg; }))
            return -2.0;
        const double near = standing.FeedStart(route);
        if (near < -1.0) return -2.0;
        double fedFrom = met.empty() && !startOnStock ? -1.0 : FedStart(route, stock);
        if (near >= 0.0) fedFrom = fedFrom < 0.0 ? near : std::min(fedFrom, near);
        const auto [rapid, fed] = SplitAtFeed(route, fedFrom);
        if (!standing.Clear(*rapid) || !left.Clear(*fed)) return -2.0;
        return fedFrom;
    };
    const auto fedLength = [](const Contour& route, double fedFrom) {
        const CUnit& last = *route.GetLastUnit();
        const double leg = std::hypot(last.EndPoint.z - last.StartPoint.z, last.EndPoint.x - last.StartPoint.x);
        return fedFrom < 0.0 ? 0.0 : std::max(0.0, leg - fedFrom);
    };
    int chosen = fromHome ? naprVihod : 1;
    if (fromHome && naprVihod == 0) {
        chosen = 1;
        for (int k : {0, 2, 1}) {
            if (KeepsOff(*candidates[k], stock) && judge(*candidates[k]) >= -1.0) {
                chosen = k + 1;
                break;
            }
        }
        naprVihod = chosen;
    }
    if (chosen < 1 || chosen > 3) {
        found.route = std::make_unique<Contour>();
        return true;
    }
    // The order chosen when it keeps off the stock; else, this time, the
    // first that does. A start inside the stock (the allowance left on it)
    // is reached by a route that meets the stock on its last leg only, at
    // feed from just before the stock: of those the one with the least to go
    // through at feed, the orders before the routes out of a bore along its
    // axis and in along the axis of the next.
    const int way = chosen - 1;
    for (int k : {way, 0, 2, 1}) {
        if (!KeepsOff(*candidates[k], stock)) continue;
        const double fedFrom = judge(*candidates[k]);
        if (fedFrom < -1.0) continue;
        found.route = std::move(candidates[k]);
        found.fedFrom = fedFrom;
        return true;
    }
    std::vector<std::unique_ptr<Contour>> pool;
    for (int k : {way, 0, 2, 1})
        if (candidates[k]) pool.push_back(std::move(candidates[k]));
    const std::vector<const Contour*> inBefore = standing.Contours();
    const NoseCircle nose = NoseOfTool(*this);
    const ExitWay toWay = FindExitWay(inBefore, nose, z, x, kApproachClearance);
    std::unique_ptr<ExitWay> fromWay;
    if (!fromHome) fromWay = std::make_unique<ExitWay>(FindExitWay(inBefore, nose, fromZ, fromX, kApproachClearance));
    for (auto& r : RoutesBetween(WaysOut(fromZ, fromX, fromWay.get()), WaysOut(z, x, &toWay)))
        pool.push_back(std::move(r));
    int best = -1;
    double bestFedFrom = -1.0, bestFed = 0.0, bestLength = 0.0;
    for (std::size_t k = 0; k < pool.size(); ++k) {
        const double fedFrom = judge(*pool[k]);
        if (fedFrom < -1.0) continue;
        const double fed = fedLength(*pool[k], fedFrom), length = RouteLength(*pool[k]);
        if (best >= 0 && (fed > bestFed + EPS || (fed > bestFed - EPS && length >= bestLength - EPS))) continue;
        best = static_cast<int>(k);
        bestFedFrom = fedFrom;
        bestFed = fed;
        bestLength = length;
    }
    if (best < 0) return false;
    found.route = std::move(pool[static_cast<std::size_t>(best)]);
    found.fedFrom = bestFedFrom;
    return true;
}

void CTurn::AddApproach(const ApproachRoute& approach) {
    const bool hidden = isPathToggled;
    const Contour& route = *approach.route;
    if (route.Empty()) return;
    if (approach.fedFrom < 0.0) {
        for (int i = 0; i < route.Count(); ++i) AddUnitFrame(*route.GetUnit(i), true, true, hidden);
        return;
    }
    // The last leg: at rapid up to the clearance before the stock, then at feed.
    const CUnit& last = *route.GetLastUnit();
    const double len = std::hypot(last.EndPoint.z - last.StartPoint.z, last.EndPoint.x - last.StartPoint.x);
    const double t = len > EPS ? std::min(1.0, approach.fedFrom / len) : 0.0;
    const double mz = last.StartPoint.z + t * (last.EndPoint.z - last.StartPoint.z);
    const double mx = last.StartPoint.x + t * (last.EndPoint.x - last.StartPoint.x);
    for (int i = 0; i + 1 < route.Count(); ++i) AddUnitFrame(*route.GetUnit(i), true, true, hidden);
    AddLineFrame(last.StartPoint.x, last.StartPoint.z, mx, mz, -1.0, true, true, hidden);
    AddLineFrame(mx, mz, last.EndPoint.x, last.EndPoint.z, -1.0, false, true, hidden);
}

void CTurn::MoveToStart(double x, double z) {
    calc.approachX = x;
    calc.approachZ = z;
    // A piece after the first is linked from where the last one left the
    // tool; when none before it had anything to cut, the tool has not come
    // yet and this piece is the path's first.
    if (calc.pieceIndex != 0 && AnyMove(frames)) {
        LinkPieces(x, z);
        return;
    }

    const bool hidden = isPathToggled;
    const CSPID& spid = *GetSPID();
    const double hz = spid.Z0tool, hx = -spid.X0tool;
    ApproachRoute home;
    if (indPerehod != 0 && !FindApproach(hx, hz, x, z, true, home)) {
        RefuseRoute("подвода инструмента", hx, hz, x, z);
        return;
    }
    auto addUnits = [&](const Contour& route) {
        for (int i = 0; i < route.Count(); ++i) AddUnitFrame(*route.GetUnit(i), true, true, hidden);
    };
    if (indPerehod == 2) {
        AddApproach(home);
        return;
    }

    auto* previous = dynamic_cast<CTurn*>(GetPLAN()->GetPrevActiveTurn(index - 1));
    if (!previous) return;
    const double ex = previous->calc.retractX, ez = previous->calc.retractZ;
    if (indPerehod == 0) {
        // Straight from where the operation before left the tool, unless
        // that runs through the part or the stock: then by the way an
        // approach from there keeps off them.
        RouteMaterial standing(*this, {spid.GetDetailContour(), prevFinalContour.get()});
        if (standing.Clear(*Route({{ez, ex}, {z, x}}))) {
            AddLineFrame(ex, ez, x, z, -1.0, true, true, hidden);
            return;
        }
        ApproachRoute direct;
        if (!FindApproach(ex, ez, x, z, false, direct)) {
            RefuseRoute("подвода инструмента", ex, ez, x, z);
            return;
        }
        AddApproach(direct);
        return;
    }
    if (indPerehod != 1) return;

    const std::unique_ptr<Contour> boundary = SafetyBoundary(spid);
    double qz = ez, qx = ex;
    Contour back;
    if (!previous->BuildDetourPath(ex, ez, back)) {
        RefuseRoute("подвода инструмента", ex, ez, x, z);
        return;
    }
    IntersectPoint at;
    if (!back.Empty() && FirstCrossing(back, *boundary, at)) {
        if (auto piece = back.CutPart(RouteStart(back), at)) addUnits(*piece);
        qz = at.z;
        qx = at.x;
    }
    double gz = z, gx = x;
    std::unique_ptr<Contour> tail;
    if (home.route && !home.route->Empty() && FirstCrossing(*home.route, *boundary, at)) {
        gz = at.z;
        gx = at.x;
        tail = home.route->CutPart(at, RouteEnd(*home.route));
    }
    if (!CutsZone(spid, qz, qx, gz, gx, *boundary)) {
        AddLineFrame(qx, qz, gx, gz, -1.0, true, true, hidden);
    } else {
        addUnits(*Route({{qz, qx}, {spid.Zplane, -spid.Xplane}, {gz, gx}}));
    }
    if (tail) addUnits(*tail);
}

}  // namespace zarvento
