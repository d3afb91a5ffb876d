// Spindle on clockwise (M03).
#pragma once

#include "nc/cadre_spindle.h"

namespace zarvento {

class CCadre_M3 : public CCadreSpindle {
public:
    CCadre_M3() : CCadreSpindle(3, '3', "M03") {}
};

}  // namespace zarvento
