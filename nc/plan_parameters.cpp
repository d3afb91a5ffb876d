// Lookup order of the plan's provider.
#include "nc/plan_parameters.h"

namespace zarvento {

const double* PLAN_PARAMETERS::GetParameter(std::string_view name) {
    if (const double* own = GetPlanParameter(name)) return own;
    return ParentParameter(name);
}

const std::string* PLAN_PARAMETERS::GetStringParameter(std::string_view name) {
    if (const std::string* own = GetPlanStringParameter(name)) return own;
    return ParentStringParameter(name);
}

const double* PLAN_PARAMETERS::GetPlanParameter(std::string_view) { return nullptr; }

const std::string* PLAN_PARAMETERS::GetPlanStringParameter(std::string_view) { return nullptr; }

}  // namespace zarvento
