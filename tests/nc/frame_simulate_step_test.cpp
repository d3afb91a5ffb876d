// What each frame kind asks of the simulation, and how a frame's path is
// drawn in sketches and in the 3D view.
#include <string>
#include <vector>

#include "nc/cadre_arc_g02.h"
#include "nc/cadre_g04.h"
#include "nc/cadre_g28.h"
#include "nc/cadre_line_g01.h"
#include "nc/cadre_m3.h"
#include "nc/cadre_m4.h"
#include "nc/cadre_m5.h"
#include "nc/cadre_name_oper.h"
#include "nc/cadre_t.h"
#include "nc/modal_state.h"
#include "nc/recording_frame_simulation.h"
#include "platform/documents/settings_record.h"
#include "platform/drawings/document_2d.h"
#include "platform/view/simulation_log.h"
#include "platform/view/view_3d_log.h"
#include "test_support.h"

namespace zarvento {
namespace {

using Actions = std::vector<std::string>;

class FrameSimulateStepTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        ResetModalState();
    }
    static SimulationLog& Log() { return SimulationLog::Instance(); }
    static Actions Take() {
        Actions a = Log().Actions();
        const bool pre = Log().preCalculation, turning = Log().spindleTurning;
        Log().Reset();
        Log().preCalculation = pre;
        Log().spindleTurning = turning;
        return a;
    }

    RecordingFrameSimulation simulation;
    CTurn* const operation = reinterpret_cast<CTurn*>(0x1000);  // an operation is only passed on
};

TEST_F(FrameSimulateStepTest, KindsCallTheSimulationInOrder) {
    CCadre_LineG01 line(-20, 0, -20, -10, 0.2, false);
    line.operation = operation;
    line.spindleSpeed = 800;
    line.toolNumber = 3;
    line.pointCount = 12;
    EXPECT_EQ(line.SimulateStep(simulation), 12);
    EXPECT_EQ(Take(), (Actions{"SetTurn", "ShowStatus"}));

    CCadre_T tool(4, 5, 3, false);
    tool.operation = operation;
    EXPECT_EQ(tool.SimulateStep(simulation), 0);
    ASSERT_EQ(Log().Entries().size(), 2u);
    EXPECT_EQ(Log().Entries()[1].action, "ChangeTool");
    EXPECT_EQ(Log().Entries()[1].args, (std::vector<double>{4}));
    EXPECT_EQ(Log().Entries()[1].object, operation);
    EXPECT_EQ(Take(), (Actions{"ShowStatus", "ChangeTool"}));

    CCadre_G04 dwell(2);
    dwell.SimulateStep(simulation);
    EXPECT_EQ(Take(), (Actions{"ShowStatus"}));

    CCadre_NameOper name;
    name.SimulateStep(simulation);
    EXPECT_EQ(Take(), Actions{});
}

TEST_F(FrameSimulateStepTest, StatusCarriesFeedSpeedAndTool) {
    CCadre_G04 dwell(2);
    dwell.feed = 0.25;
    dwell.spindleSpeed = 900;
    dwell.toolNumber = 2;
    dwell.SimulateStep(simulation);
    ASSERT_EQ(Log().Entries().size(), 1u);
    EXPECT_EQ(Log().Entries()[0].args, (std::vector<double>{0.25, 900, 2}));
}

TEST_F(FrameSimulateStepTest, ArcKeepsTheToolEquidistantOfThePreCalculation) {
    CCadre_ArcG02 arc(-40, -10, 5, -35, -10, -40, -15, 0.2, false);
    arc.SimulateStep(simulation);
    EXPECT_EQ(Take(), (Actions{"SetTurn", "ShowStatus"}));
    EXPECT_FALSE(arc.toolEquidistant);

    Log().preCalculation = true;
    arc.SimulateStep(simulation);
    // The centre goes as (z, x): -10 along the axis, -40 across it.
    EXPECT_EQ(Log().Entries()[1].args, (std::vector<double>{-10, -40, 5}));
    EXPECT_EQ(Take(), (Actions{"SetTurn", "CreateToolEquidistant", "ShowStatus"}));
    ASSERT_TRUE(arc.toolEquidistant);
    EXPECT_EQ(arc.toolEquidistant->Count(), 1);
    arc.SimulateStep(simulation);  // made once
    EXPECT_EQ(Take(), (Actions{"SetTurn", "ShowStatus"}));
}

