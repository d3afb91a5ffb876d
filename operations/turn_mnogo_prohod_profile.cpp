// Profile roughing of the multi-pass operation: passes along offsets of the
// working side of a region at growing distances, made by the host's
// equidistant, cut to the region and machined outermost first.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "geometry/unit_locator.h"
#include "operations/kind_support.h"
#include "operations/turn_mnogo_prohod.h"
#include "platform/core/check.h"
#include "platform/drawings/document_2d.h"
#include "platform/processes/module.h"

namespace zarvento {

namespace {

const double kDegree = PI / 180.0;
// The lead-in before a piece that starts up a face, in degrees from +Z: from
// the free end, along the axis.
constexpr double kLeadInDegrees = 0.0;

// The region as one closed contour: the working side backwards, then the stock side.
std::unique_ptr<Contour> ProfileRegionOutline(const Contour& w, const Contour& b) {
    auto r = ReverseContour(w.Clone());
    for (int i = 0; i < b.Count(); ++i) r->AddUnit(b.GetUnit(i)->Clone());
    return r;
}

// A point on the outline is not inside it. Looked up near the point: the
// innermost offset lies on the outline and crosses it at every vertex, and a
// test along the whole outline for each of those crossings costs its square.
bool OnOutline(const Contour& outline, UnitLocator& units, double z, double x) {
    for (int k : units.Candidates(z, x))
        if (IsPointOnUnitNear(*outline.GetUnit(k), z, x)) return true;
    return false;
}

// The unit is a straight run of at least `length` from (towards the chain)
// or to (away from it) the given direction, in degrees from +Z.
bool RunsOnStraight(const CUnit& u, double length, double angleDegrees, bool towards) {
    if (u.Kind != kUnitLine) return false;
    const Point3D& from = towards ? u.EndPoint : u.StartPoint;
    const Point3D& to = towards ? u.StartPoint : u.EndPoint;
    if (Distance(from.z, from.x, to.z, to.x) < length) return false;
    const double a = std::atan2(to.x - from.x, to.z - from.z);
    return std::fabs(std::remainder(a - angleDegrees * kDegree, 2.0 * PI)) < 1e-6;
}

// One piece of an offset that lies inside the region.
struct ProfileSegment {
    std::unique_ptr<Contour> piece;
    bool startMark = false, endMark = false;
};

}  // namespace

std::unique_ptr<Contour> CTurnMnogoProhod::ProfileOffset(const Contour& curve, double distance, bool side) {
    Document2D& doc = ActiveDocument2D();
    WorkObjects made(doc);
    doc.BeginObjectSet();
    std::unique_ptr<Contour> drawn = curve.Clone();
    drawn->Draw2D(4);
    EquidistantRequest request;
    request.group = made.Keep(doc.EndObjectSet());
    request.side = side ? 1 : 0;
    request.distance = request.distance2 = distance;
    request.style = 4;
    auto result = std::make_unique<Contour>();
    const Ref2D offset = made.Keep(doc.Equidistant(request).group);
    if (offset != 0) result->LoadFromHostObjects(doc, made.Keep(doc.ObjectList(offset, 0, 5.0, 1)), -1, 0.01);
    return result;
}

// The signs and offsets of the profile passes over one region, built once.
// Legend: the tool starts and ends at (xs, zs); a piece is left by a retract
// of (s, dZ) and a lift of slope kLift back to the level xs; the offsets run
// on straight from the working side's ends at alphaStart and alphaEnd
// (degrees from +Z) for at least `reach`.
struct ProfilePassLayout {
    double approach = 0.0;  // the approach and lead-in length
    double s = 0.0;         // the safe distance, negative inside a bore
    double dZ = 0.0;        // the retract along Z, signed by the user's direction
    double kLift = 0.0;
    double xs = 0.0, zs = 0.0;
    double alphaStart = 0.0, alphaEnd = 0.0;
    double reach = 0.0;
};

// The profile passes over one region: offsets of the working side at growing
// distances, the pieces of them inside the region, and their frames.
class CTurnMnogoProhod::ProfilePasses {
public:
    ProfilePasses(CTurnMnogoProhod& op, const Contour& W, const Contour& B, const Contour& R)
        : op_(op), W_(W), B_(B), R_(R), outlineUnits_(R, 16.0 * EPS) {
        // Where the tool's point would bring the nose into the stock: the
        // stock offset by the nose radius, moved by the tool's offsets.
        probe_ = op.sourceContour ? op.OffsetContourByRadius(op.sourceContour->Clone(), 's') : nullptr;
        if (!probe_) probe_ = std::make_unique<Contour>();
        op.ApplyToolOffsets(*probe_);
    }

