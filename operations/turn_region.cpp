// Machining regions and the final contour: the areas of material between the
// working and the source contour with their stock-side pairs, the finishing
// pieces, the working-contour check, the part as machined after the
// operation, and the offsets made through the host's 2D geometry.
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "catalogs/param_tool.h"
#include "geometry/exception.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "geometry/subtract_region.h"
#include "geometry/unit_locator.h"
#include "model/contour_builder.h"
#include "operations/plan_angle_trim.h"
#include "operations/turn.h"
#include "plan/spid.h"

namespace zarvento {

namespace {

constexpr const char* kNoCommonAreaText =
    "Исходный контур и контур обработки должны пересекаться и образовывать хотя бы одну замкнутую область.\n";
constexpr const char* kNoCommonAreaHints =
    "Возможноые причины:\n"
    "1. Если Вы хотите проточить канавку, то выберите цикл \"Многопроходная канавка\"\n"
    "2. Если Вы хотите проточить поднутрение, то включите учет углов в плане резца в цикле \"Многопроходный токарный "
    "цкл\"\n"
    "3. Попробуйте немного продлить концы рабочего контуры, чтобы пересечь контур заготовки\n";
constexpr const char* kNothingLeftText =
    "Контур обработки не заходит в материал заготовки, оставшийся после предыдущих обработок.\n";
constexpr const char* kNoCrossingText = "Эквидистанта рабочего контура должна пересекать исходный контур.";
constexpr const char* kNoRegionText = "Рабочий контур совпадает с исходным контуром.\n";
constexpr const char* kNoRegionHint =
    "Возможно, что инструмент на продольной подаче не может зайти в область. Включите учет углов в плане резца или "
    "выберите цикл точения многопроходной канавки.";

// The end of a working contour turns back into the part (the turn from the
// neighbouring unit of the part, brought into (-pi, pi), is negative): the
// closing step prolongs it onto the stock.
bool TurnsBack(double a, double b) { return (b > a && b - a > PI) || (a > b && a - b < PI); }

// A crossing as the cuts of the second contour read it.
IntersectPoint OnSecond(const IntersectPoint& p) {
    IntersectPoint q = p;
    q.index1 = p.index2;
    return q;
}

struct PiecePair {
    std::unique_ptr<Contour> working, source;
};

// The pieces of the closed offset working contour and of the offset source
// between two neighbouring crossings; both null when the pair bounds no area.
PiecePair CutPair(const Contour& c, const Contour& s1, const IntersectPoint& a, const IntersectPoint& b) {
    PiecePair pair{c.CutPart(a, b), s1.CutPartCyclic(OnSecond(a), OnSecond(b))};
    if (!pair.working || !pair.source) return {};
    pair.working->MergeOverlappingUnits();
    pair.source->MergeOverlappingUnits();
    const Contour& pc = *pair.working;
    const Contour& ps = *pair.source;
    const bool degenerate = pc.Empty() || ps.Empty() ||
                            (pc.Count() == 1 && ps.Count() == 1 && ps.GetUnit(0)->IsOverlap(*pc.GetUnit(0))) ||
                            (pc.Count() == 1 && ps.GetUnit(0)->IsZeroLength());
    if (degenerate) return {};
    return pair;
}

// The closed contour cut along the line x = level (acrossX) or z = level,
// keeping what lies on the side below the level (keepBelow) or above it; the
// cut is closed along the line. A contour the line does not cut is kept.
std::unique_ptr<Contour> KeepSide(std::unique_ptr<Contour> closed, bool acrossX, double level, bool keepBelow) {
    constexpr double kFar = 100000.0;
    auto line = acrossX ? MakeLineContour(-kFar, level, kFar, level) : MakeLineContour(level, -kFar, level, kFar);
    IntersectPointList crossings(10);
    closed->Intersect(*line, crossings, true);
    const int n = static_cast<int>(crossings.Count());
    if (n < 2) return closed;
    const auto kept = [&](double z, double x) {
        const double v = acrossX ? x : z;
        return keepBelow ? v < level : v > level;
    };
    std::vector<std::unique_ptr<Contour>> pieces;
    for (int i = 0; i < n; ++i) {
        std::unique_ptr<Contour> piece = closed->CutPartCyclic(crossings[static_cast<std::uint32_t>(i)],
                                                               crossings[static_cast<std::uint32_t>((i + 1) % n)]);
        if (!piece || piece->Empty()) continue;
        IntersectPoint m;
        piece->GetMidPoint(m);
        if (kept(m.z, m.x)) pieces.push_back(std::move(piece));
    }
    if (pieces.empty()) return closed;
    auto result = std::make_unique<Contour>();
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        result->AppendCopy(*pieces[k]);
        double ez = 0, ex = 0, sz = 0, sx = 0;
        pieces[k]->GetEndPoint(ex, ez);
        pieces[(k + 1) % pieces.size()]->GetStartPoint(sx, sz);
        if (!IsEqualPoint(ez, ex, sz, sx)) result->AddUnit(std::make_unique<CLineUnit>(ez, ex, sz, sx));
    }
    return result;
}

// Whether some unit of the working contour runs inside the source: material
// is left there for the operation.
bool LiesInside(const Contour& w, const Contour& s) {
    for (int i = 0; i < w.Count(); ++i) {
        IntersectPoint m;
        w.GetUnit(i)->GetMiddlePoint(m);
        if (s.IsPointInside(m.z, m.x) && !s.IsPointOnContour(m.z, m.x)) return true;
    }
    return false;
}

// The headless host has no contour tab to redraw the replaced contour in.
void ReplaceWorkingContour(CTurn& op, const Contour& w) { op.workContour = w.Clone(); }

// How far past a face a contour must run to count as running past it.
constexpr double kPastFace = 1e-3;

// Whether the part's back face lies away from the axis from the point at
// radius x (a bore's contour, the allowance off the wall or on it) rather
// than towards it (an outside one).
bool PartLiesOutwards(const Contour& part, const BoundBox& box, double x) {
    const double inFront = box.zmin + kPastFace;
    const bool outwards = part.IsPointInside(inFront, x - kPastFace);
    if (outwards != part.IsPointInside(inFront, x + kPastFace)) return outwards;
    // Off the part: the side of the nearest place where the face begins.
    const auto across = MakeLineContour(inFront, box.xmax + 1.0, inFront, box.xmin - 1.0);
    IntersectPointList crossings(10);
    part.Intersect(*across, crossings, true);
    double nearest = x;
    for (std::uint32_t k = 0; k < crossings.Count(); ++k)
        if (nearest == x || std::fabs(crossings[k].x - x) < std::fabs(nearest - x)) nearest = crossings[k].x;
    return nearest < x;
}

// A working contour that runs towards the chuck out past the part's back
// face while the stock goes on beyond it (prolonged onto the stock along its
// last diameter, or bridged there over an undercut) goes on past the face
// only as far as the nose needs to finish up to the face (its centre reaches
// the face's plane, its edge `reach` beyond), and there turns out onto the
// stock: away from the axis on the outside, towards it in a bore. No pass
// then runs on through the stock the part is to be cut off from, nor leaves
// through what still stands of it, and the stock beyond stays for the chuck.
// This takes the end of the contour that runs that way (a bore's contour,
// from its back towards the face, starts there: it is turned round for the
// cut and back after it). Null when neither end runs that far past the face
// into the stock.
std::unique_ptr<Contour> StoppedAtTheBackFace(const Contour& w, const Contour& source, const Contour* part,
                                              double reach) {
    if (!part || part->Empty() || w.Empty() || source.Empty()) return nullptr;
    const BoundBox partBox = part->GetBoundBox();
    const double zStop = partBox.zmin - std::max(reach, 0.0);
    const BoundBox stock = source.GetBoundBox();
    double sx = 0, sz = 0, ex = 0, ez = 0;
    w.GetStartPoint(sx, sz);
    w.GetEndPoint(ex, ez);
    if (!(stock.zmin < zStop - kPastFace)) return nullptr;
    const bool endPast = ez < zStop - kPastFace, startPast = sz < zStop - kPastFace;
    if (endPast == startPast) return nullptr;
    std::unique_ptr<Contour> turned = startPast ? ReverseContour(w.Clone()) : nullptr;
    const Contour& c = turned ? *turned : w;

    const auto face = MakeLineContour(zStop, stock.xmax + 1.0, zStop, stock.xmin - 1.0);
    IntersectPointList crossings(10);
    c.Intersect(*face, crossings, true);
    if (crossings.Count() == 0) return nullptr;
    // Where the contour leaves that plane behind for good, and the stock just
    // behind the plane there, out to its surface on the side away from the
    // part (the part lies towards the axis from an outside contour).
    const IntersectPoint at = crossings[crossings.Count() - 1];
    const double behind = zStop - kPastFace;
    if (!source.IsPointInside(behind, at.x)) return nullptr;
    const bool bore = PartLiesOutwards(*part, partBox, at.x);
    const double side = bore ? 1.0 : -1.0;  // the way out, along x
    const double outside = bore ? stock.xmax + 1.0 : stock.xmin - 1.0;
    const auto ray = MakeLineContour(behind, at.x, behind, outside);
    IntersectPointList onStock(10);
    ray->Intersect(source, onStock, true);
    double hitX = outside;
    for (std::uint32_t k = 0; k < onStock.Count(); ++k)
        hitX = bore ? std::min(hitX, onStock[k].x) : std::max(hitX, onStock[k].x);
    if (!(side * (hitX - outside) < 0.0)) return nullptr;
    // On out past the stock's surface, far enough for the nose's offset of
    // this line to meet that of the contour before it; a bore's never past
    // the axis.
    hitX = side > 0 ? std::max(hitX, at.x + std::max(reach, 0.0)) + 1.0
                    : std::min(hitX, at.x - std::max(reach, 0.0)) - 1.0;
    if (bore) hitX = std::min(hitX, 0.0);

    auto kept = std::make_unique<Contour>();
    for (int i = 0; i < at.index1; ++i) kept->AddUnit(c.GetUnit(i)->Clone());
    const CUnit& crossing = *c.GetUnit(at.index1);
    if (!IsEqualPoint(crossing.StartPoint.z, crossing.StartPoint.x, at.z, at.x)) {
        UnitPtr piece = crossing.Clone();
        piece->SetEndPoint(at.z, at.x);
        kept->AddUnit(std::move(piece));
    }
    if (kept->Empty() || IsEqualPoint(at.z, at.x, at.z, hitX)) return nullptr;
    auto out = std::make_unique<CLineUnit>(at.z, at.x, at.z, hitX);
    out->IsMarked = true;
    kept->AddUnit(std::move(out));
    return startPast ? ReverseContour(std::move(kept)) : std::move(kept);
}

// Whether each end of the working contour turns back into the part there.
struct EndFlags {
    bool start = false, end = false;
};

// The end flags from the operation's own working contour: its units still
// know the part units they came from.
EndFlags EndsTurningBack(const Contour& work, const Contour* part) {
    EndFlags flags;
    if (work.Empty()) return flags;
    const CUnit* first = work.GetFirstUnit();
    flags.start = first->IsMarked;
    if (!flags.start && first->SourceUnit && part) {
        if (const CUnit* p = part->GetPrevUnit(first->SourceUnit))
            flags.start = TurnsBack(p->GetEndAngle(), first->SourceUnit->GetStartAngle());
    }
    const CUnit* last = work.GetLastUnit();
    flags.end = last->IsMarked;
    if (!flags.end && last->SourceUnit && part) {
        if (const CUnit* n = part->GetNextUnit(last->SourceUnit))
            flags.end = TurnsBack(last->SourceUnit->GetEndAngle(), n->GetStartAngle());
    }
    return flags;
}

// The working contour of elementary turning trimmed where the tool's plan
// angles cannot follow it into an undercut.
void TrimByPlanAngles(CTurn& op, std::unique_ptr<Contour>& w, const Contour& s, const ParamTool* tool) {
    TurnCalculation& calc = op.calc;
    calc.undercutsIgnored = op.SetPlanAnglesFromTool(nullptr, w.get());
    // Angles no tool has (none given, say) would bridge the whole
    // contour: the undercuts are left out as when the angles are not
    // heeded.
    if (!calc.undercutsIgnored && !(calc.fi > 0.0 && calc.fi1 >= 0.0 && calc.fi + calc.fi1 < 180.0))
        calc.undercutsIgnored = true;
    std::unique_ptr<Contour> trimmed;
    if (!calc.undercutsIgnored) {
        if (tool && tool->isLeft && tool->M34 == 4) std::swap(calc.fi, calc.fi1);
        trimmed = TrimContourByPlanAngles(*w, calc.fi, calc.fi1, s, op.internalMachining, false);
        if (trimmed) ReplaceWorkingContour(op, *trimmed);
    } else {
        trimmed = TrimContourByPlanAngles(*w, 90.0, 0.0, s, op.internalMachining, op.indNapr);
    }
    if (trimmed) w = std::move(trimmed);
}

// The builder that closes the offset working contour onto the stock,
// prolonging its ends along their own directions.
void SetUpCloser(CContourBuilder& closer, const Contour& w) {
    closer.buildMethod = CContourBuilder::kFromFaces;
    closer.accuracy = 0.01;
    closer.startMode = kExtendAtAngle;
    closer.endMode = kExtendAtAngle;
    closer.startAngle = (w.GetFirstUnit()->GetStartAngle() + PI) * 180.0 / PI;
    closer.endAngle = w.GetLastUnit()->GetEndAngle() * 180.0 / PI;
}

// The stock offset by the nose's radius; null when it has none.
std::unique_ptr<Contour> OffsetStock(CTurn& op, std::unique_ptr<Contour> s, bool throughAxis, bool cycleTurning) {
    std::unique_ptr<Contour> s1 = op.OffsetContourByRadius(std::move(s), 's');
    if (!s1) return nullptr;
    if (!s1->DetermineDirection()) s1->Reverse();
    // The stock is no loose block: the bar goes on through the axis, and the
    // nose's centre takes what lies at the axis from the axis itself.
    if (throughAxis) s1 = KeepSide(std::move(s1), true, 0.0, true);
    // A machine cycle runs its profile to its end whatever lies there: the
    // region stops at the part's back face and the overrun past it, and
    // never lets the nose past the bar's back end, where the chuck holds it.
    if (cycleTurning) s1 = KeepSide(std::move(s1), false, op.MachineCycleBackZ() + op.NoseOffsetRadius('s'), false);
    return s1;
}

// Closes an offset working contour onto the offset stock and finds where it
// crosses it; null, with the error reported, when it crosses it less than twice.
struct RegionCloser {
    CTurn& op;
    CContourBuilder& closer;
    Contour& s1;
    EndFlags ends;

