// The reach of a roughing's passes: the working contour sampled along its
// units, each point against the feed moves' nose centres, the stock before
// the operation and the room the nose has there.
#include "operations/roughing_reach.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "catalogs/param_tool.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "operations/path_clearance.h"
#include "operations/turn.h"
#include "operations/turn_mnogo_prohod.h"
#include "plan/spid.h"

namespace zarvento {

namespace {

// How much farther than the depth a pass may keep off: the rounding of the
// pass levels and what the nose's round leaves between two of them.
constexpr double kSlack = 0.01;
// A unit is sampled at points no farther apart than half the depth, and at
// most this often.
constexpr int kMaxSamplesPerUnit = 1000;
// How far off the working contour its side towards the part is probed.
constexpr double kSideProbe = 0.01;

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", std::fabs(v) < 5e-4 ? 0.0 : v);
    return text;
}

Point2D Offset(Point2D p, Point2D direction, double by) { return {p.x + by * direction.x, p.y + by * direction.y}; }

double PointDistance(const ClearanceOutline& outline, Point2D p, double within) {
    return outline.Distance(Curve2D::Line(p, p), within);
}

// How far a chord may stand off the arc it stands for.
constexpr double kChordSagitta = 1e-3;

// The nose centres of the feed moves, as one chain of lines (an arc as
// chords): the moves drive the tool's point, the nose's centre lies off it.
Contour FeedCentres(const std::vector<ClearanceMove>& moves, const ParamTool& tool) {
    Contour centres;
    const double dz = tool.dNoseDx, dx = -tool.dNoseDy;
    const auto add = [&](Point2D a, Point2D b) {
        centres.AddUnit(std::make_unique<CLineUnit>(a.x + dz, a.y + dx, b.x + dz, b.y + dx));
    };
    for (const ClearanceMove& m : moves) {
        if (m.rapid || m.cycleProfile) continue;
        const Curve2D& c = m.piece;
        if (!c.arc || !(c.r > kChordSagitta)) {
            add(c.a, c.b);
            continue;
        }
        const double step = 2.0 * std::acos(1.0 - kChordSagitta / c.r);
        const int n = std::clamp(static_cast<int>(std::ceil(std::fabs(c.sweep) / step)), 1, 10000);
        Point2D from = c.a;
        for (int k = 1; k <= n; ++k) {
            const Point2D to = k == n ? c.b : c.At(static_cast<double>(k) / n);
            add(from, to);
            from = to;
        }
    }
    return centres;
}

// The point of a line piece nearest to p.
Point2D NearestOnLine(const Curve2D& line, Point2D p) {
    const double vx = line.b.x - line.a.x, vy = line.b.y - line.a.y, vv = vx * vx + vy * vy;
    const double t = vv > 0.0 ? std::clamp(((p.x - line.a.x) * vx + (p.y - line.a.y) * vy) / vv, 0.0, 1.0) : 0.0;
    return {line.a.x + t * vx, line.a.y + t * vy};
}

// Whether the part lies on the left of the working contour's travel, judged
// at the middle of its longest unit of the part's own (not a prolongation
// onto the stock): the side whose probe comes nearer the part or into it;
// else (a profile that bounds no area, the working contour on it) the side
// nearer the regions the operation machined, whose working sides run the
// nose's radius off the contour away from the part; else the side of the
// nearest feed move. Nothing when none tells.
std::optional<bool> PartOnTheLeft(const CTurn& op, const ParamTool& tool, const ClearanceOutline& section,
                                  const ClearanceOutline& cuts) {
    const Contour& work = *op.workContour;
    const CUnit* longest = nullptr;
    for (int i = 0; i < work.Count(); ++i) {
        const CUnit* u = work.GetUnit(i);
        if (u->IsMarked || (u->Kind != kUnitLine && u->Kind != kUnitArc)) continue;
        if (!longest || u->GetLength() > longest->GetLength()) longest = u;
    }
    if (!longest || longest->IsZeroLength()) return std::nullopt;
    const Curve2D piece = PieceOf(*longest, 0.0, 0.0);
    const Point2D m = piece.At(0.5), t = piece.Tangent(0.5), left{-t.y, t.x};
    constexpr double kWithin = 100.0;
    const auto signedDistance = [&](Point2D q) {
        const double d = PointDistance(section, q, kWithin);
        return section.Inside(q) ? -d : d;
    };
    const double onLeft = signedDistance(Offset(m, left, kSideProbe));
    const double onRight = signedDistance(Offset(m, left, -kSideProbe));
    if (std::fabs(onLeft - onRight) >= 0.5 * kSideProbe) return onLeft < onRight;
    if (const double r = tool.r; r > 4.0 * kSideProbe && !op.calc.regionList.empty()) {
        Contour sides;
        for (const auto& region : op.calc.regionList) sides.AppendCopy(*region);
        sides.Move(tool.dNoseDx, -tool.dNoseDy);
        const ClearanceOutline machined(sides);
        const double nearLeft = PointDistance(machined, Offset(m, left, 0.5 * r), kWithin);
        const double nearRight = PointDistance(machined, Offset(m, left, -0.5 * r), kWithin);
        if (std::fabs(nearLeft - nearRight) >= 0.5 * r) return nearLeft > nearRight;
    }
    const Curve2D* nearest = nullptr;
    double best = 0.0;
    for (const Curve2D& c : cuts.Pieces()) {
        const double d = c.Distance(m);
        if (!nearest || d < best) nearest = &c, best = d;
    }
    if (!nearest) return std::nullopt;
    const Point2D q = NearestOnLine(*nearest, m);
    const double side = (q.x - m.x) * left.x + (q.y - m.y) * left.y;
    if (std::fabs(side) < 1e-9) return std::nullopt;
    return side < 0.0;
}

}  // namespace

