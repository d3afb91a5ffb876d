// PostProcessorLinks: the tables and address words of the description read
// last, answering the formulas and frame variables of the layer below.
#pragma once

#include <string_view>

#include "nc/post_links.h"

namespace zarvento {

class PARAMETERS;

class PostProcessorLinks : public PostLinks {
public:
    // The one instance, registered with the formulas by the post layer's start-up call.
    static PostProcessorLinks& Instance();

    bool SelectFromTable(double& result, std::string_view arguments, bool reset, PARAMETERS& provider) override;
    const double* AddressWordValue(std::string_view name) override;

private:
    PostProcessorLinks() = default;
};

// Before a program is written: every address word forgets its last value and
// takes the factor of its METRIC formula, evaluated on the plan's variables
// (for example _INCH); without a provider every factor is 1. Gives mode back.
int ResetAddressWords(int mode, PARAMETERS* planProvider);

}  // namespace zarvento
