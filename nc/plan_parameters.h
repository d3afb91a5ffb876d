// PLAN_PARAMETERS: the variable provider of the machining plan; its parent is
// the plan's own part-variable provider.
#pragma once

#include "nc/parameters.h"

namespace zarvento {

class PLAN_PARAMETERS : public PARAMETERS {
public:
    explicit PLAN_PARAMETERS(PARAMETERS* parentProvider = nullptr) : PARAMETERS(parentProvider) {}

    // The plan's variables, then the parent.
    const double* GetParameter(std::string_view name) override;
    const std::string* GetStringParameter(std::string_view name) override;

    // The plan's own variables; null while no plan answers. The plan answers here.
    virtual const double* GetPlanParameter(std::string_view name);
    virtual const std::string* GetPlanStringParameter(std::string_view name);
};

}  // namespace zarvento
