// The cost estimate's lookup of a name.
#include "reports/cost_parameters.h"

#include "geometry/primitives.h"
#include "nc/cycle_auto.h"
#include "reports/cost_page_inst.h"

namespace zarvento {

const double* CostEstimateParameters::FindCostItemParameter(std::string_view name) {
    for (CCycle_Auto* item : items) {
        // The item that has the name answers, with null for a value that
        // failed: a failure is not hidden by a value of the same name further out.
        if (item && item->FindParam(name)) return item->FindParameter(name);
    }
    return nullptr;
}

const double* CostEstimateParameters::FindCostPageValue(std::string_view name) {
    if (!tools || name != kToolCost) return nullptr;
    if (tools->total < EPS) tools->CalculateCosts();
    return &tools->total;
}

}  // namespace zarvento
