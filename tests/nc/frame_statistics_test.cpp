// Frame statistics: lengths of moves, dwell, spindle and tool-change times,
// and the cutting time under constant cutting speed.
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>

#include "geometry/step_array.h"
#include "geometry/unit.h"
#include "nc/cadre_arc_g02.h"
#include "nc/cadre_arc_g03.h"
#include "nc/cadre_g04.h"
#include "nc/cadre_g28.h"
#include "nc/cadre_g96.h"
#include "nc/cadre_line_g01.h"
#include "nc/cadre_m3.h"
#include "nc/cadre_m4.h"
#include "nc/cadre_m5.h"
#include "nc/cadre_t.h"
#include "nc/modal_state.h"
#include "nc/path_statistics.h"
#include "platform/core/numbers.h"
#include "platform/documents/settings_record.h"
#include "test_support.h"

namespace zarvento {
namespace {

class FrameStatisticsTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        ResetModalState();
    }
};

// V 100 m/min, Smin 200, Smax 2000, F 0.2: k = 100 * 500 / PI = 15915.49,
// rA = k / 200 = 79.577 and rB = k / 2000 = 7.9577.
TEST(ConstantSpeedTimeTest, FourRadiusCases) {
    struct Case {
        const char* name;
        double length, r1, r2, minSpeed, maxSpeed;
        double minutes;
    };
    const double rA = 100 * 500 / PI / 200, rB = 100 * 500 / PI / 2000;
    // Across all zones, radius 0 to 100 over 100 mm: l1 = rB, l2 = 100 - rA,
    // the rest at n = 100000 / PI / (rB + rA).
    const double across =
        rB / 2000 / 0.2 + (100 - rA) / 200 / 0.2 + (100 - rB - (100 - rA)) / (100000 / PI / (rB + rA)) / 0.2;
    const Case cases[] = {
        {"below rB: at Smax", 10, 2, 5, 200, 2000, 10 / 2000.0 / 0.2},
        {"beyond rA: at Smin", 20, 120, 100, 200, 2000, 20 / 200.0 / 0.2},
        // n = 100000 / PI / 60 over the whole stretch.
        {"between: constant speed", 20, 20, 40, 200, 2000, 20 * PI * 60 / 100000 / 0.2},
        {"across all three", 100, 0, 100, 200, 2000, across},
        // A limit at or below EPS is no limit.
        {"no maximum", 10, 2, 5, 200, 0, 10 * PI * 7 / 100000 / 0.2},
        {"no minimum", 20, 100, 120, 0, 2000, 20 * PI * 220 / 100000 / 0.2},
    };
    EXPECT_NEAR(across, 1.5152287896, 1e-9);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(ConstantSpeedTime(c.length, c.r1, c.r2, 100, c.minSpeed, c.maxSpeed, 0.2), c.minutes, 1e-12);
    }
}

TEST(ConstantSpeedTimeTest, DegenerateInputsGiveFiniteTimes) {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    struct Case {
        const char* name;
        double length, r1, r2, speed, minSpeed, maxSpeed, feed;
    };
    const Case cases[] = {
        {"zero feed", 10, 2, 5, 100, 200, 2000, 0},
        {"zero length", 0, 2, 5, 100, 200, 2000, 0.2},
        {"zero cutting speed", 10, 2, 5, 0, 200, 2000, 0.2},
        {"no limits on the axis", 10, 0, 0, 100, 0, 0, 0.2},
        {"zero limits, whole stretch at Smax", 10, -5, -2, 100, 0, 0, 0.2},
        {"infinite length", inf, 2, 5, 100, 200, 2000, 0.2},
        {"NaN radius", 10, nan, 5, 100, 200, 2000, 0.2},
        {"NaN feed", 10, 2, 5, 100, 200, 2000, nan},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double t = ConstantSpeedTime(c.length, c.r1, c.r2, c.speed, c.minSpeed, c.maxSpeed, c.feed);
        EXPECT_TRUE(std::isfinite(t));
        EXPECT_GE(t, 0.0);
    }
    EXPECT_EQ(ConstantSpeedTime(10, 2, 5, 100, 200, 2000, 0), 0.0);
}

