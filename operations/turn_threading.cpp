// The chisel threading operation: construction and copy, the profile depth,
// the default tool, the cycle variables, the kind's stored values and the
// path driver.
#include "operations/turn_threading.h"

#include <cmath>
#include <cstdio>

#include "catalogs/param_tool.h"
#include "geometry/number_format.h"
#include "geometry/primitives.h"
#include "operations/path_clearance.h"
#include "operations/thread_clearance.h"
#include "plan/spid.h"
#include "plan/stored_value.h"
#include "platform/core/interface_transfer.h"
#include "platform/core/variant.h"
#include "platform/documents/storage_record.h"
#include "platform/host/object_reference.h"

namespace zarvento {

CTurnTHREADING::CTurnTHREADING() {
    kind = kTurnTHREADING;
    sNameTurn = "Нарезание резьбы резцом";
    sDescription = sNameTurn;
    typeKey = "Threading_Chisel";
    Vrezanie = 3.0;
    Perebeg = 3.0;
    Spod = Spod2 = Step;  // the feed per revolution is the pitch
    Nshp = Nshp2 = 500.0;
    Vconst = Vconst2 = 30.0;
    ReplaceWorkBuilder(std::make_unique<CContourBuilderThreading>());
    cycle.SetParentParameters(&Parameters());
}

CTurnTHREADING::~CTurnTHREADING() {
    // Frames link to the cycle's provider: they go before the cycle does.
    ReleaseFrames();
    currentCycle = nullptr;
}

CTurnTHREADING& CTurnTHREADING::operator=(const CTurnTHREADING& other) {
    if (this == &other) return *this;
    CTurn::operator=(other);
    isModel = other.isModel;
    ThreadBuilder().suppressBuild = isModel;
    Obj7 = other.Obj7;
    Step = other.Step;
    isAutoStep = other.isAutoStep;
    Nzahod = other.Nzahod;
    Depth = other.Depth;
    isAutoDepth = other.isAutoDepth;
    dZ0rep = other.dZ0rep;
    Nrep = other.Nrep;
    dZrep = other.dZrep;
    cycle.Copy(other.cycle);
    // The copy keeps its own variables under its formulas.
    cycle.SetParentParameters(&Parameters());
    return *this;
}

CContourBuilderThreading& CTurnTHREADING::ThreadBuilder() {
    return static_cast<CContourBuilderThreading&>(*workBuilder);
}

double CTurnTHREADING::CalcProfileDepth() const {
    const double h = std::tan(PI / 3.0) * Step / 2.0;
    const double depth = 17.0 / 24.0 * h;
    return std::ceil(depth * 1000.0 - 0.5) / 1000.0;
}

void CTurnTHREADING::SetupTool() {
    if (!workContour || workContour->Count() == 0) return;
    nToolPosition = -1;
    const double z1 = workContour->GetUnit(0)->StartPoint.z;
    const double z2 = workContour->GetUnit(workContour->Count() - 1)->EndPoint.z;
    // A line running towards +Z is cut with the tool of the other hand.
    const int wanted = z2 - EPS > z1 ? 16 : 15;
    CSPID& spid = *GetSPID();
    for (int i = 0; i < CSPID::kMaxTools; ++i) {
        const ParamTool* tool = spid.GetTool(i);
        if (tool && tool->GetType() == wanted) {
            nToolPosition = i;
            break;
        }
    }
    CTurn::SetupTool();
}

void CTurnTHREADING::GetCycleVariables(std::string& text) {
    char feedText[64];
    std::snprintf(feedText, sizeof feedText, "_FEED=%1.3f  ", Spod);
    text += feedText;
    text += CycleVariablesString("_NTHREADS", Nzahod);
    text += CycleVariablesString("_DEPTH", Depth);
    text += CycleVariablesString("_LEFT", indNapr ? 1.0 : 0.0);
    text += CycleVariablesString("_L1", Vrezanie);
    text += CycleVariablesString("_L2", Perebeg);
}

void CTurnTHREADING::SaveCycleParameters(StorageRecord& record) { cycle.SaveParameters(record); }

void CTurnTHREADING::LoadCycleParameters(StorageRecord& record) { cycle.LoadParameters(record); }

bool CTurnTHREADING::SaveKindValues(StorageRecord& record) {
    record.AddNamedValue("isModel", Variant::Bool(isModel));
    HostObjectPtr stored = Obj7 ? TransferInterface(Obj7, 2, 0) : nullptr;
    const bool isThread = stored && stored->ObjectType() == kThreadDesignationType;
    record.AddNamedValue("isThread", Variant::Bool(isThread));
    if (isThread) record.WriteNamedValueNow("Obj7", Variant::Dispatch(stored));
    record.AddNamedValue("Step", Variant::R8(Step));
    record.AddNamedValue("isAutoStep", Variant::Bool(isAutoStep));
    record.AddNamedValue("Nzahod", Variant::I4(Nzahod));
    record.AddNamedValue("Depth", Variant::R8(Depth));
    record.AddNamedValue("isAutoDepth", Variant::Bool(isAutoDepth));
    record.AddNamedValue("dZ0rep", Variant::R8(dZ0rep));
    record.AddNamedValue("Nrep", Variant::Int(Nrep));
    record.AddNamedValue("dZrep", Variant::R8(dZrep));
    return true;
}

bool CTurnTHREADING::LoadKindValues(StorageRecord& record) {
    isModel = ReadStoredBool(record, "isModel");
    ThreadBuilder().suppressBuild = isModel;
    if (ReadStoredBool(record, "isThread")) {
        record.ReadNamedValue("Obj7");
        const HostObjectPtr stored =
            record.ReadBuffer().Type() == VarType::Dispatch ? record.ReadBuffer().AsDispatch() : nullptr;
        const HostDocumentPtr part = partLink.lock();
        const HostObjectPtr found =
            part && stored ? FindSameObjectOfType(*part, kThreadDesignationType, stored) : nullptr;
        if (found) {
            Obj7 = TransferInterface(stored, 3, kThreadDesignationType);
        } else {
            Obj7.reset();
            if (isModel) ReportError(kLostDesignation);
        }
    }
    Step = ReadStoredR8(record, "Step");
    isAutoStep = ReadStoredBool(record, "isAutoStep");
    Nzahod = ReadStoredI4(record, "Nzahod");
    Depth = ReadStoredR8(record, "Depth");
    isAutoDepth = ReadStoredBool(record, "isAutoDepth");
    dZ0rep = ReadStoredR8(record, "dZ0rep");
    Nrep = ReadStoredI4(record, "Nrep");
    dZrep = ReadStoredR8(record, "dZrep");
    if (Nrep < 1) Nrep = 1;
    ApplyAutoDepth();
    return true;
}

bool CTurnTHREADING::ThreadHasRoom() {
    const Contour* section = GetSPID()->GetDetailContour();
    if (!section || section->Empty()) return true;
    // The insert as the simulation cuts with it: its flank trails the nose
    // into the run-out.
    ToolOutline();
    const ThreadInsert insert = ThreadInsertOf(*this);
    // The clearance check's own measure: a nose this little past the part is no cut.
    constexpr double kTolerance = 1e-3;
    const ClearanceOutline part(*section);
    const auto millimetres = [](double v) { return FormatG(std::round(v * 1000.0) / 1000.0) + " мм"; };
    for (ThreadSweep sweep : ThreadSweepsOf(*this, insert.r)) {
        const ThreadRoom room = RoomAlongThread(part, sweep, kTolerance);
        if (room.deeper == 0.0) continue;
        WidenForInsert(sweep, room.deeper, insert, part);
        const double atLo = room.lo - sweep.lo, atHi = sweep.hi - room.hi;
        const double runOut = sweep.runOutAtLo ? atLo : atHi, approach = sweep.runOutAtLo ? atHi : atLo;
        if (runOut <= kTolerance && approach <= kTolerance) continue;
        const bool atRunOut = runOut > kTolerance;
        const double excess = atRunOut ? runOut : approach;
        // The lengths run along the line, the room along the axis.
        const double zShare =
            std::fabs(sweep.b.x - sweep.a.x) / std::hypot(sweep.b.x - sweep.a.x, sweep.b.y - sweep.a.y);
        const double longest = (atRunOut ? Perebeg : Vrezanie) - excess / zShare;
        std::string text = (atRunOut ? kRunOutIntoPart : kApproachIntoPart) + millimetres(excess);
        if (longest >= 0.0)
            text += std::string(". ") + (atRunOut ? kLongestRunOut : kLongestApproach) + millimetres(longest);
        ReportWarning(text);
        return false;
    }
    return true;
}

bool CTurnTHREADING::CreateContourPath() {
    ApplyAutoDepth();
    if (!CTurn::CreateContourPath()) return false;
    threadContour_ = calc.regionList.front().get();
    pairedThread_ = calc.pairedList.front().get();
    if ((indShema == 0 || indShema == 1) && !ThreadHasRoom()) {
        // No thread is better than one cut into the shoulder.
    } else if (indShema == 0) {
        CreateThreadPasses();
    } else if (indShema == 1) {
        CreateThreadCycle();
    }
    threadContour_ = nullptr;
    pairedThread_ = nullptr;
    FinishContourPath();
    return true;
}

}  // namespace zarvento
