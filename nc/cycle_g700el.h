// CCycle_G700EL: the built-in cycle of multi-pass turning in elementary moves.
#pragma once

#include "nc/cycle_auto.h"

namespace zarvento {

class CCycle_G700EL : public CCycle_Auto {
public:
    CCycle_G700EL();
    // Its path is built by the operation; no feature record.
    void CreatePathFigure() override {}
};

}  // namespace zarvento
