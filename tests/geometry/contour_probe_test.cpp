// Contour algorithms that probe or extend a contour: point on and inside,
// direction, crossing order, the inside point, path prolongation, reading
// the 2D document back and the region drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "contour_fixtures.h"
#include "dense_profiles.h"
#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "geometry/region_drawable.h"
#include "geometry/unit_locator.h"
#include "platform/view/view_3d_log.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::CleanStateTest;
using test::MakeContour;

class ContourProbeTest : public CleanStateTest {};

// Radius 15 on z 0..30, radius 20 on z 30..60: a level stretch at x = -15
// whose ray from inside runs along it.
constexpr std::string_view kStepUp =
    "LineSeg( 0,0, 0,-15, 1 );\nLineSeg( 0,-15, 30,-15, 1 );\nLineSeg( 30,-15, 30,-20, 1 );\n"
    "LineSeg( 30,-20, 60,-20, 1 );\nLineSeg( 60,-20, 60,0, 1 );\nLineSeg( 60,0, 0,0, 1 );\n";

constexpr std::string_view kDiamond =
    "LineSeg( 10,0, 20,-10, 1 );\nLineSeg( 20,-10, 10,-20, 1 );\nLineSeg( 10,-20, 0,-10, 1 );\n"
    "LineSeg( 0,-10, 10,0, 1 );\n";

// A groove: a half circle of radius 5 below x = -10, its bottom at (10, -15).
constexpr std::string_view kGroove =
    "LineSeg( 0,0, 0,-10, 1 );\nLineSeg( 0,-10, 5,-10, 1 );\nArcByPoint( 10,-10, 5, 5,-10, 15,-10, 1, 1 );\n"
    "LineSeg( 15,-10, 20,-10, 1 );\nLineSeg( 20,-10, 20,0, 1 );\nLineSeg( 20,0, 0,0, 1 );\n";

TEST_F(ContourProbeTest, PointInsideFollowsTheVertexAndTangentRules) {
    struct Case {
        std::string_view contour;
        double z, x;
        bool inside;
        const char* why;
    };
    const Case cases[] = {
        {test::kSteppedShaft, 10, -10, true, "plain crossing"},
        {test::kSteppedShaft, 45, -17, false, "beside the smaller step"},
        {test::kSteppedShaft, 45, -10, true, "ray past the step"},
        {test::kSteppedShaft, 30, -17, false, "on the outline"},
        {test::kSteppedShaft, 0, 0, false, "on a vertex"},
        {test::kSteppedShaft, 70, -15, false, "ray along a level stretch, outline turns back"},
        {kStepUp, 45, -15, true, "ray along a level stretch, outline passes through"},
        {kStepUp, 70, -15, false, "from outside along the stretch"},
        {kDiamond, 15, -10, true, "ray through a pass-through vertex"},
        {kDiamond, 25, -20, false, "ray through a turning-back vertex"},
        {kDiamond, 25, -10, false, "through both side vertices"},
        {kGroove, 25, -15, false, "ray touching the arc's lowest point"},
        {kGroove, 10, -12, true, "inside the groove"},
        {kGroove, 10, -14.9, true, "just above the lowest point"},
        {test::kFilleted, 30, -12, true, "below the fillet"},
        {test::kFilleted, 23, -11, false, "in the corner the fillet cuts off"},
    };
    for (const Case& c : cases) {
        const auto contour = MakeContour(c.contour);
        EXPECT_EQ(contour->IsPointInside(c.z, c.x), c.inside) << c.why;
        // Many points on one contour look its units up in an index instead.
        UnitLocator near(*contour, 2.0 * EPS);
        EXPECT_EQ(contour->IsPointInside(c.z, c.x, near), c.inside) << c.why << " (through the index)";
    }
    EXPECT_TRUE(MakeContour(test::kSteppedShaft)->IsPointOnContour(30, -17));
    EXPECT_FALSE(MakeContour(test::kSteppedShaft)->IsPointOnContour(31, -17));
}

