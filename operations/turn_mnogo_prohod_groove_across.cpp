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

// Where the line across the axis at zc crosses the contour.
void CrossingsAt(double zc, const Contour& c, std::vector<GrooveCrossing>& out, bool region) {
    Contour probe;
    probe.AddUnit(std::make_unique<CLineUnit>(zc, -10000.0, zc, 10000.0));
    IntersectPointList found(8);
    probe.Intersect(c, found, true);
    for (std::uint32_t i = 0; i < found.Count(); ++i) out.push_back({found[i].x, found[i].z, region});
}

// Takes the depth of `shallower` where it stands nearer the retract X than
// the groove's depth found so far.
void TakeShallower(std::vector<GrooveCrossing>& depth, const std::vector<GrooveCrossing>& shallower, double rx) {
    if (!shallower.empty() && std::fabs(shallower[0].x - rx) + 1e-6 < std::fabs(depth[0].x - rx))
        for (std::size_t i = 0; i < std::min(depth.size(), shallower.size()); ++i) depth[i].x = shallower[i].x;
}

}  // namespace

// The phases of the plunges across one groove: the tool's values, the
// region's shape, the count of plunges, the approach, then each plunge down
// to the groove's depth under the blade.
class CTurnMnogoProhod::GrooveAcross {
public:
    explicit GrooveAcross(CTurnMnogoProhod& op) : op_(op), W_(*op.calc.regionContour) {}

    void Run() {
        TakeToolValues();
        ReadRegionShape();
        if (!CountPlunges()) return;
        MoveToFirstPlunge();
        double t = op_.DepthPass;
        if (op_.isCorrectStep && N_ > 1) t = H_ / (N_ - 1);
        if (op_.indNapr) t = -t;
        const double lastStep = op_.isCorrectStep ? t : (op_.indNapr ? -1.0 : 1.0) * H_ - (N_ - 2) * t;
        // The probes lie a hair inside the tool's edges: an edge that only
        // touches a wall of the groove must not take that wall's top for the
        // depth there, which would leave a strip of the groove uncut.
        inset_ = std::fabs(edge_) > 4.0 * kEdgeInset ? std::copysign(kEdgeInset, edge_) : 0.0;
        double z = rz_;
        for (int k = 0; k < N_; ++k) {
            PlungeAt(WithinReach(z));
            if (k + 1 < N_) z -= k + 2 == N_ ? lastStep : t;
        }
        op_.MoveTo(rx_, op_.curZ, true);
        op_.calc.retractX = rx_;
        op_.calc.retractZ = op_.curZ;
    }

private:
    // The blade's width and binding corner from the tool, into the groove cycle.
    void TakeToolValues() {
        const ParamTool* tool = op_.GetTool();
        if (!tool) return;
        double width = 0.0, base = 0.0;
        if (tool->GetVariable("width", width)) {
            op_.WidthTool = width;
            SetCycleText(op_.grooveCycle, "P2", FormatGeneral(width));
            SetCycleKind(op_.grooveCycle, "P2", 'R');
        } else {
            SetCycleKind(op_.grooveCycle, "P2", 'd');
        }
        std::int32_t corner = 0;
        // A base out of the integer range is no vertex: the cycle's own stays.
        if (tool->GetVariable("base", base) && TruncateToInt32(base + 0.01, corner)) {
            op_.indPrivazTool = corner;
            SetCycleText(op_.grooveCycle, "P3", std::to_string(corner));
            SetCycleKind(op_.grooveCycle, "P3", 'R');
        } else {
            SetCycleKind(op_.grooveCycle, "P3", 'i');
        }
    }

