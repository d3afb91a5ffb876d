// How a machine cycle passes display, simulation and statistics on to its
// sub-frames, or a group to its included members.
#include <memory>
#include <string>
#include <vector>

#include "geometry/line_unit.h"
#include "nc/cadre_g04.h"
#include "nc/cadre_line_g01.h"
#include "nc/cycle_auto.h"
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

class CyclePathTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        ResetModalState();
    }

    // A cycle with a rapid approach of 10, a cut of 20 and a rapid return of 10.
    static std::unique_ptr<CCycle_Auto> Cycle() {
        auto c = std::make_unique<CCycle_Auto>();
        c->cycleType = "Turning";
        c->feed = 0.2;
        c->spindleSpeed = 1200;
        c->toolNumber = 2;
        c->AddSubFrame(std::make_unique<CCadre_LineG01>(-30, 10, -20, 10, 0, true));
        c->AddSubFrame(std::make_unique<CCadre_LineG01>(-20, 10, -20, -10, 0, false));
        c->AddSubFrame(std::make_unique<CCadre_LineG01>(-20, -10, -30, -10, 0, true));
        c->workContour = std::make_unique<Contour>();
        c->workContour->AddUnit(std::make_unique<CLineUnit>(10, -20, -10, -20));
        c->workContour->AddUnit(std::make_unique<CLineUnit>(-10, -20, -10, -30));
        return c;
    }

    // A group of three cycles, the second excluded.
    static std::unique_ptr<CCycle_Auto> Group() {
        auto g = std::make_unique<CCycle_Auto>();
        g->groupFlag = 1;
        for (int i = 0; i < 3; ++i) g->members.push_back(Cycle());
        g->members[1]->included = 0;
        return g;
    }
};

TEST_F(CyclePathTest, StatisticsAddTheSubFramesOrTheIncludedMembers) {
    auto cycle = Cycle();
    PathStatistics s = cycle->GetStatistics();
    EXPECT_DOUBLE_EQ(s.idleLength, 20);
    EXPECT_DOUBLE_EQ(s.workLength, 20);
    EXPECT_EQ(s.count, 0);
    for (CCadreISO* f : cycle->SubFrames()) EXPECT_EQ(f->path.Count(), 1);  // figures made first

    SettingsRecord::Global().spindleTime = 6;
    cycle->AddSubFrame(std::make_unique<CCadre_G04>(3));
    EXPECT_DOUBLE_EQ(cycle->GetStatistics().auxTime, 0.05);

    auto bare = std::make_unique<CCycle_Auto>();
    s = bare->GetStatistics();
    EXPECT_EQ(s.count, 1);
    EXPECT_EQ(s.workLength + s.idleLength + s.workTime + s.auxTime, 0.0);

    auto group = Group();
    s = group->GetStatistics();
    EXPECT_DOUBLE_EQ(s.idleLength, 40);
    EXPECT_DOUBLE_EQ(s.workLength, 40);
    EXPECT_EQ(s.count, 0);
}

TEST_F(CyclePathTest, CycleWithoutSubFramesRemovesItsRegionAtOnce) {
    RecordingFrameSimulation simulation;
    CCycle_Auto cycle;
    cycle.secondContour = std::make_unique<Contour>();
    cycle.noMaterial = 1;
    cycle.feedIsStep = 0;
    cycle.frameNumber = 42;
    EXPECT_EQ(cycle.SimulateStep(simulation), 0);
    const auto& e = SimulationLog::Instance().Entries();
    EXPECT_EQ(SimulationLog::Instance().Actions(), (Actions{"ShowStatus", "SetCycleOptions", "SimulateCycle"}));
    EXPECT_EQ(e[1].args, (std::vector<double>{1, 0}));
    EXPECT_EQ(e[2].args, (std::vector<double>{42}));
    EXPECT_EQ(e[2].object, cycle.secondContour.get());
}

TEST_F(CyclePathTest, CycleWithSubFramesReturnsTheirPointCounts) {
    RecordingFrameSimulation simulation;
    auto cycle = Cycle();
    for (std::size_t i = 0; i < 3; ++i) cycle->SubFrames()[i]->pointCount = static_cast<int>(i) + 4;
    EXPECT_EQ(cycle->SimulateStep(simulation), 4 + 5 + 6);
    EXPECT_EQ(SimulationLog::Instance().Actions(),
              (Actions{"ShowStatus", "SetTurn", "ShowStatus", "SetTurn", "ShowStatus", "SetTurn", "ShowStatus"}));
}

