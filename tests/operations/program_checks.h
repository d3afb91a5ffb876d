// The program checks of the operation suites: an NC program read back the
// way a control reads it (ISO 6983: modal G00 to G03, X by the settings'
// convention, an arc's centre from R or I/K and the sense its letter has
// with Z to the right and the printed X up), and the tool's nose circle swept
// along every move it reads, against the part and against the stock still
// there (the bar minus what the feed moves before removed):
// - arcs read as the path computed them (their centre and sense);
// - no move cuts into the part, no rapid into the part or the stock, no
//   pass runs on past the part's back face into the stock standing there;
// - a roughing's returns keep off the levels it cut;
// - a finishing pass leaves no stock on its working contour wherever the
//   nose circle fits against it.
// The material is kept as the spans of two families of lines, along X at
// fine steps of Z and along Z at fine steps of X, so that a thin skin shows
// across walls and diameters alike.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "nc/cadre_arc_g02.h"
#include "operation_runner.h"
#include "operations/path_clearance.h"
#include "operations/turn.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations/written_program_check.h"
#include "path_checks.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "post/post_processor.h"
#include "post/program.h"
#include "post/written_program_reader.h"
#include "test_support.h"

namespace zarvento::test {

// One move of a program as a control reads it (the production reader's
// move), with the operation it belongs to and its block.
struct ReadMove : WrittenMove {
    int op = -1;  // the operation: the last "== <index>" line before it
    std::string line;
};

// The move lines of the program text, one statement a line, read by the
// reader the main job checks programs with: "== <i> ..." marks operation i,
// "! ..." an operation's message. Lines of a machine cycle's built-in text
// are skipped. `xMode` is the settings' X convention; the program starts at
// (z0, x0). A block the reader cannot read is a failure of the test.
inline std::vector<ReadMove> ReadProgram(const std::string& text, int xMode, double z0, double x0) {
    WrittenProgramFormat format;
    format.xMode = xMode;
    format.z0 = z0;
    format.x0 = x0;
    WrittenProgramReader reader(format);
    std::vector<ReadMove> moves;
    std::vector<WrittenMove> read;
    std::istringstream in(text);
    std::string line;
    int op = -1;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("== ", 0) == 0) {
            op = std::atoi(line.c_str() + 3);
            continue;
        }
        if (line.find("CYCLE") != std::string::npos || line.rfind("! ", 0) == 0) continue;
        read.clear();
        reader.Read(line, 0, read);
        for (const WrittenMove& w : read) {
            ReadMove m;
            static_cast<WrittenMove&>(m) = w;
            m.op = op;
            m.line = line;
            moves.push_back(std::move(m));
        }
    }
    for (const std::string& fault : reader.Faults()) ADD_FAILURE() << fault;
    return moves;
}

// Points along a read move, every `step` or finer (arcs so that a chord
// leaves the arc by less than 0.001).
inline std::vector<std::pair<double, double>> PointsAlong(const ReadMove& m, double step = 0.05) {
    std::vector<std::pair<double, double>> points;
    if (!m.Arc()) {
        const int n = std::max(1, static_cast<int>(std::ceil(std::hypot(m.z2 - m.z1, m.x2 - m.x1) / step)));
        for (int i = 0; i <= n; ++i) {
            const double t = static_cast<double>(i) / n;
            points.emplace_back(m.z1 + t * (m.z2 - m.z1), m.x1 + t * (m.x2 - m.x1));
        }
        return points;
    }
    const double chordAngle = m.r > 0.001 ? 2 * std::acos(std::max(-1.0, 1 - 0.001 / m.r)) : PI;
    const double byStep = m.r > 1e-9 ? step / m.r : PI;
    const int n = std::max(1, static_cast<int>(std::ceil(std::fabs(m.sweep) / std::min(chordAngle, byStep))));
    const double a1 = std::atan2(m.x1 - m.cx, m.z1 - m.cz);
    for (int i = 0; i <= n; ++i) {
        const double a = a1 + m.sweep * i / n;
        points.emplace_back(m.cz + m.r * std::cos(a), m.cx + m.r * std::sin(a));
    }
    points.front() = {m.z1, m.x1};
    points.back() = {m.z2, m.x2};
    return points;
}

