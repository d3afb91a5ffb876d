// CTurnPLASHKA: the operation of thread cutting with a tap or die.
#pragma once

#include "operations/turn.h"

namespace zarvento {

class CTurnPLASHKA : public virtual CTurn {};

}  // namespace zarvento
