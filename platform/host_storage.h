// One storage of a document: its records in order of creation, found by name.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/host_record.h"

namespace zarvento {

class HostStorage {
public:
    // The record of that name (a BSTR), or null when there is none.
    std::shared_ptr<HostRecord> Record(const Variant& name) const;
    // A new empty record; a name already present is refused.
    std::shared_ptr<HostRecord> AddRecord(const std::string& name);
    // Removes the record of that name when it belongs to the library key (or
    // was never bound to one). True when a record was removed.
    bool RemoveRecord(const std::string& libraryKey, const Variant& name);

    const std::vector<std::shared_ptr<HostRecord>>& Records() const { return records_; }
    // Used by the document file: appends a record read from disk.
    void LoadRecord(std::shared_ptr<HostRecord> r) { records_.push_back(std::move(r)); }
    // Detaches every record, so holders can no longer write into this storage.
    void DetachAll();

private:
    std::vector<std::shared_ptr<HostRecord>>::const_iterator Find(const std::string& name) const;

    std::vector<std::shared_ptr<HostRecord>> records_;
};

}  // namespace zarvento