    std::unique_ptr<Contour> operator()(std::unique_ptr<Contour> offset, IntersectPointList& points) const {
        std::unique_ptr<Contour> c = closer.CloseContourToSource(std::move(offset), nullptr, ends.start, ends.end);
        if (!c) return nullptr;
        if (!c->IsCrossingForward(s1)) c->Reverse();
        c->Intersect(s1, points, true);
        if (points.Count() < 2) {
            op.ReportError(kNoCrossingText);
            return nullptr;
        }
        return c;
    }
};

// Whether the piece's middle lies inside the area once shifted to where the
// tool's nose centre would be. A dense profile gives a piece per unit or so:
// the area's units near each point come from an index of them.
bool InsideAfterShift(const ParamTool* tool, const Contour& piece, const Contour& area, UnitLocator& near) {
    IntersectPoint m;
    piece.GetMidPoint(m);
    if (tool) {
        m.z -= tool->dNoseDx;
        m.x += tool->dNoseDy;
    }
    return area.IsPointInside(m.z, m.x, near);
}

}  // namespace

void CTurn::ClearRegions() {
    calc.regionContour.reset();
    calc.pairedContour.reset();
    calc.regionList.clear();
    calc.regionList.shrink_to_fit();
    calc.pairedList.clear();
    calc.pairedList.shrink_to_fit();
    calc.finishList.clear();
    calc.finishList.shrink_to_fit();
}

