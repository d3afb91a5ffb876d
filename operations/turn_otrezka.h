// CTurnOTREZKA: the operation of cut-off.
#pragma once

#include "operations/turn.h"

namespace zarvento {

class CTurnOTREZKA : public virtual CTurn {};

}  // namespace zarvento