TEST_F(FrameStatisticsTest, MovesCountTheirLengthsAsWorkOrIdle) {
    CCadre_LineG01 rapid(-20, 0, -20, 100, 0, true);
    CCadre_LineG01 cut(-20, 100, -50, 60, 0.2, false);                                    // 50 long
    CCadre_LineG01 spatial(FramePoint{-50, 0, 60}, FramePoint{-50, 12, 55}, 0.2, false);  // 13 long
    CCadre_ArcG02 arc(-50, 50, 5, -50, 55, -50, 45, 0.2, false);                          // half a turn, 5 PI
    CCadre_G28 home;
    const struct {
        CCadreISO* frame;
        double work, idle;
    } cases[] = {{&rapid, 0, 100}, {&cut, 50, 0}, {&spatial, 13, 0}, {&arc, 5 * PI, 0}, {&home, 0, 0}};
    for (const auto& c : cases) {
        const PathStatistics s = c.frame->GetStatistics();
        EXPECT_NEAR(s.workLength, c.work, 1e-9);
        EXPECT_NEAR(s.idleLength, c.idle, 1e-9);
        EXPECT_EQ(s.workTime, 0.0);  // no constant cutting speed
        EXPECT_EQ(s.auxTime, 0.0);
        EXPECT_EQ(s.count, 0);
    }
}

TEST_F(FrameStatisticsTest, DwellSpindleAndToolChangeAreAuxiliaryTime) {
    SettingsRecord& settings = SettingsRecord::Global();
    settings.spindleTime = 3.0;
    settings.toolChangeTime = 4.0;
    CCadre_G04 dwell(30);
    CCadre_M3 m3;
    CCadre_M4 m4;
    CCadre_M5 m5;
    // Position 2 (T3) to position 5 (T6): three positions at 4 s.
    CCadre_T change(5, 6, 3, false);
    ModalState.previousTool = 5;  // what the last calculation left: not read
    // The first tool travels from "no tool" (-1) to position 1.
    CCadre_T first(1, 2, 0, true);
    const struct {
        CCadreISO* frame;
        double aux;
    } cases[] = {{&dwell, 0.5}, {&m3, 0.05}, {&m4, 0.05}, {&m5, 0.05}, {&change, 0.2}, {&first, 2 * 4 / 60.0}};
    for (const auto& c : cases) {
        const PathStatistics s = c.frame->GetStatistics();
        EXPECT_NEAR(s.auxTime, c.aux, 1e-12);
        EXPECT_EQ(s.workLength + s.idleLength + s.workTime, 0.0);
    }
}

TEST_F(FrameStatisticsTest, CuttingUnderConstantSpeedIsTimedFromTheModalState) {
    CCadre_G96 g96(100, 200, 2000);
    ModalState.feed = 0.2;
    CCadre_LineG01 face(0, 0, -100, 0, 0.2, false);  // radius 0 to 100
    CCadre_LineG01 rapid(-100, 0, -100, 10, 0, true);
    EXPECT_NEAR(face.GetStatistics().workTime, 1.5152287896, 1e-9);
    EXPECT_EQ(rapid.GetStatistics().workTime, 0.0);

    // An arc below rB (radii 2 to 6) runs at Smax: L / Smax / F.
    CCadre_ArcG02 small(-4, 0, 2, -2, 0, -6, 0, 0.2, false);
    const PathStatistics s = small.GetStatistics();
    EXPECT_NEAR(s.workLength, 2 * PI, 1e-9);
    EXPECT_NEAR(s.workTime, 2 * PI / 2000 / 0.2, 1e-12);
}

