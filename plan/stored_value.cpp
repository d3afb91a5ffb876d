// Typed reads of the plan's records with errors that say where they happened.
#include "plan/stored_value.h"

#include "plan/spid.h"
#include "platform/core/host_error.h"
#include "platform/core/interface_transfer.h"
#include "platform/core/messages.h"
#include "platform/host/object_reference.h"

namespace zarvento {

namespace {

// The host's sketch interface of an automation object.
constexpr std::string_view kSketchInterface = "{5F4A21D6-9C1B-4E27-A0D3-6B8E1C7F3A52}";

// A value read from the record, with where it was read for the error text.
struct ReadValue {
    Variant value;
    std::string where;
};

ReadValue Named(StorageRecord& record, const std::string& key) {
    record.ReadNamedValue(key);
    return {record.ReadBuffer(), "value \"" + key + "\""};
}

ReadValue Positional(StorageRecord& record) {
    const int position = record.ReadPosition();
    ReadValue r{{}, "value " + std::to_string(position + 1)};
    record.ReadValue(r.value);
    return r;
}

Variant Convert(const StorageRecord& record, const ReadValue& r, VarType to) {
    // VT_INT and VT_I4 both hold the field's 32-bit integer.
    const bool integer = to == VarType::I4 && r.value.Type() == VarType::Int;
    if (r.value.Type() == to || integer) return r.value;
    try {
        return r.value.ChangeType(to);
    } catch (const HostError& e) {
        throw HostError(e.Code(), "record \"" + record.Name() + "\", " + r.where + ": " + e.Message());
    }
}

}  // namespace

std::int32_t ReadStoredI4(StorageRecord& record, const std::string& key) {
    return Convert(record, Named(record, key), VarType::I4).AsI4();
}

std::int32_t ReadStoredI4(StorageRecord& record, const std::string& key, std::int32_t min, std::int32_t max) {
    const std::int32_t v = ReadStoredI4(record, key);
    if (v < min || v > max)
        throw HostError(DISP_E_OVERFLOW_, "record \"" + record.Name() + "\", value \"" + key +
                                              "\": " + std::to_string(v) + " is outside " + std::to_string(min) + ".." +
                                              std::to_string(max));
    return v;
}

double ReadStoredR8(StorageRecord& record, const std::string& key) {
    const double v = Convert(record, Named(record, key), VarType::R8).AsR8();
    if (!IsPlausibleValue(v))
        throw HostError(DISP_E_OVERFLOW_, "record \"" + record.Name() + "\", value \"" + key +
                                              "\": " + FormatDouble(v) + " is out of range");
    return v;
}

bool ReadStoredBool(StorageRecord& record, const std::string& key) {
    return Convert(record, Named(record, key), VarType::Bool).AsBool();
}

std::string ReadStoredText(StorageRecord& record, const std::string& key) {
    return Convert(record, Named(record, key), VarType::BStr).AsBStr();
}

std::optional<std::int32_t> ReadNextI4(StorageRecord& record) {
    const ReadValue r = Positional(record);
    if (r.value.IsEmpty()) return std::nullopt;
    return Convert(record, r, VarType::I4).AsI4();
}

std::optional<bool> ReadNextBool(StorageRecord& record) {
    const ReadValue r = Positional(record);
    if (r.value.IsEmpty()) return std::nullopt;
    return Convert(record, r, VarType::Bool).AsBool();
}

std::string ReadNextText(StorageRecord& record) { return Convert(record, Positional(record), VarType::BStr).AsBStr(); }

void ReadStoredSketch(StorageRecord& record, const std::string& flag, const std::string& key,
                      std::shared_ptr<HostSketch>& sketch) {
    if (!ReadStoredBool(record, flag)) return;
    record.ReadNamedValue(key);
    const Variant& stored = record.ReadBuffer();
    sketch.reset();
    if (stored.Type() == VarType::Dispatch)
        sketch = std::dynamic_pointer_cast<HostSketch>(QueryHostInterfaceOrNull(stored.AsDispatch(), kSketchInterface));
    // A sketch deleted from the document leaves none.
    if (ProceduralReference(sketch, 3, 5) == 0) {
        sketch.reset();
        HostMessageBox("Потеряна связь с эскизом", CSPID::kCaption, CSPID::kExclamation);
    }
}

}  // namespace zarvento
