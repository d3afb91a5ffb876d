// Candidate pairs of units found through their bounding boxes by a sweep along
// Z, so that pair tests over long contours cost the number of near pairs and
// not the product of the unit counts.
#pragma once

#include <utility>
#include <vector>

namespace zarvento {

// A unit's box in the contour order zmin, xmin, zmax, xmax.
struct UnitBox {
    double zmin = 0.0;
    double xmin = 0.0;
    double zmax = 0.0;
    double xmax = 0.0;
};

using BoxPair = std::pair<int, int>;

// Every pair (i, j), i from a and j from b, whose boxes overlap once each is
// widened by slack on every side; sorted by i, then j. A caller applies its
// exact test to the pairs, so the list may hold a few more than needed but
// never misses a pair whose boxes overlap.
std::vector<BoxPair> OverlappingBoxPairs(const std::vector<UnitBox>& a, const std::vector<UnitBox>& b, double slack);

// The same within one list: pairs i < j, sorted by i, then j.
std::vector<BoxPair> SelfOverlappingBoxPairs(const std::vector<UnitBox>& a, double slack);

}  // namespace zarvento
