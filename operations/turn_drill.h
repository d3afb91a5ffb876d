// CTurnDRILL: the operation of drilling on the axis.
#pragma once

#include "operations/turn.h"

namespace zarvento {

class CTurnDRILL : public virtual CTurn {};

}  // namespace zarvento
