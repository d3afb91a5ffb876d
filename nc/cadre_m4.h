// Spindle on counter-clockwise (M04).
#pragma once

#include "nc/cadre_spindle.h"

namespace zarvento {

class CCadre_M4 : public CCadreSpindle {
public:
    CCadre_M4() : CCadreSpindle(4, '4', "M04") {}
};

}  // namespace zarvento
