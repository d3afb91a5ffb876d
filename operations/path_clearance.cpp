// The clearance check of tool paths: outlines indexed in a grid, the nose
// circle's centre path of every move measured against them exactly.
#include "operations/path_clearance.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "catalogs/param_tool.h"
#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "nc/cadre_s_f.h"
#include "operations/thread_clearance.h"
#include "operations/tool_sweep.h"
#include "operations/turn.h"
#include "operations/turn_mnogo_prohod.h"
#include "plan/spid.h"
#include "platform/core/numbers.h"
#include "platform/core/process_state.h"
#include "platform/documents/settings_record.h"

namespace zarvento {

Curve2D PieceOf(const CUnit& unit, double dz, double dx) {
    const Point2D a{unit.StartPoint.z + dz, unit.StartPoint.x + dx};
    const Point2D b{unit.EndPoint.z + dz, unit.EndPoint.x + dx};
    if (unit.Kind != kUnitArc) return Curve2D::Line(a, b);
    const auto& arc = static_cast<const CArcUnit&>(unit);
    // Polar angles run from +Z towards +X, and DirVector 1 travels clockwise.
    Curve2D c = Curve2D::Arc({arc.CentrePoint.z + dz, arc.CentrePoint.x + dx}, arc.Radius, arc.GetStartPolarAngle(),
                             -arc.DirVector * arc.GetSweep());
    c.a = a;
    c.b = b;
    return c;
}

namespace {

// An arc cut where it turns in y (at its top and bottom), so that every
// piece crosses a horizontal line at most once.
void AddMonotonePieces(const Curve2D& c, std::vector<Curve2D>& out) {
    if (!c.arc || c.sweep == 0.0) {
        out.push_back(c);
        return;
    }
    std::vector<double> cuts;
    for (double turn : {0.5 * PI, 1.5 * PI}) {
        const double along = c.sweep > 0 ? NormalizeAngle(turn - c.a0) : NormalizeAngle(c.a0 - turn);
        const double t = along / std::abs(c.sweep);
        if (t > 1e-12 && t < 1.0 - 1e-12) cuts.push_back(t);
    }
    std::sort(cuts.begin(), cuts.end());
    double t0 = 0.0;
    Point2D p0 = c.a;
    for (double t : cuts) {
        const Point2D p = c.At(t);
        out.push_back(c.Sub(t0, t, p0, p));
        t0 = t;
        p0 = p;
    }
    out.push_back(c.Sub(t0, 1.0, p0, c.b));
}

// Where a piece that runs monotonically in y crosses the height y (which lies
// between its ends).
double CrossingAt(const Curve2D& c, double y) {
    if (!c.arc) return c.a.x + (y - c.a.y) * (c.b.x - c.a.x) / (c.b.y - c.a.y);
    const double dy = y - c.c.y;
    const double w = std::sqrt(std::max(0.0, c.r * c.r - dy * dy));
    const Point2D mid = c.At(0.5);
    return mid.x >= c.c.x ? c.c.x + w : c.c.x - w;
}

Box2D Grown(Box2D box, double by) {
    box.xmin -= by;
    box.ymin -= by;
    box.xmax += by;
    box.ymax += by;
    return box;
}

// Ends closer than this continue one another.
constexpr double kJoin = 1e-6;

// One outline followed along the path: the in-or-out state of the end of the
// last piece measured against it, which the next piece inherits when it
// starts there and kept clear of the outline.
struct Follower {
    explicit Follower(const ClearanceOutline* o) : outline(o) {}

    const ClearanceOutline* outline = nullptr;
    Point2D end;
    bool known = false;
    bool inside = false;

