// The variables an operation offers formulas, templates and cycles, its tool
// values, the tool offsets of contour points, the mean machining diameter
// and the cycle caption.
#include <cmath>
#include <limits>
#include <tuple>

#include "catalogs/param_tool.h"
#include "geometry/primitives.h"
#include "nc/cycle_auto.h"
#include "nc/frame_text_format.h"
#include "operations/turn.h"
#include "plan/plan.h"

namespace zarvento {

const double* TurnParameters::GetTurnParameter(std::string_view name) {
    return turn ? turn->GetNumericVariable(name) : nullptr;
}

const std::string* TurnParameters::GetTurnStringParameter(std::string_view name) {
    return turn ? turn->GetStringVariable(name) : nullptr;
}

double* CTurn::GetNumericVariable(std::string_view name) {
    CPLAN& plan = *GetPLAN();
    auto statistic = [this](double& value) {
        if (value < 1e-6) CalcStatistics();
        return &value;
    };
    if (name == "_TPOS") return Slot(tposSlot, nToolPosition + 1.0);
    if (name == "_TPRV") {
        if (const auto* p = dynamic_cast<const CTurn*>(plan.GetPrevActiveTurn(index - 1)))
            tprvSlot = p->nToolPosition + 1.0;
        return &tprvSlot;
    }
    if (name == "_TNXT") {
        // The next active operation's tool: a post-processor stages it
        // ahead, so an inactive neighbour must not answer with this one's.
        if (const auto* n = dynamic_cast<const CTurn*>(plan.GetNextActiveTurn(index + 1)))
            tnxtSlot = n->nToolPosition + 1.0;
        return &tnxtSlot;
    }
    if (name == "_RCOR") return &Rtool;
    if (name == "_DIAM") {
        if (const ParamTool* tool = GetTool(); tool && (kind == kTurnDRILL || kind == kTurnPLASHKA)) diameter = tool->D;
        return &diameter;
    }
    if (name == "_FEED") return &Spod;
    if (name == "_SPIN") return &Nshp;
    if (name == "_SDIR") return Slot(sdirSlot, isM04 ? 4.0 : 3.0);
    if (name == "_VCUT") return &Vconst;
    if (name == "_VCON") return Slot(vconSlot, isVconst ? 1.0 : 0.0);
    if (name == "_NMIN") return &Nmin;
    if (name == "_NMAX") return &Nmax;
    if (name == "_DEPT") return &calc.depthOfCut;
    // The rest of the multi-pass operation's roughing and finishing values,
    // for the machine cycle that does its passes.
    if (name == "_RETR") return &calc.retractDistance;
    if (name == "_FALW") return &calc.finishAllowance;
    if (name == "_FFED") return &calc.finishFeed;
    if (name == "_FSPN") return &calc.finishSpeed;
    if (name == "_DMID") return &meanDiameter;
    if (name == "_STOP") return &stopTime;
    if (name == "_TIME") return &TT;
    if (name == "_TYPE") return Slot(typeSlot, kind);
    if (name == "_FRWS") return Slot(frwsSlot, naprVihod);
    if (name == "_TOWS") return Slot(towsSlot, naprVozvrat);
    if (name == "_TRAB") return statistic(workTime);
    if (name == "_THOL") return statistic(idleTime);
    if (name == "_LRAB") return statistic(workLength);
    if (name == "_LHOL") return statistic(idleLength);
    if (name == "_VREZ") return &Vrezanie;
    if (name == "_PRBG") return &Perebeg;
    if (name == "_INDP") return Slot(indpSlot, plan.GetActiveTurnNumber(this));
    if (name.find("TOOL.") == std::string_view::npos) return nullptr;

    const ParamTool* tool = GetTool();
    if (!tool || name.size() < 5) return nullptr;
    const std::string_view part = name.substr(5);
    if (part == "_EXIS") {
        if (!tool->sFileName.empty()) exisSlot = 1.0;
        return &exisSlot;
    }
    if (part == "_RCOR") return Slot(toolSlot, tool->r);
    if (part == "_DIAM") return Slot(toolSlot, tool->D);
    if (part == "_Wx") return Slot(toolSlot, tool->CorrectX);
    if (part == "_Wy") return Slot(toolSlot, 0.0);  // the tool record keeps no Y offset
    if (part == "_Wz") return Slot(toolSlot, tool->CorrectZ);
    if (part == "_TYPE") return Slot(toolSlot, tool->TYPE_);
    double value = 0.0;
    if (tool->GetVariable(part, value)) return Slot(toolSlot, value);
    parameters->errorText = kMissingToolParameter + std::string(part);
    return nullptr;
}

const std::string* CTurn::GetStringVariable(std::string_view name) {
    if (name == "_sNAMEOPER") return &sNameTurn;
    const ParamTool* tool = GetTool();
    if (name == "_sNAMETOOL") return tool ? &tool->sToolName : nullptr;
    if (!tool || name.find("TOOL.") == std::string_view::npos || name.size() < 5) return nullptr;
    const std::string_view part = name.substr(5);
    if (part == "sName") return &tool->sToolName;
    if (part == "sMark") return &tool->sDesignation;
    if (part == "sGOST") return &tool->sGost;
    return nullptr;
}

void CTurn::ApplyToolOffsets(Contour& contour) const { MoveByToolOffsets(contour, 1.0); }

void CTurn::RemoveToolOffsets(Contour& contour) const { MoveByToolOffsets(contour, -1.0); }

void CTurn::MoveByToolOffsets(Contour& contour, double toolSign) const {
    if (kind == kTurnDRILL || isHeidenhain) return;
    double dz = 0.0, dx = 0.0;
    ToolOffsetShift(toolSign, dz, dx);
    contour.Move(dz, dx);
}

void CTurn::ToolOffsetShift(double toolSign, double& shiftZ, double& shiftX) const {
    // The operation's own corrections stay as they are; only the tool's
    // part (nose radius, tool offsets) is put in or taken out.
    double dz = 0.0;
    double dx = 0.0;
    if (const ParamTool* tool = GetTool()) {
        if (isCorrectRadius && Rtool > 0.001) {
            dz -= tool->dNoseDx;
            dx += tool->dNoseDy;
        }
        if (isCorrectLz) dz += tool->CorrectZ;
        if (isCorrectLx) dx -= tool->CorrectX;
    }
    shiftZ = CorrectLz + toolSign * dz;
    shiftX = -CorrectLx + toolSign * dx;
}

void CTurn::GetLatheReach(double& axisX, double& chuckZ) const {
    double dz = 0.0, dx = 0.0;
    if (kind != kTurnDRILL && !isHeidenhain) ToolOffsetShift(1.0, dz, dx);
    axisX = dx;
    chuckZ = -std::numeric_limits<double>::infinity();
    if (sourceContour && !sourceContour->Empty()) chuckZ = sourceContour->GetBoundBox().zmin + Rtool + dz;
}

void CTurn::TrimToLatheReach(Contour& path) const {
    double axisX = 0.0, chuckZ = 0.0;
    GetLatheReach(axisX, chuckZ);
    const auto within = [&](double z, double x) { return x <= axisX + EPS && z >= chuckZ - EPS; };
    // The stretch [t0, t1] of a line that lies within the reach; false when none does.
    const auto stretch = [&](const CUnit& u, double& t0, double& t1) {
        t0 = 0.0, t1 = 1.0;
        const double sz = u.StartPoint.z, sx = u.StartPoint.x, dz = u.EndPoint.z - sz, dx = u.EndPoint.x - sx;
        // x <= axisX and -z <= -chuckZ, each a half of the line's parameter.
        for (const auto& [v0, dv, limit] : {std::tuple{sx, dx, axisX}, std::tuple{-sz, -dz, -chuckZ}}) {
            if (std::fabs(dv) < 1e-12) {
                if (v0 > limit + EPS) return false;
                continue;
            }
            const double t = (limit - v0) / dv;
            if (dv > 0)
                t1 = std::min(t1, t);
            else
                t0 = std::max(t0, t);
        }
        return t0 < t1 - 1e-12;
    };
    // Only the ends: a pass runs out of the reach by what it is extended.
    for (bool atStart : {true, false}) {
        while (!path.Empty()) {
            CUnit* u = atStart ? path.GetFirstUnit() : path.GetLastUnit();
            const Point3D& end = atStart ? u->StartPoint : u->EndPoint;
            if (within(end.z, end.x) || u->Kind != 'L') break;
            double t0 = 0.0, t1 = 0.0;
            if (!stretch(*u, t0, t1)) {
                path.DeleteUnit(u);
                continue;
            }
            const double sz = u->StartPoint.z, sx = u->StartPoint.x;
            const double dz = u->EndPoint.z - sz, dx = u->EndPoint.x - sx;
            if (atStart)
                u->SetStartPoint(sz + t0 * dz, sx + t0 * dx);
            else
                u->SetEndPoint(sz + t1 * dz, sx + t1 * dx);
            break;
        }
    }
}

void CTurn::CalcMeanDiameter() {
    if (kind == kTurnDRILL || kind == kTurnPLASHKA) {
        meanDiameter = *GetNumericVariable("_DIAM");
        return;
    }
    if (kind == kTurnTHREADING) {
        meanDiameter = 0.0;
        if (workContour && !workContour->Empty()) {
            meanDiameter = -0.5 * (workContour->GetUnit(0)->StartPoint.x +
                                   workContour->GetUnit(workContour->Count() - 1)->EndPoint.x);
        }
        return;
    }
    StepArray<CUnit*> units(100);
    for (const auto& frame : frames) frame->AddPathUnits(units);
    double sum = 0.0;
    int count = 0;
    for (std::uint32_t i = 0; i < units.Count(); ++i) {
        const CUnit* unit = units[i];
        if (unit->IsRapid) continue;
        sum += (unit->StartPoint.x + unit->EndPoint.x) / 2.0;
        ++count;
    }
    meanDiameter = count > 0 ? sum / count : 0.0;
}

std::string CTurn::GetCycleCaption() const {
    if (indShema == 0) return {};
    const CCycle_Auto* cycle = postProcessor.GetCycleOfType(typeKey, indCycle);
    return cycle ? ", [" + cycle->GetGCode() + "]" : std::string();
}

std::string CTurn::CycleVariablesString(std::string_view name, double value) {
    return FormatAddressValue(std::string(name) + "=", value, false);
}

}  // namespace zarvento