// Each arc of the operation's frames, in order, is read from its text with
// the centre and the sense of the computed arc.
inline void ExpectArcsReadAsComputed(const CTurn& op, const std::vector<ReadMove>& read, int opIndex) {
    std::vector<const CCadre_ArcG02*> arcs;
    for (const auto& frame : op.Frames())
        if (const auto* arc = dynamic_cast<const CCadre_ArcG02*>(frame.get())) arcs.push_back(arc);
    std::size_t k = 0;
    for (const ReadMove& m : read) {
        if (m.op != opIndex || !m.Arc()) continue;
        ASSERT_LT(k, arcs.size()) << "more arcs read than computed: " << m.line;
        const CCadre_ArcG02& a = *arcs[k++];
        // Three decimals of X, Z and R: the centre of a short arc moves with
        // the rounding of its ends (arcs of near half a turn, whose centres
        // the radius fixes badly, are not written whole).
        const double chord = std::hypot(m.z2 - m.z1, m.x2 - m.x1);
        ASSERT_GT(chord, 0.001) << m.line << ": an arc too short to carry its centre";
        const double tolerance = 0.003 + 0.002 * a.radius / chord;
        EXPECT_LT(std::hypot(m.cz - a.centreZ, m.cx - a.centreX), tolerance)
            << m.line << ": centre read at (" << m.cz << ", " << m.cx << "), computed at (" << a.centreZ << ", "
            << a.centreX << ")";
        const double computed = a.arcLetter == '2' ? -a.SweepAngle() : a.SweepAngle();
        EXPECT_NEAR(m.sweep, computed, 0.01 + tolerance / a.radius)
            << m.line << ": the arc is read the other way round";
    }
    EXPECT_EQ(k, arcs.size()) << "arcs computed but not read";
}

// Material as spans along two families of lines: at z = z0 + (k + 1/2) h
// along X (the columns), at x = x0 + (k + 1/2) h along Z (the rows).
class Material {
public:
    using Spans = std::vector<std::pair<double, double>>;

    Material(double zmin, double xmin, double zmax, double xmax, double step = 0.05)
        : z0_(zmin),
          x0_(xmin),
          h_(step),
          columns_(static_cast<std::size_t>(std::ceil((zmax - zmin) / step))),
          rows_(static_cast<std::size_t>(std::ceil((xmax - xmin) / step))) {}

    // The inside of a closed chain of (z, x) points, by the even-odd rule.
    void Fill(const std::vector<std::pair<double, double>>& polygon) {
        for (int family = 0; family < 2; ++family) {
            std::vector<Spans>& lines = family == 0 ? columns_ : rows_;
            for (std::size_t k = 0; k < lines.size(); ++k) {
                const double at = Level(family, k);
                std::vector<double> crossings;
                for (std::size_t i = 0; i < polygon.size(); ++i) {
                    const auto& p = polygon[i];
                    const auto& q = polygon[(i + 1) % polygon.size()];
                    const double pa = family == 0 ? p.first : p.second, pb = family == 0 ? p.second : p.first;
                    const double qa = family == 0 ? q.first : q.second, qb = family == 0 ? q.second : q.first;
                    if ((pa <= at) == (qa <= at)) continue;
                    crossings.push_back(pb + (at - pa) / (qa - pa) * (qb - pb));
                }
                std::sort(crossings.begin(), crossings.end());
                Spans spans;
                for (std::size_t i = 0; i + 1 < crossings.size(); i += 2)
                    spans.emplace_back(crossings[i], crossings[i + 1]);
                lines[k] = Union(lines[k], spans);
            }
        }
    }

    // Keeps only what the other material holds as well (same grid).
    void Intersect(const Material& other) {
        for (int family = 0; family < 2; ++family) {
            std::vector<Spans>& lines = family == 0 ? columns_ : rows_;
            const std::vector<Spans>& theirs = family == 0 ? other.columns_ : other.rows_;
            for (std::size_t k = 0; k < lines.size(); ++k) {
                Spans kept;
                for (const auto& a : lines[k])
                    for (const auto& b : theirs[k])
                        if (std::min(a.second, b.second) > std::max(a.first, b.first))
                            kept.emplace_back(std::max(a.first, b.first), std::min(a.second, b.second));
                lines[k] = kept;
            }
        }
    }

    bool Contains(double z, double x) const {
        const auto k = static_cast<std::ptrdiff_t>(std::floor((z - z0_) / h_));
        if (k < 0 || k >= static_cast<std::ptrdiff_t>(columns_.size())) return false;
        for (const auto& s : columns_[static_cast<std::size_t>(k)])
            if (x > s.first && x < s.second) return true;
        return false;
    }

    // Removes what a circle of radius rho swept from a to b covers, and with
    // a body (sz, sx not 0) everything the tool's body sweeps: the quarter
    // of the plane on that side of the circle, in Z and in X, as the cutting
    // edges and the holder behind them take the full depth of cut.
    void Remove(double az, double ax, double bz, double bx, double rho, int sz = 0, int sx = 0) {
        Visit(az, ax, bz, bx, rho, sz, sx, [](Spans& spans, double lo, double hi, int, double) {
            Spans kept;
            for (const auto& s : spans) {
                if (s.second <= lo || s.first >= hi) {
                    kept.push_back(s);
                    continue;
                }
                if (s.first < lo) kept.emplace_back(s.first, lo);
                if (s.second > hi) kept.emplace_back(hi, s.second);
            }
            spans.swap(kept);
            return false;
        });
    }

