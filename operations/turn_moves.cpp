// The idle moves of a path: the approach to its first working move (from the
// previous operation, through the safety zone or from the home point), the
// retract to the home point, and the links between pieces of one path.
#include <algorithm>
#include <cmath>
#include <memory>
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
#include "platform/check.h"

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

// The length of the route's last leg that runs at feed.
double FedLength(const Contour& route, const Contour* stock) {
    const CUnit& last = *route.GetLastUnit();
    return std::hypot(last.EndPoint.z - last.StartPoint.z, last.EndPoint.x - last.StartPoint.x) -
           FedStart(route, stock);
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

void CTurn::BuildDetourPath(double x, double z, Contour& route) {
    const CSPID& spid = *GetSPID();
    const double hz = spid.Z0tool, hx = -spid.X0tool;
    std::unique_ptr<Contour> candidates[3] = {
        Route({{z, x}, {hz, hx}}),           // direct
        Route({{z, x}, {hz, x}, {hz, hx}}),  // Z first
        Route({{z, x}, {z, hx}, {hz, hx}}),  // X first
    };
    // The offset of the whole part is made only when a route comes near
    // enough to it to tell.
    std::unique_ptr<Contour> part;
    const auto keepsOff = [&](const Contour& candidate) {
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
    if (chosen < 1 || chosen > 3) return;
    // A pass that ends in a corner of the part: the order chosen would take
    // the tool through it. This return takes the first order that keeps off
    // the part, the choice itself stays.
    if (!keepsOff(*candidates[chosen - 1])) {
        for (int k = 0; k < 3; ++k) {
            if (keepsOff(*candidates[k])) {
                chosen = k + 1;
                break;
            }
        }
    }
    route.AppendCopy(*candidates[chosen - 1]);
}

void CTurn::ReturnToHome(double x, double z) {
    ZARVENTO_CHECK(calc.pieceIndex >= 0 && calc.pieceIndex <= std::max(calc.lastPieceIndex, 0),
                   "the piece the tool leaves is one of the path's");
    calc.retractX = x;
    calc.retractZ = z;
    if (kind == kTurnMnogoProhod && calc.pieceIndex < calc.lastPieceIndex) return;
    // The next operation takes over from here unless it starts from the home
    // point. A different tool means a tool change there, whatever its mode
    // still says from an earlier calculation: its own prologue has not run yet.
    const auto* next = dynamic_cast<const CTurn*>(GetPLAN()->GetNextActiveTurn(index + 1));
    if (next && next->indPerehod != 2 && next->nToolPosition == nToolPosition) return;

    Contour route;
    BuildDetourPath(x, z, route);
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
    AddRoute(keepsOff(*over) ? *over : *routes[0]);
}

void CTurn::AddRoute(const Contour& route) {
    for (int i = 0; i < route.Count(); ++i) {
        const CUnit& leg = *route.GetUnit(i);
        AddLineFrame(leg.StartPoint.x, leg.StartPoint.z, leg.EndPoint.x, leg.EndPoint.z, -1.0, true);
    }
}

void CTurn::MoveToStart(double x, double z) {
    calc.approachX = x;
    calc.approachZ = z;
    if (calc.pieceIndex != 0) {
        LinkPieces(x, z);
        return;
    }

    const bool hidden = isPathToggled;
    const CSPID& spid = *GetSPID();
    const double hz = spid.Z0tool, hx = -spid.X0tool;
    std::unique_ptr<Contour> home;
    double fedFrom = -1.0;  // where on the last leg of the home route the feed starts; none below 0
    if (indPerehod != 0) {
        std::unique_ptr<Contour> candidates[3] = {
            Route({{hz, hx}, {z, x}}),           // direct
            Route({{hz, hx}, {z, hx}, {z, x}}),  // Z first
            Route({{hz, hx}, {hz, x}, {z, x}}),  // X first
        };
        const std::unique_ptr<Contour> nosed = NoseObstacle(sourceContour.get());
        const Contour* stock = nosed.get();
        int chosen = naprVihod;
        if (naprVihod == 0) {
            chosen = 1;
            for (int k : {0, 2, 1}) {
                if (KeepsOff(*candidates[k], stock)) {
                    chosen = k + 1;
                    break;
                }
            }
            naprVihod = chosen;
        }
        home = std::make_unique<Contour>();
        if (chosen >= 1 && chosen <= 3) {
            // An order that would take the tool through the stock gives way,
            // this time, to the first that keeps off it; a start inside the
            // stock (the allowance left on it) is reached by the first order
            // that meets the stock on its last leg only, at feed from just
            // before the stock.
            int way = chosen - 1;
            if (!KeepsOff(*candidates[way], stock)) {
                // Of the orders that meet the stock on their last leg only,
                // the one that has the least of it to go through at feed.
                int lastLegOnly = -1;
                double leastFed = 0.0;
                for (int k : {way, 0, 2, 1}) {
                    const std::vector<IntersectPoint> met = CrossingsOnTheWay(*candidates[k], stock);
                    if (met.empty()) {
                        lastLegOnly = -1;
                        way = k;
                        break;
                    }
                    const int lastLeg = candidates[k]->Count() - 1;
                    const bool onLastLeg = std::all_of(met.begin(), met.end(),
                                                       [&](const IntersectPoint& p) { return p.index1 == lastLeg; });
                    if (!onLastLeg) continue;
                    const double fed = FedLength(*candidates[k], stock);
                    if (lastLegOnly < 0 || fed < leastFed - EPS) {
                        lastLegOnly = k;
                        leastFed = fed;
                    }
                }
                if (lastLegOnly >= 0) {
                    way = lastLegOnly;
                    fedFrom = FedStart(*candidates[way], stock);
                }
            } else if (stock && !candidates[way]->Empty() &&
                       (stock->IsPointInside(z, x) || stock->IsPointOnContour(z, x))) {
                // A start on the stock as the last operation left it: what
                // its nose left in a corner is met at feed.
                fedFrom = FedStart(*candidates[way], stock);
            }
            home = std::move(candidates[way]);
        }
    }
    auto addUnits = [&](const Contour& route) {
        for (int i = 0; i < route.Count(); ++i) AddUnitFrame(*route.GetUnit(i), true, true, hidden);
    };
    if (indPerehod == 2) {
        if (fedFrom >= 0.0 && !home->Empty()) {
            // The last leg: at rapid up to the clearance before the stock, then at feed.
            const CUnit& last = *home->GetLastUnit();
            const double len = std::hypot(last.EndPoint.z - last.StartPoint.z, last.EndPoint.x - last.StartPoint.x);
            const double t = len > EPS ? fedFrom / len : 0.0;
            const double mz = last.StartPoint.z + t * (last.EndPoint.z - last.StartPoint.z);
            const double mx = last.StartPoint.x + t * (last.EndPoint.x - last.StartPoint.x);
            for (int i = 0; i + 1 < home->Count(); ++i) AddUnitFrame(*home->GetUnit(i), true, true, hidden);
            AddLineFrame(last.StartPoint.x, last.StartPoint.z, mx, mz, -1.0, true, true, hidden);
            AddLineFrame(mx, mz, last.EndPoint.x, last.EndPoint.z, -1.0, false, true, hidden);
            return;
        }
        addUnits(*home);
        return;
    }

    auto* previous = dynamic_cast<CTurn*>(GetPLAN()->GetPrevActiveTurn(index - 1));
    if (!previous) return;
    const double ex = previous->calc.retractX, ez = previous->calc.retractZ;
    if (indPerehod == 0) {
        AddLineFrame(ex, ez, x, z, -1.0, true, true, hidden);
        return;
    }
    if (indPerehod != 1) return;

    const std::unique_ptr<Contour> boundary = SafetyBoundary(spid);
    double qz = ez, qx = ex;
    Contour back;
    previous->BuildDetourPath(ex, ez, back);
    IntersectPoint at;
    if (!back.Empty() && FirstCrossing(back, *boundary, at)) {
        if (auto piece = back.CutPart(RouteStart(back), at)) addUnits(*piece);
        qz = at.z;
        qx = at.x;
    }
    double gz = z, gx = x;
    std::unique_ptr<Contour> tail;
    if (home && !home->Empty() && FirstCrossing(*home, *boundary, at)) {
        gz = at.z;
        gx = at.x;
        tail = home->CutPart(at, RouteEnd(*home));
    }
    if (!CutsZone(spid, qz, qx, gz, gx, *boundary)) {
        AddLineFrame(qx, qz, gx, gz, -1.0, true, true, hidden);
    } else {
        addUnits(*Route({{qz, qx}, {spid.Zplane, -spid.Xplane}, {gz, gx}}));
    }
    if (tail) addUnits(*tail);
}

}  // namespace zarvento
