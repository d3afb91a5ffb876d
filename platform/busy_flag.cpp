// The busy flag's storage and its reset.
#include "platform/busy_flag.h"

#include "platform/process_state.h"

namespace zarvento {

bool BusyFlag = false;

ZARVENTO_STATE_RESET { BusyFlag = false; }

}  // namespace zarvento
