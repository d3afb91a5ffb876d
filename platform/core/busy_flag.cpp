// The busy flag's storage and its reset.
#include "platform/core/busy_flag.h"

#include "platform/core/process_state.h"

namespace zarvento {

bool BusyFlag = false;

ZARVENTO_STATE_RESET { BusyFlag = false; }

}  // namespace zarvento
