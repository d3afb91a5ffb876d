// The tap and die builder: one cylindrical face is chosen; the contour is
// taken as it is, not closed onto the stock.
#pragma once

#include <memory>

#include "model/contour_builder.h"

namespace zarvento {

class CContourBuilderTapDie : public CContourBuilder {
public:
    void HighlightUnit(const HostObjectPtr& object) override;
    // Only a line of constant X (its end X within 0.01).
    bool HasUnitForObject(const HostObjectPtr& object) const override;
    std::unique_ptr<Contour> Build() override;
};

}  // namespace zarvento