// Every point of a grid answers the same whichever unit the contour starts
// at and whichever way it runs.
TEST_F(ContourProbeTest, PointInsideDoesNotDependOnStartOrSense) {
    for (std::string_view script : {test::kSteppedShaft, kStepUp, kGroove, test::kFilleted}) {
        auto base = MakeContour(script);
        for (int shift = 1; shift < base->Count(); ++shift) {
            auto other = MakeContour(script);
            other->RotateToIndex(shift);
            if (shift % 2) other->Reverse();
            for (double z = -2.5; z < 62; z += 2.5)
                for (double x = -22.5; x < 2; x += 2.5)
                    ASSERT_EQ(base->IsPointInside(z, x), other->IsPointInside(z, x)) << script << z << " " << x;
        }
    }
}

TEST_F(ContourProbeTest, PointInsideReportsItsCrossings) {
    MakeContour(test::kSteppedShaft)->IsPointInside(65, -10, true);
    const auto texts = MessageLog::Instance().Texts(MessageRole::TextOutput);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0],
              "Nper=2\nz=65.0000000  x=-10.0000000\n\nz1=60.0000000  x1=-10.0000000\n"
              "z2=0.0000000  x2=-10.0000000\n");
}

TEST_F(ContourProbeTest, PassesInsideAndSegments) {
    auto shaft = MakeContour(test::kSteppedShaft);
    EXPECT_TRUE(IsSegmentInside(*shaft, -5, -10, 70, -10));
    EXPECT_FALSE(IsSegmentInside(*shaft, 35, -18, 70, -18));  // beside the smaller step only
    EXPECT_FALSE(IsSegmentInside(*shaft, 5, -10, 20, -10));   // no crossing at all
}

// A working contour on the part's own dense outline meets it at every unit
// and passes inside nowhere; moved towards the axis, it passes inside.
TEST_F(ContourProbeTest, PassesInsideAlongADenseOutline) {
    const test::DenseProfile wavy = test::DenseProfileOf(test::DenseForm::WavyShaft, 2000, 9);
    auto part = MakeContour(wavy.script + "LineSeg( -100,0, 0,0, 1 );\n");
    auto along = MakeContour(wavy.script);
    EXPECT_FALSE(along->PassesInside(*part));
    along->Move(0, 1);
    EXPECT_TRUE(along->PassesInside(*part));
}

TEST_F(ContourProbeTest, DirectionIsClockwiseWithZRightAndXUp) {
    auto rect = MakeContour(
        "LineSeg( 0,0, 0,-10, 1 );\nLineSeg( 0,-10, 10,-10, 1 );\nLineSeg( 10,-10, 10,0, 1 );\n"
        "LineSeg( 10,0, 0,0, 1 );\n");
    EXPECT_FALSE(rect->DetermineDirection());
    rect->Reverse();
    EXPECT_TRUE(rect->DetermineDirection());
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(Contour().DetermineDirection());
    // An open contour the probe crosses once.
    EXPECT_TRUE(MakeContour("LineSeg( 0,0, 10,-10, 1 );\n")->DetermineDirection());
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Ошибка определения направления контура"}));
}

TEST_F(ContourProbeTest, CrossingOrderMayRotateTheOther) {
    auto path = MakeLineContour(-5, -10, 70, -10);
    auto shaft = MakeContour(test::kSteppedShaft);
    // Along the path the shaft is met on unit 0 and then on unit 4.
    EXPECT_TRUE(path->IsCrossingForward(*shaft));
    // Met on unit 4 and then on unit 0: the shaft is rotated to start at
    // unit 4, after which unit 0 comes later.
    auto back = MakeLineContour(70, -10, -5, -10);
    EXPECT_TRUE(back->IsCrossingForward(*shaft));
    EXPECT_DOUBLE_EQ(shaft->GetFirstUnit()->StartPoint.z, 60);
    // Two crossings on one unit: the order along that unit decides.
    auto arc = MakeContour("ArcByPoint( 0,0, 5, -5,0, 5,0, -1, 1 );\n");
    EXPECT_TRUE(MakeLineContour(-10, 3, 10, 3)->IsCrossingForward(*arc));
    EXPECT_FALSE(MakeLineContour(10, 3, -10, 3)->IsCrossingForward(*arc));
    auto one = MakeLineContour(5, -5, 15, -5);
    auto longLine = MakeLineContour(10, 0, 10, -10);
    EXPECT_TRUE(one->IsCrossingForward(*longLine));  // fewer than two crossings
}