TEST_F(CyclePathTest, SubFramesTakeTheCycleSpeedsAndAreDrawnAfterSampling) {
    auto cycle = Cycle();
    cycle->SubFrames()[1]->feed = 0.5;  // its own feed stays
    cycle->feedIsStep = 1;
    cycle->speedFactor = 2;
    cycle->constantSpeed = 0;
    SimulationPointList points;
    cycle->GetSimulationPoints(points);
    const auto& f = cycle->SubFrames();
    EXPECT_EQ(f[0]->feed, 0.2);
    EXPECT_EQ(f[1]->feed, 0.5);
    for (CCadreISO* s : f) {
        EXPECT_EQ(s->spindleSpeed, 1200);
        EXPECT_EQ(s->speedFactor, 2);
    }
    // Rapid moves stay rapid and keep sampling at the rapid step.
    EXPECT_TRUE(f[0]->rapid && f[2]->rapid && !f[1]->rapid);
    EXPECT_EQ(f[0]->feedIsStep, 0);
    EXPECT_EQ(f[1]->feedIsStep, 1);
    // The cut at a step of its feed: 20 / 0.5 points after its start.
    EXPECT_EQ(f[1]->pointCount, 40);
    EXPECT_EQ(cycle->pointCount, f[0]->pointCount + f[1]->pointCount + f[2]->pointCount);
    EXPECT_EQ(points.Count(), static_cast<std::uint32_t>(cycle->pointCount));
    // Every sub-frame's path is drawn once its points are taken.
    EXPECT_EQ(View3DLog::Instance().Actions(), (Actions{"CreateLine", "CreateLine", "CreateLine"}));
}

TEST_F(CyclePathTest, SpatialPointsAndTracePassToSubFramesOrIncludedMembers) {
    auto cycle = Cycle();
    cycle->spindleSpeed = 700;
    UnitPoint3DList points;
    cycle->GetSimulationPoints3D(points);
    EXPECT_EQ(cycle->SubFrames()[1]->spindleSpeed, 700);
    EXPECT_EQ(points.Count(), static_cast<std::uint32_t>(cycle->pointCount));
    EXPECT_GT(cycle->pointCount, 0);

    UnitPoint3DList trace;
    cycle->GetTracePoints(trace);
    EXPECT_EQ(trace.Count(), 6u);  // each line: its two ends

    auto group = Group();
    for (auto& m : group->members)
        for (CCadreISO* s : m->SubFrames()) s->CreatePathFigure();
    UnitPoint3DList groupTrace;
    group->GetTracePoints(groupTrace);
    EXPECT_EQ(groupTrace.Count(), 12u);
    group->speedFactor = 3;
    UnitPoint3DList groupPoints;
    group->GetSimulationPoints3D(groupPoints);
    EXPECT_EQ(group->members[0]->speedFactor, 3);
    EXPECT_EQ(group->members[1]->speedFactor, 1);  // excluded: untouched
    EXPECT_EQ(group->pointCount, group->members[0]->pointCount + group->members[2]->pointCount);
}

TEST_F(CyclePathTest, DrawingShowsTheWorkingContourAndItsRegionInTheCycleColours) {
    SettingsRecord& settings = SettingsRecord::Global();
    settings.colours[12] = 0x0D0D0D;  // cycle paths
    settings.colours[8] = 0x090909;   // a selected cycle
    auto cycle = Cycle();
    for (CCadreISO* f : cycle->SubFrames()) f->CreatePathFigure();
    cycle->hidden = 1;
    cycle->DrawPath();
    EXPECT_EQ(cycle->hidden, 0);
    const View3DLog& log = View3DLog::Instance();
    EXPECT_EQ(log.Actions(), (Actions{"CreateLine", "CreateLine", "CreateRegion"}));
    EXPECT_EQ(log.Entries()[2].colour, 0x0D0D0Du);
    for (CCadreISO* f : cycle->SubFrames()) EXPECT_TRUE(f->path.GetUnit(0)->Selected);

    cycle->SelectPath();
    EXPECT_EQ(cycle->selected, 1);
    EXPECT_EQ(log.Entries().size(), 3u);  // the mark shows at the next drawing
    cycle->DrawPath();
    EXPECT_EQ(log.Entries().back().colour, 0x090909u);
    cycle->DeselectPath();
    EXPECT_EQ(cycle->selected, 0);

    const int regionItem = log.Entries().back().item;
    cycle->HidePath();
    EXPECT_EQ(cycle->hidden, 1);
    EXPECT_FALSE(log.IsVisible(regionItem));
    EXPECT_FALSE(log.IsDrawn(log.Entries()[0].item));  // the contour's edges are gone

    Document2D& sketch = ActiveDocument2D();
    const std::size_t before = sketch.Objects().size();
    cycle->hidden = 0;
    for (CCadreISO* f : cycle->SubFrames()) f->hidden = 0;
    cycle->DrawPath2D();
    EXPECT_EQ(sketch.Objects().size(), before + 3);
}

}  // namespace
}  // namespace zarvento
