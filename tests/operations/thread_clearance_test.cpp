// The clearance check of a chisel thread's passes: they cut the thread's
// groove into the part and are held to it, down to the thread's depth and
// along the thread, its approach and its run-out as far as a shoulder; every
// other move keeps to the part's surface.
#include "operations/thread_clearance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "catalogs/param_tool.h"
#include "geometry/contour.h"
#include "geometry/primitives.h"
#include "operations/path_clearance.h"
#include "operations/turn_threading.h"
#include "operations_test_support.h"

namespace zarvento {
namespace {

// A pin of diameter 20 from the face (a 1 mm chamfer) to a relief 3 wide
// and 2 deep, below the thread's root, before a shoulder of diameter 26.
constexpr const char* kPin =
    "LineSeg( 0,0, 0,-9, 1 );\nLineSeg( 0,-9, -1,-10, 1 );\nLineSeg( -1,-10, -20,-10, 1 );\n"
    "LineSeg( -20,-10, -20,-8, 1 );\nLineSeg( -20,-8, -23,-8, 1 );\nLineSeg( -23,-8, -23,-13, 1 );\n"
    "LineSeg( -23,-13, -40,-13, 1 );\nLineSeg( -40,-13, -40,0, 1 );\nLineSeg( -40,0, 0,0, 1 );\n";
constexpr const char* kPinThread = "LineSeg( -1,-10, -20,-10, 1 );\n";

class ThreadClearanceTest : public test::OperationTest {
protected:
    // M20 x 1.5 on the pin with a chisel of nose radius 0.05, the run-out
    // 2.9 long: the nose ends 0.05 short of the shoulder. With `flanks` the
    // tool has an outline: a 60° insert whose flanks rise 5 from its tip.
    CTurnTHREADING& Thread(double runOut = 2.9, bool flanks = false) {
        runner->Part(kPin);
        ParamTool& tool = runner->Tool(2, "Резец резьбовой", 0.05);
        tool.TYPE_ = 15;
        if (flanks) {
            const double z = tool.dNoseDx, x = -tool.dNoseDy + 0.05, side = 5.0 * std::tan(PI / 6.0);
            const auto line = [](double z1, double x1, double z2, double x2) {
                return "LineSeg( " + std::to_string(z1) + "," + std::to_string(x1) + ", " + std::to_string(z2) + "," +
                       std::to_string(x2) + ", 1 );\n";
            };
            tool.pContour =
                test::OperationRunner::Parse(line(z, x, z - side, x - 5) + line(z - side, x - 5, z - side, x - 15) +
                                             line(z - side, x - 15, z + side, x - 15) +
                                             line(z + side, x - 15, z + side, x - 5) + line(z + side, x - 5, z, x));
        }
        CTurn& op = runner->AddKind(kTurnTHREADING, kPinThread, [runOut](CTurn& o) {
            auto& t = dynamic_cast<CTurnTHREADING&>(o);
            t.Perebeg = runOut;
            // No post-processor gives a synchronisation code.
            t.Cycle().FindParam("P6")->intValue = 1;
        });
        runner->Run();
        return dynamic_cast<CTurnTHREADING&>(op);
    }
    static std::optional<PathIntrusion> Check(const CTurn& op) {
        const ClearanceOutline part(*test::OperationRunner::Parse(kPin));
        return FindPathIntrusion(op, part, nullptr, nullptr);
    }
    // Moves every thread move (the cuts), or else every other feed move.
    static void MoveCuts(CTurn& op, double dz, double dx) {
        for (const auto& f : op.Frames())
            if (f->feedIsStep && !f->rapid) f->Move(dx, 0.0, dz);
    }
};

TEST_F(ThreadClearanceTest, ThePassesCutTheThreadsGrooveAndNoMore) {
    struct Case {
        const char* name;
        double dz, dx;  // every cut moved by
        double depth;   // how far the check finds it in the part; 0: clear
    };
    const Case cases[] = {
        {"as cut", 0.0, 0.0, 0.0},
        {"0.1 below the thread's root", 0.0, 0.1, 0.1},
        {"0.5 further into the shoulder", -0.5, 0.0, 0.45},
        {"0.04 further, still short of the shoulder", -0.04, 0.0, 0.0},
        {"0.3 outwards, above the crest", 0.0, -0.3, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runner->Clear();
        CTurnTHREADING& op = Thread();
        ASSERT_FALSE(op.HasMessage()) << op.messageText;
        MoveCuts(op, c.dz, c.dx);
        const std::optional<PathIntrusion> found = Check(op);
        ASSERT_EQ(found.has_value(), c.depth > 0.0) << (found ? found->Describe() : std::string());
        if (found) {
            EXPECT_FALSE(found->rapid);
            EXPECT_NEAR(found->depth, c.depth, 0.01) << found->Describe();
        }
    }
}

TEST_F(ThreadClearanceTest, OnlyTheCutsMayEnterTheGroove) {
    CTurnTHREADING& op = Thread();
    ASSERT_FALSE(op.HasMessage()) << op.messageText;
    // A feed along the thread that is no thread move cuts into the part.
    op.AddLineFrame(-9.7, 2.0, -9.7, -15.0, 0.2, false);
    const std::optional<PathIntrusion> found = Check(op);
    ASSERT_TRUE(found);
    EXPECT_NEAR(found->depth, 0.35, 0.01) << found->Describe();
}

// The insert's flank trails its nose into the run-out: at the height of the
// shoulder (radius 13, 3.92 above the tip) it reaches 2.26 behind the nose.
TEST_F(ThreadClearanceTest, TheInsertsFlankKeepsOutOfTheShoulder) {
    // The run-out the nose alone fits leaves the flank in the shoulder: the
    // operation says how far and cuts no thread.
    CTurnTHREADING& tooLong = Thread(2.9, true);
    EXPECT_NE(tooLong.messageText.find(std::string(CTurnTHREADING::kRunOutIntoPart) + "2.163 мм"), std::string::npos)
        << tooLong.messageText;
    int passes = 0;
    for (const auto& f : tooLong.Frames()) passes += f->feedIsStep && !f->rapid ? 1 : 0;
    EXPECT_EQ(passes, 0);

    runner->Clear();
    CTurnTHREADING& fits = Thread(0.5, true);
    ASSERT_FALSE(fits.HasMessage()) << fits.messageText;
    EXPECT_FALSE(Check(fits));
    // 1 further, the nose stays in the relief and the flank does not: the
    // first pass finds it.
    MoveCuts(fits, -1.0, 0.0);
    const std::optional<PathIntrusion> found = Check(fits);
    ASSERT_TRUE(found);
    EXPECT_FALSE(found->rapid);
    EXPECT_GT(found->depth, 0.2) << found->Describe();
}

TEST_F(ThreadClearanceTest, TheRoomEndsAtTheShoulderOnTheMaterialsSide) {
    CTurnTHREADING& op = Thread();
    const std::vector<ThreadSweep> sweeps = ThreadSweepsOf(op, 0.05);
    ASSERT_EQ(sweeps.size(), 1u);
    // From the approach 3 before the line's start at z = -1 (and the flank
    // infeed's shifts, up to tan 30° of the depth) to the run-out 2.9 past
    // its end, widened by the nose.
    EXPECT_NEAR(sweeps[0].hi, 2.05 + std::tan(PI / 6.0) * 0.92, 1e-9);
    EXPECT_NEAR(sweeps[0].lo, -22.95, 1e-9);
    EXPECT_TRUE(sweeps[0].runOutAtLo);

    // A bore of diameter 27.84 threaded to a relief of diameter 31 before its
    // bottom at z = -23, drilled to the axis.
    constexpr const char* kBlindBore =
        "LineSeg( 0,-13.92, 0,-25, 1 );\nLineSeg( 0,-25, -40,-25, 1 );\nLineSeg( -40,-25, -40,0, 1 );\n"
        "LineSeg( -40,0, -23,0, 1 );\nLineSeg( -23,0, -23,-15.5, 1 );\nLineSeg( -23,-15.5, -20,-15.5, 1 );\n"
        "LineSeg( -20,-15.5, -20,-13.92, 1 );\nLineSeg( -20,-13.92, 0,-13.92, 1 );\n";
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        const char* part;
        Point2D a, b;  // the crest line, (z, x)
        double deeper, lo, hi;
    };
    const Case cases[] = {
        {"a pin: the shoulder behind the relief", kPin, {-1, -10}, {-20, -10}, 1.0, -23.0, kInfinity},
        {"a blind bore: its bottom", kBlindBore, {-20, -13.92}, {0, -13.92}, -1.0, -23.0, kInfinity},
        {"a line off the part", kPin, {-1, -30}, {-20, -30}, 0.0, -kInfinity, kInfinity},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ThreadSweep sweep;
        sweep.a = c.a;
        sweep.b = c.b;
        const ThreadRoom room = RoomAlongThread(ClearanceOutline(*test::OperationRunner::Parse(c.part)), sweep, 1e-3);
        EXPECT_EQ(room.deeper, c.deeper);
        EXPECT_DOUBLE_EQ(room.lo, c.lo);
        EXPECT_DOUBLE_EQ(room.hi, c.hi);
    }
}

}  // namespace
}  // namespace zarvento
