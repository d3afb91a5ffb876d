// CCycle_G800EL: the built-in cycle of drilling in elementary moves.
#pragma once

#include "nc/cycle_auto.h"

namespace zarvento {

class CCycle_G800EL : public CCycle_Auto {
public:
    CCycle_G800EL();
};

}  // namespace zarvento