    // How far a nose circle of `limit` about the piece reaches past the
    // outline's surface; nothing when it keeps clear.
    std::optional<double> Reach(const Curve2D& piece, double limit, double tolerance) {
        const double clear = limit - tolerance;
        if (clear > 0.0) {
            const double d = outline->Distance(piece, clear);
            if (d < clear) {
                known = false;
                return std::max(limit - d, outline->Depth(piece, limit));
            }
            // Clear of the surface, the whole piece lies on one side of it.
            if (!known || Dist(end, piece.a) > kJoin) inside = outline->Inside(piece.a);
            known = true;
            end = piece.b;
        } else {
            // A point tool runs along the surface itself: the piece enters the
            // outline where a point of it lies inside, farther from the
            // surface than the tolerance.
            known = false;
            const int n = std::clamp(static_cast<int>(piece.Length() / 0.01), 8, 10000);
            for (int k = 0; k <= n; ++k) {
                const Point2D p = piece.At(static_cast<double>(k) / n);
                if (outline->Inside(p) && outline->Distance(Curve2D::Line(p, p), tolerance) >= tolerance)
                    return outline->Depth(piece, limit);
            }
            return std::nullopt;
        }
        if (!inside) return std::nullopt;
        return outline->Depth(piece, limit);
    }
};

PathTamper& Tamper() {
    static PathTamper tamper = nullptr;
    return tamper;
}

ZARVENTO_STATE_RESET { Tamper() = nullptr; }

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", std::fabs(v) < 5e-4 ? 0.0 : v);
    return text;
}

}  // namespace

// ---------------------------------------------------------------- the outline index

ClearanceOutline::ClearanceOutline(const Contour& outline) {
    std::vector<Curve2D> units;
    for (int i = 0; i < outline.Count(); ++i) {
        const CUnit& unit = *outline.GetUnit(i);
        if (unit.Kind != kUnitLine && unit.Kind != kUnitArc) continue;
        if (unit.IsZeroLength()) continue;
        units.push_back(PieceOf(unit, 0.0, 0.0));
    }
    if (units.empty()) return;
    closed_ = Dist(units.back().b, units.front().a) <= kJoin;
    for (const Curve2D& c : units) AddMonotonePieces(c, pieces_);

    boxes_.reserve(pieces_.size());
    for (const Curve2D& c : pieces_) boxes_.push_back(c.Box());
    bounds_ = boxes_.front();
    for (const Box2D& b : boxes_) bounds_.Add(b);
    // About one piece a cell: the cost of a query follows the pieces near it.
    const double width = bounds_.xmax - bounds_.xmin, height = bounds_.ymax - bounds_.ymin;
    const double n = static_cast<double>(pieces_.size());
    cell_ = std::max({std::sqrt(width * height / n), std::max(width, height) / (4.0 * n), 1e-6});
    columns_ = static_cast<int>(width / cell_) + 1;
    rows_ = static_cast<int>(height / cell_) + 1;

    std::vector<int> counts(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_) + 1, 0);
    const auto spread = [&](auto&& add) {
        for (std::size_t i = 0; i < boxes_.size(); ++i) {
            const Box2D& b = boxes_[i];
            for (int row = Row(b.ymin); row <= Row(b.ymax); ++row)
                for (int column = Column(b.xmin); column <= Column(b.xmax); ++column)
                    add(static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                            static_cast<std::size_t>(column),
                        static_cast<int>(i));
        }
    };
    spread([&](std::size_t cell, int) { ++counts[cell + 1]; });
    for (std::size_t k = 1; k < counts.size(); ++k) counts[k] += counts[k - 1];
    cellItems_.resize(static_cast<std::size_t>(counts.back()));
    std::vector<int> fill(counts.begin(), counts.end() - 1);
    spread([&](std::size_t cell, int item) { cellItems_[static_cast<std::size_t>(fill[cell]++)] = item; });
    cellStart_ = std::move(counts);
    seen_.assign(pieces_.size(), 0);
}

int ClearanceOutline::Column(double v) const {
    return std::clamp(static_cast<int>(std::floor((v - bounds_.xmin) / cell_)), 0, columns_ - 1);
}

int ClearanceOutline::Row(double v) const {
    return std::clamp(static_cast<int>(std::floor((v - bounds_.ymin) / cell_)), 0, rows_ - 1);
}

template <class Visit>
void ClearanceOutline::ForCellsOf(const Box2D& box, Visit&& visit) const {
    if (pieces_.empty() || !box.Overlaps(bounds_, 0.0)) return;
    if (++visit_ == 0) {
        std::fill(seen_.begin(), seen_.end(), 0u);
        visit_ = 1;
    }
    for (int row = Row(box.ymin); row <= Row(box.ymax); ++row) {
        const std::size_t base = static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_);
        for (int column = Column(box.xmin); column <= Column(box.xmax); ++column) {
            const std::size_t cell = base + static_cast<std::size_t>(column);
            for (int k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k) {
                const int item = cellItems_[static_cast<std::size_t>(k)];
                if (seen_[static_cast<std::size_t>(item)] == visit_) continue;
                seen_[static_cast<std::size_t>(item)] = visit_;
                visit(item);
            }
        }
    }
}

