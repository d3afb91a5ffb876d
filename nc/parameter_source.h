// ParameterSource: an object that answers its own named parameters, such as a
// machine cycle for its feature provider and for the cost estimate.
#pragma once

#include <string_view>

namespace zarvento {

class ParameterSource {
public:
    virtual ~ParameterSource() = default;
    // The parameter's value (evaluating its formula when needed), or null.
    virtual const double* FindParameter(std::string_view name) = 0;
};

}  // namespace zarvento
