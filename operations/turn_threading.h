// CTurnTHREADING: the operation of thread cutting with a chisel.
#pragma once

#include "operations/turn.h"

namespace zarvento {

class CTurnTHREADING : public virtual CTurn {};

}  // namespace zarvento
