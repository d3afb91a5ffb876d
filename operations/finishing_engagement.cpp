// What a finishing pass meets: the stock before it over the points of the
// part's surface along the working contour, each measured square to it.
#include "operations/finishing_engagement.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "catalogs/param_tool.h"
#include "geometry/contour.h"
#include "operations/path_clearance.h"
#include "operations/turn.h"
#include "operations/turn_mnogo_prohod.h"
#include "plan/plan.h"

namespace zarvento {

namespace {

// Points of the part's surface this far apart: any pocket longer is met,
// its deepest stock within that of its deepest point.
constexpr double kSampleStep = 0.25;
// Stock this little over the limit is the limit.
constexpr double kOverLimit = 1e-3;
// A point of the surface this far inside the part as the pass leaves it is
// one the pass does not reach.
constexpr double kBuried = 0.05;

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", std::fabs(v) < 5e-4 ? 0.0 : v);
    return text;
}

// The nearest multi-pass roughing before the operation in the plan that has
// a path, with the depth of cut it took.
const CTurnMnogoProhod* RoughingBefore(const CTurn& op) {
    const CPLAN& plan = *GetPLAN();
    for (int i = std::min(op.index, plan.GetTurnCount()) - 1; i >= 0; --i) {
        const auto* m = dynamic_cast<const CTurnMnogoProhod*>(plan.GetTurn(i));
        if (m && m->IsActive() && m->indCycleElementar == 0 && m->DepthPass >= 0.001) return m;
    }
    return nullptr;
}

// The stock over a point p of the part's surface: how far a straight line
// from it, square to the surface and away from the part, runs through the
// stock before the pass (`before`) until it leaves it or meets the part again
// (`after`, the part as the pass leaves it). Stock within `layer` of another
// stretch of the surface is that stretch's allowance (a shoulder's, beside a
// diameter): the line stops there. Marched by the distance to the nearer
// outline, which no crossing can lie within, each looked for up to `reach`
// (no less than the layer). With `band`, the widest the stock is across the
// line anywhere on it: its distance to the part and to the stock's outline
// together, each up to `reach`.
double RunThrough(const ClearanceOutline& before, const ClearanceOutline& after, Point2D p, Point2D normal,
                  double layer, double reach, double* band = nullptr) {
    constexpr double kStart = 0.01, kSurface = 1e-3;
    constexpr int kSteps = 100000;
    // A point of the surface on the stock's outline has no stock over it,
    // nor has one outside the stock: the working contour runs on past where
    // the part as the pass leaves it turns away (a face's line beyond the
    // chamfer at its edge), into the air the stock before it left. Only from
    // inside does the march end, on the stock's outline: it steps no farther
    // than that outline.
    if (before.Distance(Curve2D::Line(p, p), 2.0 * kStart) < 2.0 * kStart || !before.Inside(p)) return 0.0;
    double along = kStart;
    Point2D q{p.x + along * normal.x, p.y + along * normal.y};
    for (int step = 0; step < kSteps; ++step) {
        const Curve2D point = Curve2D::Line(q, q);
        const double toPart = after.Distance(point, reach);
        if (toPart < std::min(along, layer) - kSurface) break;
        const double toStock = before.Distance(point, reach);
        if (band) *band = std::max(*band, toPart + toStock);
        const double d = std::min(toStock, toPart);
        if (d < kSurface) break;
        along += d;
        q = {p.x + along * normal.x, p.y + along * normal.y};
    }
    return along;
}

// The thickest stock over the part's surface along the working contour (its
// units but the prolongations onto the stock), with the point of the surface
// under it; 0 when none is thicker than `limit`. Stock the line square to the
// surface runs along in a band (under a shoulder, the length of a shallow
// undercut) counts no thicker than the band is wide.
double ThickestLayer(const Contour& work, const Contour& before, const Contour& after, double layer, double limit,
                     Point2D& at) {
    const ClearanceOutline stock(before), part(after);
    if (stock.Empty() || part.Empty()) return 0.0;
    // The side of the part along the contour, from the middle of its longest
    // stretch of the surface: the contour keeps it on that side.
    const CUnit* longest = nullptr;
    for (int i = 0; i < work.Count(); ++i) {
        const CUnit& unit = *work.GetUnit(i);
        if (!unit.IsMarked && !unit.IsZeroLength() && (!longest || unit.GetLength() > longest->GetLength()))
            longest = &unit;
    }
    if (!longest) return 0.0;
    const Curve2D middle = PieceOf(*longest, 0.0, 0.0);
    const Point2D m = middle.At(0.5), mt = middle.Tangent(0.5);
    const double side = part.Inside({m.x - 0.01 * mt.y, m.y + 0.01 * mt.x}) ? -1.0 : 1.0;
    double deepest = 0.0;
    // Points every kSampleStep along the surface, however its units are cut.
    double next = 0.5 * kSampleStep;
    for (int i = 0; i < work.Count(); ++i) {
        const CUnit& unit = *work.GetUnit(i);
        if (unit.IsMarked || unit.IsZeroLength()) continue;
        const Curve2D piece = PieceOf(unit, 0.0, 0.0);
        const double length = piece.Length();
        for (; next < length; next += kSampleStep) {
            // Off the unit's ends, where the side of the part turns.
            const double t = std::clamp(next / length, 1e-3, 1.0 - 1e-3);
            const Point2D p = piece.At(t), tangent = piece.Tangent(t);
            const Point2D normal{-side * tangent.y, side * tangent.x};
            // Where the pass leaves the part's material over the surface (it
            // bridges a groove its insert cannot enter), it meets no stock
            // there: a line from the buried surface would run through the part.
            if (part.Inside(p) && part.Distance(Curve2D::Line(p, p), kBuried) >= kBuried) continue;
            // Mostly the allowance: the line is run near the surface first,
            // and only one that runs on past the limit again for the band.
            const double along = RunThrough(stock, part, p, normal, layer, layer + 0.5);
            if (!(along > limit + kOverLimit)) continue;
            double band = 0.0;
            const double over = std::min(RunThrough(stock, part, p, normal, layer, along + 1.0, &band), band);
            if (over > deepest) deepest = over, at = p;
        }
        next -= length;
    }
    return deepest > limit + kOverLimit ? deepest : 0.0;
}

}  // namespace

