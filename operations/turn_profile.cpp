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
#include "operations/turn_mnogo_prohod.h"
#include "platform/document_2d.h"
#include "platform/module.h"

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

void CTurnMnogoProhod::ProfileNew() {
    RegionClosed = true;
    if (!regionContour || !pairedContour || regionContour->Empty() || pairedContour->Empty()) return;
    // Offsets a zero distance apart would never leave the region.
    if (!(DepthPass >= 0.001)) return;
    const Contour& W = *regionContour;
    const Contour& B = *pairedContour;

    // A single face is roughed by the facing passes.
    if (W.Count() == 1 && std::fabs(W.GetFirstUnit()->StartPoint.z - W.GetFirstUnit()->EndPoint.z) < 0.001) {
        const int direction = feedDirection;
        feedDirection = 1;
        LongitudNew();
        feedDirection = direction;
        indNapr = userNapr;
        return;
    }

    const double approach = std::max(Vrezanie, DepthPass + 1.0);
    std::unique_ptr<Contour> R = ProfileRegionOutline(W, B);
    if (!R->IsClosed()) {
        RegionClosed = false;
        return;
    }
    if (!R->DetermineDirection()) R->Reverse();
    // Where the tool's point would bring the nose into the stock: the stock
    // offset by the nose radius, moved by the tool's offsets.
    std::unique_ptr<Contour> P = sourceContour ? OffsetContourByRadius(sourceContour->Clone(), 's') : nullptr;
    if (!P) P = std::make_unique<Contour>();
    ApplyToolOffsets(*P);

    double s = SafeDistance;
    double theta = fi <= 90.0 ? 90.0 : fi;
    if (theta > 135.0) theta = 126.0;
    const double kLift = std::cos(theta * kDegree) / std::sin(theta * kDegree);
    const double dZ = fi1 > 45.0 ? s / std::tan(fi1 * kDegree) : s;
    BoundBox box;
    ContoursBoundingBox(W, B, box);

    contourReversed = indNapr;
    indNapr = userNapr;
    double xs = box.xmin - approach;
    double zs = box.zmax + approach;
    if (internalMachining) {
        xs = box.xmax + s;
        s = -s;
    }
    if (contourReversed) zs = box.zmin - approach;
    if (internalMachining) contourReversed = !indNapr;
    const double retractZ0 = indNapr ? dZ : -dZ;

    double alphaStart = W.GetFirstUnit()->GetStartAngle() / kDegree - 180.0;
    double alphaEnd = W.GetLastUnit()->GetEndAngle() / kDegree;
    MoveToStart(xs, zs);
    curX = xs;
    curZ = zs;

    std::unique_ptr<Contour> first = W.Clone();
    if (contourReversed) {
        first = ReverseContour(std::move(first));
        std::swap(alphaStart, alphaEnd);
    }
    first->ExtendEnds(approach, Perebeg, finalContour.get(), 0.0, nullptr);
    first->MergeOverlappingUnits();

    // The ends run on straight far enough for every offset that still meets
    // the region to leave it again, and no further: the host reads a chain
    // with a tolerance that grows with its size, and at the size of a far
    // run a short unit (the round of a corner that barely turns) counts as
    // of no length, the offset fails and its passes are lost. An offset that
    // meets the region lies within its diagonal of the working side, so a
    // run of `reach` from its end leaves the region's box. The offset of a
    // run is the run itself, so it is added again only once too short.
    const double reach =
        2.0 * std::hypot(box.zmax - box.zmin, box.xmax - box.xmin) + approach + std::fabs(Perebeg) + DepthPass + 5.0;

    // The offsets, innermost first; each is bounded by the region it must cross.
    std::vector<std::unique_ptr<Contour>> offsets;
    offsets.reserve(25);
    std::unique_ptr<Contour> current = std::move(first);
    IntersectPointList crossings(16);
    for (int k = 0; k < kMaxPasses && current && !current->Empty(); ++k) {
        current->RemoveZeroLengthUnits();
        if (current->Empty()) break;
        if (!RunsOnStraight(*current->GetFirstUnit(), reach, alphaStart, true))
            current->PrependLine(2.0 * reach, alphaStart, false);
        if (!RunsOnStraight(*current->GetLastUnit(), reach, alphaEnd, false))
            current->AppendLine(2.0 * reach, alphaEnd, false);
        // The side alone says where the stock lies; a bore's signed depth would
        // turn the offsets away from it.
        std::unique_ptr<Contour> next = ProfileOffset(*current, DepthPass, contourReversed);
        offsets.push_back(std::move(current));
        crossings.SetCountZero();
        if (!next->Empty()) next->Intersect(*R, crossings, true);
        if (crossings.Count() < 2) break;
        current = std::move(next);
    }

    // The pieces inside the region, outermost offset first.
    std::vector<ProfileSegment> segments;
    UnitLocator outlineUnits(*R, 16.0 * EPS);
    for (auto it = offsets.rbegin(); it != offsets.rend(); ++it) {
        const Contour& curve = **it;
        crossings.SetCountZero();
        curve.Intersect(*R, crossings, true);
        const int n = static_cast<int>(crossings.Count());
        if (n < 2) break;
        UnitLocator curveUnits(curve, 16.0 * EPS);
        for (int i = 1; i < n; ++i) {
            const IntersectPoint& p = crossings[static_cast<std::uint32_t>(i - 1)];
            const IntersectPoint& q = crossings[static_cast<std::uint32_t>(i)];
            IntersectPoint mid;
            curve.GetMidPointBetween(mid, p, q, curveUnits);
            if (OnOutline(*R, outlineUnits, mid.z, mid.x) || !R->IsPointInside(mid.z, mid.x)) continue;
            std::unique_ptr<Contour> piece = curve.CutPart(p, q);
            if (!piece || piece->Empty()) continue;
            piece->MergeOverlappingUnits();
            ProfileSegment seg;
            seg.startMark = i == 1 && B.IsPointOnContour(p.z, p.x);
            seg.endMark = i == n - 1 && B.IsPointOnContour(q.z, q.x);
            seg.piece = std::move(piece);
            segments.push_back(std::move(seg));
        }
    }
    offsets.clear();

    for (ProfileSegment& seg : segments) {
        Contour& piece = *seg.piece;
        // An extension continues an arc along its circle, which can swing back
        // onto the part: the nose circle at its end must keep clear of it.
        if (seg.startMark || seg.endMark)
            piece.ExtendEnds(seg.startMark ? approach : 0.0, seg.endMark ? Perebeg : 0.0, finalContour.get(), Rtool,
                             nullptr);
        TrimToLatheReach(piece);
        if (piece.Empty()) continue;
        // A piece that sets off straight away from the axis (up a face) is
        // entered by a line along the axis from the free end's side, so the
        // tool meets the face's foot moving as the pass before it did.
        if (!internalMachining) {
            const double a = piece.GetFirstUnit()->GetStartAngle();
            if (std::fabs(std::remainder(a - 1.5 * PI, 2.0 * PI)) < 0.5)
                piece.PrependLine(approach, kLeadInDegrees, false);
        }
        const Point3D start = piece.GetFirstUnit()->StartPoint;
        MoveTo(curX, start.z, true);
        // The move down to the piece is a rapid only where it meets no part.
        Contour probe;
        probe.AddUnit(std::make_unique<CLineUnit>(start.z, curX, start.z, start.x));
        IntersectPointList hits(4);
        if (!IsEqualPoint(start.z, curX, start.z, start.x)) probe.Intersect(*P, hits, true);
        MoveTo(start.x, start.z, hits.Count() == 0);
        for (int i = 0; i < piece.Count(); ++i) AddUnitFrame(*piece.GetUnit(i), piece.GetUnit(i)->IsRapid);
        const Point3D end = piece.GetLastUnit()->EndPoint;
        curX = end.x;
        curZ = end.z;
        MoveTo(end.x - s, end.z - retractZ0, false);
        MoveTo(xs, curZ - std::fabs(curX - xs - s) * kLift, true);
    }

    MoveTo(xs, zs, true);
    RetractDZ = retractZ0;
    RetractDX = s;
    retractX = xs;
    retractZ = zs;
    indNapr = userNapr;
    // The host shows the passes drawn so far; its failure is the command's.
    RefreshHostView();
}

}  // namespace zarvento
