// One record of a document storage: a library key and an ordered list of
// entries, each a name (" " for a positional value) and a Variant.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/core/variant.h"

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
    // The entries in their order, made afresh for each call.
    std::vector<RecordEntry> Entries() const;
    std::size_t EntryCount() const { return slots_.size(); }
    const std::string& EntryName(std::size_t i) const { return NameOf(slots_[i]); }
    Variant EntryValue(std::size_t i) const { return ValueOf(slots_[i]); }

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
    void ReserveEntries(std::size_t count) { slots_.reserve(count); }

private:
    // An entry as the record keeps it: its name by number, and a number, a
    // flag or nothing in place; a text, an array or a reference lies beside
    // the entries and the slot holds its place there. A record of a dense
    // part holds a hundred thousand numbers: so kept, each takes a sixth of
    // what a name and a Variant would.
    struct Slot {
        union {
            std::int32_t integer;
            double real;
            std::uint32_t at;
        } value{};
        std::uint32_t name = 0;
        VarType type = VarType::Empty;
    };

    void CheckKey(const std::string& libraryKey) const;
    void Append(std::string_view name, Variant value);
    const std::string& NameOf(const Slot& slot) const;
    Variant ValueOf(const Slot& slot) const;
    std::size_t PositionalCount() const { return leadingPositional_ + positional_.size(); }

    std::string name_;
    std::string libraryKey_;
    std::vector<Slot> slots_;
    // The values a slot does not hold, and the names of named entries
    // (slot name n > 0 is names_[n - 1]).
    std::vector<Variant> others_;
    std::vector<HostObjectPtr> objects_;
    std::vector<std::string> names_;
    // Indexes into slots_, so that reading a whole record stays linear.
    // The positional values that open the record are the first entries
    // themselves and need no index; a long list of values (the common
    // record) so keeps no second list beside it.
    std::size_t leadingPositional_ = 0;
    std::vector<std::size_t> positional_;
    std::size_t lastPositional_ = 0;
    // For each name but the positional one: its number and its last entry.
    struct Named {
        std::uint32_t name;
        std::size_t last;
    };
    std::unordered_map<std::string, Named> byName_;
    bool attached_ = true;
};

}  // namespace zarvento
