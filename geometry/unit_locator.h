// UnitLocator: a grid over the unit boxes of one contour, so that the units
// that may hold a point are found without running over the whole contour.
#pragma once

#include <vector>

#include "geometry/box_pairs.h"

namespace zarvento {

class Contour;

class UnitLocator {
public:
    // Indexes the units of the contour as it is now; the contour must not
    // change while the locator is used. Each box is widened by `slack`.
    UnitLocator(const Contour& contour, double slack);

    // The indices, ascending, of every unit whose widened box holds the
    // point, and perhaps a few more: callers apply their exact test.
    const std::vector<int>& Candidates(double z, double x);

private:
    int CellOf(double v, double lo, double size, int count) const;

    std::vector<UnitBox> boxes_;
    double slack_ = 0.0;
    double zmin_ = 0.0, xmin_ = 0.0, zmax_ = 0.0, xmax_ = 0.0;
    double cellZ_ = 1.0, cellX_ = 1.0;
    int columns_ = 0, rows_ = 0;
    std::vector<std::vector<int>> cells_;
    std::vector<int> wide_;  // units over too many cells to register in each
    std::vector<int> found_;
};

}  // namespace zarvento