std::string ExcessEngagement::Describe() const {
    // Internal X is the negated radius; the text gives the diameter as the program does.
    std::string text = "the finishing pass meets " + Number(depth) + " mm of stock at Z" + Number(z) + " D" +
                       Number(-2.0 * x) + ", more than the " + Number(limit) + " mm depth of cut of ";
    if (roughing >= 0) return text + "operation " + std::to_string(roughing) + " \"" + roughingName + "\"";
    return text + "its tool";
}

std::optional<ExcessEngagement> FindExcessEngagement(const CTurn& op) {
    if (!op.IsActive() || op.Frames().empty()) return std::nullopt;
    ExcessEngagement e;
    // The multi-pass operation's own finishing pass takes its allowance over
    // what its roughing left.
    if (const auto* m = dynamic_cast<const CTurnMnogoProhod*>(&op)) {
        if (m->indShema != 0 || m->indCycleElementar != 0 || !(m->calc.finishAllowance > 1e-6)) return std::nullopt;
        if (!(m->calc.finishAllowance > m->DepthPass + kOverLimit) || !m->workContour || m->workContour->Empty())
            return std::nullopt;
        e.depth = m->calc.finishAllowance;
        e.limit = m->DepthPass;
        e.roughing = m->index;
        e.roughingName = m->GetNameTurn();
        // It is as thick all along: the place is the middle of the first
        // stretch of the part's surface.
        const CUnit* first = m->workContour->GetFirstUnit();
        for (int i = 0; i < m->workContour->Count(); ++i) {
            if (m->workContour->GetUnit(i)->IsMarked) continue;
            first = m->workContour->GetUnit(i);
            break;
        }
        const Point2D middle = PieceOf(*first, 0.0, 0.0).At(0.5);
        e.z = middle.x;
        e.x = middle.y;
        return e;
    }
    if (op.kind != kTurnKONTUR || !op.finalContour) return std::nullopt;
    const Contour* before = op.prevFinalContour ? op.prevFinalContour.get() : op.sourceContour.get();
    if (!before) return std::nullopt;
    // The allowance the roughing left on the part.
    double layer = 0.0;
    if (const CTurnMnogoProhod* roughing = RoughingBefore(op)) {
        e.limit = roughing->DepthPass;
        if (roughing->isPripuskW) layer = std::max(roughing->PripuskW, 0.0);
        e.roughing = roughing->index;
        e.roughingName = roughing->GetNameTurn();
    } else {
        const ParamTool* tool = op.GetTool();
        double depth = 0.0;
        e.limit = tool && tool->GetVariable("APMX", depth) && depth > 0.0 ? depth : kDefaultFinishingDepth;
    }
    if (!op.workContour) return std::nullopt;
    Point2D at{};
    e.depth = ThickestLayer(*op.workContour, *before, *op.finalContour, layer, e.limit, at);
    if (!(e.depth > e.limit + kOverLimit)) return std::nullopt;
    e.z = at.x;
    e.x = at.y;
    return e;
}

}  // namespace zarvento
