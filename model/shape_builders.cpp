// Storage of the figure drawing's marker sizes.
#include "model/shape_builders.h"

#include "platform/core/process_state.h"

namespace zarvento {

double ArrowLength = kDefaultArrowLength;

ZARVENTO_STATE_RESET { ArrowLength = kDefaultArrowLength; }

}  // namespace zarvento
