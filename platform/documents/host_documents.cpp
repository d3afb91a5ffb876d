// HostDocuments: the open documents of the application.
#include "platform/documents/host_documents.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/documents/document_file.h"
#include "platform/documents/host_application.h"
#include "platform/part_model.h"

namespace zarvento {

std::string NormalizeDocumentPath(const std::string& path) {
    if (path.empty()) return {};
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(std::filesystem::path(path), ec);
    if (ec) p = std::filesystem::absolute(std::filesystem::path(path), ec).lexically_normal();
    if (ec) p = std::filesystem::path(path).lexically_normal();
    return p.string();
}

HostDocuments::~HostDocuments() { CloseAll(); }

HostDocumentPtr HostDocuments::Add(DocumentType type, bool visible) {
    HostFaults::Check("HostDocuments.Add");
    auto doc = std::make_shared<HostDocument>(type);
    doc->SetVisible(visible);
    docs_.push_back(doc);
    if (visible) app_.Activate(doc);
    return doc;
}

HostDocumentPtr HostDocuments::Open(const std::string& path, bool visible) {
    HostFaults::Check("HostDocuments.Open");
    HostDocumentPtr doc = FindByPath(path);
    if (!doc) {
        // A STEP file is read into a new document that has no file of its own
        // until it is saved, so saving never writes over the STEP file.
        if (IsStepFile(path)) {
            doc = OpenStepDocument(path);
        } else {
            // Taken before the reading: a file replaced meanwhile is taken for
            // changed at the next save, never the other way round.
            const FileIdentity identity = FileIdentity::Of(path);
            doc = DocumentFile::Read(path);
            doc->SetFilePath(NormalizeDocumentPath(path));
            doc->SetFileIdentity(identity);
        }
        doc->SetVisible(visible);
        docs_.push_back(doc);
    }
    if (visible) app_.Activate(doc);
    return doc;
}

HostDocumentPtr HostDocuments::FindByPath(const std::string& path) const {
    HostFaults::Check("HostDocuments.FindByPath");
    const std::string wanted = NormalizeDocumentPath(path);
    if (wanted.empty()) return nullptr;
    for (const auto& d : docs_)
        if (NormalizeDocumentPath(d->FilePath()) == wanted) return d;
    return nullptr;
}

bool HostDocuments::Close(const HostDocumentPtr& doc) {
    HostFaults::Check("HostDocuments.Close");
    auto it = std::find(docs_.begin(), docs_.end(), doc);
    if (it == docs_.end()) return false;
    if (app_.ActiveDocumentOrNull() == doc) app_.Activate(nullptr);
    doc->MarkClosed();
    docs_.erase(it);
    return true;
}

bool HostDocuments::Contains(const HostDocumentPtr& doc) const {
    return std::find(docs_.begin(), docs_.end(), doc) != docs_.end();
}

void HostDocuments::CloseAll() {
    for (auto& d : docs_) d->MarkClosed();
    docs_.clear();
}

}  // namespace zarvento
