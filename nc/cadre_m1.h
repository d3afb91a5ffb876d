// Optional stop (M01).
#pragma once

#include "nc/cadre_code.h"

namespace zarvento {

class CCadre_M1 : public CCadreCode {
public:
    CCadre_M1() : CCadreCode("M01", "M01") {}
};

}  // namespace zarvento