    // The layout, the sense of the pieces and the approach to the start.
    void LayOut() {
        ProfilePassLayout& L = layout_;
        // A lead-in starts a depth of cut and the clearance off the stock.
        L.approach = std::max(op_.Vrezanie, op_.DepthPass + op_.ReturnClearance());
        double s = op_.SafeDistance;
        double theta = op_.calc.fi <= 90.0 ? 90.0 : op_.calc.fi;
        if (theta > 135.0) theta = 126.0;
        L.kLift = std::cos(theta * kDegree) / std::sin(theta * kDegree);
        const double dZ = op_.calc.fi1 > 45.0 ? s / std::tan(op_.calc.fi1 * kDegree) : s;
        ContoursBoundingBox(W_, B_, box_);

        op_.contourReversed = op_.indNapr;
        op_.indNapr = op_.userNapr;
        L.xs = box_.xmin - L.approach;
        L.zs = box_.zmax + L.approach;
        if (op_.internalMachining) {
            L.xs = box_.xmax + s;
            s = -s;
        }
        if (op_.internalMachining) op_.contourReversed = !op_.indNapr;
        L.s = s;
        L.dZ = op_.indNapr ? dZ : -dZ;
        L.alphaStart = W_.GetFirstUnit()->GetStartAngle() / kDegree - 180.0;
        L.alphaEnd = W_.GetLastUnit()->GetEndAngle() / kDegree;
        if (op_.contourReversed) std::swap(L.alphaStart, L.alphaEnd);
        // The ends run on straight far enough for every offset that still
        // meets the region to leave it again, and no further: the host reads a
        // chain with a tolerance that grows with its size, and at the size of
        // a far run a short unit (the round of a corner that barely turns)
        // counts as of no length, the offset fails and its passes are lost. An
        // offset that meets the region lies within its diagonal of the working
        // side, so a run of `reach` from its end leaves the region's box. The
        // offset of a run is the run itself, so it is added again only once
        // too short.
        L.reach = 2.0 * std::hypot(box_.zmax - box_.zmin, box_.xmax - box_.xmin) + L.approach + std::fabs(op_.Perebeg) +
                  op_.DepthPass + 5.0;
        op_.MoveToStart(L.xs, L.zs);
        op_.curX = L.xs;
        op_.curZ = L.zs;
    }

    // The offsets, innermost first, until one crosses the region no more;
    // false, with the operation's message, past kMaxPasses of them.
    bool Offset() {
        const ProfilePassLayout& L = layout_;
        std::unique_ptr<Contour> current = W_.Clone();
        if (op_.contourReversed) current = ReverseContour(std::move(current));
        current->ExtendEnds(L.approach, op_.Perebeg, op_.finalContour.get(), 0.0, nullptr);
        current->MergeOverlappingUnits();
        offsets_.reserve(25);
        for (int k = 0; current && !current->Empty(); ++k) {
            if (k == kMaxPasses) {
                op_.ReportError(kTooManyPassesText);
                return false;
            }
            current->RemoveZeroLengthUnits();
            if (current->Empty()) break;
            if (!RunsOnStraight(*current->GetFirstUnit(), L.reach, L.alphaStart, true))
                current->PrependLine(2.0 * L.reach, L.alphaStart, false);
            if (!RunsOnStraight(*current->GetLastUnit(), L.reach, L.alphaEnd, false))
                current->AppendLine(2.0 * L.reach, L.alphaEnd, false);
            // The side alone says where the stock lies; a bore's signed depth
            // would turn the offsets away from it.
            std::unique_ptr<Contour> next = op_.ProfileOffset(*current, op_.DepthPass, op_.contourReversed);
            offsets_.push_back(std::move(current));
            crossings_.SetCountZero();
            if (!next->Empty()) next->Intersect(R_, crossings_, true);
            if (crossings_.Count() < 2) break;
            current = std::move(next);
        }
        return true;
    }

    // The pieces of the offsets inside the region, outermost offset first.
    void CutPieces() {
        for (auto it = offsets_.rbegin(); it != offsets_.rend(); ++it) {
            const Contour& curve = **it;
            crossings_.SetCountZero();
            curve.Intersect(R_, crossings_, true);
            const int n = static_cast<int>(crossings_.Count());
            if (n < 2) break;
            UnitLocator curveUnits(curve, 16.0 * EPS);
            for (int i = 1; i < n; ++i) {
                const IntersectPoint& p = crossings_[static_cast<std::uint32_t>(i - 1)];
                const IntersectPoint& q = crossings_[static_cast<std::uint32_t>(i)];
                IntersectPoint mid;
                curve.GetMidPointBetween(mid, p, q, curveUnits);
                if (OnOutline(R_, outlineUnits_, mid.z, mid.x) || !R_.IsPointInside(mid.z, mid.x)) continue;
                std::unique_ptr<Contour> piece = curve.CutPart(p, q);
                if (!piece || piece->Empty()) continue;
                piece->MergeOverlappingUnits();
                ProfileSegment seg;
                seg.startMark = i == 1 && B_.IsPointOnContour(p.z, p.x);
                seg.endMark = i == n - 1 && B_.IsPointOnContour(q.z, q.x);
                seg.piece = std::move(piece);
                segments_.push_back(std::move(seg));
            }
        }
        offsets_.clear();
    }

