// The single-pass contour operation: its path with the lead-in and lead-out
// modes, its tool choice, its stored values and the trajectory from a sketch.
#include "operations/turn_kontur.h"

#include <cmath>

#include "catalogs/param_tool.h"
#include "model/contour_builder.h"
#include "plan/spid.h"
#include "platform/messages.h"
#include "platform/object_reference.h"
#include "platform/storage_record.h"

namespace zarvento {

namespace {

constexpr double kPi = 3.141592653589793;

// The lead angle of a mode: 0 follows the contour, 1 to 4 the four axis
// directions, anything else the angle the user gave.
double LeadAngle(std::int32_t mode, double tangentRadians, double given) {
    switch (mode) {
        case 0: return tangentRadians * 180.0 / kPi;
        case 1: return 0.0;
        case 2: return 90.0;
        case 3: return 180.0;
        case 4: return 270.0;
        default: return given;
    }
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
    const Contour& region = *regionList.front();

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

    const double aIn = LeadAngle(VrezanieSposob, c->GetFirstUnit()->GetStartAngle(), VrezanieAngle);
    const double aOut = LeadAngle(PerebegSposob, c->GetLastUnit()->GetEndAngle(), PerebegAngle);
    VrezanieAngle = aIn;
    PerebegAngle = aOut;

    // The offset is taken in the contour's own direction whichever way the pass runs.
    if (!indNapr) c = ReverseContour(std::move(c));
    c = OffsetContourByRadius(std::move(c), 'w');
    if (!c || c->Empty()) return FailPath();
    ApplyToolOffsets(*c);
    if (!indNapr) c = ReverseContour(std::move(c));

    c->PrependLine(Vrezanie, aIn - 180.0, false);
    c->AppendLine(Perebeg, aOut, false);
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
