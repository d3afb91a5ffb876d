// The cut-off builder: one end face of the part is chosen.
#pragma once

#include "model/contour_builder.h"

namespace zarvento {

class CContourBuilderOtrezka : public CContourBuilder {
public:
    // The operation's tool width, carried for the owners: the cut-off face
    // is the chosen unit whatever the width.
    double width = 5.0;

    void HighlightUnit(const HostObjectPtr& object) override;
    // Only a line of constant Z (its end Z within 0.01).
    bool HasUnitForObject(const HostObjectPtr& object) const override;
};

}  // namespace zarvento