TEST_F(ContourProbeTest, FindInsidePointGivesAPointInside) {
    for (std::string_view script : {test::kSteppedShaft, test::kFilleted, kGroove, kDiamond}) {
        auto c = MakeContour(script);
        double z = 1e9, x = 1e9;
        EXPECT_GE(c->FindInsidePoint(z, x), 2) << script;
        EXPECT_TRUE(c->IsPointInside(z, x)) << script;
    }
    auto lShape = MakeContour(
        "LineSeg( 0,0, 0,-20, 1 );\nLineSeg( 0,-20, 20,-20, 1 );\nLineSeg( 20,-20, 20,-10, 1 );\n"
        "LineSeg( 20,-10, 10,-10, 1 );\nLineSeg( 10,-10, 10,0, 1 );\nLineSeg( 10,0, 0,0, 1 );\n");
    double z = 0, x = 0;
    EXPECT_GE(lShape->FindInsidePoint(z, x), 2);
    EXPECT_TRUE(lShape->IsPointInside(z, x));
}

// An open corner: the diagonal probe meets it twice, but the middle is not
// inside; the result says so instead of reporting two crossings.
TEST_F(ContourProbeTest, FindInsidePointFailsWhenNoMiddleIsInside) {
    auto corner = MakeContour("LineSeg( 0,-10, 10,-10, 1 );\nLineSeg( 10,-10, 10,0, 1 );\n");
    double z = 1e9, x = 1e9;
    EXPECT_EQ(corner->FindInsidePoint(z, x), 0);
    auto single = MakeLineContour(0, 0, 10, 0);
    z = 7;
    x = 8;
    EXPECT_LT(single->FindInsidePoint(z, x), 2);
    EXPECT_EQ(z, 7);
    EXPECT_EQ(x, 8);
}

TEST_F(ContourProbeTest, PrependAndAppendLines) {
    auto c = MakeContour(test::kOpenChain);
    c->PrependLine(5, 180, true);
    c->AppendLine(2, 90, false);
    c->AppendLine(0.5 * EPS, 0, false);
    ASSERT_EQ(c->Count(), 5);
    EXPECT_NEAR(c->GetFirstUnit()->StartPoint.z, -5, 1e-12);
    EXPECT_TRUE(c->GetFirstUnit()->IsRapid);
    EXPECT_NEAR(c->GetLastUnit()->EndPoint.x, -8, 1e-12);
    EXPECT_FALSE(c->HasBreaks());
}

// A block obstacle below and to the left of (10, 0).
std::unique_ptr<Contour> Block(double z1, double x1, double z2, double x2) {
    auto b = std::make_unique<Contour>();
    b->AddUnit(std::make_unique<CLineUnit>(z1, x1, z1, x2));
    b->AddUnit(std::make_unique<CLineUnit>(z1, x2, z2, x2));
    b->AddUnit(std::make_unique<CLineUnit>(z2, x2, z2, x1));
    b->AddUnit(std::make_unique<CLineUnit>(z2, x1, z1, x1));
    return b;
}

