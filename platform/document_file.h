// The file of a host document: one SQLite database holding the document's
// type, its entities with their persistent ids and its storage records.
#pragma once

#include <string>

#include "platform/host_document.h"

namespace zarvento {

class DocumentFile {
public:
    // Marks our files in the database header ("ZRVD").
    static constexpr int kApplicationId = 0x5A525644;
    static constexpr const char* kFormatName = "Zarvento document";
    // Version 1: document, entities, storages, records, entries.
    // Version 2: the part model's entities (parts with their bodies, faces,
    // edges, outlines, dimensions, roughness signs).
    static constexpr int kFormatVersion = 2;

    // Writes the whole document in one transaction into a file beside the
    // target and renames it over the target once it is complete, so a save
    // that fails (or is cut off) leaves the previous file as it was.
    static void Write(const HostDocument& doc, const std::string& path);

    // Reads a document file into a new document that belongs to no
    // collection yet. A missing file raises STG_E_FILENOTFOUND, a file that
    // is not a document STG_E_INVALIDHEADER, a damaged one STG_E_DOCFILECORRUPT.
    static HostDocumentPtr Read(const std::string& path);
};

}  // namespace zarvento