std::string StockLeft::Describe() const {
    // Internal X is the negated radius; the text gives the diameter as the program does.
    return "Проходы не доходят до рабочего контура: у точки Z" + Number(z) + " D" + Number(-2.0 * x) + " остается " +
           Number(left) + " мм при глубине резания " + Number(depth) + " мм";
}

std::optional<StockLeft> FindStockLeft(const CTurn& op, const std::vector<ClearanceMove>& moves, double depth) {
    const ParamTool* tool = op.GetTool();
    const Contour* part = GetSPID()->GetDetailContour();
    if (!tool || !part || part->Empty() || !op.workContour || op.workContour->Empty() || !op.sourceContour ||
        op.sourceContour->Empty() || !(depth > 0.0))
        return std::nullopt;
    // Without a feed move nothing is reached.
    const Contour centres = FeedCentres(moves, *tool);
    const double r = std::max(0.0, tool->r);
    const Contour& work = *op.workContour;
    const ClearanceOutline section(*part), cuts(centres), working(work), stock(*op.sourceContour);
    const std::optional<bool> partLeft = PartOnTheLeft(op, *tool, section, cuts);
    if (!partLeft) return std::nullopt;

    const double reach = r + depth + kSlack;
    const double stockZmin = stock.Bounds().xmin;
    for (int i = 0; i < work.Count(); ++i) {
        const CUnit& unit = *work.GetUnit(i);
        if ((unit.Kind != kUnitLine && unit.Kind != kUnitArc) || unit.IsZeroLength()) continue;
        const Curve2D piece = PieceOf(unit, 0.0, 0.0);
        const int n = std::clamp(static_cast<int>(std::ceil(piece.Length() / (0.5 * depth))), 1, kMaxSamplesPerUnit);
        for (int k = 0; k < n; ++k) {
            // Inside the unit: at a corner the nose has no one side to stand on.
            const double at = (static_cast<double>(k) + 0.5) / n;
            const Point2D p = piece.At(at);
            if (PointDistance(cuts, p, reach) < reach) continue;
            // No more than one depth of stock over the point, or none at all.
            if (!stock.Inside(p) || PointDistance(stock, p, depth + kSlack) < depth + kSlack) continue;
            // Where the nose cannot touch the point (a valley narrower than
            // it, past the axis, into the chuck), nothing reaches it.
            const Point2D t = piece.Tangent(at);
            const Point2D away = *partLeft ? Point2D{t.y, -t.x} : Point2D{-t.y, t.x};
            const Point2D c = Offset(p, away, r);
            if (c.y > 1e-6 || c.x - r < stockZmin - 1e-6) continue;
            if (r > kSlack && (PointDistance(working, c, r) < r - kSlack || PointDistance(section, c, r) < r - kSlack))
                continue;
            StockLeft left;
            left.z = p.x;
            left.x = p.y;
            left.left = PointDistance(cuts, p, 1e6) - r;
            left.depth = depth;
            return left;
        }
    }
    return std::nullopt;
}

std::optional<double> RoughingReachDepth(const CTurn& op) {
    const auto* roughing = dynamic_cast<const CTurnMnogoProhod*>(&op);
    if (!roughing || roughing->indShema != 0 || roughing->indCycleElementar != 0) return std::nullopt;
    return roughing->DepthPass + std::max(0.0, roughing->calc.finishAllowance);
}

bool CheckRoughingReach(CTurn& op, const std::vector<ClearanceMove>& moves) {
    const std::optional<double> depth = RoughingReachDepth(op);
    if (!depth) return true;
    const std::optional<StockLeft> left = FindStockLeft(op, moves, *depth);
    if (!left) return true;
    // Reported as the recalculation does: into the message, no box.
    const bool silent = std::exchange(op.isSilent, true);
    op.ReportError(left->Describe());
    op.isSilent = silent;
    return false;
}

}  // namespace zarvento
