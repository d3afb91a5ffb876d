// Tool-radius compensation right (G42).
#pragma once

#include "nc/cadre_code.h"

namespace zarvento {

class CCadre_G42 : public CCadreCode {
public:
    CCadre_G42() : CCadreCode("G42", "G42") {}
};

}  // namespace zarvento