double ClearanceOutline::Distance(const Curve2D& piece, double within) const {
    // A long piece is measured a stretch at a time: the cells searched are
    // those along it, not its whole box.
    const double stretch = 8.0 * cell_;
    const double length = piece.Length();
    if (pieces_.empty() || !(length > 2.0 * stretch)) return PieceDistance(piece, within);
    const int n = std::clamp(static_cast<int>(std::ceil(length / stretch)), 2, 1 << 20);
    double best = within;
    Point2D from = piece.a;
    for (int k = 0; k < n && best > 0.0; ++k) {
        const Point2D to = k + 1 == n ? piece.b : piece.At(static_cast<double>(k + 1) / n);
        best = std::min(
            best, PieceDistance(piece.Sub(static_cast<double>(k) / n, static_cast<double>(k + 1) / n, from, to), best));
        from = to;
    }
    return best;
}

double ClearanceOutline::PieceDistance(const Curve2D& piece, double within) const {
    double best = within;
    const Box2D box = piece.Box();
    // Any piece of the outline will do for a search without bound.
    const Box2D reach = within < 1e12 ? Grown(box, within) : Grown(bounds_, 1.0);
    // The piece lies within `spread` of its box's centre: a unit farther than
    // best + spread from that point cannot come nearer than best, which
    // spares the exact measure for most units of a dense outline.
    const Point2D centre{0.5 * (box.xmin + box.xmax), 0.5 * (box.ymin + box.ymax)};
    const double spread = 0.5 * std::hypot(box.xmax - box.xmin, box.ymax - box.ymin);
    ForCellsOf(reach, [&](int item) {
        const Box2D& b = boxes_[static_cast<std::size_t>(item)];
        if (!b.Overlaps(box, best)) return;
        const Curve2D& unit = pieces_[static_cast<std::size_t>(item)];
        if (unit.Distance(centre) - spread >= best) return;
        best = std::min(best, CurveDistance(piece, unit));
    });
    return best;
}

double ClearanceOutline::PointDistance(Point2D p) const {
    // Rings of growing reach: a point deep inside costs a few searches, not
    // the whole outline.
    const double whole = std::max(bounds_.xmax - bounds_.xmin, bounds_.ymax - bounds_.ymin) + bounds_.Distance(p);
    for (double within = cell_;; within *= 2.0) {
        double best = within;
        ForCellsOf(Grown({p.x, p.y, p.x, p.y}, within),
                   [&](int item) { best = std::min(best, pieces_[static_cast<std::size_t>(item)].Distance(p)); });
        if (best < within || within > whole) return best;
    }
}

double ClearanceOutline::Depth(const Curve2D& piece, double r) const {
    if (pieces_.empty()) return -r;
    const int n = std::clamp(static_cast<int>(piece.Length() / 0.01), 16, 4000);
    double deepest = -1e300;
    for (int k = 0; k <= n; ++k) {
        const Point2D p = piece.At(static_cast<double>(k) / n);
        const double d = PointDistance(p);
        deepest = std::max(deepest, Inside(p) ? r + d : r - d);
    }
    return deepest;
}

bool ClearanceOutline::Inside(Point2D p) const {
    if (!closed_ || pieces_.empty() || p.y < bounds_.ymin || p.y > bounds_.ymax || p.x < bounds_.xmin) return false;
    // Crossings of the ray from p towards -x, each piece counted on its
    // half-open span in y so that a shared end counts once.
    bool inside = false;
    ForCellsOf({bounds_.xmin, p.y, p.x, p.y}, [&](int item) {
        const Curve2D& c = pieces_[static_cast<std::size_t>(item)];
        if ((c.a.y > p.y) == (c.b.y > p.y)) return;
        if (CrossingAt(c, p.y) < p.x) inside = !inside;
    });
    return inside;
}

