// The clearance check of tool paths: feed moves against the part with the
// nose circle, rapids against the part and the stock, on paths the
// operations build and on paths written move by move.
#include "operations/path_clearance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "geometry/arc_unit.h"
#include "operations/turn_kontur.h"
#include "operations_test_support.h"
#include "path_checks.h"

namespace zarvento {
namespace {

// The step of kStepProfile as a closed section: radius 20 from the face at
// z = 5 to z = -30, radius 30 on to z = -58, back along the axis.
constexpr const char* kStepSection =
    "LineSeg( 5,0, 5,-20, 1 );\nLineSeg( 5,-20, -30,-20, 1 );\nLineSeg( -30,-20, -30,-30, 1 );\n"
    "LineSeg( -30,-30, -58,-30, 1 );\nLineSeg( -58,-30, -58,0, 1 );\nLineSeg( -58,0, 5,0, 1 );\n";
// The bar of the fixture: diameter 50 from z = 2 to z = -58.
constexpr const char* kBar =
    "LineSeg( 2,0, 2,-25, 1 );\nLineSeg( 2,-25, -58,-25, 1 );\nLineSeg( -58,-25, -58,0, 1 );\n"
    "LineSeg( -58,0, 2,0, 1 );\n";

class PathClearanceTest : public test::OperationTest {
protected:
    CTurn& ContourPass() {
        runner->Clear();
        runner->Part(kStepSection);
        CTurn& op = runner->AddKind(kTurnKONTUR, test::kStepProfile);
        runner->Run();
        return op;
    }
    static std::optional<PathIntrusion> Check(const CTurn& op, const char* stockBefore = nullptr,
                                              const char* stockAfter = nullptr) {
        const ClearanceOutline part(*test::OperationRunner::Parse(kStepSection));
        std::optional<ClearanceOutline> before, after;
        if (stockBefore) before.emplace(*test::OperationRunner::Parse(stockBefore));
        if (stockAfter) after.emplace(*test::OperationRunner::Parse(stockAfter));
        return FindPathIntrusion(op, part, before ? &*before : nullptr, after ? &*after : nullptr);
    }
};

// The contour pass keeps its nose circle on the part's surface; moved 0.3
// towards the axis every feed move cuts 0.3 into it, and the check says so.
TEST_F(PathClearanceTest, ContourPassIsClearAndTheSameMovedInIsNot) {
    CTurn& op = ContourPass();
    ASSERT_EQ(op.messageText, "");
    ASSERT_EQ(test::FirstGouge(op, *test::OperationRunner::Parse(test::kStepProfile), 0.0), "");
    EXPECT_FALSE(Check(op, kBar, kStepSection));

    for (const auto& frame : op.Frames())
        if (!frame->rapid) frame->Move(0.3, 0.0, 0.0);
    const std::optional<PathIntrusion> found = Check(op, kBar, kStepSection);
    ASSERT_TRUE(found);
    EXPECT_FALSE(found->rapid);
    EXPECT_FALSE(found->intoStock);
    EXPECT_NEAR(found->depth, 0.3, 0.01);
    EXPECT_NE(found->Describe().find("Траектория врезается в деталь на 0.300 мм"), std::string::npos)
        << found->Describe();
}

// Paths written move by move with a tool of radius 0.8 at its nose centre.
TEST_F(PathClearanceTest, MovesAgainstThePartAndTheStock) {
    struct Move {
        double z1, x1, z2, x2;
        bool rapid;
    };
    struct Case {
        const char* name;
        std::vector<Move> moves;
        bool found, rapid, intoStock;
    };
    const Case cases[] = {
        {"approach in front of the bar, a pass over the part, back over what it cut",
         {{10, -40, 10, -22, true}, {10, -22, -5, -22, false}, {-5, -22, -5, -23, false}, {-5, -23, 10, -23, true}},
         false,
         false,
         false},
        {"a rapid through the bar before the first cut", {{10, -23, -5, -23, true}}, true, true, true},
        {"a rapid into the part after a cut", {{10, -22, -5, -22, false}, {-5, -22, -5, -18, true}}, true, true, false},
        {"a rapid over the shoulder within the nose radius", {{-20, -30.5, -40, -30.5, true}}, true, true, false},
        {"a feed that starts deep inside the part, far from its surface",
         {{-10, -5, -20, -5, false}},
         true,
         false,
         false},
        {"a feed across the part's face", {{10, -5, -20, -5, false}}, true, false, false},
        {"a rapid into the stock the operation leaves",
         {{10, -23, -5, -23, false}, {-5, -23, -20, -23, true}},
         true,
         true,
         true},
    };
    // What the operation leaves: the part, and the bar from z = -10 to the shoulder.
    const char* left =
        "LineSeg( 5,0, 5,-20, 1 );\nLineSeg( 5,-20, -10,-20, 1 );\nLineSeg( -10,-20, -10,-25, 1 );\n"
        "LineSeg( -10,-25, -30,-25, 1 );\nLineSeg( -30,-25, -30,-30, 1 );\nLineSeg( -30,-30, -58,-30, 1 );\n"
        "LineSeg( -58,-30, -58,0, 1 );\nLineSeg( -58,0, 5,0, 1 );\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTurn& op = ContourPass();
        op.ReleaseFrames();
        for (const Move& m : c.moves) op.AddLineFrame(m.x1, m.z1, m.x2, m.z2, 0.2, m.rapid);
        const std::optional<PathIntrusion> found = Check(op, kBar, left);
        ASSERT_EQ(found.has_value(), c.found) << (found ? found->Describe() : std::string());
        if (!found) continue;
        EXPECT_EQ(found->rapid, c.rapid);
        EXPECT_EQ(found->intoStock, c.intoStock);
        EXPECT_GT(found->depth, 1e-3);
    }
}

// An arc of the path is measured as an arc: a quarter of radius 0.9 about the
// part's corner keeps clear of it; the three quarters the other way round
// run through the part.
TEST_F(PathClearanceTest, ArcsAreMeasuredAsArcs) {
    for (int dir : {1, -1}) {
        SCOPED_TRACE(dir);
        CTurn& op = ContourPass();
        op.ReleaseFrames();
        // Round the part's corner at (5, -20): centre there, radius 0.8 + 0.1.
        const CArcUnit arc(5, -20, 0.9, 5, -20.9, 5.9, -20, dir);
        op.AddUnitFrame(arc, false);
        const std::optional<PathIntrusion> found = Check(op);
        EXPECT_EQ(found.has_value(), dir == 1) << (found ? found->Describe() : std::string());
    }
}

// A path the machine compensates is written along the contour itself; the
// check judges the nose where the compensation puts it and leaves the path
// as it was.
TEST_F(PathClearanceTest, APathTheMachineCompensatesIsJudgedWhereTheNoseRuns) {
    runner->Clear();
    runner->Part(kStepSection);
    CTurn& op = runner->AddKind(kTurnKONTUR, test::kStepProfile, [](CTurn& o) {
        o.DirRcorrect = 1;
        o.isCorrectRadius = false;
    });
    runner->Run();
    ASSERT_EQ(op.messageText, "");
    const std::string written = runner->Text(0);
    EXPECT_TRUE(Check(op)) << "the contour itself, taken for the nose's path, cuts in";
    EXPECT_TRUE(CheckPathClearance(op)) << op.messageText;
    EXPECT_EQ(runner->Text(0), written);
}

// A tool without a corner radius runs on the part's surface itself: along
// the surface it keeps clear, across a corner it cuts in.
TEST_F(PathClearanceTest, APointToolMayRunOnTheSurfaceButNotThroughIt) {
    CTurn& op = ContourPass();
    GetSPID()->GetTool(0)->r = 0.0;
    struct Case {
        const char* name;
        double z1, x1, z2, x2;
        bool found;
    };
    for (const Case& c :
         {Case{"along the diameter", 5, -20, -30, -20, false}, Case{"up the shoulder", -30, -20, -30, -30, false},
          Case{"across the shoulder's corner", -29, -20.5, -31, -29.5, true}}) {
        SCOPED_TRACE(c.name);
        op.ReleaseFrames();
        op.AddLineFrame(c.x1, c.z1, c.x2, c.z2, 0.2, false);
        EXPECT_EQ(Check(op).has_value(), c.found);
    }
}

// A route is held to what the tool meets at its ends: where the path puts
// the nose into the part (a pass moved in, a profile deeper than the part's),
// the route to that point is no fault of its own, but a route that reaches
// deeper on the way, or crosses the part away from its ends, is.
TEST(RouteReachTest, TheNoseAtARoutesEndsIsThePathsAndTheRestOfTheRouteIsMeasured) {
    struct Case {
        const char* name;
        const char* outline;
        double r;
        const char* route;
        bool found;
    };
    const Case cases[] = {
        {"down to a point whose nose is 0.2 in", kStepSection, 0.8, "LineSeg( -10,-40, -10,-20.6, 1 );\n", false},
        {"the same point along the part, the nose deeper on the way", kStepSection, 0.8,
         "LineSeg( 20,-19, -10,-19, 1 );\nLineSeg( -10,-19, -10,-20.6, 1 );\n", true},
        {"across a profile to a point just past it", test::kStepProfile, 0.4, "LineSeg( 3.9,-40, 3.9,-19.9, 1 );\n",
         false},
        {"across the profile far from that point", test::kStepProfile, 0.4,
         "LineSeg( -10,-40, -10,-19.9, 1 );\nLineSeg( -10,-19.9, 3.9,-19.9, 1 );\n", true},
        {"clear ends, through the part", kStepSection, 0.8, "LineSeg( 20,-10, -40,-40, 1 );\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ClearanceOutline outline(*test::OperationRunner::Parse(c.outline));
        EXPECT_EQ(RouteReach(*test::OperationRunner::Parse(c.route), 0.0, 0.0, c.r, outline, 1e-3).has_value(),
                  c.found);
    }
}

}  // namespace
}  // namespace zarvento
