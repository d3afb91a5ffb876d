// The drilling operation: its tool check and choice, its record values, the
// variable text of its cycle and its path of pecking passes or one cycle.
#include "operations/turn_drill.h"

#include <algorithm>
#include <cmath>

#include "catalogs/param_tool.h"
#include "geometry/line_unit.h"
#include "nc/cadre_g04.h"
#include "nc/cadre_line_g01.h"
#include "nc/frame_text_format.h"
#include "operations/kind_support.h"
#include "plan/spid.h"
#include "plan/stored_value.h"
#include "platform/core/numbers.h"
#include "platform/documents/storage_record.h"

namespace zarvento {

namespace {

// The drill's tip is a cone: its length for a radius.
double TipLength(double radius, double angleDeg) {
    if (std::fabs(radius) < 1e-12) return 0.0;
    return std::fabs(radius) / std::tan(angleDeg / 2.0 * PI / 180.0);
}

}  // namespace

CTurnDRILL::CTurnDRILL() {
    kind = kTurnDRILL;
    sNameTurn = "Сверление";
    sDescription =
        sNameTurn +
        " (позволяет производить центрование, сверление и другие виды обработки осевым инструментом кроме резьб)";
    typeKey = "Drilling";
    Vrezanie = 1.0;
    Perebeg = 0.0;
    ClosedSposob1 = 5;
    ClosedSposob2 = 0;
    // The hole closes onto the stock along the tip's cone, as SetToolAngle
    // and a stored operation have it (not at the tip angle itself).
    ClosedAngle1 = 180.0 - AngleDrill / 2.0;
    ClosedAngle2 = 0.0;
    Nshp = Nshp2 = 500.0;
    Spod = Spod2 = 0.1;
    TT = 45.0;
    ReplaceWorkBuilder(std::make_unique<CContourBuilderDrill>());
    HoleBuilder().SposobDrill = SposobDrill;
    HoleBuilder().Zbase = Zbase;
    HoleBuilder().Glubina = Glubina;
    HoleBuilder().Diametr = Diametr;
    HoleBuilder().AngleDrill = AngleDrill;
    cycle.SetParentParameters(&Parameters());
}

CTurnDRILL::~CTurnDRILL() {
    // The frames may lead their variables to the cycle member.
    currentCycle = nullptr;
    ReleaseFrames();
}

CTurnDRILL& CTurnDRILL::operator=(const CTurnDRILL& other) {
    if (this == &other) return *this;
    CTurn::operator=(other);
    SposobDrill = other.SposobDrill;
    Zbase = other.Zbase;
    Glubina = other.Glubina;
    GlubinaCentr = other.GlubinaCentr;
    Diametr = other.Diametr;
    AngleDrill = other.AngleDrill;
    cycle.Copy(other.cycle);
    cycle.SetParentParameters(&Parameters());
    UpdateContourBuilder();
    return *this;
}

namespace {

bool ToolValue(const ParamTool* tool, const char* name) {
    double value = 0.0;
    return tool && tool->GetVariable(name, value) && value > 0.01;
}

}  // namespace

bool CTurnDRILL::ToolGivesDiameter() const {
    const ParamTool* tool = GetTool();
    if (SposobDrill == kByFaces || SposobDrill == kFromBase) return ToolValue(tool, "__D");
    return SposobDrill == kCentring && ToolValue(tool, "d_centr");
}

bool CTurnDRILL::ToolGivesTipAngle() const {
    return (SposobDrill == kByFaces || SposobDrill == kFromBase || SposobDrill == kCentring) &&
           ToolValue(GetTool(), "fi");
}

void CTurnDRILL::CheckTool() {
    const ParamTool* tool = GetTool();
    if (!tool) return;
    double value = 0.0;
    if (SposobDrill == kByFaces || SposobDrill == kFromBase) {
        if (tool->GetVariable("__D", value) && value > 0.01) Diametr = value;
        if (tool->GetVariable("fi", value) && value > 0.01) AngleDrill = 2.0 * value;
    } else if (SposobDrill == kCentring) {
        if (tool->GetVariable("d_centr", value) && value > 0.01) Diametr = value;
        if (tool->GetVariable("fi", value) && value > 0.01) AngleDrill = 2.0 * value;
        double mainDiameter = 0.0;
        if (!tool->GetVariable("__D", mainDiameter)) mainDiameter = 0.0;
        if (Diametr < 0.01 || mainDiameter < 0.01) {
            ReportError(std::string(kToolInPosition) + " " + std::to_string(nToolPosition + 1) + " " + kNotCentreDrill);
        }
    }
}

void CTurnDRILL::SetupTool() {
    if (SposobDrill == kCentring) {
        nToolPosition = FirstToolOfKind(kCentreDrillKind);
    } else {
        if (!workContour || workContour->Empty()) return;
        nToolPosition = -1;
        Diametr = 0.0;
        for (int i = 0; i < workContour->Count(); ++i) {
            const CUnit* u = workContour->GetUnit(i);
            if (!u->IsMarked && u->StartPoint.z < u->EndPoint.z) {
                Diametr = -2.0 * u->EndPoint.x;
                break;
            }
        }
        CSPID& spid = *GetSPID();
        double best = 1000000.0;
        for (std::int32_t i = 0; i < spid.Npositions; ++i) {
            const ParamTool* tool = spid.GetTool(i);
            double d = 0.0;
            if (!tool || tool->GetType() != kDrillKind || !ToolDiameterVariable(*tool, d)) continue;
            if (std::fabs(d - Diametr) < best) {
                best = std::fabs(d - Diametr);
                nToolPosition = i;
            }
        }
    }
    CTurn::SetupTool();
}

void CTurnDRILL::GetCycleVariables(std::string& text) {
    text += FormatAddressValue("_D=", Diametr, false);
    text += FormatAddressValue("_L1=", Vrezanie, true);
    text += FormatAddressValue("_L2=", Perebeg, true);
    text += FormatAddressValue("_Angle=", AngleDrill, false);
}

bool CTurnDRILL::SaveKindValues(StorageRecord& record) {
    record.AddNamedValue("SposobDrill", Variant::I4(SposobDrill));
    record.AddNamedValue("Zbase", Variant::R8(Zbase));
    record.AddNamedValue("Glubina", Variant::R8(Glubina));
    record.AddNamedValue("GlubinaCentr", Variant::R8(GlubinaCentr));
    record.AddNamedValue("Diametr", Variant::R8(Diametr));
    record.AddNamedValue("AngleDrill", Variant::R8(AngleDrill));
    return true;
}

bool CTurnDRILL::LoadKindValues(StorageRecord& record) {
    auto real = [&record](const char* name) { return ReadStoredR8(record, name); };
    record.ReadNamedValue("SposobDrill");
    SposobDrill = record.ReadBuffer().ToI4();
    Zbase = real("Zbase");
    Glubina = real("Glubina");
    GlubinaCentr = real("GlubinaCentr");
    Diametr = real("Diametr");
    AngleDrill = real("AngleDrill");
    if (SposobDrill == kCentring && GlubinaCentr < 1e-6) GlubinaCentr = Glubina;
    ClosedSposob1 = 5;
    ClosedSposob2 = 0;
    ClosedAngle1 = 180.0 - AngleDrill / 2.0;
    ClosedAngle2 = 0.0;
    UpdateContourBuilder();
    return true;
}

void CTurnDRILL::UpdateContourBuilder() {
    if (isAutoTool) SetupTool();
    CheckTool();
    HoleBuilder().Zbase = Zbase;
    HoleBuilder().Glubina = SposobDrill == kCentring ? GlubinaCentr : Glubina;
    HoleBuilder().Diametr = Diametr;
    HoleBuilder().SposobDrill = SposobDrill;
    HoleBuilder().AngleDrill = AngleDrill;
}

bool CTurnDRILL::SetToolAngle() {
    // The tool is chosen and checked first: the tip it gives is the one the
    // closing angle follows.
    UpdateContourBuilder();
    ClosedAngle1 = 180.0 - AngleDrill / 2.0;
    ClosedSposob1 = ClosedSposob2 = 5;
    ClosedAngle2 = 0.0;
    HoleBuilder().startMode = HoleBuilder().endMode = kExtendAtAngle;
    HoleBuilder().startAngle = ClosedAngle1;
    HoleBuilder().endAngle = 0.0;
    return true;
}

bool CTurnDRILL::CreateContourPath() {
    // Without a tool the old path must not survive, and the operation must
    // not count as done.
    if (!GetTool()) {
        CTurn::ReleaseFrames();
        ReportError(kNoToolMessage);
        return false;
    }
    if (!CTurn::CreateContourPath()) return false;
    Contour& hole = *calc.regionList.front();
    const Contour& paired = *calc.pairedList.front();
    if (hole.Empty()) return ReportError("Невозможно рассчитать траекторию"), FailPath();
    if (!(AngleDrill > 0.0 && AngleDrill <= 180.0)) return ReportError(kBadTipAngle), FailPath();

    CUnit& first = *hole.GetUnit(0);
    const bool firstIsClosing = workContour->GetFirstUnit()->IsMarked;
    if (SposobDrill != kCentring && !(SposobDrill == kByFaces && firstIsClosing))
        first.SetStartPoint(first.StartPoint.z - Perebeg, first.StartPoint.x);

    double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
    hole.GetBoundBox(zmin, xmin, zmax, xmax);
    double maxS = -1000000.0;
    for (int i = 0; i < paired.Count(); ++i) {
        const CUnit* u = paired.GetUnit(i);
        maxS = std::max({maxS, u->StartPoint.x, u->EndPoint.x});
    }
    if (const double* diam = GetNumericVariable("_DIAM")) calc.depthOfCut = *diam / 2.0 + maxS;

    double xa = -CorrectLx;
    if (isCorrectLx) {
        if (const ParamTool* tool = GetTool()) xa -= tool->CorrectX;
    }

    const double z0 = first.StartPoint.z, x0 = first.StartPoint.x;
    if ((SposobDrill == kByFaces || SposobDrill == kFromBase) && !first.IsMarked) zmin -= TipLength(x0, AngleDrill);
    if (SposobDrill == kCentring) zmax = zmin + Glubina;
    const double zt = zmax + Vrezanie;

    const CUnit& last = *hole.GetLastUnit();
    const double ze = last.EndPoint.z, xe = last.EndPoint.x;
    const double zTip = z0 - TipLength(x0, AngleDrill);
    Contour zone;
    zone.AddUnit(std::make_unique<CLineUnit>(zt, 0.0, zTip, 0.0));
    zone.AddUnit(std::make_unique<CLineUnit>(zTip, 0.0, z0, x0));
    for (int i = 0; i < hole.Count(); ++i) zone.AddUnit(hole.GetUnit(i)->Clone());
    zone.AddUnit(std::make_unique<CLineUnit>(ze, xe, zt, xe));
    zone.AddUnit(std::make_unique<CLineUnit>(zt, xe, zt, 0.0));
    zone.MergeOverlappingUnits();

    MoveToStart(xa, zt);
    if (indShema == 0) {
        if (!AddPeckingPasses(xa, zt, zmax, zmin, zone)) return FailPath();
    } else if (indShema == 1) {
        if (!AddDrillingCycle(xa, zt, zone)) return FailPath();
    }
    ReturnToHome(xa, zt);
    FinishContourPath();
    return true;
}

bool CTurnDRILL::AddPeckingPasses(double xa, double zt, double zmax, double zmin, const Contour& zone) {
    if (SposobDrill != kByFaces && !isExist) SetCycleText(cycle, "N", "1");
    UseElementaryCycle(*this, cycle);
    const std::int32_t n = CyclePassCount(cycle);
    const bool removal = CycleValue(cycle, "T") != 0.0;
    const double pause = CycleValue(cycle, "P1");
    const double dwell = CycleValue(cycle, "P2");
    const double retract = CycleValue(cycle, "L");
    const double k = CycleValue(cycle, "K");
    if (!CheckPassPlan(*this, n, k)) return false;
    if (retract < 0.0) return ReportError(kNegativeRetractMessage), false;

    cycle.workContour = zone.Clone();
    cycle.SetType("Drilling");
    cycle.CreatePathFigure();

    const std::vector<double> levels = ReducedPassLevels(zmax, zmin, n, k);
    double zp = zmax;
    for (std::int32_t i = 0; i < n; ++i) {
        const bool lastPass = i == n - 1;
        if (i > 0 && removal) AddLineFrame(xa, zt, xa, zp + retract, -1.0, true);
        const double zn = levels[static_cast<std::size_t>(i)];
        AddLineFrame(xa, i == 0 ? zt : zp + retract, xa, zn, -1.0, false);
        if (dwell > 0.001) AddFrame(std::make_unique<CCadre_G04>(dwell));
        if (lastPass || removal) {
            AddLineFrame(xa, zn, xa, zt, -1.0, true);
        } else if (retract != 0.0) {
            AddLineFrame(xa, zn, xa, zn + retract, -1.0, true);
        }
        if (pause > 0.001 && !lastPass) AddFrame(std::make_unique<CCadre_G04>(pause));
        zp = zn;
    }
    return true;
}

bool CTurnDRILL::AddDrillingCycle(double xa, double zt, const Contour& zone) {
    currentCycle = nullptr;
    calc.regionList.front()->GetLastUnit()->IsRapid = true;
    CCycle_Auto* definition = postProcessor.GetCycleOfType("Drilling", indCycle);
    if (!definition) return false;
    AddFrame(MakeCycleFrame(*this, *definition, xa, zt, zone));
    // Positions the drill at the top for what follows the cycle.
    auto stay = std::make_unique<CCadre_LineG01>(xa, zt, xa, zt, -1.0, true, true, false);
    stay->CreatePathFigure();
    AddFrame(std::move(stay));
    return true;
}

}  // namespace zarvento
