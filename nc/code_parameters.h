// CODE_PARAMETERS: the variable provider of one NC frame, first in the chain
// of a frame template's formulas.
#pragma once

#include "nc/parameters.h"

namespace zarvento {

class CODE_PARAMETERS : public PARAMETERS {
public:
    explicit CODE_PARAMETERS(PARAMETERS* parentProvider = nullptr) : PARAMETERS(parentProvider) {}

    // The frame's own variables, then the parent, then the last output value
    // of the NC address word of that name.
    const double* GetParameter(std::string_view name) override;
    // A frame has no string variables of its own.
    const std::string* GetStringParameter(std::string_view name) override;

protected:
    // The frame's own variables; the frame classes answer here.
    virtual const double* GetVariable(std::string_view name);
};

}  // namespace zarvento