TEST_F(FrameSimulateStepTest, SpindleFramesTurnTheFixturesOutsideThePreCalculation) {
    CCadre_M3 m3;
    CCadre_M4 m4;
    CCadre_M5 m5;
    m3.SimulateStep(simulation);
    EXPECT_EQ(Take(), (Actions{"SetSpindleTurning", "SetGadgetsRotated", "RedrawPartView", "ShowStatus"}));
    EXPECT_TRUE(Log().spindleTurning);
    m4.SimulateStep(simulation);  // already turning
    EXPECT_EQ(Take(), (Actions{"ShowStatus"}));
    m5.SimulateStep(simulation);
    EXPECT_EQ(Take(), (Actions{"SetSpindleTurning", "SetGadgetsRotated", "RedrawPartView", "ShowStatus"}));
    EXPECT_FALSE(Log().spindleTurning);
    m5.SimulateStep(simulation);  // already stopped
    EXPECT_EQ(Take(), (Actions{"ShowStatus"}));

    Log().preCalculation = true;
    m4.SimulateStep(simulation);
    EXPECT_EQ(Take(), (Actions{"ShowStatus"}));
    EXPECT_FALSE(Log().spindleTurning);
    EXPECT_EQ(Log().partViewRedraws, 0);
}

TEST_F(FrameSimulateStepTest, PathFigureIsOneUnitByTheFrameKind) {
    CCadre_LineG01 rapid(-20, 0, -20, -10, 0, true);
    CCadre_G28 home;
    home.start = FramePoint{-20, 0, -10};
    home.end = FramePoint{-60, 0, 50};
    CCadre_ArcG02 cw(-40, -10, 5, -35, -10, -40, -15, 0.2, false);
    for (int pass = 0; pass < 2; ++pass) {  // a second call replaces the unit
        rapid.CreatePathFigure();
        home.CreatePathFigure();
        cw.CreatePathFigure();
    }
    ASSERT_EQ(rapid.path.Count(), 1);
    EXPECT_TRUE(rapid.path.GetUnit(0)->IsRapid);
    ASSERT_EQ(home.path.Count(), 1);
    EXPECT_TRUE(home.path.GetUnit(0)->IsRapid);  // rapid whatever the frame's flag
    EXPECT_EQ(home.path.GetUnit(0)->EndPoint.z, 50);
    ASSERT_EQ(cw.path.Count(), 1);
    EXPECT_EQ(cw.path.GetUnit(0)->Kind, kUnitArc);
    EXPECT_EQ(cw.path.GetUnit(0)->DirVector, 1);
    EXPECT_EQ(cw.path.Colour, kDefaultContourColour);
}

TEST_F(FrameSimulateStepTest, PathIsDrawnInThePathColourAndHiddenFramesStayOutOfSketches) {
    SettingsRecord::Global().colours[3] = 0x445566;
    CCadre_LineG01 cut(-20, 0, -20, -10, 0.2, false);
    cut.CreatePathFigure();
    cut.DrawPath();
    const auto& entries = View3DLog::Instance().Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].action, "CreateLine");
    EXPECT_EQ(entries[0].colour, 0x445566u);
    const int item = entries[0].item;
    cut.HidePath();
    EXPECT_FALSE(View3DLog::Instance().IsVisible(item));
    cut.ShowPath();
    EXPECT_TRUE(View3DLog::Instance().IsVisible(item));
    cut.SelectPath();
    EXPECT_TRUE(cut.path.GetUnit(0)->Selected);
    cut.DeselectPath();
    EXPECT_FALSE(cut.path.GetUnit(0)->Selected);
    cut.ErasePath();
    EXPECT_FALSE(View3DLog::Instance().IsDrawn(item));

    Document2D& sketch = ActiveDocument2D();
    const std::size_t before = sketch.Objects().size();
    cut.DrawPath2D();
    ASSERT_EQ(sketch.Objects().size(), before + 1);
    EXPECT_EQ(sketch.Objects().back().line.style, 2);
    cut.hidden = 1;
    cut.DrawPath2D();
    EXPECT_EQ(sketch.Objects().size(), before + 1);
}

}  // namespace
}  // namespace zarvento
