// The tap and die operation: its tool choice, its record values, the
// variable text of its cycle and its stroke with the spindle reversal.
#include "operations/turn_plashka.h"

#include "catalogs/param_tool.h"
#include "geometry/line_unit.h"
#include "nc/cadre_m3.h"
#include "nc/cadre_m4.h"
#include "nc/frame_text_format.h"
#include "operations/kind_support.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "plan/stored_value.h"
#include "platform/documents/storage_record.h"

namespace zarvento {

CTurnPLASHKA::CTurnPLASHKA() {
    kind = kTurnPLASHKA;
    sNameTurn = "Нарезание резьбы плашкой/метчиком";
    sDescription = sNameTurn;
    ReplaceWorkBuilder(std::make_unique<CContourBuilderTapDie>());
    typeKey = "Threading_Tap_Die";
    Vrezanie = 1.0;
    Perebeg = 1.0;
    Spod = Spod2 = Step;  // the feed per revolution is the pitch
    Nshp = Nshp2 = 100.0;
    cycle.SetParentParameters(&Parameters());
}

CTurnPLASHKA::~CTurnPLASHKA() {
    // The frames may lead their variables to the cycle member.
    currentCycle = nullptr;
    ReleaseFrames();
}

CTurnPLASHKA& CTurnPLASHKA::operator=(const CTurnPLASHKA& other) {
    if (this == &other) return *this;
    CTurn::operator=(other);
    Step = other.Step;
    isAutoStep = other.isAutoStep;
    Nzahod = other.Nzahod;
    cycle.Copy(other.cycle);
    cycle.SetParentParameters(&Parameters());
    return *this;
}

void CTurnPLASHKA::SetupTool() {
    if (calc.regionList.empty() || calc.pairedList.empty()) return;
    nToolPosition = -1;
    const Contour* H = calc.regionList.front().get();
    if (!H || H->Empty()) return;
    const double zFirst = H->GetFirstUnit()->StartPoint.z;
    const double zLast = H->GetLastUnit()->EndPoint.z;
    if (zLast - Perebeg - 1e-6 > zFirst + Vrezanie) {
        CSPID& spid = *GetSPID();
        for (std::int32_t i = 0; i < spid.Npositions; ++i) {
            const ParamTool* tool = spid.GetTool(i);
            double d = 0.0;
            if (tool && tool->GetType() == kTapKind && ToolDiameterVariable(*tool, d)) {
                nToolPosition = i;
                threadDiameter = d;
                break;
            }
        }
    } else {
        nToolPosition = FirstToolOfKind(kDieKind);
    }
    CTurn::SetupTool();
}

void CTurnPLASHKA::GetCycleVariables(std::string& text) {
    text += FormatAddressValue("_FEED=", Spod, false);
    text += FormatAddressValue("_NTHREADS=", Nzahod, false);
    text += FormatAddressValue("_LEFT=", indNapr ? 1.0 : 0.0, false);
    text += FormatAddressValue("_L1=", Vrezanie, true);
    text += FormatAddressValue("_L2=", Perebeg, true);
}

bool CTurnPLASHKA::SaveKindValues(StorageRecord& record) {
    record.AddNamedValue("Step", Variant::R8(Step));
    record.AddNamedValue("isAutoStep", Variant::Bool(isAutoStep));
    record.AddNamedValue("Nzahod", Variant::I4(Nzahod));
    return true;
}

bool CTurnPLASHKA::LoadKindValues(StorageRecord& record) {
    Step = ReadStoredR8(record, "Step");
    record.ReadNamedValue("isAutoStep");
    isAutoStep = record.ReadBuffer().ToBool();
    record.ReadNamedValue("Nzahod");
    Nzahod = record.ReadBuffer().ToI4();
    return true;
}

bool CTurnPLASHKA::PreviousRunsReversed(bool reversed) const {
    const auto* previous = dynamic_cast<const CTurn*>(GetPLAN()->GetPrevActiveTurn(index - 1));
    return previous && previous->isM04 == reversed;
}

bool CTurnPLASHKA::CreateContourPath() {
    if (!CTurn::CreateContourPath()) return false;
    const Contour& H = *calc.regionList.front();
    if (H.Empty()) return ReportError("Невозможно рассчитать траекторию"), FailPath();

    const double zFirst = H.GetFirstUnit()->StartPoint.z;
    const double zLast = H.GetLastUnit()->EndPoint.z;
    double zA = zFirst + Vrezanie, zB = zLast - Perebeg;
    if (zA < zB - 1e-6) {
        zA = zLast + Vrezanie;
        zB = zFirst - Perebeg;
    }
    // The prologue starts no spindle for this kind: the stroke itself sets
    // the direction. A stroke in the spindle's usual direction still needs
    // it turning that way when the operation before left it reversed or
    // there is none.
    const bool left = indNapr;
    auto startSpindle = [this, left] {
        if (left) {
            if (!PreviousRunsReversed(true)) AddFrame(std::make_unique<CCadre_M4>());
        } else if (!PreviousRunsReversed(false)) {
            AddFrame(std::make_unique<CCadre_M3>());
        }
    };

    MoveToStart(0.0, zA);
    if (indShema == 0) {
        UseElementaryCycle(*this, cycle);
        startSpindle();
        AddLineFrame(0.0, zA, 0.0, zB, -1.0, false);
        if (left) {
            AddFrame(std::make_unique<CCadre_M3>());
            isM04 = false;
            AddLineFrame(0.0, zB, 0.0, zA, -1.0, false);
        } else {
            AddFrame(std::make_unique<CCadre_M4>());
            AddLineFrame(0.0, zB, 0.0, zA, -1.0, false);
            AddFrame(std::make_unique<CCadre_M3>());
            // It ends turning forward like every stroke; the next operation
            // must not take it for a reversed one.
            isM04 = false;
        }
    } else if (indShema == 1) {
        CCycle_Auto* definition = postProcessor.GetCycleOfType(typeKey, indCycle);
        if (!definition) return FailPath();
        Contour stroke;
        stroke.AddUnit(std::make_unique<CLineUnit>(zA, 0.0, zB, 0.0));
        stroke.AddUnit(std::make_unique<CLineUnit>(zB, 0.0, zA, 0.0));
        startSpindle();
        AddFrame(MakeCycleFrame(*this, *definition, 0.0, zA, stroke));
        AddFrame(std::make_unique<CCadre_M3>());
        isM04 = false;
    }
    ReturnToHome(0.0, zA);
    // The tap or die follows a thread that is there already.
    for (const auto& frame : frames) {
        if (!frame->rapid) frame->noMaterial = 1;
    }
    FinishContourPath();
    return true;
}

}  // namespace zarvento
