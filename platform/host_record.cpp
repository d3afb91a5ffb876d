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
        throw HostError(E_INVALIDARG_, "record \"" + name_ + "\" does not belong to library key \"" + libraryKey + "\"");
}

Variant HostRecord::Read(const Variant& which, std::int32_t& flags, std::string& text) const {
    HostFaults::Check("HostRecord.Read");
    flags = 0;
    text.clear();
    if (which.Type() == VarType::I4 || which.Type() == VarType::Int) {
        std::int32_t left = which.AsI4();
        if (left < 0) return Variant();
        for (const auto& e : entries_) {
            if (e.name != kPositionalName) continue;
            if (left-- == 0) {
                flags = 1;
                text = e.name;
                return e.value;
            }
        }
        return Variant();
    }
    if (which.Type() == VarType::BStr) {
        const std::string& key = which.AsBStr();
        for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
            if (it->name != key) continue;
            flags = 1;
            text = it->name;
            return it->value;
        }
        return Variant();
    }
    throw HostError(E_INVALIDARG_, std::string("a record is read by index or name, not by ") + VarTypeName(which.Type()));
}

std::int32_t HostRecord::WriteOne(const std::string& libraryKey, const Variant& value, const std::string& name) {
    HostFaults::Check("HostRecord.WriteOne");
    CheckKey(libraryKey);
    if (!attached_) return 0;
    entries_.push_back({name, value});
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
    for (std::size_t i = 0; i < v.size(); ++i) entries_.push_back({n[i].AsBStr(), v[i]});
    return true;
}

}  // namespace zarvento
