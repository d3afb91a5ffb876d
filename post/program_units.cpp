// The program's units setting and its reset.
#include "post/program_units.h"

#include "platform/core/process_state.h"

namespace zarvento {

std::int32_t nINCH = 0;

ZARVENTO_STATE_RESET { nINCH = 0; }

}  // namespace zarvento
