// The beginning of an operation, written only by its template; no program line without one.
#pragma once

#include "nc/cadre_code.h"

namespace zarvento {

class CCadre_BegOper : public CCadreCode {
public:
    CCadre_BegOper() : CCadreCode("BegOper", nullptr, true) {}
};

}  // namespace zarvento
