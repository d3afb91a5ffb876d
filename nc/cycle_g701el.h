// CCycle_G701EL: the built-in cycle of multi-pass groove in elementary moves.
#pragma once

#include "nc/cycle_auto.h"

namespace zarvento {

class CCycle_G701EL : public CCycle_Auto {
public:
    CCycle_G701EL();
    // Its path is built by the operation; no feature record.
    void CreatePathFigure() override {}
};

}  // namespace zarvento
