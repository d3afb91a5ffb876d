// The single-pass contour operation: its path with the lead-in and lead-out
// modes, its tool choice, its stored values and the trajectory from a sketch.
#include "operations/turn_kontur.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "catalogs/param_tool.h"
#include "geometry/arc_unit.h"
#include "model/contour_builder.h"
#include "operations/path_clearance.h"
#include "operations/plan_angle_trim.h"
#include "plan/spid.h"
#include "platform/core/messages.h"
#include "platform/core/numbers.h"
#include "platform/documents/storage_record.h"
#include "platform/host/object_reference.h"

namespace zarvento {

namespace {

// The lead angle of a mode: 0 follows the contour, 1 to 4 the four axis
// directions, anything else the angle the user gave.
double LeadAngle(std::int32_t mode, double tangentRadians, double given) {
    switch (mode) {
        case 0: return tangentRadians * 180.0 / PI;
        case 1: return 0.0;
        case 2: return 90.0;
        case 3: return 180.0;
        case 4: return 270.0;
        default: return given;
    }
}

// How near a lead line may bring the nose to the part: the clearance
// check's resolution, well under it.
constexpr double kLeadTolerance = 1e-4;

// How far a straight line from the path's point p in the direction of the
// angle keeps the nose circle (radius r, its centre at (dz, dx) from the
// point) off the part, up to `length`. The nose touches the part at p: a
// direction into the part keeps off for no length at all.
double ClearLeadLength(const ClearanceOutline& part, double pz, double px, double angleDegrees, double length, double r,
                       double dz, double dx) {
    if (part.Empty() || r <= kLeadTolerance || !(length > 0.0)) return length;
    const double a = angleDegrees * PI / 180.0, uz = std::cos(a), ux = std::sin(a);
    const Point2D from{pz + dz, px + dx};
    // The nearest approach over a growing stretch never grows: bisection.
    const auto clear = [&](double t) {
        const Curve2D stretch = Curve2D::Line(from, {from.x + t * uz, from.y + t * ux});
        return part.Distance(stretch, r) >= r - kLeadTolerance;
    };
    if (clear(length)) return length;
    double lo = 0.0, hi = length;
    for (int i = 0; i < 40 && hi - lo > 1e-6; ++i) (clear(0.5 * (lo + hi)) ? lo : hi) = 0.5 * (lo + hi);
    return lo;
}

// The directions (radians) in which the insert's two edges leave its nose,
// read from the tool's outline as the simulation places it: the units on
// either side of the nose arc. False for an outline without such an arc.
bool EdgeDirections(const Contour& outline, double noseRadius, double& first, double& second) {
    const int n = outline.Count();
    for (int i = 0; i < n && n >= 3; ++i) {
        const auto* arc = dynamic_cast<const CArcUnit*>(outline.GetUnit(i));
        if (!arc || std::fabs(arc->Radius - noseRadius) > 1e-3) continue;
        const CUnit& before = *outline.GetUnit((i + n - 1) % n);
        const CUnit& after = *outline.GetUnit((i + 1) % n);
        first = before.GetEndAngle() + PI;
        second = after.GetStartAngle();
        return true;
    }
    return false;
}

// Keeps the pass (c, in the order it runs) off the part where the profile
// drops, in the feed direction, more steeply than the edge that trails the
// nose allows: the pass leaves the profile along the edge's line to where it
// meets the profile again, and what lies behind is left for another tool or
// the reversed pass. `edge` is the direction in which the trailing edge
// leaves the nose; `bore` says that the part lies away from the axis. The
// trim works on a pass along -Z that drops towards +x: the contour is
// mirrored into that frame and back.
std::unique_ptr<Contour> TrimBehindTrailingEdge(std::unique_ptr<Contour> c, double edge, bool bore) {
    double sz = 0, sx = 0, ez = 0, ex = 0;
    c->GetStartPoint(sx, sz);
    c->GetEndPoint(ex, ez);
    double bz = -std::cos(edge), bx = -std::sin(edge);
    // A pass straight across, or an edge that does not trail, limits nothing.
    if (std::fabs(ez - sz) < 1e-6 || bz * (ez - sz) <= 1e-9) return c;
    // An edge leaves the nose away from the part: where it drops is the side
    // the part is not on. An edge along the pass tells no side: a bore's
    // profile drops away from the axis, into the wall (a step towards the
    // axis is no drop there, but stock in front of the nose).
    const bool flipZ = ez > sz, flipX = std::fabs(bx) > 1e-9 ? bx < 0.0 : bore;
    if (flipZ) bz = -bz;
    bx = std::fabs(bx);
    // An edge that trails along the pass itself (a square insert's, set
    // square to the axis) lets the profile drop nowhere: the drop is bridged
    // at its own level (angle 0).
    const double angle = 180.0 - std::atan2(bx, bz) * 180.0 / PI;
    if (!(angle < 89.99)) return c;
    const auto flip = [&](Contour& k) {
        if (flipZ) k.MirrorZ();
        if (flipX) k.MirrorX();
    };
    flip(*c);
    // Where the edge's line meets the profile no more, the stretch is kept as it was.
    const Contour nothing;
    std::unique_ptr<Contour> trimmed = TrimContourByAngle(*c, angle, nothing);
    if (!trimmed || trimmed->Empty()) {
        flip(*c);
        return c;
    }
    flip(*trimmed);
    return trimmed;
}

// Both edges of the insert, each where it trails: the main edge trails the
// pass run the other way. An outline without a nose arc trims nothing.
std::unique_ptr<Contour> TrimBehindTheInsertsEdges(std::unique_ptr<Contour> c, const Contour& outline,
                                                   const ParamTool& tool) {
    double first = 0, second = 0;
    if (!EdgeDirections(outline, tool.r, first, second)) return c;
    // A boring tool's body (its nose's centre) lies towards the axis from its point.
    const bool bore = -tool.dNoseDy > 0.0;
    for (const double edge : {first, second}) c = TrimBehindTrailingEdge(std::move(c), edge, bore);
    c = ReverseContour(std::move(c));
    for (const double edge : {first, second}) c = TrimBehindTrailingEdge(std::move(c), edge, bore);
    return ReverseContour(std::move(c));
}

}  // namespace

CTurnKONTUR& CTurnKONTUR::operator=(const CTurnKONTUR& other) {
    if (this == &other) return *this;
    CTurn::operator=(other);
    SposobTrajectory = other.SposobTrajectory;
    pEskiz = other.pEskiz;
    return *this;
}

void CTurnKONTUR::SetupTool() {
    nToolPosition = -1;
    CSPID& spid = *GetSPID();
    for (int i = 0; i < static_cast<int>(spid.tools.size()); ++i) {
        const ParamTool* tool = spid.GetTool(i);
        const int type = tool ? tool->GetType() : -1;
        if (type >= 10 && type <= 12) {
            nToolPosition = i;
            break;
        }
    }
    CTurn::SetupTool();
}

std::unique_ptr<Contour> CTurnKONTUR::GetSketchContour() {
    if (!pEskiz) return nullptr;
    // A builder of its own: the working-contour builder keeps its source.
    CContourBuilder builder;
    builder.buildMethod = CContourBuilder::kFromSketch;
    builder.sketch = pEskiz;
    builder.secondLoadingMode = true;
    return builder.CreateContourFromSketch();
}

bool CTurnKONTUR::CreateContourPath() {
    indShema = 0;
    if (!CTurn::CreateContourPath()) return false;
    const Contour& region = *calc.regionList.front();

    std::unique_ptr<Contour> c;
    if (SposobTrajectory) {
        // Without the trajectory the opening frames would reach the program
        // without their closing ones: the operation must show as failed.
        if (!pEskiz) return ReportError(kLostSketchText), FailPath();
        c = GetSketchContour();
        if (!c || c->Empty()) return ReportError("Не задан рабочий контур"), FailPath();
    } else {
        c = region.Clone();
    }
    if (!indNapr) c = ReverseContour(std::move(c));
    if (!c || c->Empty()) return FailPath();
    if (const Contour* outline = GetTool() && GetTool()->r > 0.0 ? ToolOutline() : nullptr) {
        c = TrimBehindTheInsertsEdges(std::move(c), *outline, *GetTool());
        if (!c || c->Empty()) return FailPath();
    }

    const double aIn = LeadAngle(VrezanieSposob, c->GetFirstUnit()->GetStartAngle(), VrezanieAngle);
    const double aOut = LeadAngle(PerebegSposob, c->GetLastUnit()->GetEndAngle(), PerebegAngle);
    VrezanieAngle = aIn;
    PerebegAngle = aOut;

    // The offset is taken in the contour's own direction whichever way the pass runs.
    if (!indNapr) c = ReverseContour(std::move(c));
    // What the pass left behind its edges stays on the part for the next
    // operation (a groove, say, that the insert cannot enter).
    if (!SposobTrajectory) CreateFinalContour(c.get());
    c = OffsetContourByRadius(std::move(c), 'w');
    if (!c || c->Empty()) return FailPath();
    ApplyToolOffsets(*c);
    if (!indNapr) c = ReverseContour(std::move(c));
    // The leads start where the pass does within the lathe's reach: a lead
    // at another angle than the pass's own leaves the pass's end inside the
    // path, where the trim below no longer reaches it.
    TrimToLatheReach(*c);
    if (c->Empty()) return FailPath();

    // A lead line the given angle would take into the part (a lead-out
    // towards the axis from a diameter, a lead-in across a shoulder) keeps
    // to the stretch that stays off it, or continues the pass's own tangent
    // where that keeps off farther; the angles shown stay the ones asked for.
    double lengthIn = Vrezanie, lengthOut = Perebeg, angleIn = aIn, angleOut = aOut;
    std::optional<ClearanceOutline> part;
    if (const Contour* section = GetSPID()->GetDetailContour(); section && !section->Empty()) part.emplace(*section);
    const ParamTool* tool = GetTool();
    if (part && tool) {
        const double r = tool->r, dz = tool->dNoseDx, dx = -tool->dNoseDy;
        const auto lead = [&](double pz, double px, double& angle, double& length, double tangent, double away) {
            const double asked = length;
            length = ClearLeadLength(*part, pz, px, angle + away, asked, r, dz, dx);
            if (length >= asked - 1e-6) return;
            const double along = ClearLeadLength(*part, pz, px, tangent + away, asked, r, dz, dx);
            if (along > length + 1e-6) {
                angle = tangent;
                length = along;
            }
            // A stump too short to show is no lead at all.
            if (length < 1e-3) length = 0.0;
        };
        double sx = 0, sz = 0, ex = 0, ez = 0;
        c->GetStartPoint(sx, sz);
        c->GetEndPoint(ex, ez);
        const double tangentIn = c->GetFirstUnit()->GetStartAngle() * 180.0 / PI;
        const double tangentOut = c->GetLastUnit()->GetEndAngle() * 180.0 / PI;
        if (lengthIn > 1e-6) lead(sz, sx, angleIn, lengthIn, tangentIn, -180.0);
        if (lengthOut > 1e-6) lead(ez, ex, angleOut, lengthOut, tangentOut, 0.0);
    }
    c->PrependLine(lengthIn, angleIn - 180.0, false);
    c->AppendLine(lengthOut, angleOut, false);
    c->MergeOverlappingUnits();
    if (Perebeg < -1e-6 && c->Count() > 1) c->DeleteUnit(c->GetLastUnit());
    TrimToLatheReach(*c);
    if (c->Empty()) return FailPath();

    double ex = 0, ez = 0, sx = 0, sz = 0;
    c->GetEndPoint(ex, ez);
    c->GetStartPoint(sx, sz);
    MoveToStart(sx, sz);
    for (int i = 0; i < c->Count(); ++i) {
        const CUnit& unit = *c->GetUnit(i);
        AddUnitFrame(unit, unit.IsRapid);
    }
    ReturnToHome(ex, ez);
    FinishContourPath();
    return true;
}

bool CTurnKONTUR::SaveKindValues(StorageRecord& record) {
    record.AddNamedValue("SposobTrajectory", Variant::Bool(SposobTrajectory));
    if (SposobTrajectory) record.AddNamedValue("pEskiz", Variant::Dispatch(pEskiz));
    return true;
}

bool CTurnKONTUR::LoadKindValues(StorageRecord& record) {
    record.ReadNamedValue("SposobTrajectory");
    if (record.ReadBuffer().Type() != VarType::Empty) SposobTrajectory = record.ReadBuffer().ToBool();
    if (!SposobTrajectory) return true;
    record.ReadNamedValue("pEskiz");
    const Variant& value = record.ReadBuffer();
    pEskiz.reset();
    if (value.Type() == VarType::Dispatch) pEskiz = std::dynamic_pointer_cast<HostSketch>(value.AsDispatch());
    if (ProceduralReference(pEskiz, 3, 5) == 0) {
        pEskiz.reset();
        HostMessageBox(kLostSketchText, kCaption, MB_OK_);
    }
    return true;
}

}  // namespace zarvento
