// Lookup order of a frame's provider.
#include "nc/code_parameters.h"

#include "nc/post_links.h"

namespace zarvento {

const double* CODE_PARAMETERS::GetParameter(std::string_view name) {
    if (const double* own = GetVariable(name)) return own;
    if (const double* outer = ParentParameter(name)) return outer;
    // A template may read what an address word printed last, e.g. X.
    PostLinks* links = GetPostLinks();
    return links ? links->AddressWordValue(name) : nullptr;
}

const std::string* CODE_PARAMETERS::GetStringParameter(std::string_view name) { return ParentStringParameter(name); }

const double* CODE_PARAMETERS::GetVariable(std::string_view) { return nullptr; }

}  // namespace zarvento