bool CTurn::CheckWorkContour(const Contour& contour) {
    // Self-intersection first: a crossing contour often has breaks as well.
    if (contour.HasSelfIntersection()) {
        ReportError("Рабочий контур не должен самопересекаться");
        return false;
    }
    if (contour.HasBreaks()) {
        ReportError("У звеньев рабочего контура не совпадают узлы");
        return false;
    }
    return true;
}

bool CTurn::CreateRegionAndFinalContour() {
    ClearRegions();
    if (!workContour || !sourceContour) return false;
    // The passes that follow the part end at its back face (a machine's
    // cycle takes the profile as it is given).
    if ((kind == kTurnMnogoProhod && indShema == 0) || kind == kTurnKONTUR) {
        const ParamTool* tool = GetTool();
        if (auto stopped =
                StoppedAtTheBackFace(*workContour, *sourceContour, GetSPID()->GetDetailContour(), tool ? tool->r : 0.0))
            ReplaceWorkingContour(*this, *stopped);
    }
    // Only the multi-pass, groove and drilling kinds machine an area; the
    // others follow one contour.
    if (kind != kTurnMnogoProhod && kind != kTurnKANAVKA && kind != kTurnDRILL) {
        std::unique_ptr<Contour> w = workContour->GetSimpleContour();
        if (!w || !CheckWorkContour(*w)) return false;
        std::unique_ptr<Contour> s = sourceContour->GetSimpleContour();
        if (!s) return false;
        const bool threading = kind == kTurnTHREADING || kind == kTurnPLASHKA;
        if (threading) {
            w = OffsetContourByRadius(std::move(w), 'w');
            if (!w) return false;
            ApplyToolOffsets(*w);
        } else if (isAutoTool) {
            SetupTool();
        }
        calc.regionList.push_back(std::move(w));
        calc.pairedList.push_back(std::move(s));
        if (threading && isAutoTool) SetupTool();
        CreateFinalContour();
        return true;
    }
    return CreateAreaRegions();
}

