// Coolant off (M09).
#pragma once

#include "nc/cadre_code.h"

namespace zarvento {

class CCadre_M9 : public CCadreCode {
public:
    CCadre_M9() : CCadreCode("M09", "M09") {}
};

}  // namespace zarvento
