// CTurnKANAVKA: the operation of groove made by a single plunge.
#pragma once

#include "operations/turn.h"

namespace zarvento {

class CTurnKANAVKA : public virtual CTurn {};

}  // namespace zarvento
