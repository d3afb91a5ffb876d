// Tool-radius compensation left (G41).
#pragma once

#include "nc/cadre_code.h"

namespace zarvento {

class CCadre_G41 : public CCadreCode {
public:
    CCadre_G41() : CCadreCode("G41", "G41") {}
};

}  // namespace zarvento