bool CTurn::CreateAreaRegions() {
    std::unique_ptr<Contour> w = workContour->GetSimpleContour();
    std::unique_ptr<Contour> s = sourceContour->GetSimpleContour();
    if (!w || !s) return false;
    const ParamTool* tool = GetTool();
    const bool elementaryTurning = kind == kTurnMnogoProhod && indShema == 0 && indCycleElementar == 0;
    const bool cycleTurning = kind == kTurnMnogoProhod && indShema == 1 && indCycleElementar == 0;
    const EndFlags ends = EndsTurningBack(*workContour, GetSPID()->GetDetailContour());

    w->MergeOverlappingUnits();
    if (!s->DetermineDirection()) s->Reverse();
    calc.undercutsIgnored = false;
    if (elementaryTurning) TrimByPlanAngles(*this, w, *s, tool);

    // A trimmed contour that fails the check falls back to the operation's
    // own; only the report of the first check is dropped, so whatever the
    // diagnosis found before (cutting data missing, say) still stands.
    const std::string messageBefore = messageText;
    if (!CheckWorkContour(*w)) {
        messageText = messageBefore;
        w = workContour->GetSimpleContour();
        if (!w || !CheckWorkContour(*w)) return false;
    }
    if (calc.undercutsIgnored) ReplaceWorkingContour(*this, *w);

    w->MergeOverlappingUnits();
    s->MergeOverlappingUnits();
    if (!w->PassesInside(*s)) {
        ReportError(std::string(kNoCommonAreaText) + (LiesInside(*w, *s) ? "" : kNothingLeftText) +
                    (elementaryTurning ? kNoCommonAreaHints : ""));
        return false;
    }
    if (isAutoTool) SetupTool();

    CContourBuilder closer;
    SetUpCloser(closer, *w);
    // The finishing pieces come from an offset of their own.
    const bool finishing = calc.finishAllowance > EPS && indShema != 1;
    std::unique_ptr<Contour> wc = finishing ? w->Clone() : nullptr;
    std::unique_ptr<Contour> sc = s->Clone();
    std::unique_ptr<Contour> s1 = OffsetStock(*this, std::move(s), elementaryTurning || cycleTurning, cycleTurning);
    if (!s1) return false;
    closer.sourceContour = s1.get();
    const RegionCloser closeOnto{*this, closer, *s1, ends};

    IntersectPointList crossings(10);
    std::unique_ptr<Contour> c = closeOnto(OffsetContourByRadius(std::move(w), 'w'), crossings);
    if (!c) return false;
    if (finishing) {
        const int n = static_cast<int>(crossings.Count());
        UnitLocator nearS1(*s1, 2.0 * EPS);
        for (int i = 0; i + 1 < n; ++i) {
            PiecePair pair = CutPair(*c, *s1, crossings[i], crossings[i + 1]);
            if (!pair.working || !InsideAfterShift(tool, *pair.working, *s1, nearS1)) continue;
            ApplyToolOffsets(*pair.working);
            JoinFinishingPiece(std::move(pair.working));
        }
        crossings.SetCountZero();
        c = closeOnto(OffsetContourByRadius(std::move(wc), 'c'), crossings);
        if (!c) return false;
    }
    wc.reset();

    bool noneFound = true;
    const int n = static_cast<int>(crossings.Count());
    UnitLocator nearSc(*sc, 2.0 * EPS);
    for (int i = 0; i + 1 < n; ++i) {
        PiecePair pair = CutPair(*c, *s1, crossings[i], crossings[i + 1]);
        if (!pair.working || !InsideAfterShift(tool, *pair.working, *sc, nearSc)) continue;
        ApplyToolOffsets(*pair.working);
        ApplyToolOffsets(*pair.source);
        calc.regionList.push_back(std::move(pair.working));
        calc.pairedList.push_back(std::move(pair.source));
        noneFound = false;
    }
    if (noneFound) ReportError(std::string(kNoRegionText) + (elementaryTurning ? kNoRegionHint : ""));
    CreateFinalContour();
    return true;
}

