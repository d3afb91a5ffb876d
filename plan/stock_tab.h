// What the plan needs of a plan panel's stock tab while the tab is attached:
// the tab rebuilds and shows the stock contour itself. The panel implements it.
#pragma once

namespace zarvento {

class StockTab {
public:
    virtual ~StockTab() = default;
    // Rebuilds the tab's contour from its settings and redraws it.
    virtual void RebuildContour() = 0;
};

}  // namespace zarvento