    // Whether a circle of radius rho swept from a to b covers any material
    // (at zFrom or above); (wz, wx) get a point of what it covers.
    bool Hits(double az, double ax, double bz, double bx, double rho, double* wz = nullptr, double* wx = nullptr,
              double zFrom = -std::numeric_limits<double>::infinity()) {
        return Visit(az, ax, bz, bx, rho, 0, 0, [&](Spans& spans, double lo, double hi, int family, double level) {
            if (family == 0 && level < zFrom) return false;
            if (family == 1) lo = std::max(lo, zFrom);
            for (const auto& s : spans) {
                const double a = std::max(lo, s.first), b = std::min(hi, s.second);
                if (b - a <= 1e-9) continue;
                if (wz) *wz = family == 0 ? level : (a + b) / 2;
                if (wx) *wx = family == 0 ? (a + b) / 2 : level;
                return true;
            }
            return false;
        });
    }

private:
    // The level of line k of a family: the columns' z, the rows' x.
    double Level(int family, std::size_t k) const {
        // Off the round values the profiles are made of, so that no line runs through a vertex.
        return (family == 0 ? z0_ : x0_) + (static_cast<double>(k) + 0.5) * h_ + 1.37e-7;
    }

    static Spans Union(const Spans& a, const Spans& b) {
        Spans all = a;
        all.insert(all.end(), b.begin(), b.end());
        std::sort(all.begin(), all.end());
        Spans merged;
        for (const auto& s : all) {
            if (!merged.empty() && s.first <= merged.back().second)
                merged.back().second = std::max(merged.back().second, s.second);
            else
                merged.push_back(s);
        }
        return merged;
    }

    // The span across the line at level `at` (first coordinate) of a circle of
    // radius rho swept from (a1, b1) to (a2, b2): the swept shape is convex,
    // so the span runs from the least to the greatest of its pieces' spans.
    static bool SweptSpan(double at, double a1, double b1, double a2, double b2, double rho, double& lo, double& hi) {
        lo = std::numeric_limits<double>::infinity();
        hi = -lo;
        for (const auto& c : {std::make_pair(a1, b1), std::make_pair(a2, b2)}) {
            const double d = at - c.first;
            if (std::fabs(d) > rho) continue;
            const double half = std::sqrt(rho * rho - d * d);
            lo = std::min(lo, c.second - half);
            hi = std::max(hi, c.second + half);
        }
        const double da = a2 - a1, db = b2 - b1, len = std::hypot(da, db);
        if (len > 1e-12) {
            const double na = -db / len * rho, nb = da / len * rho;
            const std::pair<double, double> corner[4] = {
                {a1 + na, b1 + nb}, {a2 + na, b2 + nb}, {a2 - na, b2 - nb}, {a1 - na, b1 - nb}};
            for (int i = 0; i < 4; ++i) {
                const auto& p = corner[i];
                const auto& q = corner[(i + 1) % 4];
                if ((p.first - at) * (q.first - at) > 0) continue;
                if (std::fabs(q.first - p.first) < 1e-15) {
                    lo = std::min({lo, p.second, q.second});
                    hi = std::max({hi, p.second, q.second});
                    continue;
                }
                const double b = p.second + (at - p.first) / (q.first - p.first) * (q.second - p.second);
                lo = std::min(lo, b);
                hi = std::max(hi, b);
            }
        }
        return lo < hi;
    }

    // The span across the line at level `at` of what the swept circle and
    // the body behind it cover: the body lies towards +sa along the levels
    // and towards +sb along the line, so the span is open on the +sb side.
    // Its bounded end is the swept circle's extreme towards -sb among its
    // points on the body's side of the line, and that is the extreme point
    // of the whole swept circle once the line lies past it.
    static bool BodySpan(double at, double a1, double b1, double a2, double b2, double rho, int sa, int sb, double& lo,
                         double& hi) {
        constexpr double kOpen = 1e6;
        const bool secondFurther = -sb * b2 > -sb * b1 + 1e-12 || (std::fabs(b2 - b1) <= 1e-12 && sa * a2 < sa * a1);
        const double ea = secondFurther ? a2 : a1, eb = (secondFurther ? b2 : b1) - sb * rho;
        double end = eb;
        if (sa * at < sa * ea) {
            if (!SweptSpan(at, a1, b1, a2, b2, rho, lo, hi)) return false;
            end = sb > 0 ? lo : hi;
        }
        lo = sb > 0 ? end : -kOpen;
        hi = sb > 0 ? kOpen : end;
        return true;
    }