double CTurn::MachineCycleBackZ() const {
    if (!sourceContour || sourceContour->Empty()) return -std::numeric_limits<double>::infinity();
    const double barBack = sourceContour->GetBoundBox().zmin;
    const Contour* part = GetSPID()->GetDetailContour();
    const double partBack = part && !part->Empty() ? part->GetBoundBox().zmin : barBack;
    return std::max(partBack - std::max(Perebeg, 0.0), barBack);
}

void CTurn::JoinFinishingPiece(std::unique_ptr<Contour> piece) {
    double sx = 0, sz = 0, ex = 0, ez = 0;
    piece->GetStartPoint(sx, sz);
    piece->GetEndPoint(ex, ez);
    for (auto& held : calc.finishList) {
        double hsx = 0, hsz = 0, hex = 0, hez = 0;
        held->GetStartPoint(hsx, hsz);
        held->GetEndPoint(hex, hez);
        if (IsEqualPoint(hez, hex, sz, sx)) {
            held->AppendCopy(*piece);
            return;
        }
        if (IsEqualPoint(hsz, hsx, ez, ex)) {
            piece->AppendCopy(*held);
            held = std::move(piece);
            return;
        }
    }
    calc.finishList.push_back(std::move(piece));
}

bool CTurn::CreateFinalContour(const Contour* reached) {
    if (!reached) reached = workContour.get();
    std::unique_ptr<Contour> w = reached ? reached->GetSimpleContour() : nullptr;
    std::unique_ptr<Contour> s = sourceContour ? sourceContour->GetSimpleContour() : nullptr;
    if (!w || !s) return false;
    w->MergeOverlappingUnits();
    s->MergeOverlappingUnits();
    finalContour.reset();
    const CSPID& spid = *GetSPID();
    RemovedUnitList removed(100);
    AddedUnitList added(100);
    try {
        SubtractRegion(*s, *w, spid.innerPointZ, spid.innerPointX, removed, added, 0, 0);
    } catch (const Exception&) {
        // No vertex seen from the part's inner point: the subtraction left
        // the stock as it was, and so does the operation.
    }
    finalContour = Contour::CopyTaking(std::move(s));
    finalContour->MergeOverlappingUnits();
    finalContour->ShiftStartToExtreme();
    if (finalContour->DetermineDirection()) finalContour->Reverse();
    for (int i = 0; i < finalContour->Count(); ++i) finalContour->GetUnit(i)->IsMarked = false;
    return true;
}

