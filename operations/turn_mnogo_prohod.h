// CTurnMnogoProhod: the operation of multi-pass turning or grooving.
#pragma once

#include "operations/turn.h"

namespace zarvento {

class CTurnMnogoProhod : public virtual CTurn {};

}  // namespace zarvento
