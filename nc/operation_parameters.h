// OPERATION_PARAMETERS: the variable provider of one turning operation; its
// parent is the plan's provider.
#pragma once

#include "nc/parameters.h"

namespace zarvento {

class OPERATION_PARAMETERS : public PARAMETERS {
public:
    explicit OPERATION_PARAMETERS(PARAMETERS* parentProvider = nullptr) : PARAMETERS(parentProvider) {}

    // The operation's variables, then the parent.
    const double* GetParameter(std::string_view name) override;
    const std::string* GetStringParameter(std::string_view name) override;

    // The operation's own variables; null while no operation answers. The
    // operation classes answer here.
    virtual const double* GetTurnParameter(std::string_view name);
    virtual const std::string* GetTurnStringParameter(std::string_view name);
};

}  // namespace zarvento
