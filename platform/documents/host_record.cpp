// HostRecord: positional and named reads, single and array writes.
#include "platform/documents/host_record.h"

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"

namespace zarvento {

std::int32_t HostRecord::Init(const std::string& /*text*/, const std::string& libraryKey) {
    HostFaults::Check("HostRecord.Init");
    libraryKey_ = libraryKey;
    return 1;
}

void HostRecord::CheckKey(const std::string& libraryKey) const {
    if (libraryKey != libraryKey_)
        throw HostError(E_INVALIDARG_,
                        "record \"" + name_ + "\" does not belong to library key \"" + libraryKey + "\"");
}

void HostRecord::Append(std::string_view name, Variant value) {
    const std::size_t at = slots_.size();
    Slot slot;
    if (name == kPositionalName) {
        if (at == leadingPositional_)
            ++leadingPositional_;
        else
            positional_.push_back(at);
        lastPositional_ = at;
    } else {
        const auto [it, added] =
            byName_.try_emplace(std::string(name), Named{static_cast<std::uint32_t>(names_.size() + 1), at});
        if (added)
            names_.emplace_back(name);
        else
            it->second.last = at;
        slot.name = it->second.name;
    }
    slot.type = value.Type();
    switch (value.Type()) {
        case VarType::Empty: break;
        case VarType::I4:
        case VarType::Int: slot.value.integer = value.AsI4(); break;
        case VarType::Bool: slot.value.integer = value.AsBool() ? 1 : 0; break;
        case VarType::R8: slot.value.real = value.AsR8(); break;
        case VarType::Dispatch:
            slot.value.at = static_cast<std::uint32_t>(objects_.size());
            objects_.push_back(value.AsDispatch());
            break;
        default:
            slot.value.at = static_cast<std::uint32_t>(others_.size());
            others_.push_back(std::move(value));
            break;
    }
    slots_.push_back(slot);
}

const std::string& HostRecord::NameOf(const Slot& slot) const {
    static const std::string positional(kPositionalName);
    return slot.name == 0 ? positional : names_[slot.name - 1];
}

Variant HostRecord::ValueOf(const Slot& slot) const {
    switch (slot.type) {
        case VarType::Empty: return Variant();
        case VarType::I4: return Variant::I4(slot.value.integer);
        case VarType::Int: return Variant::Int(slot.value.integer);
        case VarType::Bool: return Variant::Bool(slot.value.integer != 0);
        case VarType::R8: return Variant::R8(slot.value.real);
        case VarType::Dispatch: return Variant::Dispatch(objects_[slot.value.at]);
        default: return others_[slot.value.at];
    }
}

std::vector<RecordEntry> HostRecord::Entries() const {
    std::vector<RecordEntry> entries;
    entries.reserve(slots_.size());
    for (const Slot& slot : slots_) entries.push_back({NameOf(slot), ValueOf(slot)});
    return entries;
}

Variant HostRecord::Read(const Variant& which, std::int32_t& flags, std::string& text) const {
    HostFaults::Check("HostRecord.Read");
    flags = 0;
    text.clear();
    if (which.Type() == VarType::I4 || which.Type() == VarType::Int) {
        const std::int32_t i = which.AsI4();
        if (i < 0 || static_cast<std::size_t>(i) >= PositionalCount()) return Variant();
        const auto n = static_cast<std::size_t>(i);
        const Slot& slot = slots_[n < leadingPositional_ ? n : positional_[n - leadingPositional_]];
        flags = 1;
        text = NameOf(slot);
        return ValueOf(slot);
    }
    if (which.Type() == VarType::BStr) {
        const std::string& name = which.AsBStr();
        std::size_t at = 0;
        if (name == kPositionalName) {
            if (PositionalCount() == 0) return Variant();
            at = lastPositional_;
        } else {
            auto it = byName_.find(name);
            if (it == byName_.end()) return Variant();
            at = it->second.last;
        }
        const Slot& slot = slots_[at];
        flags = 1;
        text = NameOf(slot);
        return ValueOf(slot);
    }
    throw HostError(E_INVALIDARG_,
                    std::string("a record is read by index or name, not by ") + VarTypeName(which.Type()));
}

std::int32_t HostRecord::WriteOne(const std::string& libraryKey, const Variant& value, const std::string& name) {
    HostFaults::Check("HostRecord.WriteOne");
    CheckKey(libraryKey);
    if (!attached_) return 0;
    Append(name, value);
    return 1;
}

bool HostRecord::Write(const std::string& libraryKey, const Variant& values, const Variant& names) {
    HostFaults::Check("HostRecord.Write");
    CheckKey(libraryKey);
    const auto& v = values.AsArray();
    const auto& n = names.AsArray();
    if (v.size() != n.size())
        throw HostError(E_INVALIDARG_, "record \"" + name_ + "\": " + std::to_string(v.size()) + " values but " +
                                           std::to_string(n.size()) + " names");
    // Check every name before appending anything, so a bad array adds nothing.
    for (const auto& name : n) (void)name.AsBStr();
    if (!attached_) return false;
    slots_.reserve(slots_.size() + v.size());
    for (std::size_t i = 0; i < v.size(); ++i) Append(n[i].AsBStr(), v[i]);
    return true;
}

}  // namespace zarvento
