// ContourTabOwner: what a working-contour tab asks of the operation panel it
// belongs to. The operation panels implement it; the stock tab and a
// source-contour tab have no owner.
#pragma once

#include <cstdint>

namespace zarvento {

class PropertyTab;

class ContourTabOwner {
public:
    virtual ~ContourTabOwner() = default;

    // The plan's operation type number of the edited operation (kTurnMnogoProhod
    // ... kTurnOTREZKA): types 5, 6 and 7 get no allowance controls.
    virtual std::int32_t ContourTabOperationType() const = 0;
    // Makes the owner's contour-mode group on the tab, after the
    // change-direction box.
    virtual void CreateContourModeGroup(PropertyTab& tab) = 0;
    // Makes the owner's geometry group on the tab, before the display boxes.
    virtual void CreateGeometryGroup(PropertyTab& tab) = 0;
    // The tab's build method changed: 1 for the sketch method, 0 otherwise.
    virtual void ShowControlGroup(int shown) = 0;
    // After every rebuild of the working contour and after a gap join change.
    virtual void UpdateClosingSegments() = 0;
};

}  // namespace zarvento
