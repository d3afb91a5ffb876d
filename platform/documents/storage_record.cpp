// StorageRecord: reaching storage 0, opening, reading and the single write.
#include "platform/documents/storage_record.h"

#include <exception>

#include "platform/core/host_error.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_document.h"
#include "platform/documents/host_storage.h"

namespace zarvento {

StorageRecord::StorageRecord() : key_(kLibraryKey) {}

StorageRecord::~StorageRecord() {
    // A writer left by an error on its way out wrote only part of its record.
    if (std::uncaught_exceptions() > uncaughtAtOpen_) WriteFailed();
    try {
        Flush();
    } catch (...) {
        // A destructor must not throw; what could not be written is lost with
        // the save that failed.
    }
}

std::shared_ptr<HostStorage> StorageRecord::ReachStorage(bool create) {
    HostStorages& storages = ActiveHostDocument()->Storages();
    std::shared_ptr<HostStorage> storage = storages.Item(Variant::I4(0));
    if (!storage && create) storage = storages.Add(0);
    return storage;
}

void StorageRecord::WriteFailed() {
    writeFailed_ = true;
    if (const HostDocumentPtr document = writingIn_.lock()) document->SetRecordUnfinished(name_, true);
}

HostRecord& StorageRecord::OpenRecord() const {
    if (!record_) throw HostError(E_POINTER_, "no record is open");
    return *record_;
}

bool StorageRecord::OpenRead(const std::string& name) {
    Flush();
    writingIn_.reset();
    std::shared_ptr<HostStorage> storage = ReachStorage(false);
    if (!storage) return false;
    record_.reset();
    record_ = storage->Record(Variant::BStr(name));
    if (!record_) return false;
    readPosition_ = 0;
    name_ = name;
    return true;
}

bool StorageRecord::OpenWrite(const std::string& name) {
    Flush();
    std::shared_ptr<HostStorage> storage = ReachStorage(true);
    if (!storage) return false;
    const HostDocumentPtr document = ActiveHostDocument();
    storage->RemoveRecord(key_, Variant::BStr(name));
    // From here until the values are in, the document has lost the record.
    document->SetRecordUnfinished(name, true);
    record_.reset();
    name_ = name;
    writingIn_ = document;
    writeFailed_ = false;
    uncaughtAtOpen_ = std::uncaught_exceptions();
    record_ = storage->AddRecord(name);
    if (!record_) return false;
    try {
        record_->Init("", key_);
    } catch (...) {
        WriteFailed();
        throw;
    }
    readPosition_ = 0;
    return true;
}

bool StorageRecord::Remove(const std::string& name) {
    if (std::shared_ptr<HostStorage> storage = ReachStorage(false)) storage->RemoveRecord(key_, Variant::BStr(name));
    return true;
}

Variant& StorageRecord::ReadValue(Variant& v) {
    v = Variant();
    HostRecord& record = OpenRecord();
    const Variant index = Variant::I4(readPosition_++);
    std::int32_t flags = 0;
    std::string text;
    v = record.Read(index, flags, text);
    return v;
}

void StorageRecord::ReadNamedValue(const std::string& key) {
    HostRecord& record = OpenRecord();
    std::string text;
    readBuffer_ = record.Read(Variant::BStr(key), readFlags_, text);
}

bool StorageRecord::AddValue(Variant& v) {
    pendingValues_.push_back(v);
    pendingNames_.emplace_back(HostRecord::kPositionalName);
    v = Variant();
    return true;
}

bool StorageRecord::AddValue(Variant&& v) {
    Variant moved = std::move(v);
    return AddValue(moved);
}

void StorageRecord::AddNamedValue(const std::string& key, const Variant& v) {
    pendingValues_.push_back(v);
    pendingNames_.push_back(key);
}

std::int32_t StorageRecord::WriteNamedValueNow(const std::string& key, const Variant& v) {
    try {
        return OpenRecord().WriteOne(key_, v, key);
    } catch (...) {
        WriteFailed();
        throw;
    }
}

bool StorageRecord::Flush() {
    // Taken out first: whatever happens below, these values are never
    // written again into another record.
    std::vector<Variant> values = std::move(pendingValues_);
    std::vector<std::string> names = std::move(pendingNames_);
    pendingValues_.clear();
    pendingNames_.clear();
    bool written = false;
    if (!values.empty() && !names.empty() && record_) {
        std::vector<Variant> nameValues;
        nameValues.reserve(names.size());
        for (auto& n : names) nameValues.push_back(Variant::BStr(std::move(n)));
        try {
            written = record_->Write(key_, Variant::Array(std::move(values)), Variant::Array(std::move(nameValues)));
        } catch (...) {
            WriteFailed();
            throw;
        }
    }
    // The record opened for writing is whole once its values are in (or it
    // was given none) and nothing on the way failed.
    if (const HostDocumentPtr document = writingIn_.lock(); document && !writeFailed_ && record_)
        document->SetRecordUnfinished(name_, false);
    return written;
}

}  // namespace zarvento