    // Calls `f` (spans, lo, hi, family, level) for every line the swept
    // circle (and its body, when sz and sx are not 0) crosses, columns then
    // rows; stops at the first call that returns true.
    template <class F>
    bool Visit(double az, double ax, double bz, double bx, double rho, int sz, int sx, F f) {
        const bool body = sz != 0 && sx != 0;
        for (int family = 0; family < 2; ++family) {
            std::vector<Spans>& lines = family == 0 ? columns_ : rows_;
            const double a1 = family == 0 ? az : ax, b1 = family == 0 ? ax : az;
            const double a2 = family == 0 ? bz : bx, b2 = family == 0 ? bx : bz;
            const int sa = family == 0 ? sz : sx, sb = family == 0 ? sx : sz;
            const double origin = family == 0 ? z0_ : x0_;
            double from = std::min(a1, a2) - rho, to = std::max(a1, a2) + rho;
            if (body && sa > 0) to = 1e6;
            if (body && sa < 0) from = -1e6;
            const auto first = std::max<std::ptrdiff_t>(
                0, static_cast<std::ptrdiff_t>(std::floor(std::max(from - origin, -1.0) / h_)));
            const auto last =
                std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(lines.size()) - 1,
                                         static_cast<std::ptrdiff_t>(std::ceil(std::min(to - origin, 1e7) / h_)));
            for (std::ptrdiff_t k = first; k <= last; ++k) {
                auto& spans = lines[static_cast<std::size_t>(k)];
                if (spans.empty()) continue;
                const double at = Level(family, static_cast<std::size_t>(k));
                double lo = 0, hi = 0;
                const bool crosses = body ? BodySpan(at, a1, b1, a2, b2, rho, sa, sb, lo, hi)
                                          : SweptSpan(at, a1, b1, a2, b2, rho, lo, hi);
                if (crosses && f(spans, lo, hi, family, at)) return true;
            }
        }
        return false;
    }

    double z0_, x0_, h_;
    std::vector<Spans> columns_, rows_;
};

// The points of a contour as a chain, arcs in chords that leave them by
// less than 0.001.
inline std::vector<std::pair<double, double>> ContourPoints(const Contour& c) {
    std::vector<std::pair<double, double>> points;
    for (int i = 0; i < c.Count(); ++i) {
        const CUnit& u = *c.GetUnit(i);
        points.emplace_back(u.StartPoint.z, u.StartPoint.x);
        if (u.Kind != kUnitArc) continue;
        const auto& arc = static_cast<const CArcUnit&>(u);
        ReadMove m;
        m.g = 2;
        m.z1 = u.StartPoint.z, m.x1 = u.StartPoint.x, m.z2 = u.EndPoint.z, m.x2 = u.EndPoint.x;
        m.cz = u.CentrePoint.z, m.cx = u.CentrePoint.x, m.r = arc.Radius;
        m.sweep = arc.DirVector == 1 ? -arc.GetSweep() : arc.GetSweep();
        const auto along = PointsAlong(m, 0.05);
        for (std::size_t k = 1; k + 1 < along.size(); ++k) points.push_back(along[k]);
    }
    return points;
}

// The nose of the tool an operation reads its moves with: the circle's radius
// and where its centre lies from the point the program drives.
// The tool's body lies on the centre's side of the point: away from the
// theoretical tip.
struct Nose {
    double r = 0, dz = 0, dx = 0;
    // How far along Z a blade's other corner's circle lies from the first,
    // the cutting edge between them: the blade's width less both corners.
    double width = 0;
    int BodyZ() const { return dz > 1e-9 ? 1 : dz < -1e-9 ? -1 : 0; }
    int BodyX() const { return dx > 1e-9 ? 1 : dx < -1e-9 ? -1 : 0; }
};

inline Nose NoseOf(const CTurn& op) {
    const ParamTool* tool = op.GetTool();
    if (!tool) return Nose{};
    Nose nose{tool->r, tool->dNoseDx, -tool->dNoseDy};
    // The groove's plunges drive the blade's corner its cycle binds; the
    // blade runs from it towards +Z from the first corner, else towards -Z.
    if (const auto* groove = dynamic_cast<const CTurnMnogoProhod*>(&op); groove && groove->indCycleElementar == 1) {
        const double span = std::max(0.0, groove->WidthTool - 2.0 * std::max(0.0, tool->r));
        nose.width = groove->indPrivazTool == 0 ? span : -span;
    }
    return nose;
}

// What a program did to its stock, read move by move: the first move that
// cuts into the part (any move, deeper than `tolerance`) or into the stock
// still there (a rapid), and the stock left.
class MachiningCheck {
public:
    // The stock and the part as closed chains; the material grid covers the stock.
    // `overrun`: how far past the back face the operation is asked to run.
    MachiningCheck(const Contour& stock, const Contour& part, double step = 0.05, double overrun = 0.0) {
        const BoundBox box = stock.GetBoundBox();
        stock_ = std::make_unique<Material>(box.zmin - 1, box.xmin - 1, box.zmax + 1, box.xmax + 1, step);
        part_ = std::make_unique<Material>(box.zmin - 1, box.xmin - 1, box.zmax + 1, box.xmax + 1, step);
        stock_->Fill(ContourPoints(stock));
        part_->Fill(ContourPoints(part));
        part_->Intersect(*stock_);
        chuckZ_ = box.zmin;
        // The stock behind the part's back face stays: the part is cut off
        // from it there, and the chuck holds it.
        backZ_ = std::max(chuckZ_, part.GetBoundBox().zmin - overrun);
        box_ = box;
        step_ = step;
    }

