// A document of the headless host (part, assembly or 2D drawing): its
// storages of records and its host entities, saved to and opened from one
// file (see DocumentFile).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/core/file_identity.h"
#include "platform/core/host_object.h"
#include "platform/documents/host_storages.h"

namespace zarvento {

class LocalCoordinateSystem;
class HostDocument3D;
class HostSketch;
class HostNamedObject;
class HostVariable;
class HostDrawingContainer;

// The host's automation numbering of document types.
enum class DocumentType : std::int32_t {
    Drawing2D = 1,
    Part = 4,
    Assembly = 5,
};

// ".rdp", ".rda", ".rdd".
const char* DocumentExtension(DocumentType type);
// The type of a known numeric code; false for any other.
bool DocumentTypeFromCode(std::int64_t code, DocumentType& out);

class HostDocument : public HostObject {
public:
    explicit HostDocument(DocumentType type) : type_(type) {}

    DocumentType Type() const;
    // The file the document was opened from or last saved to; empty when it
    // was never saved.
    const std::string& FilePath() const;
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { visible_ = v; }
    bool Closed() const { return closed_; }

    // The storage collection; E_POINTER once the document is closed.
    HostStorages& Storages();
    const HostStorages& Storages() const { return storages_; }

    // The drawing objects of the document's 3D view; E_POINTER for a drawing
    // (no 3D view) or a closed document.
    HostDrawingContainer& Drawings();
    // The view's drawables as they are, without a host call; null when the
    // document never had any.
    const HostDrawingContainer* DrawingsOrNull() const { return drawings_.get(); }
    // The document-ready property: 0 while the view cannot be touched.
    std::int32_t DocumentReady() const;
    void SetDocumentReady(std::int32_t ready) { ready_ = ready; }

    // Entities. Adding gives the object the next persistent id of this
    // document; an object that already has one (it belongs to a document)
    // is refused.
    void AddEntity(const HostObjectPtr& obj);
    std::shared_ptr<LocalCoordinateSystem> AddLocalCoordinateSystem(std::string name, std::array<double, 3> origin,
                                                                    std::array<double, 3> axisX,
                                                                    std::array<double, 3> axisY,
                                                                    std::array<double, 3> axisZ);
    std::shared_ptr<HostSketch> AddSketch(std::string name);
    std::shared_ptr<HostNamedObject> AddNamedObject(int objectType, std::string name);
    std::shared_ptr<HostVariable> AddVariable(std::string name, double value, std::string comment = {});
    // Deletes the entity from the document; references to it that records
    // still hold are saved as lost (a null reference).
    bool RemoveEntity(const HostObjectPtr& obj);
    // The entity of that id, or null.
    HostObjectPtr FindEntity(std::int64_t id) const;
    // Whether the object is an entity of this document.
    bool Owns(const HostObject* obj) const;
    const std::vector<HostObjectPtr>& Entities() const { return entities_; }
    std::vector<HostObjectPtr> ObjectsOfType(int objectType) const;
    std::vector<std::shared_ptr<HostVariable>> Variables() const;

    // The sketch of that name (the first one), or null.
    std::shared_ptr<HostSketch> FindSketch(const std::string& name) const;
    // The variable of that name (the first one), or null.
    std::shared_ptr<HostVariable> FindVariable(const std::string& name) const;

    // Rebuilds the model: the registered rebuild (if any) recomputes what
    // depends on the variables. Counted, so callers can check it happened.
    void Rebuild();
    int RebuildCount() const { return rebuildCount_; }

    // Saves to the document's own file; E_FAIL when it has none. The file
    // must still be the one the document was opened from or last saved to,
    // unchanged: a save of another program meanwhile is never overwritten
    // (STG_E_WRITEFAULT, see DocumentFile::Write).
    void Save();
    // Saves to the given file and makes it the document's file. The file is
    // replaced as a whole: a failed save leaves the previous one intact.
    // With `mayReplace` false an existing file is refused
    // (STG_E_FILEALREADYEXISTS): a new document never takes another's place
    // unasked.
    void SaveAs(const std::string& path, bool mayReplace = true);

    // A record of the library that a writer has taken out to write anew and
    // not yet written whole (StorageRecord marks it). While one is, a save
    // refuses (STG_E_WRITEFAULT) naming it: the file keeps the record's last
    // whole state rather than a document that has lost it.
    void SetRecordUnfinished(const std::string& name, bool unfinished);

    // Results derived from the document's content (a part's section, its
    // volume), kept with it so that a later opening need not derive them
    // again. Each is named by what it is for and saved and read back with the
    // document; its bytes start with the key of the content it was derived
    // from, which whoever reads it compares with the content as it is now:
    // a result of other content is derived again and replaces it. Empty
    // bytes drop the result.
    const std::string* DerivedResult(const std::string& name) const;
    void SetDerivedResult(const std::string& name, std::string bytes);
    const std::map<std::string, std::string>& DerivedResults() const { return derived_; }

    // The 3D side of a part or an assembly (picks, highlights, selection,
    // picking processes); null for a drawing; E_POINTER once closed.
    HostDocument3D* Document3D();

    // Used by the documents collection and the document file.
    void SetFilePath(std::string path) { filePath_ = std::move(path); }
    // The file as it stood when the document was read from it.
    void SetFileIdentity(const FileIdentity& identity) { fileIdentity_ = identity; }
    void MarkClosed();
    std::int64_t NextId() const { return nextId_; }
    void SetNextId(std::int64_t id) { nextId_ = id; }
    void LoadEntity(const HostObjectPtr& obj);
    // Room for that many entities, before a document file loads them.
    void ReserveEntities(std::size_t count);

private:
    DocumentType type_;
    std::string filePath_;
    // The file at filePath_ as this document last read or wrote it.
    FileIdentity fileIdentity_;
    bool visible_ = true;
    bool closed_ = false;
    HostStorages storages_;
    std::vector<HostObjectPtr> entities_;
    std::unordered_map<std::int64_t, HostObjectPtr> byId_;
    std::int64_t nextId_ = 1;
    int rebuildCount_ = 0;
    std::shared_ptr<HostDocument3D> document3D_;
    std::shared_ptr<HostDrawingContainer> drawings_;
    std::int32_t ready_ = 1;
    std::map<std::string, std::string> derived_;
    std::set<std::string> unfinishedRecords_;
};

using HostDocumentPtr = std::shared_ptr<HostDocument>;

// What a rebuild of a part computes lives above the host (the model's
// equations are formulas of the system); that layer registers it here.
using DocumentRebuildHandler = std::function<void(HostDocument&)>;
void SetDocumentRebuildHandler(DocumentRebuildHandler handler);

}  // namespace zarvento
