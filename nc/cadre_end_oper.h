// The end of an operation, written only by its template; no program line without one.
#pragma once

#include "nc/cadre_code.h"

namespace zarvento {

class CCadre_EndOper : public CCadreCode {
public:
    CCadre_EndOper() : CCadreCode("EndOper", nullptr, true) {}
};

}  // namespace zarvento
