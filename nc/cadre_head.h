// The program head, written only by its template.
#pragma once

#include "nc/cadre_code.h"

namespace zarvento {

class CCadre_Head : public CCadreCode {
public:
    CCadre_Head() : CCadreCode("Head", nullptr) {}
};

}  // namespace zarvento
