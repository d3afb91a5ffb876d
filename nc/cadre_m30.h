// End of program (M30).
#pragma once

#include "nc/cadre_code.h"

namespace zarvento {

class CCadre_M30 : public CCadreCode {
public:
    CCadre_M30() : CCadreCode("M30", "M30") { kindLetter = 'e'; }
};

}  // namespace zarvento
