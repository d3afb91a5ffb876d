// The threading builder: one line of the part is chosen; the contour is taken
// as it is, not closed onto the stock, unless building is suppressed.
#pragma once

#include <memory>

#include "model/contour_builder.h"

namespace zarvento {

class CContourBuilderThreading : public CContourBuilder {
public:
    // Single choice of line units; picks of any other unit change nothing.
    void HighlightUnit(const HostObjectPtr& object) override;
    // Null while building is suppressed.
    std::unique_ptr<Contour> Build() override;

    bool suppressBuild = false;
};

}  // namespace zarvento
