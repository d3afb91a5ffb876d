// The safe start block: the post-processor's start text ("G90 G40 G17").
#pragma once

#include "nc/cadre_code.h"
#include "nc/frame_templates.h"

namespace zarvento {

class CCadre_Safe : public CCadreCode {
public:
    CCadre_Safe() : CCadreCode("Safe", "") {}

protected:
    std::string BuiltInCode() const override { return BuiltInFrameTexts::Global().startText; }
};

}  // namespace zarvento
