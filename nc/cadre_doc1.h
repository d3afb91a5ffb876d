// A document block, written only by its template.
#pragma once

#include "nc/cadre_code.h"

namespace zarvento {

class CCadre_Doc1 : public CCadreCode {
public:
    CCadre_Doc1() : CCadreCode("Doc1", nullptr) {}
};

}  // namespace zarvento