double ClearanceOutline::InsideDepth(const Curve2D& piece, const std::function<double(Point2D)>& beyondPlanned) const {
    if (!closed_ || pieces_.empty() || !piece.Box().Overlaps(bounds_, 0.0)) return 0.0;
    // Between two crossings of the outline the piece lies on one side of it.
    std::vector<double> cuts{0.0, 1.0};
    std::vector<CurveHit> hits;
    ForCellsOf(Grown(piece.Box(), kJoin), [&](int item) {
        hits.clear();
        IntersectCurves(piece, pieces_[static_cast<std::size_t>(item)], 1e-12, hits);
        for (const CurveHit& h : hits) cuts.push_back(std::clamp(h.t1, 0.0, 1.0));
    });
    std::sort(cuts.begin(), cuts.end());
    const double length = piece.Length();
    double deepest = 0.0;
    for (std::size_t k = 1; k < cuts.size(); ++k) {
        const double t0 = cuts[k - 1], t1 = cuts[k];
        if ((t1 - t0) * length <= 1e-9 || !Inside(piece.At(0.5 * (t0 + t1)))) continue;
        const int n = std::clamp(static_cast<int>((t1 - t0) * length / 0.01), 2, 4000);
        for (int i = 0; i <= n; ++i) {
            const Point2D p = piece.At(t0 + (t1 - t0) * i / n);
            const double depth = PointDistance(p);
            deepest = std::max(deepest, beyondPlanned && depth > deepest ? std::min(depth, beyondPlanned(p)) : depth);
        }
    }
    return deepest;
}

// ---------------------------------------------------------------- the path check

std::string PathIntrusion::Describe() const {
    // What of the tool meets the material, when it is not the nose.
    const char* with = part == ToolPart::Edge     ? " режущей кромкой"
                       : part == ToolPart::Holder ? " державкой"
                       : part == ToolPart::AcrossAxis ? " частью инструмента за осью шпинделя"
                                                      : "";
    // Internal X is the negated radius; the text gives diameters as the program does.
    return std::string(rapid ? "Ускоренное перемещение врезается в " : "Траектория врезается в ") +
           (intoStock ? "заготовку на " : "деталь на ") + Number(depth) + " мм" + with + ": перемещение из Z" +
           Number(z1) + " D" + Number(-2.0 * x1) + " в Z" + Number(z2) + " D" + Number(-2.0 * x2) +
           (block.empty() ? std::string() : " (" + block + ")");
}

std::vector<ClearanceMove> ComputedMoves(const CTurn& op) {
    std::vector<ClearanceMove> moves;
    bool beforeFinishingData = true;
    const auto& frames = op.Frames();
    for (std::size_t k = 0; k < frames.size(); ++k) {
        CCadreISO& frame = *frames[k];
        if (dynamic_cast<const CCadre_S_F*>(&frame)) beforeFinishingData = false;
        StepArray<CUnit*> units(4);
        frame.AddPathUnits(units);
        for (std::uint32_t u = 0; u < units.Count(); ++u) {
            ClearanceMove m;
            m.piece = PieceOf(*units[u], 0.0, 0.0);
            m.rapid = frame.rapid != 0;
            m.thread = frame.feedIsStep != 0 && !m.rapid;
            m.beforeFinishingData = beforeFinishingData;
            m.frame = static_cast<int>(k);
            m.source = &frame;
            moves.push_back(std::move(m));
        }
    }
    return moves;
}

namespace {

// A groove's blade drives the corner its cycle binds; the edge runs on along
// Z to the other corner, whose nose lies the width less both corners' radii
// off, followed as circles near enough that what stands between them reaches
// one. The offsets along Z of the circles followed (0: the nose).
std::vector<double> BladeCorners(const CTurn& op, double r) {
    std::vector<double> along{0.0};
    if (const auto* groove = dynamic_cast<const CTurnMnogoProhod*>(&op);
        groove && groove->indCycleElementar == 1 && groove->WidthTool > 2.0 * r) {
        const double span = groove->WidthTool - 2.0 * r;
        const double width = groove->indPrivazTool == 0 ? span : -span;
        const int n = std::clamp(static_cast<int>(std::ceil(std::fabs(width) / std::max(0.5 * r, 0.05))), 1, 1000);
        for (int k = 1; k <= n; ++k) along.push_back(width * k / n);
    }
    return along;
}

// The tool's outline beyond its nose followed against the part and the
// stock, as the simulation cuts with it: along every move but those of a
// frame that removes nothing (a tap's or die's) and the thread passes held
// to their groove; against the stock along rapids. Where a frame machines
// inside, the outline mirrored across the axis too, along all its moves.
class OutlineCheck {
public:
    struct Found {
        OutlineReach reach;
        bool intoStock = false;
    };

