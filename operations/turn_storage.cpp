// The operation's records in the part document: the main record
// "Zarvento.Turn.%d" of named values and its sub-records ".W", ".S", ".ELM"
// and ".PP", written and read back by name.
#include <string_view>
#include <vector>

#include "catalogs/param_tool.h"
#include "operations/turn.h"
#include "plan/spid.h"
#include "plan/stored_value.h"
#include "platform/host_application.h"
#include "platform/host_record.h"
#include "platform/host_storage.h"
#include "platform/host_storages.h"
#include "platform/interface_transfer.h"
#include "platform/messages.h"
#include "platform/object_reference.h"
#include "platform/storage_record.h"
#include "platform/variant.h"

namespace zarvento {

namespace {

// The host's sketch interface of an automation object.
constexpr std::string_view kSketchInterface = "{5F4A21D6-9C1B-4E27-A0D3-6B8E1C7F3A52}";

// The tool life an operation gets when its record holds none, by kind.
double DefaultToolLife(std::int32_t kind) {
    switch (kind) {
        case kTurnDRILL: return 45.0;
        case kTurnKANAVKA:
        case kTurnOTREZKA: return 30.0;
        default: return 60.0;
    }
}

void SaveSketch(StorageRecord& record, const char* flag, const char* key, const std::shared_ptr<HostSketch>& sketch) {
    record.AddNamedValue(flag, Variant::Bool(sketch != nullptr));
    if (!sketch) return;
    // The reference is handed over at once; what is pending goes first so
    // that the record keeps the order in which the values are written.
    record.Flush();
    record.WriteNamedValueNow(key, Variant::Dispatch(sketch));
}

// A cleared flag leaves the member as it is. A reference that is no sketch,
// or a sketch the host can no longer resolve, leaves none; the loss is
// reported and the load goes on without it.
void LoadSketch(StorageRecord& record, const char* flag, const char* key, std::shared_ptr<HostSketch>& sketch) {
    if (!ReadStoredBool(record, flag)) return;
    record.ReadNamedValue(key);
    const Variant& stored = record.ReadBuffer();
    sketch.reset();
    if (stored.Type() == VarType::Dispatch)
        sketch = std::dynamic_pointer_cast<HostSketch>(QueryHostInterfaceOrNull(stored.AsDispatch(), kSketchInterface));
    if (ProceduralReference(sketch, 3, 5) == 0) {
        sketch.reset();
        HostMessageBox("Потеряна связь с эскизом", CTurn::kCaption, CSPID::kExclamation);
    }
}

// The entries of a record as they stand in the active document, or nothing
// when it has no such record.
std::vector<RecordEntry> StoredEntries(const std::string& name) {
    std::shared_ptr<HostStorage> storage = ActiveHostDocument()->Storages().Item(Variant::I4(0));
    std::shared_ptr<HostRecord> record = storage ? storage->Record(Variant::BStr(name)) : nullptr;
    return record ? record->Entries() : std::vector<RecordEntry>{};
}

// Puts a record's earlier entries back after a write that failed half-way.
// The host that failed may fail again: then the error already on its way is
// the one the caller hears.
void RestoreEntries(const std::string& name, const std::vector<RecordEntry>& entries) noexcept {
    try {
        StorageRecord record;
        if (!record.OpenWrite(name)) return;
        for (const RecordEntry& e : entries) {
            if (e.value.Type() != VarType::Dispatch) {
                record.AddNamedValue(e.name, e.value);
                continue;
            }
            record.Flush();
            record.WriteNamedValueNow(e.name, e.value);
        }
        record.Flush();
    } catch (...) {
    }
}

}  // namespace

std::string CTurn::RecordName(int position) { return "Zarvento.Turn." + std::to_string(position); }

bool CTurn::SaveTurn(int position) {
    if (!workChoice || !sourceChoice) return false;
    const std::string name = RecordName(position);

    // The sub-records first. The main record goes last and in one piece, so
    // the document holds exactly the latest values of each save and never an
    // empty main record once a save has returned.
    workChoice->Save(name + ".W");
    sourceChoice->Save(name + ".S");
    {
        StorageRecord cycles;
        if (cycles.OpenWrite(name + ".ELM")) {
            SaveCycleParameters(cycles);
            cycles.Flush();
        }
    }
    postProcessor.Save(name + ".PP");

    const std::vector<RecordEntry> previous = StoredEntries(name);
    StorageRecord record;
    if (!record.OpenWrite(name)) return false;
    try {
        record.AddNamedValue("SposobBuildWork", Variant::I4(SposobBuildWork));
        record.AddNamedValue("SposobBuildSour", Variant::I4(SposobBuildSour));
        SaveSketch(record, "isWorkSketch", "pWorkSketch", pWorkSketch);
        SaveSketch(record, "isSourSketch", "pSourSketch", pSourSketch);
        record.AddNamedValue("isAutoName", Variant::Bool(isAutoName));
        record.AddNamedValue("sNameTurn", Variant::BStr(sNameTurn));
        record.AddNamedValue("isExist", Variant::Bool(isExist));
        record.AddNamedValue("isExclude", Variant::Bool(isExclude));
        record.AddNamedValue("isUsePrevContour", Variant::Bool(isUsePrevContour));
        record.AddNamedValue("isPripuskW", Variant::Bool(isPripuskW));
        record.AddNamedValue("isPripuskS", Variant::Bool(isPripuskS));
        record.AddNamedValue("PripuskW", Variant::R8(PripuskW));
        record.AddNamedValue("PripuskS", Variant::R8(PripuskS));
        record.AddNamedValue("ClosedSposob1", Variant::Int(ClosedSposob1));
        record.AddNamedValue("ClosedSposob2", Variant::Int(ClosedSposob2));
        record.AddNamedValue("ClosedAngle1", Variant::R8(ClosedAngle1));
        record.AddNamedValue("ClosedAngle2", Variant::R8(ClosedAngle2));
        record.AddNamedValue("StepBezieW", Variant::R8(StepBezieW));
        record.AddNamedValue("StepBezieS", Variant::R8(StepBezieS));
        record.AddNamedValue("naprSketchW", Variant::I4(naprSketchW));
        record.AddNamedValue("naprSketchS", Variant::I4(naprSketchS));
        record.AddNamedValue("indShema", Variant::I4(indShema));
        record.AddNamedValue("indCycle", Variant::I4(indCycle));
        record.AddNamedValue("indCycleElementar", Variant::I4(indCycleElementar));
        record.AddNamedValue("indNapr", Variant::Bool(indNapr));
        record.AddNamedValue("isShowPath", Variant::Bool(isShowPath));
        record.AddNamedValue("indPerehod", Variant::I4(indPerehod));
        record.AddNamedValue("naprVihod", Variant::I4(naprVihod));
        record.AddNamedValue("naprVozvrat", Variant::I4(naprVozvrat));
        record.AddNamedValue("Vrezanie", Variant::R8(Vrezanie));
        record.AddNamedValue("VrezanieSposob", Variant::I4(VrezanieSposob));
        record.AddNamedValue("VrezanieAngle", Variant::R8(VrezanieAngle));
        record.AddNamedValue("Perebeg", Variant::R8(Perebeg));
        record.AddNamedValue("PerebegSposob", Variant::I4(PerebegSposob));
        record.AddNamedValue("PerebegAngle", Variant::R8(PerebegAngle));
        record.AddNamedValue("isAutoTool", Variant::Bool(isAutoTool));
        record.AddNamedValue("nToolPosition", Variant::I4(nToolPosition));
        record.AddNamedValue("isCheckTool", Variant::Bool(isCheckTool));
        record.AddNamedValue("isM01", Variant::Bool(isM01));
        record.AddNamedValue("isM04", Variant::Bool(isM04));
        record.AddNamedValue("isAutoM34", Variant::Bool(isAutoM34));
        record.AddNamedValue("Spod", Variant::R8(Spod));
        record.AddNamedValue("indSpod", Variant::I4(indSpod));
        record.AddNamedValue("sSpod", Variant::BStr(sSpod));
        record.AddNamedValue("isVconst", Variant::Bool(isVconst));
        record.AddNamedValue("Nshp", Variant::R8(Nshp));
        record.AddNamedValue("indNshp", Variant::I4(indNshp));
        record.AddNamedValue("sNshp", Variant::BStr(sNshp));
        record.AddNamedValue("Vconst", Variant::R8(Vconst));
        record.AddNamedValue("Nmin", Variant::R8(Nmin));
        record.AddNamedValue("Nmax", Variant::R8(Nmax));
        record.AddNamedValue("sVcut", Variant::BStr(sVcut));
        record.AddNamedValue("isCheckCooler", Variant::Bool(isCheckCooler));
        record.AddNamedValue("isM01end", Variant::Bool(isM01end));
        record.AddNamedValue("TT", Variant::R8(TT));
        record.AddNamedValue("isCorrectRadius", Variant::Bool(isCorrectRadius));
        record.AddNamedValue("DirRcorrect", Variant::I4(DirRcorrect));
        record.AddNamedValue("TypeObhod", Variant::I4(TypeObhod));
        record.AddNamedValue("isCorrectLz", Variant::Bool(isCorrectLz));
        record.AddNamedValue("isCorrectLx", Variant::Bool(isCorrectLx));
        record.AddNamedValue("CorrectLz", Variant::R8(CorrectLz));
        record.AddNamedValue("CorrectLx", Variant::R8(CorrectLx));
        SaveKindValues(record);
        record.Flush();
    } catch (...) {
        RestoreEntries(name, previous);
        throw;
    }
    return true;
}

bool CTurn::LoadTurn(int position) {
    const std::string name = RecordName(position);
    StorageRecord record;
    if (!record.OpenRead(name)) return false;

    // Each value replaces its member also when the record lacks it (0,
    // false or ""); only the formula texts and the tool life fall back.
    SposobBuildWork = ReadStoredI4(record, "SposobBuildWork");
    SposobBuildSour = ReadStoredI4(record, "SposobBuildSour");
    if (workChoice) workChoice->Load(name + ".W");
    if (sourceChoice) sourceChoice->Load(name + ".S");
    LoadSketch(record, "isWorkSketch", "pWorkSketch", pWorkSketch);
    LoadSketch(record, "isSourSketch", "pSourSketch", pSourSketch);
    isAutoName = ReadStoredBool(record, "isAutoName");
    sNameTurn = ReadStoredText(record, "sNameTurn");
    isExist = ReadStoredBool(record, "isExist");
    isExclude = ReadStoredBool(record, "isExclude");
    isUsePrevContour = ReadStoredBool(record, "isUsePrevContour");
    isPripuskW = ReadStoredBool(record, "isPripuskW");
    isPripuskS = ReadStoredBool(record, "isPripuskS");
    PripuskW = ReadStoredR8(record, "PripuskW");
    PripuskS = ReadStoredR8(record, "PripuskS");
    ClosedSposob1 = ReadStoredI4(record, "ClosedSposob1");
    ClosedSposob2 = ReadStoredI4(record, "ClosedSposob2");
    ClosedAngle1 = ReadStoredR8(record, "ClosedAngle1");
    ClosedAngle2 = ReadStoredR8(record, "ClosedAngle2");
    StepBezieW = ReadStoredR8(record, "StepBezieW");
    StepBezieS = ReadStoredR8(record, "StepBezieS");
    naprSketchW = ReadStoredI4(record, "naprSketchW");
    naprSketchS = ReadStoredI4(record, "naprSketchS");
    indShema = ReadStoredI4(record, "indShema");
    indCycle = ReadStoredI4(record, "indCycle");
    indCycleElementar = ReadStoredI4(record, "indCycleElementar");
    indNapr = ReadStoredBool(record, "indNapr");
    isShowPath = ReadStoredBool(record, "isShowPath");
    indPerehod = ReadStoredI4(record, "indPerehod");
    naprVihod = ReadStoredI4(record, "naprVihod");
    naprVozvrat = ReadStoredI4(record, "naprVozvrat");
    Vrezanie = ReadStoredR8(record, "Vrezanie");
    VrezanieSposob = ReadStoredI4(record, "VrezanieSposob");
    VrezanieAngle = ReadStoredR8(record, "VrezanieAngle");
    Perebeg = ReadStoredR8(record, "Perebeg");
    PerebegSposob = ReadStoredI4(record, "PerebegSposob");
    PerebegAngle = ReadStoredR8(record, "PerebegAngle");
    isAutoTool = ReadStoredBool(record, "isAutoTool");
    nToolPosition = ReadStoredI4(record, "nToolPosition");
    isCheckTool = ReadStoredBool(record, "isCheckTool");
    isM01 = ReadStoredBool(record, "isM01");
    isM04 = ReadStoredBool(record, "isM04");
    isAutoM34 = ReadStoredBool(record, "isAutoM34");
    Spod = ReadStoredR8(record, "Spod");
    indSpod = ReadStoredI4(record, "indSpod");
    sSpod = ReadStoredText(record, "sSpod");
    Spod2 = Spod;
    if (sSpod.empty()) sSpod = "TOOL.FEED1";
    isVconst = ReadStoredBool(record, "isVconst");
    Nshp = ReadStoredR8(record, "Nshp");
    indNshp = ReadStoredI4(record, "indNshp");
    sNshp = ReadStoredText(record, "sNshp");
    Nshp2 = Nshp;
    if (sNshp.empty()) sNshp = "TOOL.SPIN";
    Vconst = ReadStoredR8(record, "Vconst");
    Nmin = ReadStoredR8(record, "Nmin");
    Nmax = ReadStoredR8(record, "Nmax");
    sVcut = ReadStoredText(record, "sVcut");
    Vconst2 = Vconst;
    if (sVcut.empty()) sVcut = "TOOL.VCUT";
    isCheckCooler = ReadStoredBool(record, "isCheckCooler");
    isM01end = ReadStoredBool(record, "isM01end");
    TT = ReadStoredR8(record, "TT");
    if (TT < 1e-6) TT = DefaultToolLife(kind);
    isCorrectRadius = ReadStoredBool(record, "isCorrectRadius");
    DirRcorrect = ReadStoredI4(record, "DirRcorrect");
    TypeObhod = ReadStoredI4(record, "TypeObhod");
    isCorrectLz = ReadStoredBool(record, "isCorrectLz");
    isCorrectLx = ReadStoredBool(record, "isCorrectLx");
    CorrectLz = ReadStoredR8(record, "CorrectLz");
    CorrectLx = ReadStoredR8(record, "CorrectLx");

    {
        StorageRecord cycles;
        if (cycles.OpenRead(name + ".ELM")) LoadCycleParameters(cycles);
    }
    // The copy was filled from the plan's post-processor before the load;
    // the record gives back its name and its definitions' values.
    postProcessor.Load(name + ".PP");
    CPostProcessor* current = GetSPID()->GetPostProcessor();
    if (!current || current->GetName() != postProcessor.GetName()) SetPostProcessorData(current);
    if (ParamTool* tool = GetTool()) {
        Rtool = tool->r;
        tool->pSketchSource = &workContour;
    }
    LoadKindValues(record);
    PushChannelSettings();
    return true;
}

void CTurn::RemoveStorage(int position) {
    // The sub-records stay: the next save under this index replaces them.
    StorageRecord record;
    record.Remove(RecordName(position));
}

}  // namespace zarvento
