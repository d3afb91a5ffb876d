// Lookup order of an operation's provider.
#include "nc/operation_parameters.h"

namespace zarvento {

const double* OPERATION_PARAMETERS::GetParameter(std::string_view name) {
    if (const double* own = GetTurnParameter(name)) return own;
    return ParentParameter(name);
}

const std::string* OPERATION_PARAMETERS::GetStringParameter(std::string_view name) {
    if (const std::string* own = GetTurnStringParameter(name)) return own;
    return ParentStringParameter(name);
}

const double* OPERATION_PARAMETERS::GetTurnParameter(std::string_view) { return nullptr; }

const std::string* OPERATION_PARAMETERS::GetTurnStringParameter(std::string_view) { return nullptr; }

}  // namespace zarvento
