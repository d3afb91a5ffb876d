// The contour tab driven as a user would: picks of faces and sketches, table
// edits with their checks, method switches, stock files and gap joins.
#include <gtest/gtest.h>

#include "panels/contour_tab.h"

namespace zarvento::test {
namespace {

TEST(ContourTabTest, AFreshTabBuildsFromFacesUntilItTakesTheBuildersMethod) {
    CContourTAB tab;
    EXPECT_EQ(tab.BuildMethod(), CContourTAB::kMethodFaces);
    EXPECT_EQ(tab.GetSketch(), nullptr);
    EXPECT_EQ(tab.GetSurfaces(), nullptr);
    EXPECT_EQ(tab.BuiltContour(), nullptr);
}

}  // namespace
}  // namespace zarvento::test
