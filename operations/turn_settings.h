// The operation's stored settings as one table of named members, the values
// 5 to 62 of its main record in the order they are written. The record is
// written and read by the table and copies of an operation take its values
// by it, so a new setting is one line of it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>

namespace zarvento {

class CTurn;

struct TurnSetting {
    using Member = std::variant<std::int32_t CTurn::*, bool CTurn::*, double CTurn::*, std::string CTurn::*>;
    const char* name;
    Member member;
    bool storedAsInt = false;  // VT_INT in place of VT_I4
};

std::span<const TurnSetting> TurnSettings();

// Gives `to` the setting's value in `from`.
void CopyTurnSetting(CTurn& to, const CTurn& from, const TurnSetting& setting);

}  // namespace zarvento
