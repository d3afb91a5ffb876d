// HostRecord: positional and named reads, single and array writes.
#include "platform/host_record.h"

#include "platform/host_error.h"
#include "platform/host_faults.h"

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
    const std::size_t at = entries_.size();
    if (name == kPositionalName) {
        if (at == leadingPositional_)
            ++leadingPositional_;
        else
            positional_.push_back(at);
        lastPositional_ = at;
    } else {
        const auto [it, added] = lastByName_.try_emplace(std::string(name), at);
        if (!added) it->second = at;
    }
    entries_.push_back({std::string(name), std::move(value)});
}

Variant HostRecord::Read(const Variant& which, std::int32_t& flags, std::string& text) const {
    HostFaults::Check("HostRecord.Read");
    flags = 0;
    text.clear();
    if (which.Type() == VarType::I4 || which.Type() == VarType::Int) {
        const std::int32_t i = which.AsI4();
        if (i < 0 || static_cast<std::size_t>(i) >= PositionalCount()) return Variant();
        const auto n = static_cast<std::size_t>(i);
        const RecordEntry& e = entries_[n < leadingPositional_ ? n : positional_[n - leadingPositional_]];
        flags = 1;
        text = e.name;
        return e.value;
    }
    if (which.Type() == VarType::BStr) {
        const std::string& name = which.AsBStr();
        std::size_t at = 0;
        if (name == kPositionalName) {
            if (PositionalCount() == 0) return Variant();
            at = lastPositional_;
        } else {
            auto it = lastByName_.find(name);
            if (it == lastByName_.end()) return Variant();
            at = it->second;
        }
        const RecordEntry& e = entries_[at];
        flags = 1;
        text = e.name;
        return e.value;
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
    entries_.reserve(entries_.size() + v.size());
    for (std::size_t i = 0; i < v.size(); ++i) Append(n[i].AsBStr(), v[i]);
    return true;
}

}  // namespace zarvento
