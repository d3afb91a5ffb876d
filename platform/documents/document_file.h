// The file of a host document: one SQLite database holding the document's
// type, its entities with their persistent ids and its storage records.
#pragma once

#include <string>

#include "platform/core/file_identity.h"
#include "platform/documents/host_document.h"

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

    // Writes the whole document in one transaction into a file of its own
    // beside the target and renames it over the target once it is complete,
    // so a save that fails (or is cut off) leaves the previous file as it was
    // and two saves never share a temporary file. The saved file keeps the
    // mode of the one it replaces; a new one gets 0666 less the umask. What
    // saves of the same document that were cut off left beside it
    // ("<file>.saving-<hex>", no save under way holding it) is removed. Refused (STG_E_ACCESSDENIED) when the
    // target is a folder, another kind of file, write-protected or a file
    // that is not a Zarvento document (an empty one aside); refused
    // (STG_E_FILEALREADYEXISTS) when `mayReplace` is false and a file is
    // there; refused (STG_E_WRITEFAULT) when `expected` is given and the file
    // at the target is no longer that one, unchanged: someone else saved it
    // since it was read. Returns the identity of the saved file.
    static FileIdentity Write(const HostDocument& doc, const std::string& path, bool mayReplace = true,
                              const FileIdentity* expected = nullptr);

    // Whether the file at `path` is a Zarvento document by its header (an
    // SQLite database with our application id); no content is checked.
    static bool IsDocumentFile(const std::string& path);

    // Reads a document file into a new document that belongs to no
    // collection yet. A missing file raises STG_E_FILENOTFOUND, one that
    // cannot be reached (links that go round, a folder, no permission)
    // STG_E_ACCESSDENIED saying why, a file that is not a document
    // STG_E_INVALIDHEADER, a damaged one STG_E_DOCFILECORRUPT.
    static HostDocumentPtr Read(const std::string& path);
};

}  // namespace zarvento