    // The region's box, ends and the one-piece and inside flags they give.
    void ReadRegionShape() {
        op_.OnePieceAlongPass = op_.OnePieceAcrossPass = false;
        op_.RegionClosed = true;
        ContoursBoundingBox(W_, *op_.calc.pairedContour, box_);
        first_ = W_.GetFirstUnit()->StartPoint;
        last_ = W_.GetLastUnit()->EndPoint;
        const bool xChanges = std::fabs(first_.x - last_.x) >= 0.001;
        const bool zChanges = std::fabs(first_.z - last_.z) >= 0.001;
        if (xChanges && !zChanges) op_.OnePieceAcrossPass = true;
        // A region that climbs towards +Z across diameters is a bore's, as the
        // machine cycle takes it: its plunges run out from the axis, whichever
        // tool was picked.
        if (xChanges && zChanges) op_.internalMachining = first_.z < last_.z;
        if (!xChanges) {
            op_.OnePieceAlongPass = true;
            if (box_.xmin < first_.x - 1e-6) op_.internalMachining = true;
        }
    }

    // The span between the corners' noses and the count of plunges; false,
    // with the error reported, for a groove the blade cannot cut.
    bool CountPlunges() {
        const double w = op_.WidthTool;
        // A groove narrower than the tool has no room for a second plunge: a
        // negative step would cut its walls.
        if (!(w >= 0.0)) return Refuse(kToolWidthText);
        // The region keeps the binding corner's nose off the walls; the other
        // corner's nose lies the blade's width less both corners' radii beside
        // it, and is kept off its wall by that span.
        span_ = std::max(0.0, w - 2.0 * op_.NoseOffsetRadius('w'));
        H_ = std::fabs(first_.z - last_.z) - span_;
        if (H_ < -EPS) return Refuse(kGrooveWidthText);
        // The count is bounded before any move is made: a step far below the
        // groove's width is refused rather than cut in millions of plunges.
        const double plunges = std::ceil(H_ / op_.DepthPass - 1e-6) + 0.1 + 1.0;
        if (!(plunges <= kMaxPasses)) return Refuse(kTooManyPassesMessage);
        N_ = std::max(static_cast<int>(plunges), 2);
        return true;
    }

    // The retract point beside the groove's first plunge, and the move there.
    void MoveToFirstPlunge() {
        const double a = op_.Vrezanie, w = op_.WidthTool;
        rz_ = op_.indNapr ? box_.zmin : box_.zmax;
        rx_ = op_.internalMachining ? box_.xmax + a : box_.xmin - a;
        if (op_.indPrivazTool == 0 && !op_.indNapr) rz_ -= span_;
        if (op_.indPrivazTool != 0 && op_.indNapr) rz_ += span_;
        if (const Contour* source = op_.sourceContour.get()) {
            // The retract X comes as near the stock as the source contour allows
            // at the plunge's two edges.
            double nearest = op_.internalMachining ? rx_ - a : rx_ + a;
            for (int i = 0; i < source->Count(); ++i) {
                const Point3D s = source->GetUnit(i)->StartPoint;
                if (std::fabs(s.z - rz_) > 1e-6 && std::fabs(s.z - rz_ - w) > 1e-6) continue;
                if (op_.internalMachining ? !(s.x > nearest) : !(s.x < nearest)) continue;
                nearest = s.x;
                rx_ = op_.internalMachining ? s.x + a : s.x - a;
            }
        }
        edge_ = op_.indPrivazTool == 0 ? span_ : -span_;
        // No plunge takes the blade past the bar's back end, where the chuck
        // holds it: one that would is made against that end instead.
        double axisX = 0.0;
        op_.GetLatheReach(axisX, chuckZ_);
        op_.MoveToStart(rx_, WithinReach(rz_));
        op_.curX = rx_;
        op_.curZ = WithinReach(rz_);
    }

    bool Refuse(const std::string& text) {
        op_.ReportError(text);
        return false;
    }

    double WithinReach(double zk) const { return std::max(zk, chuckZ_ - std::min(edge_, 0.0)); }

