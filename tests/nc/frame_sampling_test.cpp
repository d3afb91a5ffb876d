// Frames sampled for the simulation: point counts and steps by the feed, the
// constant cutting speed and its limits, rapid moves and feeds that are steps;
// duplicates; degenerate feeds and speeds; trace points and their colours.
#include <cmath>
#include <memory>

#include "geometry/line_unit.h"
#include "nc/cadre_arc_g02.h"
#include "nc/cadre_arc_g03.h"
#include "nc/cadre_line_g01.h"
#include "nc/frame_simulation.h"
#include "nc/modal_state.h"
#include "platform/core/numbers.h"
#include "platform/documents/settings_record.h"
#include "test_support.h"

namespace zarvento {
namespace {

class FrameSamplingTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        ResetModalState();
        SettingsRecord::Global().rapidSpeed = 5.0;
    }

    // A cutting (or rapid) line at radius -x from z1 to z2, its path made.
    static std::unique_ptr<CCadre_LineG01> Line(double x1, double z1, double x2, double z2, double feed, bool rapid,
                                                double speed) {
        auto f = std::make_unique<CCadre_LineG01>(x1, z1, x2, z2, feed, rapid);
        f->spindleSpeed = speed;
        f->CreatePathFigure();
        return f;
    }

    static void SetSpeedRules(CCadreISO& f, bool constant, double minSpeed, double maxSpeed) {
        f.constantSpeed = constant;
        f.minSpindleSpeed = minSpeed;
        f.maxSpindleSpeed = maxSpeed;
    }
};

