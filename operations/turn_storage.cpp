// The operation's records in the part document: the main record
// "Zarvento.Turn.%d" of named values and its sub-records ".W", ".S", ".ELM"
// and ".PP", written and read back by name.
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "catalogs/param_tool.h"
#include "operations/turn.h"
#include "operations/turn_settings.h"
#include "plan/spid.h"
#include "plan/stored_value.h"
#include "platform/core/messages.h"
#include "platform/core/variant.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_record.h"
#include "platform/documents/host_storage.h"
#include "platform/documents/host_storages.h"
#include "platform/documents/storage_record.h"

namespace zarvento {

namespace {

Variant StoredForm(CTurn& op, const TurnSetting& v) {
    return std::visit(
        [&](auto member) {
            using T = std::remove_reference_t<decltype(op.*member)>;
            if constexpr (std::is_same_v<T, std::int32_t>)
                return v.storedAsInt ? Variant::Int(op.*member) : Variant::I4(op.*member);
            else if constexpr (std::is_same_v<T, bool>)
                return Variant::Bool(op.*member);
            else if constexpr (std::is_same_v<T, double>)
                return Variant::R8(op.*member);
            else
                return Variant::BStr(op.*member);
        },
        v.member);
}

void ReadInto(CTurn& op, const TurnSetting& v, StorageRecord& record) {
    std::visit(
        [&](auto member) {
            using T = std::remove_reference_t<decltype(op.*member)>;
            // A position beyond the turret would print as a tool number.
            if constexpr (std::is_same_v<T, std::int32_t>)
                op.*member = member == &CTurn::nToolPosition ? ReadStoredI4(record, v.name, -1, CSPID::kMaxTools - 1)
                                                             : ReadStoredI4(record, v.name);
            else if constexpr (std::is_same_v<T, bool>)
                op.*member = ReadStoredBool(record, v.name);
            else if constexpr (std::is_same_v<T, double>)
                op.*member = ReadStoredR8(record, v.name);
            else
                op.*member = ReadStoredText(record, v.name);
        },
        v.member);
}

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
        for (const TurnSetting& v : TurnSettings()) {
            // A cycle the post-processor lacks stays asked for.
            const bool asked = cycleForced && v.name == std::string_view("indShema");
            record.AddNamedValue(v.name, asked ? Variant::I4(1) : StoredForm(*this, v));
        }
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
    ReadStoredSketch(record, "isWorkSketch", "pWorkSketch", pWorkSketch);
    ReadStoredSketch(record, "isSourSketch", "pSourSketch", pSourSketch);
    for (const TurnSetting& v : TurnSettings()) ReadInto(*this, v, record);
    Spod2 = Spod;
    if (sSpod.empty()) sSpod = "TOOL.FEED1";
    Nshp2 = Nshp;
    if (sNshp.empty()) sNshp = "TOOL.SPIN";
    Vconst2 = Vconst;
    if (sVcut.empty()) sVcut = "TOOL.VCUT";
    if (TT < 1e-6) TT = DefaultToolLife(kind);

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

bool CTurn::RemoveStorage(int position) {
    // The sub-records stay: the next save under this index replaces them.
    StorageRecord record;
    record.Remove(RecordName(position));
    return true;
}

}  // namespace zarvento
