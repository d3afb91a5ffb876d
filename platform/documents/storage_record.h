// StorageRecord: one named record of the library in storage 0 of the active
// document, opened for reading (positional values in order, named values by
// key) or for writing (values collected and handed to the host in one call).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/variant.h"
#include "platform/documents/host_record.h"

namespace zarvento {

class HostDocument;
class HostStorage;

class StorageRecord {
public:
    // The key under which every record of the library lives.
    static constexpr const char* kLibraryKey = "5S7R9G.Zarvento.01";

    StorageRecord();
    StorageRecord(const StorageRecord&) = delete;
    StorageRecord& operator=(const StorageRecord&) = delete;
    // Flushes the pending values; a host error there is swallowed, since the
    // destructor also runs while another error passes.
    ~StorageRecord();

    // Opening first writes the values still pending for the record open so
    // far, so they never land in the record opened next.
    bool OpenRead(const std::string& name);
    // The record is taken out and made anew: until its values are written
    // whole (the flush, at the latest when the object goes), the document
    // holds it as unfinished and refuses to be saved.
    bool OpenWrite(const std::string& name);
    // Deletes the record; true in every case that returns.
    bool Remove(const std::string& name);

    // The next positional value into v (Empty when the record has none
    // there); E_POINTER with no record open.
    Variant& ReadValue(Variant& v);
    // The value stored under the key, into the read buffer (Empty when
    // absent); E_POINTER with no record open.
    void ReadNamedValue(const std::string& key);
    const Variant& ReadBuffer() const { return readBuffer_; }
    std::int32_t ReadFlags() const { return readFlags_; }

    // Appends a positional value and clears the caller's one.
    bool AddValue(Variant& v);
    bool AddValue(Variant&& v);
    void AddNamedValue(const std::string& key, const Variant& v);
    // Hands one named value to the open record at once, outside the pending
    // lists (object references are written this way); E_POINTER with no
    // record open.
    std::int32_t WriteNamedValueNow(const std::string& key, const Variant& v);

    // Writes the pending values to the open record in one call and empties
    // the lists. False, writing nothing, when there is nothing pending or no
    // record is open.
    bool Flush();

    const std::string& Name() const { return name_; }
    std::int32_t ReadPosition() const { return readPosition_; }
    const std::vector<Variant>& PendingValues() const { return pendingValues_; }
    const std::vector<std::string>& PendingNames() const { return pendingNames_; }

private:
    // Storage 0 of the active document; null when it does not exist and
    // `create` is false.
    static std::shared_ptr<HostStorage> ReachStorage(bool create);
    HostRecord& OpenRecord() const;
    // A step of writing the open record failed: the document keeps it
    // unfinished.
    void WriteFailed();

    // The document of a record opened for writing, until it is written
    // whole; a failure on the way leaves it marked unfinished there.
    std::weak_ptr<HostDocument> writingIn_;
    bool writeFailed_ = false;
    int uncaughtAtOpen_ = 0;
    std::shared_ptr<HostRecord> record_;
    const std::string key_;
    std::int32_t readFlags_ = 0;
    Variant readBuffer_;
    std::int32_t readPosition_ = 0;
    std::string name_;
    std::vector<Variant> pendingValues_;
    std::vector<std::string> pendingNames_;
};

}  // namespace zarvento