TEST_F(FrameSamplingTest, PointCountsAndStepsFollowTheFeedAndSpeedRules) {
    struct Case {
        const char* name;
        double x;  // the line runs at this X from z 0 to z -length
        double length;
        double feed, speed;
        bool constant, rapid, feedIsStep;
        double minSpeed, maxSpeed, speedFactor;
        double step;  // the feed or rapid step the frame reports
        int points;
    };
    const Case cases[] = {
        // n = 1200, 1200 * 0.2 * 25 / 60 / 1000 = 0.1; evenly spaced: floor(10 / 0.1 + 0.5) points.
        {"normal feed", -20, 10, 0.2, 1200, false, false, false, 0, 0, 1, 0.1, 100},
        {"speed factor", -20, 10, 0.2, 1200, false, false, false, 0, 0, 2, 0.2, 50},
        // The feed is the step: points every 0.5 after the start, then the end.
        {"feed is step", -20, 10, 0.5, 1200, false, false, true, 0, 0, 1, 0.5, 20},
        // G96 V 150 at mean diameter 50: n = 150000 / PI / 50.
        {"G96", -25, 10, 0.2, 150, true, false, false, 0, 3000, 1, 150000 / PI / 50 * 0.2 * 25 / 60000, 126},
        // On the axis the mean diameter is 0: the maximum speed 2000.
        {"G96 on the axis", 0, 10, 0.2, 150, true, false, false, 100, 2000, 1, 2000 * 0.2 * 25 / 60000.0, 60},
        {"G96 clamped to max", -1, 10, 0.2, 150, true, false, false, 100, 2000, 1, 2000 * 0.2 * 25 / 60000.0, 60},
        {"G96 clamped to min", -250, 10, 0.2, 150, true, false, false, 200, 2000, 1, 200 * 0.2 * 25 / 60000.0, 600},
        // A G97 speed is held within the limits too.
        {"speed clamped", -20, 10, 0.2, 5000, false, false, false, 0, 1200, 1, 0.1, 100},
        // Rapid: 5 m/min * 25 ms / 60 = 2.0833 mm.
        {"rapid", -20, 100, 0.2, 1200, false, true, false, 0, 0, 1, 5.0 * 25 / 60, 48},
        {"rapid, speed factor", -20, 100, 0.2, 1200, false, true, false, 0, 0, 2, 5.0 * 2 * 25 / 60, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto f = Line(c.x, 0, c.x, -c.length, c.feed, c.rapid, c.speed);
        SetSpeedRules(*f, c.constant, c.minSpeed, c.maxSpeed);
        f->feedIsStep = c.feedIsStep;
        f->speedFactor = c.speedFactor;
        SimulationPointList points;
        f->GetSimulationPoints(points);
        EXPECT_NEAR(c.rapid ? f->rapidStep : f->feedStep, c.step, 1e-12);
        ASSERT_EQ(f->pointCount, c.points);
        ASSERT_EQ(points.Count(), static_cast<std::uint32_t>(c.points));
        EXPECT_EQ(points[0].frame, f.get());
        EXPECT_EQ(points[0].unit, f->path.GetUnit(0));
        EXPECT_NEAR(points[c.points - 1].z, -c.length, 1e-12);
        if (!c.feedIsStep)
            EXPECT_NEAR(points[0].z, 0.0, 1e-12);
        else
            EXPECT_NEAR(points[0].z, -c.feed, 1e-12);
    }
}

TEST_F(FrameSamplingTest, ArcTakesCeilOfLengthOverStepPlusOnePoints) {
    // A quarter of radius 10 (15.708 long) at step 0.1: trunc(ceil(157.08) + 1.1) = 159.
    CCadre_ArcG03 arc(-20, -10, 10, -10, -10, -20, -20, 0.2, false);
    arc.spindleSpeed = 1200;
    arc.CreatePathFigure();
    SimulationPointList points;
    arc.GetSimulationPoints(points);
    EXPECT_EQ(arc.pointCount, 159);
    EXPECT_NEAR(points[158].z, -20, 1e-9);
    EXPECT_NEAR(points[158].x, -20, 1e-9);
}

TEST_F(FrameSamplingTest, TimeStepOfTheSimulationScalesTheStep) {
    SetSimulationTimeStep(50);
    auto f = Line(-20, 0, -20, -10, 0.2, false, 1200);
    SimulationPointList points;
    f->GetSimulationPoints(points);
    EXPECT_NEAR(f->feedStep, 0.2, 1e-12);
    EXPECT_EQ(f->pointCount, 50);
    SetSimulationTimeStep(0);  // no usable step: back to 25 ms
    EXPECT_EQ(SimulationTimeStep(), kDefaultSimulationTimeStep);
}

TEST_F(FrameSamplingTest, PointsEqualToTheirPredecessorAreDropped) {
    auto first = Line(-20, 0, -20, -10, 0.2, false, 1200);
    auto second = Line(-20, -10, -30, -10, 0.2, false, 1200);  // starts where the first ends
    SimulationPointList points;
    first->GetSimulationPoints(points);
    second->GetSimulationPoints(points);
    // 10 mm at step 0.1 gives 100 points; the join is kept once.
    EXPECT_EQ(second->pointCount, 99);
    EXPECT_EQ(points.Count(), 199u);
    EXPECT_EQ(points[100].frame, second.get());
    for (std::uint32_t i = 1; i < points.Count(); ++i)
        EXPECT_FALSE(std::fabs(points[i].z - points[i - 1].z) < 1e-6 && std::fabs(points[i].x - points[i - 1].x) < 1e-6)
            << i;

    // A frame that does not move adds nothing after the point it stands on.
    auto still = Line(-30, -10, -30, -10, 0.2, false, 1200);
    still->GetSimulationPoints(points);
    EXPECT_EQ(still->pointCount, 0);
    EXPECT_EQ(points.Count(), 199u);
}

TEST_F(FrameSamplingTest, FrameWithoutPathAddsNothing) {
    CCadre_LineG01 f(-20, 0, -20, -10, 0.2, false);  // path never made
    f.pointCount = 7;
    SimulationPointList points;
    UnitPoint3DList points3D;
    f.GetSimulationPoints(points);
    EXPECT_EQ(f.pointCount, 0);
    f.GetSimulationPoints3D(points3D);
    EXPECT_EQ(points.Count() + points3D.Count(), 0u);
}

// A zero feed or speed, or a G96 without a maximum at the axis, makes no
// usable step: the unit is walked in one step, never endlessly.
TEST_F(FrameSamplingTest, ZeroFeedSpeedOrLimitNeverStallsTheSampling) {
    struct Case {
        const char* name;
        double x, feed, speed;
        bool constant;
        double minSpeed, maxSpeed;
        int points;
    };
    const double nan = std::nan("");
    const Case cases[] = {
        {"zero feed", -20, 0, 1200, false, 0, 0, 2},
        {"zero speed", -20, 0.2, 0, false, 0, 0, 2},
        {"NaN feed", -20, nan, 1200, false, 0, 0, 2},
        {"G96 on the axis without maximum", 0, 0.2, 150, true, 0, 0, 2},
        {"G96 zero cutting speed", -25, 0.2, 0, true, 0, 0, 2},
        // A maximum of 0 is no limit: the speed from V and d stands.
        {"G96 without limits", -25, 0.2, 150, true, 0, 0, 126},
        {"tiny feed", -20, 1e-12, 1200, false, 0, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto f = Line(c.x, 0, c.x, -10, 0.2, false, c.speed);
        f->feed = c.feed;
        SetSpeedRules(*f, c.constant, c.minSpeed, c.maxSpeed);
        SimulationPointList points;
        f->GetSimulationPoints(points);
        EXPECT_EQ(f->pointCount, c.points);
        for (const auto& p : points) EXPECT_TRUE(std::isfinite(p.z) && std::isfinite(p.x));
        UnitPoint3DList points3D;
        f->GetSimulationPoints3D(points3D);
        EXPECT_GE(f->pointCount, 1);
    }
    // Zero rapid speed, a zero-length arc and a zero time factor as well.
    SettingsRecord::Global().rapidSpeed = 0;
    auto rapid = Line(-20, 0, -20, -10, 0, true, 0);
    SimulationPointList points;
    rapid->GetSimulationPoints(points);
    EXPECT_EQ(rapid->pointCount, 2);
    CCadre_ArcG02 dot(-20, -10, 0, -20, -10, -20, -10, 0.2, false);
    dot.spindleSpeed = 1000;
    dot.CreatePathFigure();
    dot.GetSimulationPoints(points);
    EXPECT_EQ(dot.pointCount, 0);  // its one point is the rapid's end
    // A step just above EPS over a long unit is coarsened to a bounded count.
    auto fine = Line(-20, 0, -20, -1000, 2e-6, false, 1200);
    fine->feedIsStep = 1;
    SimulationPointList finePoints;
    fine->GetSimulationPoints(finePoints);
    EXPECT_LE(fine->pointCount, 100001);
    EXPECT_GE(fine->pointCount, 99999);
    auto stopped = Line(-20, -10, -20, -20, 0.2, false, 1200);
    stopped->speedFactor = 0;
    stopped->GetSimulationPoints(points);
    EXPECT_EQ(stopped->pointCount, 1);  // the start is the previous end
}

TEST_F(FrameSamplingTest, SpatialSamplingHasNoSpindleTermAndAQuarterRapidStep) {
    // 3D feed step: 1200 * 25 / 60 / 1000 = 0.5; a line with Y of length 10.
    CCadre_LineG01 cut(FramePoint{-20, 0, 0}, FramePoint{-20, 6, -8}, 1200, false);
    cut.spindleSpeed = 999;  // plays no part
    cut.CreatePathFigure();
    UnitPoint3DList points;
    cut.GetSimulationPoints3D(points);
    EXPECT_NEAR(cut.feedStep, 0.5, 1e-12);
    EXPECT_EQ(cut.pointCount, 20);  // evenly spaced, both ends: floor(10 / 0.5 + 0.5)
    EXPECT_NEAR(points[19].y, 6, 1e-12);
    EXPECT_NEAR(points[19].z, -8, 1e-12);

    // Rapid: a quarter of 2.0833; 100 mm give floor(192 + 0.5) points, the
    // first of which is the cut's end and is dropped.
    CCadre_LineG01 back(FramePoint{-20, 6, -8}, FramePoint{-20, 6, 92}, 0, true);
    back.CreatePathFigure();
    back.GetSimulationPoints3D(points);
    EXPECT_NEAR(back.rapidStep, 5.0 * 25 / 60 / 4, 1e-12);
    EXPECT_EQ(back.pointCount, 191);
    EXPECT_EQ(points.Count(), 211u);

    // The feed is itself the step; the ends are still included.
    CCadre_LineG01 stepped(FramePoint{-20, 0, 0}, FramePoint{-20, 0, -10}, 2.0, false);
    stepped.feedIsStep = 1;
    stepped.CreatePathFigure();
    UnitPoint3DList steppedPoints;
    stepped.GetSimulationPoints3D(steppedPoints);
    EXPECT_EQ(stepped.feedStep, 2.0);
    EXPECT_EQ(stepped.pointCount, 5);  // floor(10 / 2 + 0.5)
}

TEST_F(FrameSamplingTest, TracePointsTakeTheirColourFromTheTraceKind) {
    SettingsRecord& s = SettingsRecord::Global();
    s.colours[3] = 0x111111;  // path and cutting trace
    s.colours[4] = 0x222222;  // rapid trace
    s.colours[5] = 0x333333;  // the special trace kind 11
    struct Case {
        bool rapid;
        int traceKind;
        std::int64_t colour;
    };
    const Case cases[] = {{false, 0, 0x111111},  {true, 0, 0x222222},  {false, 10, 0x111111},
                          {false, 11, 0x333333}, {true, 11, 0x333333}, {false, 12, 255}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.traceKind);
        auto f = Line(-20, 0, -20, -10, 0.2, c.rapid, 1200);
        f->traceKind = c.traceKind;
        UnitPoint3DList points;
        f->GetTracePoints(points);
        ASSERT_EQ(points.Count(), 2u);  // a line in one step: its two ends
        EXPECT_EQ(points[0].flag, c.colour);
        EXPECT_EQ(points[1].flag, c.colour);
    }
}

TEST_F(FrameSamplingTest, TraceOfAnArcStepsByATenthOrAQuarterOfItsRadius) {
    // Radius 10: step 1 over 15.708: trunc(ceil(15.708) + 1.1) = 17 points.
    CCadre_ArcG03 big(-20, -10, 10, -10, -10, -20, -20, 0.2, false);
    big.CreatePathFigure();
    UnitPoint3DList points;
    big.GetTracePoints(points);
    EXPECT_EQ(points.Count(), 17u);
    // Radius 0.8: step 0.2 over 1.2566: trunc(ceil(6.28) + 1.1) = 8 more.
    CCadre_ArcG03 small(-20, -10, 0.8, -19.2, -10, -20, -10.8, 0.2, false);
    small.CreatePathFigure();
    small.GetTracePoints(points);
    EXPECT_EQ(points.Count(), 25u);
}

}  // namespace
}  // namespace zarvento
