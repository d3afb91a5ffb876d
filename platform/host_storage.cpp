// HostStorage: record look-up, creation and removal.
#include "platform/host_storage.h"

#include <algorithm>

#include "platform/host_error.h"
#include "platform/host_faults.h"

namespace zarvento {

std::vector<std::shared_ptr<HostRecord>>::const_iterator HostStorage::Find(const std::string& name) const {
    return std::find_if(records_.begin(), records_.end(), [&](const auto& r) { return r->Name() == name; });
}

std::shared_ptr<HostRecord> HostStorage::Record(const Variant& name) const {
    HostFaults::Check("HostStorage.Record");
    auto it = Find(name.AsBStr());
    return it == records_.end() ? nullptr : *it;
}

std::shared_ptr<HostRecord> HostStorage::AddRecord(const std::string& name) {
    HostFaults::Check("HostStorage.AddRecord");
    if (Find(name) != records_.end()) throw HostError(E_INVALIDARG_, "record \"" + name + "\" already exists");
    records_.push_back(std::make_shared<HostRecord>(name));
    return records_.back();
}

bool HostStorage::RemoveRecord(const std::string& libraryKey, const Variant& name) {
    HostFaults::Check("HostStorage.RemoveRecord");
    auto it = Find(name.AsBStr());
    if (it == records_.end()) return false;
    if (!(*it)->LibraryKey().empty() && (*it)->LibraryKey() != libraryKey) return false;
    (*it)->Detach();
    records_.erase(it);
    return true;
}

void HostStorage::DetachAll() {
    for (auto& r : records_) r->Detach();
}

}  // namespace zarvento
