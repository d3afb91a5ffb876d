// The multi-pass operation: its cycles and stored values, the default tool
// and the plan angles, the path driver over the regions with the finishing
// pass, the roughing dispatcher and the regrouping of the finishing pieces.
#include "operations/turn_mnogo_prohod.h"

#include <cmath>
#include <utility>

#include "catalogs/param_tool.h"
#include "geometry/primitives.h"
#include "nc/cadre_f.h"
#include "nc/cadre_g96.h"
#include "nc/cadre_s_f.h"
#include "nc/frame_text_format.h"
#include "nc/modal_state.h"
#include "plan/spid.h"
#include "platform/core/check.h"
#include "platform/documents/storage_record.h"

namespace zarvento {

namespace {

std::string PrintedG(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

// Gives a parameter a fixed value, shown and evaluated as its text.
void SetFixedValue(CCycle_Auto& cycle, const char* name, double value, char kind) {
    CycleParameter* p = cycle.FindParam(name);
    if (!p) return;
    p->valueText = PrintedG(value);
    p->realValue = value;
    p->evaluated = 0;
    p->kind = kind;
}

void SetKind(CCycle_Auto& cycle, const char* name, char kind) {
    if (CycleParameter* p = cycle.FindParam(name)) p->kind = kind;
}

}  // namespace

CTurnMnogoProhod::CTurnMnogoProhod() {
    kind = kTurnMnogoProhod;
    sNameTurn = "Многопроходная";
    sDescription = sNameTurn + " (позволяет производить точение, растачивание, подрезание и многопроходные канавки)";
    typeKey = "Turning";
    indCycleElementar = 0;
    indNapr = false;
    Vrezanie = 1.5;
    Perebeg = 1.5;
    Spod = Spod2 = 0.25;
    Nshp = Nshp2 = 500.0;
    turningCycle.SetParentParameters(&Parameters());
    grooveCycle.SetParentParameters(&Parameters());
}

CTurnMnogoProhod& CTurnMnogoProhod::operator=(const CTurnMnogoProhod& other) {
    if (this == &other) return *this;
    CTurn::operator=(other);
    isZachistka = other.isZachistka;
    OnePieceAlongPass = other.OnePieceAlongPass;
    OnePieceAcrossPass = other.OnePieceAcrossPass;
    RegionClosed = other.RegionClosed;
    sFi0 = other.sFi0;
    sFi1 = other.sFi1;
    turningCycle.Copy(other.turningCycle);
    grooveCycle.Copy(other.grooveCycle);
    // The copies evaluate through this operation's variables.
    turningCycle.SetParentParameters(&Parameters());
    grooveCycle.SetParentParameters(&Parameters());
    return *this;
}

double CTurnMnogoProhod::CycleValue(CCycle_Auto& cycle, const char* name) {
    const double* value = cycle.FindParameter(name);
    return value ? *value : 0.0;
}

// ---- stored values ----

CCycle_Auto* CTurnMnogoProhod::PanelCycle() {
    if (indCycleElementar == 1) return &grooveCycle;
    return &turningCycle;
}

void CTurnMnogoProhod::SaveCycleParameters(StorageRecord& record) {
    turningCycle.CCadreCycle::SaveParameters(record);
    grooveCycle.CCadreCycle::SaveParameters(record);
}

void CTurnMnogoProhod::LoadCycleParameters(StorageRecord& record) {
    turningCycle.CCadreCycle::LoadParameters(record);
    grooveCycle.CCadreCycle::LoadParameters(record);
}

bool CTurnMnogoProhod::SaveKindValues(StorageRecord& record) {
    record.AddNamedValue("isZachistka", Variant::Bool(isZachistka));
    record.AddNamedValue("sFi0", Variant::BStr(sFi0));
    record.AddNamedValue("sFi1", Variant::BStr(sFi1));
    return true;
}

bool CTurnMnogoProhod::LoadKindValues(StorageRecord& record) {
    record.ReadNamedValue("isZachistka");
    if (record.ReadBuffer().Type() != VarType::Empty) isZachistka = record.ReadBuffer().ToBool();
    record.ReadNamedValue("sFi0");
    sFi0 = record.ReadBuffer().ToBStr();
    record.ReadNamedValue("sFi1");
    sFi1 = record.ReadBuffer().ToBStr();
    if (sFi0.empty()) {
        if (const CycleParameter* p = turningCycle.FindParam("P8")) sFi0 = p->valueText;
    }
    if (sFi1.empty()) {
        if (const CycleParameter* p = turningCycle.FindParam("P9")) sFi1 = p->valueText;
    }
    return true;
}

// ---- tool, plan angles and cycle variables ----

void CTurnMnogoProhod::SetupTool() {
    if (!internalMachining && workContour && !workContour->Empty()) {
        const CUnit& first = *workContour->GetFirstUnit();
        const CUnit& last = *workContour->GetLastUnit();
        internalMachining =
            last.EndPoint.z > first.StartPoint.z && std::fabs(last.EndPoint.x - first.StartPoint.x) > EPS;
    }
    nToolPosition = -1;
    CSPID& spid = *GetSPID();
    const int count = static_cast<int>(spid.tools.size());
    auto firstOf = [&](auto accept) {
        for (int i = 0; i < count; ++i) {
            const ParamTool* tool = spid.GetTool(i);
            if (tool && !tool->sToolName.empty() && accept(tool->GetType())) return i;
        }
        return -1;
    };
    if (indCycleElementar == 1) {
        nToolPosition = firstOf([](int type) { return type == 13; });
        if (nToolPosition < 0) nToolPosition = firstOf([](int type) { return type == 14; });
    } else if (internalMachining) {
        nToolPosition = firstOf([](int type) { return type == 12; });
    } else {
        nToolPosition = firstOf([](int type) { return type == 10 || type == 11; });
    }
    CTurn::SetupTool();
}

bool CTurnMnogoProhod::SetPlanAnglesFromTool(CCycle_Auto* cycle, Contour* contour) {
    CCycle_Auto& c = cycle ? *cycle : turningCycle;
    const int mode = static_cast<int>(CycleValue(c, "P7"));
    if (indObhodPrev == 2) {
        if (const CycleParameter* p = c.FindParam("P8")) sFi0 = p->valueText;
        if (const CycleParameter* p = c.FindParam("P9")) sFi1 = p->valueText;
    }
    indObhodPrev = mode;
    if (mode == 0) {
        SetFixedValue(c, "P8", 90.0, 'R');
        SetFixedValue(c, "P9", 0.0, 'R');
        calc.fi = 90.0;
        calc.fi1 = 0.0;
        return true;
    }
    const ParamTool* tool = GetTool();
    if (!tool) return false;
    double correction = contour ? tool->Angle : 0.0;
    if (!tool->isLeft) correction = -correction;
    if (contour && !contour->Empty()) {
        double sx = 0, sz = 0, ex = 0, ez = 0;
        contour->GetStartPoint(sx, sz);
        contour->GetEndPoint(ex, ez);
        if (ex > sx + 1e-6) correction = -correction;
    }
    double mainAngle = 0.0, auxAngle = 0.0;
    if (mode == 1) {
        if (!tool->GetVariable("fi", mainAngle) || !tool->GetVariable("fi1", auxAngle)) {
            // A tool without its plan angles: the panel offers them to be
            // typed, and what is typed there is what the tool has.
            SetKind(c, "P8", 'd');
            SetKind(c, "P9", 'd');
            c.CalcParameters(contour == nullptr);
            calc.fi = CycleValue(c, "P8") - correction;
            calc.fi1 = CycleValue(c, "P9") + correction;
            if (tool->isLeft) std::swap(calc.fi, calc.fi1);
            return false;
        }
    } else if (mode == 2) {
        if (CycleParameter* p = c.FindParam("P8")) p->valueText = sFi0, p->kind = 'd';
        if (CycleParameter* p = c.FindParam("P9")) p->valueText = sFi1, p->kind = 'd';
        c.CalcParameters(contour == nullptr);
        mainAngle = CycleValue(c, "P8");
        auxAngle = CycleValue(c, "P9");
    } else {
        return false;
    }
    calc.fi = mainAngle - correction;
    calc.fi1 = auxAngle + correction;
    if (tool->isLeft) std::swap(calc.fi, calc.fi1);
    if (mode == 1) {
        SetFixedValue(c, "P8", calc.fi, 'R');
        SetFixedValue(c, "P9", calc.fi1, 'R');
    }
    return false;
}

void CTurnMnogoProhod::GetCycleVariables(std::string& text) {
    // At most three decimals, as every address word; zero adds nothing.
    text += FormatAddressValue("_L1=", Vrezanie, false);
    text += FormatAddressValue("_L2=", Perebeg, false);
}

// ---- the path driver ----

bool CTurnMnogoProhod::ReadTurningParameters() {
    DepthPass = CycleValue(turningCycle, "I");
    if (!(DepthPass >= 0.001)) {
        ReportError(kDepthText);
        return false;
    }
    SafeDistance = CycleValue(turningCycle, "P1");
    calc.retractDistance = SafeDistance;
    isRapidIdle = CycleValue(turningCycle, "P2") != 0.0;
    calc.feedDirection = static_cast<std::int32_t>(CycleValue(turningCycle, "P3"));
    calc.finishDepth = CycleValue(turningCycle, "P4");
    calc.finishSpeed = CycleValue(turningCycle, "P5");
    calc.finishFeed = CycleValue(turningCycle, "P6");
    if (calc.finishFeed < 0.001) calc.finishFeed = Spod;
    if (calc.finishSpeed < 0.001) calc.finishSpeed = isVconst ? Vconst : Nshp;
    if (calc.finishDepth > 0.001) calc.finishAllowance = calc.finishDepth;
    for (int i = 0; i < turningCycle.paramCount; ++i) {
        if (turningCycle.params[static_cast<std::size_t>(i)].name != "P5") continue;
        turningCycle.SetParamComment(i, isVconst ? " постоянная скорость резания на чистовом проходе, м/мин"
                                                 : " частота вращения шпинделя на чистовом проходе, об/мин");
        break;
    }
    return true;
}

CCycle_Auto* CTurnMnogoProhod::PrepareElementaryMoves(bool& failed) {
    failed = false;
    CCycle_Auto* cycle = nullptr;
    if (indCycleElementar == 0) cycle = &turningCycle;
    if (indCycleElementar == 1) cycle = &grooveCycle;
    if (cycle) cycle->CalcParameters(false);
    calc.finishDepth = calc.finishSpeed = calc.finishFeed = calc.finishAllowance = 0.0;
    if (const std::string fault = cycle ? cycle->ParameterFault() : std::string(); !fault.empty()) {
        ReportError(fault);
        failed = true;
        return cycle;
    }
    if (indCycleElementar == 0) failed = !ReadTurningParameters();
    return cycle;
}

bool CTurnMnogoProhod::CreateContourPath() {
    calc.undercutsIgnored = false;
    userNapr = indNapr;
    CCycle_Auto* cycle = nullptr;
    const bool elementary = indShema == 0;
    bool failed = false;
    if (elementary) {
        cycle = PrepareElementaryMoves(failed);
        // Not a single frame of an earlier calculation may outlive this one.
        if (failed) return FailPath();
    } else if (indCycleElementar == 0) {
        // The machine's cycle makes the passes, with the operation's values
        // (its formulas read them as variables), not its own defaults.
        turningCycle.CalcParameters(false);
        if (!ReadTurningParameters()) return FailPath();
        calc.depthOfCut = DepthPass;
    }

    if (!CTurn::CreateContourPath()) return false;
    if (calc.regionList.empty() || calc.pairedList.empty()) return FailPath();
    if (!elementary && indShema == 0) {
        // No machine cycle could be used: the moves are made here, from the
        // cycle's parameters like any elementary path. The regions were built
        // without the finishing allowance, which only now is known.
        cycle = PrepareElementaryMoves(failed);
        if (failed) return FailPath();
        if (calc.finishAllowance > 1e-6 && !CreateRegionAndFinalContour()) return FailPath();
    }
    currentCycle = cycle;
    LinkFrames();

    ChainContourPieces(calc.finishList);
    calc.lastPieceIndex =
        static_cast<std::int32_t>(calc.regionList.size()) - 1 + static_cast<std::int32_t>(calc.finishList.size());
    if (!MachineRegions()) return FailPath();

    if (isHeidenhain) {
        // The second round: regions with the tool-offset corrections.
        isHeidenhain = false;
        if (CreateRegionAndFinalContour()) {
            ChainContourPieces(calc.finishList);
            calc.lastPieceIndex = static_cast<std::int32_t>(calc.regionList.size()) - 1 +
                                  static_cast<std::int32_t>(calc.finishList.size());
            if (!MachineRegions()) return FailPath();
        }
    }

    if (indShema == 0 && indCycleElementar == 0 && calc.finishAllowance > 1e-6 && !calc.finishList.empty()) {
        if (isVconst) {
            AddFrame(std::make_unique<CCadre_G96>(calc.finishSpeed, Nmin, Nmax));
            AddFrame(std::make_unique<CCadre_F>(calc.finishFeed));
        } else {
            AddFrame(std::make_unique<CCadre_S_F>(calc.finishSpeed, calc.finishFeed));
        }
        for (auto& piece : calc.finishList) {
            ++calc.pieceIndex;
            DoZachistkaContourNew(std::move(piece));
            ReturnToHome(calc.retractX, calc.retractZ);
        }
        calc.finishList.clear();
    }

    for (const auto& frame : frames) frame->internalMachining = internalMachining ? 1 : 0;
    FinishContourPath();
    return true;
}

bool CTurnMnogoProhod::MachineRegions() {
    // Every region has its paired contour.
    if (ZARVENTO_NEVER(calc.regionList.size() != calc.pairedList.size())) {
        RefuseBrokenPath();
        return false;
    }
    const std::size_t n = std::min(calc.regionList.size(), calc.pairedList.size());
    for (std::size_t i = 0; i < n; ++i) {
        calc.regionContour = calc.regionList[i]->Clone();
        calc.pairedContour = calc.pairedList[i]->Clone();
        calc.pieceIndex = static_cast<std::int32_t>(i);
        bool machined = true;
        if (indShema == 0)
            machined = RoughPasses();
        else if (indCycleElementar == 0)
            OutputMachineCycle();
        calc.regionContour.reset();
        calc.pairedContour.reset();
        if (!machined) return false;
    }
    return true;
}

bool CTurnMnogoProhod::RoughPasses() {
    if (indCycleElementar == 0) {
        if ((calc.feedDirection == 0 || calc.feedDirection == 1) && !LongitudNew()) return false;
        if (calc.feedDirection == 2 && !ProfileNew()) return false;
        // The profile form ends with the clean-up pass of its own; asked for
        // as well, it would only cut air over the same contour a second time.
        if (calc.feedDirection == 2 || isZachistka) CleanUpPass();
    } else if (indCycleElementar == 1) {
        // The groove's refusals are the operation's message, as before: they
        // do not stop the other regions.
        DepthPass = CycleValue(grooveCycle, "P1");
        if (Rtool > 0.001 && Rtool > DepthPass) return ReportError(kRadiusText), true;
        if (DepthPass < 0.001) return ReportError(kDepthText), true;
        WidthTool = CycleValue(grooveCycle, "P2");
        indPrivazTool = static_cast<int>(CycleValue(grooveCycle, "P3"));
        isCorrectStep = CycleValue(grooveCycle, "P4") != 0.0;
        isRapidIdle = CycleValue(grooveCycle, "P5") != 0.0;
        TimePause = CycleValue(grooveCycle, "P6");
        SafeDistance = 0.0;
        calc.depthOfCut = DepthPass;
        ElementarGroovCycleAcross();
        if (!messageText.empty()) return true;
    } else {
        return true;
    }
    calc.depthOfCut = DepthPass;
    ReturnToHome(calc.retractX, calc.retractZ);
    return true;
}

void CTurnMnogoProhod::CleanUpPass() {
    if (!calc.regionContour || calc.regionContour->Empty()) return;
    // The region is not read again once its clean-up pass is made: the pass
    // takes it.
    if (static_cast<int>(CycleValue(turningCycle, "P10")) == 0) {
        DoZachistkaContourNew(std::move(calc.regionContour));
        return;
    }
    std::vector<std::unique_ptr<Contour>> pieces;
    pieces.push_back(std::move(calc.regionContour));
    ChainContourPieces(pieces);
    for (auto& piece : pieces) DoZachistkaContourNew(std::move(piece));
}

// ---- finishing pieces ----

bool CTurnMnogoProhod::IsFaceUnit(const CUnit& unit) {
    if (unit.Kind != 'L') return false;
    return std::fabs(unit.EndPoint.x - unit.StartPoint.x) - 1e-6 > std::fabs(unit.EndPoint.z - unit.StartPoint.z);
}

void CTurnMnogoProhod::ChainContourPieces(std::vector<std::unique_ptr<Contour>>& pieces) {
    const int mode = static_cast<int>(CycleValue(turningCycle, "P10"));
    if (pieces.empty() || (mode != 1 && mode != 2)) return;
    std::vector<UnitPtr> diameters, faces;
    for (auto& piece : pieces) {
        while (!piece->Empty()) {
            UnitPtr unit = piece->RemoveUnit(piece->GetFirstUnit());
            if (!unit) break;
            (IsFaceUnit(*unit) ? faces : diameters).push_back(std::move(unit));
        }
    }
    pieces.clear();
    if (mode == 1) {
        AppendConnectedRuns(pieces, diameters, 1);
        AppendConnectedRuns(pieces, faces, 2);
    } else {
        AppendConnectedRuns(pieces, faces, 2);
        AppendConnectedRuns(pieces, diameters, 1);
    }
}

void CTurnMnogoProhod::AppendConnectedRuns(std::vector<std::unique_ptr<Contour>>& pieces, std::vector<UnitPtr>& units,
                                           int tag) {
    std::size_t i = 0;
    while (i < units.size()) {
        auto run = std::make_unique<Contour>();
        run->Tag = tag;
        run->AddUnit(std::move(units[i++]));
        while (i < units.size()) {
            const CUnit& last = *run->GetLastUnit();
            const CUnit& next = *units[i];
            if (std::fabs(last.EndPoint.z - next.StartPoint.z) > 1e-6 ||
                std::fabs(last.EndPoint.x - next.StartPoint.x) > 1e-6)
                break;
            run->AddUnit(std::move(units[i++]));
        }
        pieces.push_back(std::move(run));
    }
    units.clear();
}

void CTurnMnogoProhod::MoveTo(double x, double z, bool rapid) {
    AddLineFrame(curX, curZ, x, z, -1.0, rapid);
    curX = x;
    curZ = z;
}

void CTurnMnogoProhod::RapidTo(double x, double z, RapidOrder order) {
    AddRapidRoute(curX, curZ, x, z, order);
    curX = x;
    curZ = z;
}

}  // namespace zarvento
