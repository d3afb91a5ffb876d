// The program's closing block, written only by its template.
#pragma once

#include "nc/cadre_code.h"

namespace zarvento {

class CCadre_End : public CCadreCode {
public:
    CCadre_End() : CCadreCode("End", nullptr) {}
};

}  // namespace zarvento