    // The groove's depth under the blade at zk: the shallowest of its two
    // corners' lines and of the points between them.
    std::vector<GrooveCrossing> DepthUnderBlade(double zk) const {
        std::vector<GrooveCrossing> A, B;
        CrossingsAt(zk + inset_, W_, A, true);
        CrossingsAt(zk + edge_ - inset_, W_, B, true);
        if (A.empty() || B.empty()) return {};
        TakeShallower(A, B, rx_);
        // The edge between the corners stops at the shallowest point of
        // the groove under it: a step or a bulge between them stands
        // higher than either corner's line. That point lies at a vertex
        // or at an arc's top within the edge's span.
        const double zlo = std::min(zk + inset_, zk + edge_ - inset_), zhi = std::max(zk + inset_, zk + edge_ - inset_);
        for (int i = 0; i < W_.Count(); ++i) {
            const CUnit& u = *W_.GetUnit(i);
            for (double zu : {u.StartPoint.z, u.EndPoint.z, u.Kind == kUnitArc ? u.CentrePoint.z : zlo}) {
                if (!(zu > zlo && zu < zhi)) continue;
                std::vector<GrooveCrossing> C;
                CrossingsAt(zu, W_, C, true);
                TakeShallower(A, C, rx_);
            }
        }
        return A;
    }

    // One plunge at zk: from the stock's side down to the groove's depth and back.
    void PlungeAt(double zk) {
        const std::vector<GrooveCrossing> A = DepthUnderBlade(zk);
        if (A.empty()) return;
        double lo = A[0].x, hi = A[0].x;
        for (const auto& c : A) {
            lo = std::min(lo, c.x);
            hi = std::max(hi, c.x);
        }
        std::vector<GrooveCrossing> list = A, stock;
        CrossingsAt(zk + inset_, *op_.calc.pairedContour, stock, false);
        CrossingsAt(zk + edge_ - inset_, *op_.calc.pairedContour, stock, false);
        for (const auto& c : stock)
            if (op_.internalMachining ? c.x >= hi + 1e-6 : c.x <= lo - 1e-6) list.push_back(c);
        if (list.size() < 2) return;
        std::sort(list.begin(), list.end(), [](const GrooveCrossing& p, const GrooveCrossing& q) { return p.x > q.x; });
        const GrooveCrossing& xhi = list.front();
        const GrooveCrossing& xlo = list.back();
        bool fromHigh = op_.internalMachining;
        if (op_.OnePieceAcrossPass) fromHigh = op_.indNapr;
        double s = fromHigh ? xhi.x : xlo.x, b = fromHigh ? xlo.x : xhi.x;
        if (!(fromHigh ? xhi : xlo).onRegion) s += fromHigh ? op_.Vrezanie : -op_.Vrezanie;
        if (!(fromHigh ? xlo : xhi).onRegion) b += fromHigh ? -op_.Perebeg : op_.Perebeg;
        if (std::fabs(s - b) < 1e-6) return;
        op_.MoveTo(s, zk, plunged_ && op_.isRapidIdle);
        op_.MoveTo(b, zk, false);
        if (op_.TimePause > 0.01) op_.AddFrame(std::make_unique<CCadre_G04>(op_.TimePause));
        op_.MoveTo(s, zk, op_.isRapidIdle);
        plunged_ = true;
    }

    CTurnMnogoProhod& op_;
    const Contour& W_;
    BoundBox box_;
    Point3D first_, last_;
    double span_ = 0.0, H_ = 0.0;
    int N_ = 2;
    double rz_ = 0.0, rx_ = 0.0, edge_ = 0.0, chuckZ_ = 0.0, inset_ = 0.0;
    bool plunged_ = false;
};

void CTurnMnogoProhod::ElementarGroovCycleAcross() {
    if (!calc.regionContour || !calc.pairedContour || calc.regionContour->Empty() || calc.pairedContour->Empty())
        return;
    GrooveAcross(*this).Run();
}

}  // namespace zarvento
