// Spindle-zero synchronisation: the post-processor's code ("G66").
#pragma once

#include "nc/cadre_code.h"
#include "nc/frame_templates.h"

namespace zarvento {

class CCadre_G66 : public CCadreCode {
public:
    CCadre_G66() : CCadreCode("G66", "") {}

protected:
    std::string BuiltInCode() const override { return BuiltInFrameTexts::Global().syncCode; }
};

}  // namespace zarvento
