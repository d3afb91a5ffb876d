// Typed reads of the plan's records: a value of the field's kind is taken as
// it is, any other kind is converted as the host converts it (Empty gives 0,
// 0.0, false or ""). A value that cannot be converted raises the conversion's
// HostError, its text naming the record and the value.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/documents/storage_record.h"
#include "platform/drawings/host_sketch.h"

namespace zarvento {

// Named values of the open record. A real must be a plausible value
// (IsPlausibleValue): a record edited outside the system must not bring NaN
// or an absurd size into the paths; such a value raises DISP_E_OVERFLOW.
std::int32_t ReadStoredI4(StorageRecord& record, const std::string& key);
// An integer that must lie in [min, max] (an index, a position), likewise.
std::int32_t ReadStoredI4(StorageRecord& record, const std::string& key, std::int32_t min, std::int32_t max);
double ReadStoredR8(StorageRecord& record, const std::string& key);
bool ReadStoredBool(StorageRecord& record, const std::string& key);
std::string ReadStoredText(StorageRecord& record, const std::string& key);

// A sketch stored under `key` when the flag `flag` is set; a cleared flag
// leaves `sketch` as it is. A reference that is no sketch, or a sketch the
// host can no longer resolve, leaves none: "Потеряна связь с эскизом" is shown
// and the load goes on.
void ReadStoredSketch(StorageRecord& record, const std::string& flag, const std::string& key,
                      std::shared_ptr<HostSketch>& sketch);

// The next positional value of the open record; nothing when the record has
// no value there (its end, or a gap).
std::optional<std::int32_t> ReadNextI4(StorageRecord& record);
std::optional<bool> ReadNextBool(StorageRecord& record);
// The next positional text; a missing one reads as "".
std::string ReadNextText(StorageRecord& record);

}  // namespace zarvento