    // The stock becomes what a machine cycle leaves of it: the cycle's own
    // moves are the control's, and the program does not spell them out.
    void Leave(const Contour& stock) {
        Material left(box_.zmin - 1, box_.xmin - 1, box_.zmax + 1, box_.xmax + 1, step_);
        left.Fill(ContourPoints(stock));
        stock_->Intersect(left);
    }

    // Runs the moves in order; `nose` gives the nose each move is made with.
    // Besides the part and the stock, no move may reach past the bar's back
    // end, where the chuck holds it, no feed move take the nose's centre
    // past the part's back face into the stock standing there (its edge goes
    // as far past the face as finishing up to it takes), and no feed move
    // take the nose's centre past the spindle's axis, where it would cut on
    // the far side. The material is round: a move past the axis meets it as
    // its mirror image. Returns the first fault as text, or an empty text.
    std::string Run(const std::vector<ReadMove>& moves, const std::function<Nose(const ReadMove&)>& nose,
                    double tolerance = 0.01) {
        for (const ReadMove& m : moves) {
            if (!m.fromKnownPoint) continue;
            const Nose n = nose(m);
            const auto points = PointsAlong(m, 1e9);
            // A blade as circles along its edge, near enough that the cusps
            // between them stay under the tolerance.
            const int corners = static_cast<int>(std::ceil(std::fabs(n.width) / 0.1));
            for (std::size_t i = 0; i + 1 < points.size(); ++i) {
                for (int c = 0; c <= corners; ++c) {
                    const double along = corners > 0 ? n.width * c / corners : 0.0;
                    const double az = points[i].first + n.dz + along, ax = points[i].second + n.dx;
                    const double bz = points[i + 1].first + n.dz + along, bx = points[i + 1].second + n.dx;
                    if (std::min(az, bz) - n.r < chuckZ_ - tolerance)
                        return Describe("runs past the bar's back end into the chuck", m, std::min(az, bz) - n.r,
                                        az < bz ? ax : bx);
                    if (m.g != 0 && std::max(ax, bx) > tolerance)
                        return Describe("feeds past the spindle's axis", m, ax > bx ? az : bz, std::max(ax, bx));
                    for (double side : {1.0, -1.0}) {
                        if (side < 0 && std::max(ax, bx) + n.r <= 0.0) break;
                        double wz = 0, wx = 0;
                        const double pa = side * ax, pb = side * bx;
                        if (part_->Hits(az, pa, bz, pb, std::max(0.0, n.r - tolerance), &wz, &wx))
                            return Describe("cuts into the part", m, wz, side * wx);
                        if (m.g == 0 && stock_->Hits(az, pa, bz, pb, std::max(0.0, n.r - tolerance), &wz, &wx))
                            return Describe("rapids into the stock", m, wz, side * wx);
                        if (m.g != 0 && std::min(az, bz) < backZ_ - tolerance) {
                            // The stretch of the move with the centre behind the face.
                            const double limit = backZ_ - tolerance;
                            const double t0 = az < limit ? 0.0 : (limit - az) / (bz - az);
                            const double t1 = bz < limit ? 1.0 : (limit - az) / (bz - az);
                            const double cz = az + t0 * (bz - az), cx = pa + t0 * (pb - pa);
                            const double dz = az + t1 * (bz - az), dx = pa + t1 * (pb - pa);
                            if (stock_->Hits(cz, cx, dz, dx, std::max(0.0, n.r - tolerance), &wz, &wx))
                                return Describe("runs past the part's back face into the stock", m, wz, side * wx);
                        }
                        if (m.g != 0)
                            stock_->Remove(az, pa, bz, pb, n.r, n.BodyZ(), static_cast<int>(side) * n.BodyX());
                    }
                }
            }
        }
        return "";
    }

