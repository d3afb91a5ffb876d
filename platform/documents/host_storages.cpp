// HostStorages: items by index and adding one.
#include "platform/documents/host_storages.h"

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"

namespace zarvento {

std::shared_ptr<HostStorage> HostStorages::Item(const Variant& index) const {
    HostFaults::Check("HostStorages.Item");
    if (index.Type() != VarType::I4 && index.Type() != VarType::Int)
        throw HostError(E_INVALIDARG_, std::string("a storage is found by index, not by ") + VarTypeName(index.Type()));
    const std::int32_t i = index.AsI4();
    if (i < 0 || static_cast<std::size_t>(i) >= items_.size()) return nullptr;
    return items_[static_cast<std::size_t>(i)];
}

std::shared_ptr<HostStorage> HostStorages::Add(std::int32_t /*kind*/) {
    HostFaults::Check("HostStorages.Add");
    items_.push_back(std::make_shared<HostStorage>());
    return items_.back();
}

void HostStorages::DetachAll() {
    for (auto& s : items_) s->DetachAll();
}

}  // namespace zarvento
