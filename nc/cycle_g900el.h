// CCycle_G900EL: the built-in cycle of cut-off in elementary moves.
#pragma once

#include "nc/cycle_auto.h"

namespace zarvento {

class CCycle_G900EL : public CCycle_Auto {
public:
    CCycle_G900EL();
    // Its path is built by the operation; no feature record.
    void CreatePathFigure() override {}
};

}  // namespace zarvento
