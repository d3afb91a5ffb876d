// CTurnKONTUR: the operation of single-pass contour.
#pragma once

#include "operations/turn.h"

namespace zarvento {

class CTurnKONTUR : public virtual CTurn {};

}  // namespace zarvento
