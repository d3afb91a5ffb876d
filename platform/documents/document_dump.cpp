// DumpDocumentRecords: the record listing.
#include "platform/documents/document_dump.h"

#include "platform/documents/storage_record.h"

namespace zarvento {

std::string DumpDocumentRecords(const HostDocument& doc) {
    std::string out;
    const auto& storages = doc.Storages().Items();
    for (std::size_t i = 0; i < storages.size(); ++i) {
        out += "storage " + std::to_string(i) + "\n";
        for (const auto& r : storages[i]->Records()) {
            out += "record \"" + r->Name() + "\"";
            if (r->LibraryKey() != StorageRecord::kLibraryKey) out += " key \"" + r->LibraryKey() + "\"";
            out += "\n";
            for (const auto& e : r->Entries()) out += "  \"" + e.name + "\" " + e.value.DumpText() + "\n";
        }
    }
    return out;
}

}  // namespace zarvento
