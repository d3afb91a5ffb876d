// CCycle_G310EL: the built-in cycle of tap or die threading in elementary moves.
// The class name and its code differ: records and NC text use "G301EL".
#pragma once

#include "nc/cycle_auto.h"

namespace zarvento {

class CCycle_G310EL : public CCycle_Auto {
public:
    CCycle_G310EL();
    // Its path is built by the operation; no feature record.
    void CreatePathFigure() override {}
};

}  // namespace zarvento