    OutlineCheck(const CTurn& op, Point2D nose, double r, const ClearanceLimits& limits,
                 const std::vector<ThreadBand>& threadBands) {
        const Contour* outline = op.GetToolContour();
        if (!outline || outline->Empty()) return;
        ToolSweep::Setup setup;
        setup.nose = nose;
        setup.r = r;
        // A thread's groove is the thread's own, whatever move of it reaches in.
        if (!threadBands.empty())
            setup.beyondPlanned = [&threadBands](Point2D p) { return OutsideThreadBands(threadBands, p); };
        double accuracy = limits.outlineTolerance > 0.0 ? limits.outlineTolerance : SettingsRecord::Global().accuracy;
        if (!std::isfinite(accuracy) || accuracy <= 0.0) accuracy = 0.01;
        setup.tolerance = std::max(limits.tolerance, accuracy);
        setup.noseTolerance = limits.tolerance;
        direct_.emplace(*outline, setup);
        setup.acrossAxis = true;
        across_.emplace(*outline, setup);
    }

    void Follow(const ClearanceOutline& part, const ClearanceOutline* before, const ClearanceOutline* after) {
        for (std::optional<ToolSweep>* sweep : {&direct_, &across_}) {
            if (!*sweep) continue;
            // Followed in the same order by both, so that the indices agree.
            part_ = (*sweep)->Follow(part);
            if (before) before_ = (*sweep)->Follow(*before);
            if (after) after_ = (*sweep)->Follow(*after);
        }
    }

    // The first material the move takes the outline into.
    std::optional<Found> Check(const ClearanceMove& m, bool rapid, bool fed, bool threadPass) {
        const bool removes = !m.source || m.source->noMaterial == 0;
        if (direct_ && removes && !threadPass)
            if (auto found = Reach(*direct_, m.piece, !rapid, fed)) return found;
        if (across_ && removes && m.source && m.source->internalMachining != 0)
            if (auto found = Reach(*across_, m.piece, false, fed)) return found;
        return std::nullopt;
    }

    void Advance(const Curve2D& move) {
        if (direct_) direct_->Advance(move);
        if (across_) across_->Advance(move);
    }

    // What of the tool a thread pass held to its groove reaches the part with.
    ToolPart PartOfPass(const Curve2D& move) const {
        return direct_ && part_ >= 0 ? direct_->PartAt(part_, move) : ToolPart::Nose;
    }

private:
    std::optional<Found> Reach(ToolSweep& sweep, const Curve2D& move, bool partOnly, bool fed) const {
        if (auto reach = sweep.Reach(part_, move)) return Found{*reach, false};
        if (partOnly) return std::nullopt;
        if (before_ >= 0 && !fed)
            if (auto reach = sweep.Reach(before_, move)) return Found{*reach, true};
        if (after_ >= 0)
            if (auto reach = sweep.Reach(after_, move)) return Found{*reach, true};
        return std::nullopt;
    }

    std::optional<ToolSweep> direct_, across_;
    // The materials as the sweeps follow them (-1: no such stock).
    int part_ = -1, before_ = -1, after_ = -1;
};

}  // namespace

