// PostLinks: what formulas and frame variables need of post-processing, which
// sits above this layer; post-processing registers its implementation.
#pragma once

#include <string_view>

namespace zarvento {

class PARAMETERS;

class PostLinks {
public:
    virtual ~PostLinks() = default;

    // select_from_table: arguments is the text between the parentheses. The
    // table's two formulas are evaluated on provider with the same reset flag.
    // False (result not written) when the look-up cannot be made.
    virtual bool SelectFromTable(double& result, std::string_view arguments, bool reset, PARAMETERS& provider) = 0;

    // The last output value of the NC address word of exactly that name, or null.
    virtual const double* AddressWordValue(std::string_view name) = 0;
};

// The registered links, or null: then every table look-up fails and no
// address word answers. Registration is a link of the code, not process
// state, so a state reset leaves it alone.
PostLinks* GetPostLinks();
// Returns the previous links, so that a caller can put them back.
PostLinks* RegisterPostLinks(PostLinks* links);

}  // namespace zarvento
