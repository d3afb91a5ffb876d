// HostDocument: entities with persistent ids, storages, and saving.
#include "platform/documents/host_document.h"

#include <algorithm>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/host_named_object.h"
#include "platform/core/host_variable.h"
#include "platform/documents/document_file.h"
#include "platform/documents/host_application.h"
#include "platform/drawings/host_drawing_container.h"
#include "platform/drawings/host_sketch.h"
#include "platform/drawings/local_coordinate_system.h"

namespace zarvento {

const char* DocumentExtension(DocumentType type) {
    switch (type) {
        case DocumentType::Drawing2D: return ".rdd";
        case DocumentType::Part: return ".rdp";
        case DocumentType::Assembly: return ".rda";
    }
    return "";
}

bool DocumentTypeFromCode(std::int64_t code, DocumentType& out) {
    switch (code) {
        case static_cast<std::int64_t>(DocumentType::Drawing2D): out = DocumentType::Drawing2D; return true;
        case static_cast<std::int64_t>(DocumentType::Part): out = DocumentType::Part; return true;
        case static_cast<std::int64_t>(DocumentType::Assembly): out = DocumentType::Assembly; return true;
        default: return false;
    }
}

DocumentType HostDocument::Type() const {
    HostFaults::Check("HostDocument.Type");
    return type_;
}

const std::string& HostDocument::FilePath() const {
    HostFaults::Check("HostDocument.FilePath");
    return filePath_;
}

HostStorages& HostDocument::Storages() {
    HostFaults::Check("HostDocument.Storages");
    if (closed_) throw HostError(E_POINTER_, "the document is closed");
    return storages_;
}

void HostDocument::AddEntity(const HostObjectPtr& obj) {
    HostFaults::Check("HostDocument.AddEntity");
    if (!obj) throw HostError(E_POINTER_, "no entity to add");
    if (obj->PersistentId() != 0)
        throw HostError(E_INVALIDARG_,
                        "entity #" + std::to_string(obj->PersistentId()) + " already belongs to a document");
    obj->SetPersistentId(nextId_++);
    LoadEntity(obj);
}

void HostDocument::LoadEntity(const HostObjectPtr& obj) {
    entities_.push_back(obj);
    byId_[obj->PersistentId()] = obj;
    nextId_ = std::max(nextId_, obj->PersistentId() + 1);
}

const std::string* HostDocument::DerivedResult(const std::string& name) const {
    const auto it = derived_.find(name);
    return it == derived_.end() ? nullptr : &it->second;
}

void HostDocument::SetDerivedResult(const std::string& name, std::string bytes) {
    if (bytes.empty())
        derived_.erase(name);
    else
        derived_[name] = std::move(bytes);
}

void HostDocument::ReserveEntities(std::size_t count) {
    // Room for the few objects a run adds to a read document (the section's
    // outline), so that adding one does not double a long list.
    constexpr std::size_t kAddedByARun = 8;
    entities_.reserve(count + kAddedByARun);
    byId_.reserve(count);
}

std::shared_ptr<LocalCoordinateSystem> HostDocument::AddLocalCoordinateSystem(std::string name,
                                                                              std::array<double, 3> origin,
                                                                              std::array<double, 3> axisX,
                                                                              std::array<double, 3> axisY,
                                                                              std::array<double, 3> axisZ) {
    auto lcs = std::make_shared<LocalCoordinateSystem>(origin, axisX, axisY, axisZ);
    lcs->SetName(std::move(name));
    AddEntity(lcs);
    return lcs;
}

std::shared_ptr<HostSketch> HostDocument::AddSketch(std::string name) {
    auto s = std::make_shared<HostSketch>(std::move(name));
    AddEntity(s);
    return s;
}

std::shared_ptr<HostNamedObject> HostDocument::AddNamedObject(int objectType, std::string name) {
    auto o = std::make_shared<HostNamedObject>(objectType, std::move(name));
    AddEntity(o);
    return o;
}

std::shared_ptr<HostVariable> HostDocument::AddVariable(std::string name, double value, std::string comment) {
    auto v = std::make_shared<HostVariable>(std::move(name), value, std::move(comment));
    AddEntity(v);
    return v;
}

bool HostDocument::RemoveEntity(const HostObjectPtr& obj) {
    HostFaults::Check("HostDocument.RemoveEntity");
    if (!obj || !Owns(obj.get())) return false;
    byId_.erase(obj->PersistentId());
    entities_.erase(std::find(entities_.begin(), entities_.end(), obj));
    return true;
}

HostObjectPtr HostDocument::FindEntity(std::int64_t id) const {
    auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
}

bool HostDocument::Owns(const HostObject* obj) const {
    if (!obj) return false;
    auto it = byId_.find(obj->PersistentId());
    return it != byId_.end() && it->second.get() == obj;
}

std::vector<HostObjectPtr> HostDocument::ObjectsOfType(int objectType) const {
    HostFaults::Check("HostDocument.ObjectsOfType");
    std::vector<HostObjectPtr> out;
    for (const auto& e : entities_)
        if (e->ObjectType() == objectType) out.push_back(e);
    return out;
}

std::vector<std::shared_ptr<HostVariable>> HostDocument::Variables() const {
    HostFaults::Check("HostDocument.Variables");
    std::vector<std::shared_ptr<HostVariable>> out;
    for (const auto& e : entities_)
        if (auto v = std::dynamic_pointer_cast<HostVariable>(e)) out.push_back(v);
    return out;
}

std::shared_ptr<HostSketch> HostDocument::FindSketch(const std::string& name) const {
    HostFaults::Check("HostDocument.FindSketch");
    for (const auto& e : entities_)
        if (auto sk = std::dynamic_pointer_cast<HostSketch>(e); sk && sk->Name() == name) return sk;
    return nullptr;
}

std::shared_ptr<HostVariable> HostDocument::FindVariable(const std::string& name) const {
    for (const auto& e : entities_)
        if (auto v = std::dynamic_pointer_cast<HostVariable>(e); v && v->Name() == name) return v;
    return nullptr;
}

namespace {
DocumentRebuildHandler& RebuildHandler() {
    static DocumentRebuildHandler handler;
    return handler;
}
}  // namespace

void SetDocumentRebuildHandler(DocumentRebuildHandler handler) { RebuildHandler() = std::move(handler); }

void HostDocument::Rebuild() {
    HostFaults::Check("HostDocument.Rebuild");
    if (closed_) throw HostError(E_POINTER_, "the document is closed");
    ++rebuildCount_;
    if (RebuildHandler()) RebuildHandler()(*this);
}

void HostDocument::Save() {
    if (filePath_.empty()) {
        HostFaults::Check("HostDocument.Save");
        throw HostError(E_FAIL_, "the document has no file yet");
    }
    SaveAs(filePath_);
}

void HostDocument::SaveAs(const std::string& path, bool mayReplace) {
    HostFaults::Check("HostDocument.Save");
    if (closed_) throw HostError(E_POINTER_, "the document is closed");
    if (path.empty()) throw HostError(E_INVALIDARG_, "no file name to save the document to");
    if (!unfinishedRecords_.empty())
        throw HostError(STG_E_WRITEFAULT_, "the record \"" + *unfinishedRecords_.begin() +
                                               "\" could not be written whole; the document is not saved, so that "
                                               "its file keeps the record as it was");
    if (HostApplication* app = HostApplicationObject()) {
        HostDocumentPtr other = app->Documents().FindByPath(path);
        if (other && other.get() != this) throw HostError(E_INVALIDARG_, "another open document uses the file " + path);
    }
    const std::string target = NormalizeDocumentPath(path);
    // Our own file must be as we left it; another file is replaced knowingly.
    const bool ownFile = !filePath_.empty() && target == NormalizeDocumentPath(filePath_);
    fileIdentity_ = DocumentFile::Write(*this, target, mayReplace, ownFile ? &fileIdentity_ : nullptr);
    filePath_ = target;
}

void HostDocument::SetRecordUnfinished(const std::string& name, bool unfinished) {
    if (unfinished)
        unfinishedRecords_.insert(name);
    else
        unfinishedRecords_.erase(name);
}

void HostDocument::MarkClosed() {
    closed_ = true;
    storages_.DetachAll();
    if (drawings_) drawings_->RemoveAll();
}

HostDrawingContainer& HostDocument::Drawings() {
    HostFaults::Check("HostDocument.Drawings");
    if (closed_) throw HostError(E_POINTER_, "the document is closed");
    if (type_ == DocumentType::Drawing2D)
        throw HostError(E_POINTER_, "the drawing " +
                                        (FilePath().empty() ? std::string("(not saved yet)") : FilePath()) +
                                        " is the active document, and a drawing has no 3D view");
    if (!drawings_) drawings_ = std::make_shared<HostDrawingContainer>();
    return *drawings_;
}

std::int32_t HostDocument::DocumentReady() const {
    HostFaults::Check("HostDocument.DocumentReady");
    return ready_;
}

}  // namespace zarvento
