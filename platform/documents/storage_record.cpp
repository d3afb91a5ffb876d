// StorageRecord: reaching storage 0, opening, reading and the single write.
#include "platform/documents/storage_record.h"

#include "platform/core/host_error.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_storage.h"

namespace zarvento {

StorageRecord::StorageRecord() : key_(kLibraryKey) {}

StorageRecord::~StorageRecord() {
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

HostRecord& StorageRecord::OpenRecord() const {
    if (!record_) throw HostError(E_POINTER_, "no record is open");
    return *record_;
}

bool StorageRecord::OpenRead(const std::string& name) {
    Flush();
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
    storage->RemoveRecord(key_, Variant::BStr(name));
    record_.reset();
    record_ = storage->AddRecord(name);
    if (!record_) return false;
    record_->Init("", key_);
    readPosition_ = 0;
    name_ = name;
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
    return OpenRecord().WriteOne(key_, v, key);
}

bool StorageRecord::Flush() {
    // Taken out first: whatever happens below, these values are never
    // written again into another record.
    std::vector<Variant> values = std::move(pendingValues_);
    std::vector<std::string> names = std::move(pendingNames_);
    pendingValues_.clear();
    pendingNames_.clear();
    if (values.empty() || names.empty() || !record_) return false;
    std::vector<Variant> nameValues;
    nameValues.reserve(names.size());
    for (auto& n : names) nameValues.push_back(Variant::BStr(std::move(n)));
    return record_->Write(key_, Variant::Array(std::move(values)), Variant::Array(std::move(nameValues)));
}

}  // namespace zarvento
