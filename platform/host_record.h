// One record of a document storage: a library key and an ordered list of
// entries, each a name (" " for a positional value) and a Variant.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/variant.h"

namespace zarvento {

struct RecordEntry {
    std::string name;
    Variant value;
};

class HostRecord {
public:
    // The name that marks a positional value.
    static constexpr const char* kPositionalName = " ";

    explicit HostRecord(std::string name, std::string libraryKey = {})
        : name_(std::move(name)), libraryKey_(std::move(libraryKey)) {}

    const std::string& Name() const { return name_; }
    const std::string& LibraryKey() const { return libraryKey_; }
    const std::vector<RecordEntry>& Entries() const { return entries_; }

    // Binds the record to a library key; the text is not used. Returns 1.
    std::int32_t Init(const std::string& text, const std::string& libraryKey);

    // Reads by position (an I4 or INT index counting positional values only)
    // or by name (a BSTR; the last entry of that name wins). A missing
    // position or name reads as Empty with flags 0; a found one sets flags 1
    // and text to the entry's name.
    Variant Read(const Variant& which, std::int32_t& flags, std::string& text) const;

    // Appends one entry at once; returns 1, or 0 when the record has left its
    // storage (the write then reaches no document).
    std::int32_t WriteOne(const std::string& libraryKey, const Variant& value, const std::string& name);

    // Appends the entries of two parallel arrays (values, names as BSTR).
    // False when the record has left its storage.
    bool Write(const std::string& libraryKey, const Variant& values, const Variant& names);

    // Used by the storage and the document file.
    void Detach() { attached_ = false; }
    bool Attached() const { return attached_; }
    void LoadEntry(std::string_view name, Variant value) { Append(name, std::move(value)); }
    // Room for the entries a document file is about to load.
    void ReserveEntries(std::size_t count) { entries_.reserve(count); }

private:
    void CheckKey(const std::string& libraryKey) const;
    void Append(std::string_view name, Variant value);
    std::size_t PositionalCount() const { return leadingPositional_ + positional_.size(); }

    std::string name_;
    std::string libraryKey_;
    std::vector<RecordEntry> entries_;
    // Indexes into entries_, so that reading a whole record stays linear.
    // The positional values that open the record are the first entries
    // themselves and need no index; a long list of values (the common
    // record) so keeps no second list beside it.
    std::size_t leadingPositional_ = 0;
    std::vector<std::size_t> positional_;
    std::size_t lastPositional_ = 0;
    // The last entry of each name but the positional one.
    std::unordered_map<std::string, std::size_t> lastByName_;
    bool attached_ = true;
};

}  // namespace zarvento