    // The first point of the contour where a nose circle of radius r would
    // touch it without touching the part, yet finds stock left inside; empty
    // when there is none. With a lift the circle stands that far off the
    // contour: stock in it lies more than the lift above the contour.
    std::string FirstUnreached(const Contour& work, double r, double tolerance = 0.01, double lift = 0.0) {
        // What the tool keeps to: the contour but its prolongations onto the
        // stock (the units so marked), which are no surface of the part.
        Contour kept;
        for (int i = 0; i < work.Count(); ++i)
            if (!work.GetUnit(i)->IsMarked) kept.AddUnit(work.GetUnit(i)->Clone());
        for (int i = 0; i < work.Count(); ++i) {
            const CUnit& u = *work.GetUnit(i);
            ReadMove m;
            m.g = u.Kind == kUnitArc ? 2 : 1;
            m.z1 = u.StartPoint.z, m.x1 = u.StartPoint.x, m.z2 = u.EndPoint.z, m.x2 = u.EndPoint.x;
            if (u.Kind == kUnitArc) {
                const auto& arc = static_cast<const CArcUnit&>(u);
                m.cz = u.CentrePoint.z, m.cx = u.CentrePoint.x, m.r = arc.Radius;
                m.sweep = arc.DirVector == 1 ? -arc.GetSweep() : arc.GetSweep();
            }
            const auto points = PointsAlong(m, 0.1);
            for (std::size_t k = 0; k < points.size(); ++k) {
                const auto [pz, px] = points[k];
                // Where the contour turns out past the back face it bounds
                // the stock that stays, no surface of the part.
                if (pz < backZ_ - tolerance) continue;
                // The normal of the unit at the point, to the side away from the part.
                double tz = 0, tx = 0;
                if (m.g == 1) {
                    tz = m.z2 - m.z1, tx = m.x2 - m.x1;
                } else {
                    tz = -(px - m.cx) * (m.sweep > 0 ? 1 : -1), tx = (pz - m.cz) * (m.sweep > 0 ? 1 : -1);
                }
                const double len = std::hypot(tz, tx);
                if (len < 1e-12) continue;
                double nz = -tx / len, nx = tz / len;
                if (part_->Contains(pz + 0.02 * nz, px + 0.02 * nx)) nz = -nz, nx = -nx;
                const double cz = pz + (r + lift) * nz, cx = px + (r + lift) * nx;
                // The nose does not fit here: it would touch the part, reach
                // across the working contour where that bridges what the tool
                // cannot enter (plan angles), into the chuck, or with its
                // centre past the back face into the stock that stays there.
                if (part_->Hits(cz, cx, cz, cx, r - tolerance) || Distance(kept, cz, cx) < r + lift - tolerance ||
                    cz - r < chuckZ_ - tolerance || cz < backZ_ - tolerance)
                    continue;
                double wz = 0, wx = 0;
                // Where the nose only just fits, the pass keeps up to the
                // tolerance off that place; the stock behind the back face
                // stays.
                if (stock_->Hits(cz, cx, cz, cx, r - 2 * tolerance, &wz, &wx, backZ_ - tolerance)) {
                    std::ostringstream s;
                    s << "stock left at (" << wz << ", " << wx << ") against the working contour at (" << pz << ", "
                      << px << ")";
                    return s.str();
                }
            }
        }
        return "";
    }

    Material& Stock() { return *stock_; }
    Material& Part() { return *part_; }

private:
    static std::string Describe(const char* what, const ReadMove& m, double z, double x) {
        std::ostringstream s;
        s << "operation " << m.op << ": \"" << m.line << "\" from (" << m.z1 << ", " << m.x1 << ") " << what
          << " near (" << z << ", " << x << ")";
        return s.str();
    }

    std::unique_ptr<Material> stock_, part_;
    double chuckZ_ = 0, backZ_ = 0;
    BoundBox box_;
    double step_ = 0.05;
};

// The first return of an outside roughing's passes (the moves of operation
// `op`) that runs nearer than `clearance` to the level its pass cut, or to the
// level the stock stood at over that pass before it (the stock's own,
// `stockLevel`, under the first), as text; empty when none does. A pass is a
// feed move along the passes (along Z; across it with `facing`), its return
// the next rapid back along them over it. The stock stands on the side of the
// smaller x (facing: of the greater z).
inline std::string FirstReturnTooNear(const std::vector<ReadMove>& moves, int op, bool facing, double stockLevel,
                                      double clearance) {
    struct Pass {
        double level, lo, hi, before;
    };
    std::vector<Pass> passes;
    const auto outer = [facing](double a, double b) { return facing ? a > b : a < b; };
    for (const ReadMove& m : moves) {
        if (m.op != op || m.g > 1) continue;
        const double n1 = facing ? m.z1 : m.x1, n2 = facing ? m.z2 : m.x2;
        const double a1 = facing ? m.x1 : m.z1, a2 = facing ? m.x2 : m.z2;
        if (std::fabs(n2 - n1) > 1e-6 || std::fabs(a2 - a1) < 0.01) continue;
        const double lo = std::min(a1, a2), hi = std::max(a1, a2);
        if (m.g == 1) {
            // The nearest level over this one that a pass before cut here.
            double before = stockLevel;
            for (const Pass& p : passes)
                if (std::min(hi, p.hi) - std::max(lo, p.lo) > 0.01 && outer(p.level, n1) && outer(before, p.level))
                    before = p.level;
            passes.push_back({n1, lo, hi, before});
            continue;
        }
        if (passes.empty()) continue;
        const Pass& cut = passes.back();
        if (std::min(hi, cut.hi) - std::max(lo, cut.lo) <= 0.01) continue;
        for (const double level : {cut.level, cut.before}) {
            if (std::fabs(n1 - level) >= clearance - 1e-3) continue;
            std::ostringstream s;
            s << "operation " << op << ": \"" << m.line << "\" returns " << std::fabs(n1 - level) << " off the level "
              << level << (level == cut.level ? " its pass cut" : " the stock stood at");
            return s.str();
        }
    }
    return "";
}

