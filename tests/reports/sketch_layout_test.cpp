// The sketches' layout as data: machined portions, dimensions (arrow codes,
// duplicates, order, the opposite-side rule), the cutting-data table with its
// speed limits, the tool table's numbers and the roughness text.
#include <gtest/gtest.h>

#include "geometry/contour_script.h"
#include "reports/plan_sketch.h"
#include "reports/sketch_layout.h"

namespace zarvento {
namespace {

std::unique_ptr<Contour> Script(const std::string& text) {
    std::string error;
    auto c = ParseContourScript(text, &error);
    EXPECT_TRUE(c) << error;
    return c;
}

TEST(SketchLayoutTest, ArrowCodesFollowTheValue) {
    // A diameter of 7.4 counts 14.8 and gets the outside arrows; 7.5 counts 15.
    for (auto [value, code] :
         {std::pair{14.9, 2}, std::pair{15.0, 1}, std::pair{4.0 * 3.7, 2}, std::pair{4.0 * 3.75, 1}})
        EXPECT_EQ(SketchArrowCode(value), code) << value;
}

TEST(SketchLayoutTest, DimensionsSkipRepeatsSortAndPlace) {
    // Steps at z = -10 and -30 (and a repeat of -10 within 0.001), radii 15, 20.
    auto portion = Script(
        "LineSeg( 5,-15, -10,-15, 1 );\nLineSeg( -10,-15, -10.0005,-20, 1 );\nLineSeg( -10.0005,-20, -30,-20, 1 );\n"
        "LineSeg( -30,-20, -30,-20.0004, 1 );\n");
    std::vector<SketchDimension> lengths, diameters;
    CollectSketchDimensions(*portion, lengths, diameters);
    ASSERT_EQ(lengths.size(), 3u);  // 5 (the start), -10, -30
    ASSERT_EQ(diameters.size(), 2u);
    EXPECT_DOUBLE_EQ(diameters[0].value, 60.0);  // 4·15
    EXPECT_TRUE(diameters[0].vertical);
    EXPECT_DOUBLE_EQ(diameters[0].y2, 15.0);

    PlaceSketchDimensions(lengths, diameters, -25.0, 5.0);
    // Sorted 5, 10, 30; 5 and -10 lie on opposite sides of z = 0: the second
    // shares the first one's line, and the third goes two steps below.
    EXPECT_DOUBLE_EQ(lengths[0].x2, 5.0);
    EXPECT_DOUBLE_EQ(lengths[0].offset, -40.0);
    EXPECT_DOUBLE_EQ(lengths[1].x2, -10.0);
    EXPECT_DOUBLE_EQ(lengths[1].offset, -40.0);
    EXPECT_DOUBLE_EQ(lengths[2].offset, -60.0);
    // Two short lengths either side of z = 0 would have their texts one over
    // the other ("1.29" over "1.2"): each takes a line of its own.
    std::vector<SketchDimension> shortOnes = {SketchDimension{0, 0, 1.29, -10, 0, 1.29, false},
                                              SketchDimension{0, 0, -1.2, -10, 0, 1.2, false}};
    std::vector<SketchDimension> none;
    PlaceSketchDimensions(shortOnes, none, -25.0, 5.0);
    EXPECT_DOUBLE_EQ(shortOnes[0].offset, -40.0);
    EXPECT_DOUBLE_EQ(shortOnes[1].offset, -50.0);
    // Diameter lines stand at z = zmax + 18, + 28.
    EXPECT_DOUBLE_EQ(diameters[0].x1 + diameters[0].offset, 23.0);
    EXPECT_DOUBLE_EQ(diameters[1].x1 + diameters[1].offset, 33.0);
}

TEST(SketchLayoutTest, MachinedPortionsLieInsideTheStock) {
    auto stock = Script(
        "LineSeg( 2,0, 2,-25, 1 );\nLineSeg( 2,-25, -58,-25, 1 );\nLineSeg( -58,-25, -58,0, 1 );\n"
        "LineSeg( -58,0, 2,0, 1 );\n");
    // Crosses the stock's face and its outside: one portion between them.
    auto work = Script("LineSeg( 5,-20, -30,-20, 1 );\nLineSeg( -30,-20, -30,-30, 1 );\n");
    auto portions = MachinedPortions(*work, *stock);
    ASSERT_EQ(portions.size(), 1u);
    double zmin, xmin, zmax, xmax;
    portions[0]->GetBoundBox(zmin, xmin, zmax, xmax);
    EXPECT_NEAR(zmax, 2.0, 1e-9);
    EXPECT_NEAR(xmin, -25.0, 1e-9);
    // Outside the stock altogether: the whole contour is one portion.
    auto apart = Script("LineSeg( 50,-20, 40,-20, 1 );\n");
    EXPECT_EQ(MachinedPortions(*apart, *stock).size(), 1u);
    // Touching it at one point only: nothing.
    auto touching = Script("LineSeg( 10,-30, 2,-25, 1 );\n");
    EXPECT_TRUE(MachinedPortions(*touching, *stock).empty());

    // The plan keeps a portion only where an operation's working contour runs.
    auto part = Script("LineSeg( 2,-20, -30,-20, 1 );\nLineSeg( -30,-20, -30,-25, 1 );\n");
    auto finished = Script(
        "LineSeg( -58,-25, -30,-25, 1 );\nLineSeg( -30,-25, -30,-20, 1 );\n"
        "LineSeg( -30,-20, 2,-20, 1 );\n");
    auto other = Script("LineSeg( 100,-20, 90,-20, 1 );\n");
    EXPECT_TRUE(PlanMachinedPortions(*finished, *stock, *part, {other.get()}).empty());
    EXPECT_EQ(PlanMachinedPortions(*finished, *stock, *part, {other.get(), part.get()}).size(), 1u);
}

TEST(SketchLayoutTest, CuttingTableKeepsTheSpindleSpeedInItsLimits) {
    CuttingData d;
    d.position = 2;
    d.designation = "Резец";
    d.constantSpeed = true;
    d.cuttingSpeed = 100;
    d.diameter = 50;
    d.nmin = 0;
    d.nmax = 5000;
    d.depth = 1.5;
    d.feed = 0.2;
    d.time = 1.234;
    CuttingTable t = MakeCuttingTable(d);
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_DOUBLE_EQ(t.y, 20.0);
    EXPECT_EQ(t.rows[0][6], "Vпос, м/мин");
    EXPECT_EQ(t.rows[1][0], "3");
    EXPECT_EQ(t.rows[1][2], "1.5");
    EXPECT_EQ(t.rows[1][3], "50.00");
    EXPECT_EQ(t.rows[1][5], "637");  // 636.6
    EXPECT_EQ(t.rows[1][6], "100");
    EXPECT_EQ(t.rows[1][7], "1.23");
    d.nmax = 500;
    t = MakeCuttingTable(d);
    EXPECT_EQ(t.rows[1][5], "500");
    EXPECT_EQ(t.rows[1][6], "100");

    // Spindle speed given: V from it; a second pass adds a row lower down.
    d.constantSpeed = false;
    d.spindle = 1000;
    d.nmax = 5000;
    d.depth2 = 0.5;
    d.feed2 = 0.1;
    d.speed2 = 9000;
    t = MakeCuttingTable(d);
    EXPECT_EQ(t.rows[0][6], "Vср, м/мин");
    EXPECT_EQ(t.rows[1][6], "157");
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_DOUBLE_EQ(t.y, 30.0);
    EXPECT_EQ(t.rows[2][2], "0.5");
    EXPECT_EQ(t.rows[2][5], "5000");
}

TEST(SketchLayoutTest, NumbersOfTheTablesAndTheRoughness) {
    const double rgh = 1.6;
    EXPECT_EQ(SketchRoughnessText(&rgh), "Ra1.6 ");
    EXPECT_EQ(SketchRoughnessText(nullptr), "Ra3,2");
    const auto texts = SketchToolRowTexts({4, "Резец", 0.8, 0, -0.0005, -2.5});
    EXPECT_EQ(texts[0], "5");
    EXPECT_EQ(texts[2], "0.8 ");
    EXPECT_EQ(texts[3], "-");
    EXPECT_EQ(texts[4], "-");
    EXPECT_EQ(texts[5], "-2.5 ");
}

TEST(SketchLayoutTest, DocumentSetFolderCutsTheFileNameOnly) {
    EXPECT_EQ(DocumentSetFolder("D:\\Work.2024\\Shaft.rdd"), "D:\\Work.2024\\Shaft");
    EXPECT_EQ(DocumentSetFolder("D:\\Work.2024\\Shaft"), "D:\\Work.2024\\Shaft");
    EXPECT_EQ(DocumentSetFolder("/tmp/a.b/Shaft.v2.rdd"), "/tmp/a.b/Shaft.v2");
}

}  // namespace
}  // namespace zarvento
