// Coolant on (M08).
#pragma once

#include "nc/cadre_code.h"

namespace zarvento {

class CCadre_M8 : public CCadreCode {
public:
    CCadre_M8() : CCadreCode("M08", "M08") {}
};

}  // namespace zarvento
