// CCycle_G300EL: the built-in cycle of chisel threading in elementary moves.
#pragma once

#include "nc/cycle_auto.h"

namespace zarvento {

class CCycle_G300EL : public CCycle_Auto {
public:
    CCycle_G300EL();
    // Its path is built by the operation; no feature record.
    void CreatePathFigure() override {}
};

}  // namespace zarvento
