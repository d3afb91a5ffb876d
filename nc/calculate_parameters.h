// CALCULATE_PARAMETERS: the cost estimate's provider, an operation provider
// that first offers the parameters of its cost items and its page's values.
#pragma once

#include "nc/operation_parameters.h"

namespace zarvento {

class CALCULATE_PARAMETERS : public OPERATION_PARAMETERS {
public:
    explicit CALCULATE_PARAMETERS(PARAMETERS* parentProvider = nullptr) : OPERATION_PARAMETERS(parentProvider) {}

    // Nothing while FormulaErrorText holds an error, so one failed cost formula
    // does not go on to read half-evaluated values; then the cost items'
    // cycles, the page's values, and the operation's order.
    const double* GetParameter(std::string_view name) override;

protected:
    // The parameter of the first cost-item cycle that has it; the cost
    // estimate answers here.
    virtual const double* FindCostItemParameter(std::string_view name);
    virtual const double* FindCostPageValue(std::string_view name);
};

}  // namespace zarvento
