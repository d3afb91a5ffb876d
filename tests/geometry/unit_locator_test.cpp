// The unit locator and the contour services that use it or skip the sweep
// for short probes: the same answers as a look at every unit.
#include "geometry/unit_locator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "test_support.h"

namespace zarvento {
namespace {

// A ribbed profile like an offset of one: short lines with a round on every
// other corner, between two run-in lines 100 m long.
std::unique_ptr<Contour> RibbedChain(int ribs) {
    auto c = std::make_unique<Contour>();
    double z = 0.0, x = -16.0;
    c->AddUnit(std::make_unique<CLineUnit>(100000.0, x, z, x));
    for (int i = 0; i < ribs; ++i) {
        c->AddUnit(std::make_unique<CLineUnit>(z, x, z - 0.2, x - 0.05));
        z -= 0.2;
        x -= 0.05;
        // A quarter round of 0.1 down to the next level.
        c->AddUnit(std::make_unique<CArcUnit>(z, x + 0.1, 0.1, z, x, z - 0.1, x + 0.1, -1));
        z -= 0.1;
        x += 0.1;
    }
    c->AddUnit(std::make_unique<CLineUnit>(z, x, -100000.0, x));
    return c;
}

TEST(UnitLocatorTest, CandidatesHoldEveryUnitWhoseBoxHoldsThePoint) {
    const auto chain = RibbedChain(200);
    const double slack = 16.0 * EPS;
    UnitLocator locator(*chain, slack);
    const std::vector<UnitBox> boxes = chain->GetUnitBoxes();
    int hits = 0;
    for (double z = 2.0; z > -65.0; z -= 0.0731) {
        for (double x = -17.0; x < -5.0; x += 0.0437) {
            const std::vector<int> found = locator.Candidates(z, x);
            ASSERT_TRUE(std::is_sorted(found.begin(), found.end()));
            ASSERT_EQ(std::adjacent_find(found.begin(), found.end()), found.end());
            for (int k = 0; k < static_cast<int>(boxes.size()); ++k) {
                const UnitBox& b = boxes[static_cast<std::size_t>(k)];
                if (z < b.zmin - slack || z > b.zmax + slack || x < b.xmin - slack || x > b.xmax + slack) continue;
                ++hits;
                EXPECT_TRUE(std::binary_search(found.begin(), found.end(), k)) << k << " at (" << z << ", " << x << ")";
            }
        }
    }
    EXPECT_GT(hits, 2000);
}

// Lines along the ribs, which cross every rib: the middle between each two
// crossings found through the locator and by the whole scan, and the
// crossings of a one-unit probe against those of the same probe among four
// far-away units (which takes the sweep).
TEST(UnitLocatorTest, ContourServicesAnswerAsTheWholeScan) {
    const auto chain = RibbedChain(300);
    UnitLocator locator(*chain, 16.0 * EPS);
    // The chain rises 0.05 over each rib of 0.3.
    for (double x : {-16.02, -16.0, -15.99, -15.97}) {
        SCOPED_TRACE(x);
        auto probe = MakeLineContour(0.0, x, -90.0, x + 15.0);
        IntersectPointList crossings(64);
        probe->Intersect(*chain, crossings, true);
        auto wide = MakeLineContour(0.0, x, -90.0, x + 15.0);
        for (int k = 0; k < 4; ++k) wide->AddUnit(std::make_unique<CLineUnit>(500.0 + k, 500.0, 501.0 + k, 500.0));
        IntersectPointList swept(64);
        wide->Intersect(*chain, swept, true);
        ASSERT_EQ(crossings.Count(), swept.Count());
        ASSERT_GE(crossings.Count(), 100u);
        for (std::uint32_t k = 0; k < crossings.Count(); ++k) {
            EXPECT_EQ(crossings[k].z, swept[k].z);
            EXPECT_EQ(crossings[k].x, swept[k].x);
            EXPECT_EQ(crossings[k].index2, swept[k].index2);
        }
        IntersectPointList onChain(64);
        chain->Intersect(*probe, onChain, true);
        for (std::uint32_t k = 1; k < onChain.Count(); ++k) {
            IntersectPoint whole, located;
            chain->GetMidPointBetween(whole, onChain[k - 1], onChain[k]);
            chain->GetMidPointBetween(located, onChain[k - 1], onChain[k], locator);
            EXPECT_EQ(whole.z, located.z) << k;
            EXPECT_EQ(whole.x, located.x) << k;
        }
    }
}

}  // namespace
}  // namespace zarvento
