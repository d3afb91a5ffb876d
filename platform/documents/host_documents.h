// The application's open documents: created, opened from a file, found by
// path and closed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/documents/host_document.h"

namespace zarvento {

class HostApplication;

// The full, normalised form of a document path, by which documents are
// compared (symbolic links resolved as far as the path exists).
std::string NormalizeDocumentPath(const std::string& path);

class HostDocuments {
public:
    explicit HostDocuments(HostApplication& app) : app_(app) {}
    HostDocuments(const HostDocuments&) = delete;
    HostDocuments& operator=(const HostDocuments&) = delete;
    ~HostDocuments();

    // A new empty document; a visible one becomes the active document.
    HostDocumentPtr Add(DocumentType type, bool visible = true);
    // Opens a document file, or gives the open document of that path; a STEP
    // file becomes a new part or assembly document. A visible document
    // becomes active. A missing, foreign or damaged file raises HostError and
    // changes nothing.
    HostDocumentPtr Open(const std::string& path, bool visible = true);
    // The open document of that file, or null.
    HostDocumentPtr FindByPath(const std::string& path) const;
    // Closes the document (without saving); when it was active, no document
    // is active afterwards. False when it is not open here.
    bool Close(const HostDocumentPtr& doc);
    void CloseAll();
    bool Contains(const HostDocumentPtr& doc) const;

    std::size_t Count() const { return docs_.size(); }
    HostDocumentPtr Item(std::size_t i) const { return i < docs_.size() ? docs_[i] : nullptr; }

private:
    HostApplication& app_;
    std::vector<HostDocumentPtr> docs_;
};

}  // namespace zarvento