// The first rapid of the program that brings the nose of its operation's
// tool nearer than the clearance the operation keeps (`clearance`; none at 0)
// to the part or to the stock standing (the bar less what the feed moves
// before it removed), as text; empty when none does. A rapid that sets off
// nearer (from where a cut left the tool) only has to get out: it ends the
// clearance off. The material is the grid's, so nearness is judged to
// `tolerance`.
inline std::string FirstRapidNearerThan(const Contour& bar, const Contour& part, const std::vector<ReadMove>& moves,
                                        const std::function<Nose(const ReadMove&)>& nose,
                                        const std::function<double(const ReadMove&)>& clearance,
                                        double tolerance = 0.02) {
    MachiningCheck check(bar, part);
    Material& stock = check.Stock();
    Material& inPart = check.Part();
    for (const ReadMove& m : moves) {
        if (!m.fromKnownPoint) continue;
        const Nose n = nose(m);
        const double az = m.z1 + n.dz, ax = m.x1 + n.dx, bz = m.z2 + n.dz, bx = m.x2 + n.dx;
        if (m.g != 0) {
            // What the feed moves take off, along their points (arcs too).
            const auto points = PointsAlong(m, 1e9);
            for (std::size_t i = 0; i + 1 < points.size(); ++i) {
                const double pz = points[i].first + n.dz, px = points[i].second + n.dx;
                const double qz = points[i + 1].first + n.dz, qx = points[i + 1].second + n.dx;
                for (double side : {1.0, -1.0}) {
                    if (side < 0 && std::max(px, qx) + n.r <= 0.0) break;
                    stock.Remove(pz, side * px, qz, side * qx, n.r, n.BodyZ(), static_cast<int>(side) * n.BodyX());
                }
            }
            continue;
        }
        const double c = clearance(m);
        if (c <= 0.0) continue;
        const double rho = n.r + c - tolerance;
        const auto near = [&](double z1, double x1, double z2, double x2) {
            return stock.Hits(z1, x1, z2, x2, rho) || inPart.Hits(z1, x1, z2, x2, rho);
        };
        const bool leaving = near(az, ax, az, ax);
        if (!near(bz, bx, bz, bx) && (leaving || !near(az, ax, bz, bx))) continue;
        std::ostringstream s;
        s << "operation " << m.op << ": \"" << m.line << "\" from (" << m.z1 << ", " << m.x1
          << ") comes nearer than its clearance " << c << " to the part or the stock";
        return s.str();
    }
    return "";
}

// A bar from z - length to z, of the outer and inner diameter, as a closed chain.
inline std::unique_ptr<Contour> BarContour(double length, double outer, double inner, double z) {
    auto bar = std::make_unique<Contour>();
    const double xo = -outer / 2, xi = -inner / 2, z1 = z - length;
    bar->AddUnit(std::make_unique<CLineUnit>(z, xi, z, xo));
    bar->AddUnit(std::make_unique<CLineUnit>(z, xo, z1, xo));
    bar->AddUnit(std::make_unique<CLineUnit>(z1, xo, z1, xi));
    bar->AddUnit(std::make_unique<CLineUnit>(z1, xi, z, xi));
    return bar;
}

// The part behind an open profile as a closed chain: an outer profile runs
// from beyond the face towards -Z and ends out past the bar, a bore from its
// bottom towards +Z and out past the face; the part goes on behind the last
// unit of an outer profile and behind the bottom of a bore.
inline std::unique_ptr<Contour> ClosedPart(const Contour& profile, bool bore) {
    auto part = profile.Clone();
    const CUnit& first = *profile.GetUnit(0);
    const CUnit& last = *profile.GetUnit(profile.Count() - 1);
    const double z1 = first.StartPoint.z, x1 = first.StartPoint.x, z2 = last.EndPoint.z, x2 = last.EndPoint.x;
    constexpr double far = 1000.0;
    const std::vector<std::pair<double, double>> tail =
        bore ? std::vector<std::pair<double, double>>{{z2, -far}, {-far, -far}, {-far, x1}}
             : std::vector<std::pair<double, double>>{{-far, x2}, {-far, 0.0}, {z1, 0.0}};
    double z = z2, x = x2;
    for (const auto& p : tail) {
        part->AddUnit(std::make_unique<CLineUnit>(z, x, p.first, p.second));
        z = p.first, x = p.second;
    }
    part->AddUnit(std::make_unique<CLineUnit>(z, x, z1, x1));
    return part;
}