    // The frames of every piece, and the way back to the start.
    void WritePieces() {
        for (ProfileSegment& seg : segments_) WritePiece(seg);
        op_.MoveTo(layout_.xs, layout_.zs, true);
    }

    const ProfilePassLayout& Layout() const { return layout_; }

private:
    void WritePiece(ProfileSegment& seg) {
        const ProfilePassLayout& L = layout_;
        Contour& piece = *seg.piece;
        // An extension continues an arc along its circle, which can swing back
        // onto the part: the nose circle at its end must keep clear of it.
        if (seg.startMark || seg.endMark)
            piece.ExtendEnds(seg.startMark ? L.approach : 0.0, seg.endMark ? op_.Perebeg : 0.0, op_.finalContour.get(),
                             op_.Rtool, nullptr);
        op_.TrimToLatheReach(piece);
        if (piece.Empty()) return;
        // A profile pass is one continuous chain.
        if (ZARVENTO_NEVER(piece.HasBreaks())) return op_.RefuseBrokenPath();
        // A piece that sets off straight away from the axis (up a face) is
        // entered by a line along the axis from the free end's side, so the
        // tool meets the face's foot moving as the pass before it did.
        if (!op_.internalMachining) {
            const double a = piece.GetFirstUnit()->GetStartAngle();
            if (std::fabs(std::remainder(a - 1.5 * PI, 2.0 * PI)) < 0.5)
                piece.PrependLine(L.approach, kLeadInDegrees, false);
        }
        const Point3D start = piece.GetFirstUnit()->StartPoint;
        op_.MoveTo(op_.curX, start.z, true);
        // The move down to the piece is a rapid only where it meets no part.
        Contour probe;
        probe.AddUnit(std::make_unique<CLineUnit>(start.z, op_.curX, start.z, start.x));
        IntersectPointList hits(4);
        if (!IsEqualPoint(start.z, op_.curX, start.z, start.x)) probe.Intersect(*probe_, hits, true);
        op_.MoveTo(start.x, start.z, hits.Count() == 0);
        for (int i = 0; i < piece.Count(); ++i) op_.AddUnitFrame(*piece.GetUnit(i), piece.GetUnit(i)->IsRapid);
        const Point3D end = piece.GetLastUnit()->EndPoint;
        op_.curX = end.x;
        op_.curZ = end.z;
        // Turned round with the passes, the retract can set off into the
        // part where a piece ends against a face (down at the axis, say):
        // then it leaves straight out.
        double dZ = L.dZ;
        if (dZ != 0.0 && op_.finalContour && op_.finalContour->IsPointInside(end.z - dZ, end.x - L.s)) dZ = 0.0;
        op_.MoveTo(end.x - L.s, end.z - dZ, false);
        op_.MoveTo(L.xs, op_.curZ - std::fabs(op_.curX - L.xs - L.s) * L.kLift, true);
    }

    CTurnMnogoProhod& op_;
    const Contour& W_;
    const Contour& B_;
    const Contour& R_;
    UnitLocator outlineUnits_;
    std::unique_ptr<Contour> probe_;
    BoundBox box_;
    ProfilePassLayout layout_;
    std::vector<std::unique_ptr<Contour>> offsets_;
    std::vector<ProfileSegment> segments_;
    IntersectPointList crossings_{16};
};

bool CTurnMnogoProhod::ProfileNew() {
    RegionClosed = true;
    if (!calc.regionContour || !calc.pairedContour || calc.regionContour->Empty() || calc.pairedContour->Empty())
        return true;
    // Offsets a zero distance apart would never leave the region.
    if (!(DepthPass >= 0.001)) return true;
    const Contour& W = *calc.regionContour;
    const Contour& B = *calc.pairedContour;

    // A single face is roughed by the facing passes.
    if (W.Count() == 1 && std::fabs(W.GetFirstUnit()->StartPoint.z - W.GetFirstUnit()->EndPoint.z) < 0.001) {
        const int direction = calc.feedDirection;
        calc.feedDirection = 1;
        const bool roughed = LongitudNew();
        calc.feedDirection = direction;
        indNapr = userNapr;
        return roughed;
    }

    std::unique_ptr<Contour> R = ProfileRegionOutline(W, B);
    if (!R->IsClosed()) {
        RegionClosed = false;
        return true;
    }
    if (!R->DetermineDirection()) R->Reverse();
    ProfilePasses passes(*this, W, B, *R);
    passes.LayOut();
    if (!passes.Offset()) return false;
    passes.CutPieces();
    passes.WritePieces();
    const ProfilePassLayout& layout = passes.Layout();
    RetractDZ = layout.dZ;
    RetractDX = layout.s;
    calc.retractX = layout.xs;
    calc.retractZ = layout.zs;
    indNapr = userNapr;
    // The host shows the passes drawn so far; its failure is the command's.
    RefreshHostView();
    return true;
}

}  // namespace zarvento