std::unique_ptr<Contour> CTurn::MakeEquidistant(const Contour* contour, double distance, char mode) {
    if (!contour) return nullptr;
    if (isHeidenhain) return contour->Clone();
    Document2D& doc = ActiveDocument2D();
    WorkObjects made(doc);
    doc.BeginObjectSet();
    // Drawing marks each unit with its object, so a copy is drawn; it goes
    // before the offset is made, which needs the memory more.
    contour->Clone()->Draw2D(1);
    const Ref2D group = made.Keep(doc.EndObjectSet());

    const bool sourceLike = mode == 's' || mode == 'v';
    bool clockwise = true;
    if (sourceLike) {
        // The copies read for the direction go before the offset is made.
        WorkObjects copies(doc);
        Contour read;
        read.LoadFromHostObjects(doc, copies.Keep(doc.ObjectList(group, 0, 0.1, 1)), -1, 0.01);
        clockwise = read.DetermineDirection();
    }
    EquidistantRequest request;
    request.group = group;
    request.side = clockwise ? 0 : 1;
    request.option1 = (sourceLike && !(mode == 's' && kind == kTurnMnogoProhod)) ? 1 : 0;
    request.option2 = 0;
    request.style = 4;

    // An offset stock that does not close is tried nearer, eleven times at most.
    std::unique_ptr<Contour> result;
    for (int attempt = 0; attempt <= 10; ++attempt) {
        request.distance = request.distance2 = distance;
        const Ref2D offset = made.Keep(doc.Equidistant(request).group);
        result = std::make_unique<Contour>();
        if (offset != 0) result->LoadFromHostObjects(doc, made.Keep(doc.ObjectList(offset, 0, 0.0001, 1)), -1, 0.01);
        if (mode != 's' || result->IsClosed()) break;
        distance *= 0.75;
    }
    if (mode == 's' && !result->IsClosed()) result = contour->Clone();
    if (!clockwise) result->Reverse();
    return result;
}

}  // namespace zarvento
