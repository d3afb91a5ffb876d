// The cost estimate's variable provider: the parameters of its items in the
// order C1, C2, C3, C5, C6, C7 (the first item that has a name answers for
// it, so item 1's _NPAR and _TPZK hide the plan's), then the tools page's
// total "Cins", then the plan's variables.
#pragma once

#include <string_view>
#include <vector>

#include "nc/calculate_parameters.h"

namespace zarvento {

class CCycle_Auto;
class CPageInst;

class CostEstimateParameters : public CALCULATE_PARAMETERS {
public:
    static constexpr std::string_view kToolCost = "Cins";

    explicit CostEstimateParameters(PARAMETERS* planProvider) : CALCULATE_PARAMETERS(planProvider) {}

    // Not owned; in the order they are asked.
    std::vector<CCycle_Auto*> items;
    // The tools page, or null.
    CPageInst* tools = nullptr;

protected:
    const double* FindCostItemParameter(std::string_view name) override;
    const double* FindCostPageValue(std::string_view name) override;
};

}  // namespace zarvento
