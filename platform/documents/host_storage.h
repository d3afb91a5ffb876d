// One storage of a document: its records in order of creation, found by name.
#pragma once

#include <list>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/documents/host_record.h"

namespace zarvento {

class HostStorage {
public:
    using RecordList = std::list<std::shared_ptr<HostRecord>>;

    // The record of that name (a BSTR), or null when there is none.
    std::shared_ptr<HostRecord> Record(const Variant& name) const;
    // A new empty record; a name already present is refused.
    std::shared_ptr<HostRecord> AddRecord(const std::string& name);
    // Removes the record of that name when it belongs to the library key (or
    // was never bound to one). True when a record was removed.
    bool RemoveRecord(const std::string& libraryKey, const Variant& name);

    const RecordList& Records() const { return records_; }
    // Used by the document file: appends a record read from disk; false when
    // the name is taken.
    bool LoadRecord(std::shared_ptr<HostRecord> r);
    // Detaches every record, so holders can no longer write into this storage.
    void DetachAll();

private:
    // Records keep their order; the index makes look-up and removal constant
    // time, so rewriting every record of a large document stays linear.
    RecordList records_;
    std::unordered_map<std::string, RecordList::iterator> byName_;
};

}  // namespace zarvento
