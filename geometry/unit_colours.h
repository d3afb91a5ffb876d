// The unit colours of the settings record, read at every drawing call.
#pragma once

#include <cstdint>

namespace zarvento {

struct UnitColours {
    std::uint32_t rapid = 0x0096FF;        // rapid (non-cutting) moves
    std::uint32_t marked = 0xFFFF00;       // marked edges
    std::uint32_t passThrough = 0xFFE1C8;  // a colour equal to it is drawn unchanged
    std::uint32_t selection = 0x00FF00;    // selected units
};

// The colours as the settings record holds them now (settings colours 5, 7, 8 and 9).
UnitColours CurrentUnitColours();

}  // namespace zarvento