TEST_F(ContourProbeTest, ExtendEndsProlongsOnlyWhereTheToolStaysClear) {
    auto path = MakeLineContour(10, 0, 20, 0);
    double step = 8;
    path->ExtendEnds(3, 3, nullptr, 1, &step);
    EXPECT_EQ(path->Count(), 1);
    // Clear on both sides.
    auto far = Block(100, -10, 110, -20);
    path->ExtendEnds(3, 3, far.get(), 1, &step);
    ASSERT_EQ(path->Count(), 3);
    EXPECT_NEAR(path->GetFirstUnit()->StartPoint.z, 7, 1e-12);
    EXPECT_NEAR(path->GetFirstUnit()->StartPoint.x, 0, 1e-12);
    EXPECT_NEAR(path->GetLastUnit()->EndPoint.z, 23, 1e-12);
    EXPECT_FALSE(path->HasBreaks());
    EXPECT_EQ(step, 8);
    // The start prolongation would run into the block: only the end grows.
    auto blocked = MakeLineContour(10, 0, 20, 0);
    auto block = Block(5, -1, 8, 1);
    blocked->ExtendEnds(3, 3, block.get(), 0.5, nullptr);
    ASSERT_EQ(blocked->Count(), 2);
    EXPECT_NEAR(blocked->GetFirstUnit()->StartPoint.z, 10, 1e-12);
    EXPECT_NEAR(blocked->GetLastUnit()->EndPoint.z, 23, 1e-12);
}

TEST_F(ContourProbeTest, ExtendEndsAlongArcsCapsTheApproach) {
    // A quarter arc, clockwise from (0, 5) to (5, 0) about the origin.
    auto path = MakeContour("ArcByPoint( 0,0, 5, 0,5, 5,0, -1, 1 );\n");
    auto far = Block(100, -10, 110, -20);
    double step = 8;
    path->ExtendEnds(2, 2, far.get(), 1, &step);
    ASSERT_EQ(path->Count(), 1);
    const CUnit& arc = *path->GetFirstUnit();
    EXPECT_NEAR(arc.StartPoint.z, 5 * std::cos(PI / 2 + 0.4), 1e-9);
    EXPECT_NEAR(arc.StartPoint.x, 5 * std::sin(PI / 2 + 0.4), 1e-9);
    EXPECT_NEAR(arc.EndPoint.z, 5 * std::cos(-0.4), 1e-9);
    EXPECT_NEAR(arc.EndPoint.x, 5 * std::sin(-0.4), 1e-9);
    EXPECT_EQ(step, 5);
}

// The prolonged end of an arc, (4.61, -1.95), is outside the block, but a
// tool of radius 1 there would cut into it: the end stays where it was, and
// so does the straight departure that the tool cannot take either.
TEST_F(ContourProbeTest, ExtendEndsTestsTheToolAtAnArcEnd) {
    auto path = MakeContour("ArcByPoint( 0,0, 5, 0,5, 5,0, -1, 1 );\n");
    auto block = Block(3, -2.5, 8, -6);
    ASSERT_FALSE(block->IsPointInside(5 * std::cos(-0.4), 5 * std::sin(-0.4)));
    path->ExtendEnds(0, 2, block.get(), 1, nullptr);
    ASSERT_EQ(path->Count(), 1);
    EXPECT_NEAR(path->GetLastUnit()->EndPoint.z, 5, 1e-12);
    EXPECT_NEAR(path->GetLastUnit()->EndPoint.x, 0, 1e-12);
}

TEST_F(ContourProbeTest, LoadReadsBackWhatDraw2DWrote) {
    Document2D doc;
    SetActiveDocument2D(&doc);
    auto source = MakeContour(test::kFilleted);
    source->Draw2D(1);
    Contour back;
    back.LoadFromHostObjects(doc, 0, 1, 0.01);
    EXPECT_EQ(ContourScriptText(back), test::kFilleted);
    SetActiveDocument2D(nullptr);
}

