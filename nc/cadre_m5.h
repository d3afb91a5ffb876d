// Spindle stop (M05).
#pragma once

#include "nc/cadre_spindle.h"

namespace zarvento {

class CCadre_M5 : public CCadreSpindle {
public:
    CCadre_M5() : CCadreSpindle(5, '5', "M05") {}
};

}  // namespace zarvento
