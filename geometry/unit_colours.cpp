// The process-wide unit colours.
#include "geometry/unit_colours.h"

#include "platform/process_state.h"

namespace zarvento {

UnitColours& CurrentUnitColours() {
    static UnitColours colours;
    return colours;
}

ZARVENTO_STATE_RESET { CurrentUnitColours() = UnitColours{}; }

}  // namespace zarvento
