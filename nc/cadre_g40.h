// Tool-radius compensation off (G40).
#pragma once

#include "nc/cadre_code.h"

namespace zarvento {

class CCadre_G40 : public CCadreCode {
public:
    CCadre_G40() : CCadreCode("G40", "G40") {}
};

}  // namespace zarvento