std::optional<PathIntrusion> FindMovesIntrusion(const CTurn& op, const std::vector<ClearanceMove>& moves,
                                                const ClearanceOutline& part, const ClearanceOutline* stockBefore,
                                                const ClearanceOutline* stockAfter, const ClearanceLimits& limits) {
    const ParamTool* tool = op.GetTool();
    if (!tool) return std::nullopt;
    const double r = std::max(0.0, tool->r);
    // The path drives the tool's point; its nose circle's centre lies off it.
    const double dz = tool->dNoseDx, dx = -tool->dNoseDy;
    bool fed = false;
    const std::vector<double> along = BladeCorners(op, r);
    std::vector<Follower> onPart(along.size(), Follower(&part)), onBefore(along.size(), Follower(stockBefore)),
        onAfter(along.size(), Follower(stockAfter));
    // A chisel thread's passes cut its groove into the part: they are held
    // to it instead of the part's surface.
    const ThreadInsert insert = ThreadInsertOf(op);
    const std::vector<ThreadBand> threadBands = ThreadBandsOf(op, part, insert, limits.tolerance);
    OutlineCheck outline(op, {dz, dx}, r, limits, threadBands);
    outline.Follow(part, stockBefore, stockAfter);
    for (const ClearanceMove& m : moves) {
        const double allowance = m.beforeFinishingData ? limits.allowance : 0.0;
        const bool rapid = m.rapid && !m.cycleProfile;
        const bool threadPass = !threadBands.empty() && m.thread && !rapid;
        const auto found = [&](double depth, bool intoStock, ToolPart with) {
            PathIntrusion out;
            out.frame = m.frame;
            out.rapid = rapid;
            out.intoStock = intoStock;
            out.part = with;
            out.depth = depth;
            out.z1 = m.piece.a.x;
            out.x1 = m.piece.a.y;
            out.z2 = m.piece.b.x;
            out.x2 = m.piece.b.y;
            out.block = m.block;
            return out;
        };
        for (std::size_t c = 0; c < along.size(); ++c) {
            Curve2D move = m.piece;
            const double mz = dz + along[c];
            move.a = {move.a.x + mz, move.a.y + dx};
            move.b = {move.b.x + mz, move.b.y + dx};
            move.c = {move.c.x + mz, move.c.y + dx};
            if (threadPass) {
                const double depth = ThreadPassReach(threadBands, part, move, insert, limits.tolerance);
                if (depth > limits.tolerance) return found(depth, false, outline.PartOfPass(m.piece));
                continue;
            }
            if (!part.Empty())
                if (auto depth = onPart[c].Reach(move, r + (rapid ? 0.0 : allowance), limits.tolerance))
                    return found(*depth, false, ToolPart::Nose);
            if (!rapid) continue;
            for (Follower* stock : {fed ? nullptr : &onBefore[c], &onAfter[c]}) {
                if (!stock || !stock->outline || stock->outline->Empty()) continue;
                if (auto depth = stock->Reach(move, r, limits.tolerance)) return found(*depth, true, ToolPart::Nose);
            }
        }
        if (const auto met = outline.Check(m, rapid, fed, threadPass))
            return found(met->reach.depth, met->intoStock, met->reach.part);
        outline.Advance(m.piece);
        if (!rapid) fed = true;
    }
    return std::nullopt;
}