TEST_F(FrameStatisticsTest, ArcUnderConstantSpeedSumsItsPieces) {
    // Between the limits the time is PI / (1000 V F) times the sum of piece
    // length times (r1 + r2): for the half circle of radius 10 about radius 50
    // (clockwise from z -10 through radius 40 to z 10), twice the integral of
    // r along it, 2 (500 PI - 200).
    CCadre_G96 g96(100, 10, 5000);
    ModalState.feed = 0.2;
    CCadre_ArcG02 arc(-50, 0, 10, -50, -10, -50, 10, 0.2, false);
    const double exact = PI / (1000 * 100 * 0.2) * 2 * (500 * PI - 200);
    EXPECT_NEAR(arc.GetStatistics().workTime, exact, 1e-4 * exact);
    // With no usable feed the time is 0, never inf or NaN.
    ModalState.feed = 0;
    EXPECT_EQ(arc.GetStatistics().workTime, 0.0);
    ModalState.feed = 0.2;
    ModalState.maxSpindleSpeed = 0;
    ModalState.minSpindleSpeed = 0;
    EXPECT_TRUE(std::isfinite(arc.GetStatistics().workTime));
}

// A frame whose path waits to be made measures, moves and hands out the path
// that making it at once gives; a line is measured without making it.
TEST_F(FrameStatisticsTest, ADeferredPathIsTheOneMadeAtOnce) {
    const auto line = [] { return std::make_unique<CCadre_LineG01>(-20.3, 100.7, -50.1, 60.9, 0.2, false); };
    const auto arc = [] { return std::make_unique<CCadre_ArcG02>(-50, 50, 5, -50, 55, -50, 45, 0.2, false); };
    for (const bool isLine : {true, false}) {
        SCOPED_TRACE(isLine ? "line" : "arc");
        std::unique_ptr<CCadreISO> made = isLine ? std::unique_ptr<CCadreISO>(line()) : arc();
        std::unique_ptr<CCadreISO> deferred = isLine ? std::unique_ptr<CCadreISO>(line()) : arc();
        made->CreatePathFigure();
        deferred->DeferPathFigure();
        const PathStatistics a = made->GetStatistics(), b = deferred->GetStatistics();
        EXPECT_EQ(a.workLength, b.workLength);
        EXPECT_EQ(a.idleLength, b.idleLength);
        if (isLine) {
            EXPECT_TRUE(deferred->path.Empty());
        }
        made->Move(1.25, 0.0, -3.5);
        deferred->Move(1.25, 0.0, -3.5);
        StepArray<CUnit*> madeUnits(4), deferredUnits(4);
        made->AddPathUnits(madeUnits);
        deferred->AddPathUnits(deferredUnits);
        ASSERT_EQ(madeUnits.Count(), 1u);
        ASSERT_EQ(deferredUnits.Count(), 1u);
        const CUnit& u = *madeUnits[0];
        const CUnit& v = *deferredUnits[0];
        EXPECT_EQ(u.Kind, v.Kind);
        EXPECT_EQ(u.IsRapid, v.IsRapid);
        for (const auto& [p, q] : {std::pair{u.StartPoint, v.StartPoint}, std::pair{u.EndPoint, v.EndPoint},
                                   std::pair{u.CentrePoint, v.CentrePoint}}) {
            EXPECT_EQ(p.x, q.x);
            EXPECT_EQ(p.z, q.z);
        }
    }
    // A hidden frame hands out nothing, deferred or not; its path, asked for
    // itself (as a picture of every move asks), is made all the same.
    CCadre_LineG01 hidden(-20, 0, -20, 100, 0, true, false, true);
    hidden.DeferPathFigure();
    StepArray<CUnit*> none(4);
    hidden.AddPathUnits(none);
    EXPECT_EQ(none.Count(), 0u);
    ASSERT_EQ(hidden.Path().Count(), 1);
    EXPECT_EQ(hidden.Path().GetUnit(0)->EndPoint.z, 100);
}

}  // namespace
}  // namespace zarvento
