// Lookup order of the cost estimate's provider.
#include "nc/calculate_parameters.h"

namespace zarvento {

const double* CALCULATE_PARAMETERS::GetParameter(std::string_view name) {
    if (!FormulaErrorText.empty()) return nullptr;
    if (const double* item = FindCostItemParameter(name)) return item;
    if (const double* page = FindCostPageValue(name)) return page;
    return OPERATION_PARAMETERS::GetParameter(name);
}

const double* CALCULATE_PARAMETERS::FindCostItemParameter(std::string_view) { return nullptr; }

const double* CALCULATE_PARAMETERS::FindCostPageValue(std::string_view) { return nullptr; }

}  // namespace zarvento