std::optional<double> RouteReach(const Contour& route, double dz, double dx, double r, const ClearanceOutline& outline,
                                 double tolerance) {
    if (outline.Empty() || route.Empty()) return std::nullopt;
    // An end whose nose already reaches the material is where the
    // operation's path puts the tool: that reach is the path's, and no route
    // to it does with less. The route is held to no deeper than its deepest
    // end, and not at all within the nose's radius of such an end, where
    // reaching it may take crossing a profile that bounds no area.
    const CUnit& first = *route.GetFirstUnit();
    const CUnit& last = *route.GetLastUnit();
    double allowed = tolerance;
    std::vector<Point2D> deepEnds;
    for (const Point2D end : {Point2D{first.StartPoint.z + dz, first.StartPoint.x + dx},
                              Point2D{last.EndPoint.z + dz, last.EndPoint.x + dx}}) {
        const double depth = outline.Depth(Curve2D::Line(end, end), r);
        if (depth <= tolerance) continue;
        allowed = std::max(allowed, depth + tolerance);
        deepEnds.push_back(end);
    }
    // The stretches of a piece that lie farther than r from every deep end
    // (a line's; an arc is measured whole).
    const auto stretches = [&](const Curve2D& piece) {
        std::vector<std::pair<double, double>> kept{{0.0, 1.0}};
        if (piece.arc) return kept;
        const double vx = piece.b.x - piece.a.x, vy = piece.b.y - piece.a.y, vv = vx * vx + vy * vy;
        for (const Point2D& end : deepEnds) {
            if (vv <= 0.0) {
                if (Dist(piece.a, end) < r) kept.clear();
                continue;
            }
            // |a + t v - end| < r between the roots t0 < t1.
            const double wx = piece.a.x - end.x, wy = piece.a.y - end.y;
            const double half = (vx * wx + vy * wy) / vv, c = (wx * wx + wy * wy - r * r) / vv;
            const double disc = half * half - c;
            if (disc <= 0.0) continue;
            const double t0 = -half - std::sqrt(disc), t1 = -half + std::sqrt(disc);
            std::vector<std::pair<double, double>> rest;
            for (const auto& [s0, s1] : kept) {
                if (std::min(s1, t0) > s0) rest.emplace_back(s0, std::min(s1, t0));
                if (s1 > std::max(s0, t1)) rest.emplace_back(std::max(s0, t1), s1);
            }
            kept = std::move(rest);
        }
        return kept;
    };
    Follower along(&outline);
    for (int i = 0; i < route.Count(); ++i) {
        const Curve2D piece = PieceOf(*route.GetUnit(i), dz, dx);
        for (const auto& [t0, t1] : stretches(piece)) {
            const Curve2D part = t0 <= 0.0 && t1 >= 1.0 ? piece : piece.Sub(t0, t1, piece.At(t0), piece.At(t1));
            if (auto depth = along.Reach(part, r, allowed)) return depth;
        }
    }
    return std::nullopt;
}

std::optional<PathIntrusion> FindPathIntrusion(const CTurn& op, const ClearanceOutline& part,
                                               const ClearanceOutline* stockBefore, const ClearanceOutline* stockAfter,
                                               const ClearanceLimits& limits) {
    return FindMovesIntrusion(op, ComputedMoves(op), part, stockBefore, stockAfter, limits);
}

namespace {

// The first intrusion of the moves against the part and the stock before
// and after the operation, as the main job judges: with the tool's whole
// outline, built from its model as the simulation builds it before it runs.
std::optional<PathIntrusion> JudgeMoves(CTurn& op, const std::vector<ClearanceMove>& moves,
                                        const ClearanceLimits& limits = {}) {
    const Contour* section = GetSPID()->GetDetailContour();
    if (!section) return std::nullopt;
    op.ToolOutline();
    const ClearanceOutline part(*section);
    std::optional<ClearanceOutline> before, after;
    if (op.prevFinalContour) before.emplace(*op.prevFinalContour);
    if (op.finalContour) after.emplace(*op.finalContour);
    return FindMovesIntrusion(op, moves, part, before ? &*before : nullptr, after ? &*after : nullptr, limits);
}

// The check reports as the recalculation does: into the message, no box.
bool Report(CTurn& op, const std::optional<PathIntrusion>& intrusion) {
    if (!intrusion) return true;
    const bool silent = std::exchange(op.isSilent, true);
    op.ReportError(intrusion->Describe());
    op.isSilent = silent;
    return false;
}

}  // namespace

bool CheckMovesClearance(CTurn& op, const std::vector<ClearanceMove>& moves, const ClearanceLimits& limits) {
    return Report(op, JudgeMoves(op, moves, limits));
}

bool CheckPathClearance(CTurn& op) {
    if (!GetSPID()->GetDetailContour()) return true;
    // A path the machine compensates runs along the contour without the
    // nose's offset: the nose goes where the operation's corrected path
    // would, and that is the path judged.
    const bool compensated = op.MachineCompensatesRadius() && !op.CorrectsRadius();
    if (compensated) {
        op.SetCorrectsRadius(true);
        op.DiagnosticRaschetPath(op.index);
    }
    const std::optional<PathIntrusion> intrusion = JudgeMoves(op, ComputedMoves(op));
    if (compensated) {
        op.SetCorrectsRadius(false);
        op.DiagnosticRaschetPath(op.index);
    }
    return Report(op, intrusion);
}

PathTamper SetPathTamper(PathTamper tamper) { return std::exchange(Tamper(), tamper); }

void ApplyPathTamper(CTurn& op) {
    if (PathTamper tamper = Tamper()) tamper(op);
}

}  // namespace zarvento