TEST_F(ContourProbeTest, LoadReadsOneGroupAndBreaksCurves) {
    Document2D doc;
    doc.LineSeg(0, 5, 0, 0, 1);  // outside the group: not read
    doc.BeginObjectSet();
    doc.LineSeg(0, 0, 10, 0, 1);
    doc.Polyline({{10, 0}, {10, -5}, {20, -5}}, 1);  // a curve: read as its segments
    const Ref2D group = doc.EndObjectSet();
    Contour loaded;
    loaded.LoadFromHostObjects(doc, group, -1, 0.01);
    ASSERT_EQ(loaded.Count(), 3);
    EXPECT_DOUBLE_EQ(loaded.GetUnit(0)->StartPoint.z, 0);
    EXPECT_DOUBLE_EQ(loaded.GetUnit(2)->EndPoint.z, 20);
    EXPECT_DOUBLE_EQ(loaded.GetUnit(2)->EndPoint.x, -5);
    // The pieces the host made for the curve do not stay in the document.
    Contour whole;
    whole.LoadFromHostObjects(doc, 0, -1, 0.01);
    EXPECT_EQ(whole.Count(), 4);
}

TEST_F(ContourProbeTest, LoadFiltersByStyle) {
    Document2D doc;
    doc.LineSeg(0, 0, 10, 0, 1);
    doc.LineSeg(10, 0, 10, -5, 3);                       // rapid
    doc.LineSeg(10, -5, 20, -5, 2);                      // another style
    doc.ArcByPoint(20, -10, 5, 20, -5, 25, -10, -1, 1);  // host -1: DirVector 1
    doc.ArcByPoint(25, -15, 5, 25, -10, 30, -15, 1, 3);  // arc of style 3
    doc.LineSeg(30, -15, 30, -15, 1);                    // zero length
    struct Case {
        int filter;
        std::string kinds;
    };
    const Case cases[] = {{1, "LA"}, {-1, "LLA"}, {7, "LLA"}, {0, ""}, {2, ""}};
    for (const Case& c : cases) {
        Contour loaded;
        loaded.LoadFromHostObjects(doc, 0, c.filter, 0.01);
        std::string kinds;
        for (int k = 0; k < loaded.Count(); ++k) kinds += loaded.GetUnit(k)->Kind;
        EXPECT_EQ(kinds, c.kinds) << c.filter;
        if (c.filter == 7) {
            EXPECT_TRUE(loaded.GetUnit(1)->IsRapid);
            EXPECT_EQ(loaded.GetUnit(2)->DirVector, 1);
        }
        if (c.filter == -1) {
            EXPECT_DOUBLE_EQ(loaded.GetUnit(1)->StartPoint.z, 10);
        }
    }
}

TEST_F(ContourProbeTest, TessellationHandsTheOutlineToTheRegion) {
    auto c = MakeContour(test::kFilleted);
    auto region = CreateRecordingRegionDrawable();
    c->CreateTessellation(*region, 0x123456);
    std::vector<View3DEntry> regions;
    for (const auto& e : View3DLog::Instance().Entries())
        if (e.action == "CreateRegion") regions.push_back(e);
    ASSERT_EQ(regions.size(), 1u);
    const auto& args = regions[0].args;
    EXPECT_EQ(regions[0].colour, 0x123456u);
    IntersectPointList arc(10);
    static_cast<const CArcUnit&>(*c->GetUnit(2)).GetPolyline(arc, 1.0);
    ASSERT_EQ(args.size(), 3 * (c->Count() + arc.Count() - 2 + 1));
    EXPECT_EQ(std::vector<double>(args.begin(), args.begin() + 3), (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(std::vector<double>(args.end() - 3, args.end()), (std::vector<double>{0, 0, 7}));
    // The arc's inner points follow its start, inside the fillet's box.
    for (std::uint32_t p = 1; p + 1 < arc.Count(); ++p) {
        EXPECT_NEAR(args[3 * (3 + p - 1)], arc[p].z, 1e-12);
        EXPECT_NEAR(args[3 * (3 + p - 1) + 1], arc[p].x, 1e-12);
    }
    // The edges were drawn first, one per unit.
    int edges = 0;
    for (const auto& e : View3DLog::Instance().Entries())
        edges += e.action == "CreateLine" || e.action == "CreatePolyline";
    EXPECT_EQ(edges, c->Count());
}

}  // namespace
}  // namespace zarvento
