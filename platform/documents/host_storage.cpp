// HostStorage: record look-up, creation and removal.
#include "platform/documents/host_storage.h"

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"

namespace zarvento {

std::shared_ptr<HostRecord> HostStorage::Record(const Variant& name) const {
    HostFaults::Check("HostStorage.Record");
    auto it = byName_.find(name.AsBStr());
    return it == byName_.end() ? nullptr : *it->second;
}

bool HostStorage::LoadRecord(std::shared_ptr<HostRecord> r) {
    if (byName_.count(r->Name())) return false;
    const std::string name = r->Name();
    byName_.emplace(name, records_.insert(records_.end(), std::move(r)));
    return true;
}

std::shared_ptr<HostRecord> HostStorage::AddRecord(const std::string& name) {
    HostFaults::Check("HostStorage.AddRecord");
    auto r = std::make_shared<HostRecord>(name);
    if (!LoadRecord(r)) throw HostError(E_INVALIDARG_, "record \"" + name + "\" already exists");
    return r;
}

bool HostStorage::RemoveRecord(const std::string& libraryKey, const Variant& name) {
    HostFaults::Check("HostStorage.RemoveRecord");
    auto it = byName_.find(name.AsBStr());
    if (it == byName_.end()) return false;
    const auto& record = *it->second;
    if (!record->LibraryKey().empty() && record->LibraryKey() != libraryKey) return false;
    record->Detach();
    records_.erase(it->second);
    byName_.erase(it);
    return true;
}

void HostStorage::DetachAll() {
    for (auto& r : records_) r->Detach();
}

}  // namespace zarvento