// The shared checks over the runner's plan: its program read back in the X
// convention (the settings' own must say the same) against the bar and the
// part. A fault is an operation's message, the main job's clearance check's
// included; an arc read otherwise than computed; a move into the part or the
// chuck, a feed past the axis, a rapid into the stock; and with `reach` the
// last operation's working contour left unreached where the nose fits; with
// `clearance` a rapid nearer than its operation's clearance to the part (the
// section the paths were made with) or the stock (FirstRapidTooNear). The
// first fault with the program's text, or an empty text.
inline std::string PlanFault(OperationRunner& runner, const Contour& bar, const Contour& part, int xMode = 0,
                             bool reach = true, bool clearance = false) {
    CPLAN& plan = *GetPLAN();
    for (int i = 0; clearance && i < plan.GetTurnCount(); ++i) {
        const CTurn& op = runner.Operation(i);
        if (op.HasMessage() || op.RapidClearance() <= 0.0) continue;
        const std::string near = FirstRapidTooNear(op, op.RapidClearance());
        if (!near.empty()) return "operation " + std::to_string(i) + ": " + near + "\n" + runner.ProgramText();
    }
    // The main job judges against the part's section: the part as closed.
    CSPID& spid = *GetSPID();
    std::unique_ptr<Contour> section = part.Clone();
    std::swap(spid.pDetailContour, section);
    for (int i = 0; i < plan.GetTurnCount(); ++i) {
        CTurn& op = runner.Operation(i);
        if (!op.HasMessage()) CheckPathClearance(op);
        if (op.HasMessage()) {
            std::swap(spid.pDetailContour, section);
            return "operation " + std::to_string(i) + ": " + op.messageText + "\n" + runner.ProgramText();
        }
    }
    std::swap(spid.pDetailContour, section);
    const std::string text = runner.ProgramText();
    const std::vector<ReadMove> moves = ReadProgram(text, xMode, spid.Z0tool, -spid.X0tool);
    for (int i = 0; i < plan.GetTurnCount(); ++i) ExpectArcsReadAsComputed(runner.Operation(i), moves, i);
    MachiningCheck check(bar, part);
    const std::string fault = check.Run(moves, [&](const ReadMove& m) { return NoseOf(runner.Operation(m.op)); });
    if (!fault.empty() || !reach || plan.GetTurnCount() == 0) return fault.empty() ? fault : fault + "\n" + text;
    const CTurn& last = runner.Operation(plan.GetTurnCount() - 1);
    const std::string unreached = check.FirstUnreached(*last.workContour, NoseOf(last).r);
    return unreached.empty() ? unreached : unreached + "\n" + text;
}

// The installed description of the ISO lathe read as the plan reads its
// post-processor: its templates, address words and cycles are the ones
// programs are written with from then on.
inline std::unique_ptr<CPostProcessor> InstalledLathe() {
    auto post = std::make_unique<CPostProcessor>("ISO_Lathe", FixturePath("../../POSTPROCESSORS/ISO_Lathe.py3"));
    EXPECT_TRUE(post->ReadPostProcessorDescription());
    return post;
}

// The plan's program as the main job writes it (the program's frames and
// their text pass), the main job's verdict on it, and its moves as written,
// each with the plan index of its operation.
struct WrittenPlan {
    std::vector<std::string> lines;
    bool judged = false;              // the main job's check let it pass
    std::vector<std::string> faults;  // blocks no control reads
    std::vector<ReadMove> moves;
    std::string text;
};

inline WrittenPlan WritePlan() {
    WrittenPlan out;
    CPROGRAM program;
    program.CreateProgram();
    program.WriteProgramText(out.lines);
    EXPECT_TRUE(program.RefusedWords().empty());
    out.judged = CheckWrittenProgram(program, out.lines, out.faults);
    CPLAN& plan = *GetPLAN();
    for (const OperationMoves& o : ReadOperationMoves(program, out.lines)) {
        int index = -1;
        for (int i = 0; i < plan.GetTurnCount(); ++i)
            if (plan.GetTurn(i) == o.op) index = i;
        for (std::size_t k = 0; k < o.moves.size(); ++k) {
            ReadMove m;
            static_cast<WrittenMove&>(m) = o.moves[k];
            m.op = index;
            m.line = o.blocks[k];
            out.moves.push_back(std::move(m));
        }
    }
    for (const std::string& line : out.lines) out.text += line + "\n";
    return out;
}

}  // namespace zarvento::test
