// The storage collection of a document. Items are numbered from 0 in order
// of creation; a new document has none.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/documents/host_storage.h"

namespace zarvento {

class HostStorages {
public:
    // The storage at that index (an I4 or INT), or null when there is none.
    std::shared_ptr<HostStorage> Item(const Variant& index) const;
    // Appends a new storage; the argument is the host's and unused.
    std::shared_ptr<HostStorage> Add(std::int32_t kind);

    std::size_t Count() const { return items_.size(); }
    const std::vector<std::shared_ptr<HostStorage>>& Items() const { return items_; }
    void DetachAll();
    // Used by the document file: appends a storage read from disk.
    void LoadStorage(std::shared_ptr<HostStorage> s) { items_.push_back(std::move(s)); }

private:
    std::vector<std::shared_ptr<HostStorage>> items_;
};

}  // namespace zarvento
