// The simulation engine: its tick intervals and labels, the pre-calculation
// of the bundled example, jumps to a frame, the timer-driven run with its
// checks (rapid cuts, fixtures, the boring zone, machine cycles), the check
// run and the ends of a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "geometry/contour_script.h"
#include "geometry/line_unit.h"
#include "model/tessellation_object.h"
#include "nc/cadre_m3.h"
#include "nc/cadre_t.h"
#include "nc/cycle_auto.h"
#include "platform/core/check.h"
#include "platform/core/numbers.h"
#include "platform/documents/settings_record.h"
#include "platform/drawings/document_2d.h"
#include "platform/part_model.h"
#include "platform/part_shape.h"
#include "platform/view/scene_survey.h"
#include "simulation/section_comparison.h"
#include "simulation_test_support.h"
#include "tests/geometry/region_shapes.h"

namespace zarvento::test {
namespace {

// ---------------------------------------------------------------- tables

TEST(SimulationTables, TickIntervalBySpeedFactor) {
    struct Case {
        double v;
        double interval;
        std::uint32_t timer;  // whole milliseconds
    };
    const double ten = 40.0 / std::pow(10.0, 0.3);
    for (const Case& c : {Case{0.5, 40, 40}, Case{1.9, 40, 40}, Case{5, 40 / std::pow(5.0, 0.3), 24},
                          Case{10.0, ten, 20}, Case{10.1, ten, 20}, Case{1000, ten, 20}, Case{1e6, ten, 20}}) {
        SCOPED_TRACE(c.v);
        EXPECT_NEAR(CSimulation::TickInterval(c.v), c.interval, 1e-12);
        EXPECT_EQ(static_cast<std::uint32_t>(CSimulation::TickInterval(c.v)), c.timer);
    }
    // A thread frame ticks once per revolution scaled by the speed factor,
    // at least every millisecond; without a spindle speed or a speed factor
    // it ticks as any other frame.
    EXPECT_EQ(CSimulation::RevolutionInterval(1000, 100), 1.0);
    EXPECT_EQ(CSimulation::RevolutionInterval(1000, 1), 60.0);
    EXPECT_EQ(CSimulation::RevolutionInterval(500, 2), 60.0);
    EXPECT_EQ(CSimulation::RevolutionInterval(0, 5), CSimulation::TickInterval(5));
    EXPECT_EQ(CSimulation::RevolutionInterval(-10, 5), CSimulation::TickInterval(5));
    EXPECT_EQ(CSimulation::RevolutionInterval(1000, 0), 40.0);
}

TEST(SimulationTables, FrameLabels) {
    EXPECT_EQ(CSimulation::FrameLabel(12, "N12 G01 X30"), "N12 ");
    EXPECT_EQ(CSimulation::FrameLabel(0, ""), "N0 ");
    EXPECT_EQ(CSimulation::FrameLabel(-1, "(ЧЕРНОВОЙ ПРОХОД)"), "(ЧЕРНОВОЙ ПРОХОД) ");
}

TEST(SimulationTables, OneMessagePerFrameNumber) {
    ListControl list;
    SimulationMessages messages(&list);
    messages.Add(7, "first");
    messages.Add(8, "other frame");
    messages.Add(7, "second");
    ASSERT_EQ(messages.Count(), 2u);
    EXPECT_EQ(messages.Text(0), "first");
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"first", "other frame"}));
    messages.Clear();
    EXPECT_TRUE(list.Lines().empty());
}

// ---------------------------------------------------------------- the example

using SimulationEngineTest = ExamplePlanTest;

TEST_F(SimulationEngineTest, PreCalculationKeepsEveryFramesStockAndToolEnd) {
    PlanExample();
    const auto program = Program();
    CSimulation pre;
    pre.SetFrames(program->frames);
    pre.SetSpeedFactor(CSimulation::kPreCalculationSpeed);
    int reported = 0;
    pre.SetProgress([&](int done, int total) {
        EXPECT_EQ(done, ++reported);
        EXPECT_EQ(total, static_cast<int>(program->frames.Count()));
    });
    pre.CalculateAllFrames();
    EXPECT_FALSE(pre.IsPreCalculation());
    EXPECT_EQ(reported, static_cast<int>(program->frames.Count()));
    EXPECT_EQ(pre.PointIndex(), pre.PointCount());

    // Frame 0 keeps the plan's stock and the start point.
    const auto stock = GetSPID()->CreateSourceContour();
    const CCadreISO* first = program->frames[0];
    ASSERT_TRUE(first->simulatedStock);
    EXPECT_EQ(ContourScriptText(*first->simulatedStock), ContourScriptText(*stock));
    EXPECT_EQ(first->toolEndZ, GetSPID()->Z0tool);
    EXPECT_EQ(first->toolEndX, -GetSPID()->X0tool);

    // Every frame has its stock; the stock only ever loses material, and a
    // frame that samples no point shares the stock of the one before.
    double area = std::fabs(ContourArea(*stock));
    for (std::uint32_t k = 1; k < program->frames.Count(); ++k) {
        const CCadreISO* frame = program->frames[k];
        ASSERT_TRUE(frame->simulatedStock) << k;
        const double next = std::fabs(ContourArea(*frame->simulatedStock));
        EXPECT_LE(next, area + 1e-9) << k;
        if (frame->pointCount == 0) {
            EXPECT_EQ(frame->simulatedStock, program->frames[k - 1]->simulatedStock) << k;
        }
        area = next;
    }
    EXPECT_EQ(ContourScriptText(*program->frames[program->frames.Count() - 1]->simulatedStock),
              ContourScriptText(*pre.Stock()));
}

TEST_F(SimulationEngineTest, EachFramesStockIsTheOneBeforeLessItsSweeps) {
    PlanExample();
    const auto program = Program();
    CSimulation pre;
    pre.SetFrames(program->frames);
    pre.SetSpeedFactor(CSimulation::kPreCalculationSpeed);
    pre.CalculateAllFrames();

    // The clipper cuts, from the stock before the frame, the tool's outline
    // (the frame operation's tool) swept along each move that ends at one of
    // the frame's points.
    constexpr double kChord = 1e-3;
    const SimulationPointList& points = pre.Points();
    std::uint32_t next = 0;  // the first point not yet taken
    int framesCut = 0;
    for (std::uint32_t k = 1; k < program->frames.Count(); ++k) {
        const CCadreISO* frame = program->frames[k];
        const Contour& before = *program->frames[k - 1]->simulatedStock;
        ClipperLib::Paths sweeps;
        double travel = 0.0;  // along which the flattened nose loses up to a chord
        CSimulation probe;
        probe.SetTurn(frame->operation);
        for (; next < points.Count() && points[next].frame == frame; ++next) {
            if (next == 0) continue;
            ASSERT_NE(probe.ToolContour(), nullptr) << k;
            const SimulationPoint& a = points[next - 1];
            const SimulationPoint& b = points[next];
            auto outline = probe.ToolContour()->Clone();
            outline->MoveTo(a.z, a.x);
            Contour move;
            move.AddUnit(b.unit->CloneWithEnds(a.z, a.x, b.z, b.x));
            travel += move.GetLength();
            ClipperLib::Path path = Flatten(move, kChord);
            path.push_back(ToClipper(b.z, b.x));
            for (ClipperLib::IntPoint& p : path) p = {p.X - ToClipper(a.z, a.x).X, p.Y - ToClipper(a.z, a.x).Y};
            ClipperLib::Paths swept;
            ClipperLib::MinkowskiSum(Flatten(*outline, kChord), path, swept, false);
            sweeps.insert(sweeps.end(), swept.begin(), swept.end());
        }
        if (sweeps.empty()) continue;
        ClipperLib::Clipper clipper;
        clipper.AddPath(Flatten(before, kChord), ClipperLib::ptSubject, true);
        clipper.AddPaths(sweeps, ClipperLib::ptClip, true);
        ClipperLib::Paths result;
        clipper.Execute(ClipperLib::ctDifference, result, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        double area = 0.0;
        for (const auto& piece : result) area += ClipperLib::Area(piece) / (kClipperScale * kClipperScale);
        EXPECT_NEAR(std::fabs(ContourArea(*frame->simulatedStock)), std::fabs(area),
                    kChord * (ArcLength(before) + 2 * travel))
            << "frame " << k << " (N" << frame->frameNumber << ")";
        ++framesCut;
    }
    EXPECT_EQ(next, points.Count());
    EXPECT_GT(framesCut, 20);
}

TEST_F(SimulationEngineTest, TheMachinedSectionIsThePartsWhereTheToolReaches) {
    PlanExample();
    const auto program = Program();
    CSimulation pre;
    pre.SetFrames(program->frames);
    pre.SetSpeedFactor(CSimulation::kPreCalculationSpeed);
    pre.CalculateAllFrames();
    ASSERT_TRUE(pre.Stock());
    const Contour& part = *GetSPID()->GetDetailContour();
    const Contour& machined = *pre.Stock();

    // What the clipper finds between the two sections, against what the
    // comparison reports.
    constexpr double kChord = 1e-3;
    auto difference = [&](const Contour& a, const Contour& b) {
        ClipperLib::Clipper clipper;
        clipper.AddPath(Flatten(a, kChord), ClipperLib::ptSubject, true);
        clipper.AddPath(Flatten(b, kChord), ClipperLib::ptClip, true);
        ClipperLib::Paths pieces;
        clipper.Execute(ClipperLib::ctDifference, pieces, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        double area = 0;
        for (const auto& piece : pieces) area += std::fabs(ClipperLib::Area(piece)) / (kClipperScale * kClipperScale);
        return area;
    };
    const double slack = kChord * (ArcLength(part) + ArcLength(machined)) + 1e-6;
    const std::vector<SectionDeviation> deviations = CompareSections(part, machined, kChord);
    std::map<int, SectionDeviation> byUnit;
    for (const SectionDeviation& d : deviations) byUnit[d.unit] = d;

    // The outline the passes reach (the working contour, units 2 to 11 of
    // the section) is the part's, but in the undercut's corners (units 4 to
    // 6), which the finishing nose of radius 0.4 rounds, leaving r (sqrt 2 -
    // 1) at the collar's side. The insert's second edge, which trails the
    // nose down the undercut's wall, rises 4 in 16 from it: the pass leaves
    // the journal's corner along that edge's line, which meets the
    // undercut's floor 0.25 short of the wall, and rounds the hollow there
    // (an angle of 90 degrees and the edge's) with the nose. Nothing of the
    // part is cut.
    const double r = 0.4, rounding = r * (std::sqrt(2.0) - 1.0);
    const double slope = 0.25, hollow = PI / 2 + std::atan(slope);
    const double centreZ = -36.0 - slope - r / std::tan(hollow / 2), centreX = -14.0 - r;
    const double behindEdge = std::hypot(-36.0 - centreZ, -14.0 - centreX) - r;
    for (int u = 2; u <= 11; ++u) {
        SCOPED_TRACE(u);
        const SectionDeviation d = byUnit.count(u) ? byUnit[u] : SectionDeviation{u, 0, 0};
        EXPECT_LE(d.left, u == 4 || u == 5 ? behindEdge + 1e-3 : u == 6 ? rounding + 1e-6 : 0.0);
        EXPECT_EQ(d.cut, 0.0);
    }
    EXPECT_NEAR(byUnit[4].left, behindEdge, 1e-3);
    EXPECT_NEAR(byUnit[6].left, rounding, 1e-3);
    EXPECT_LT(difference(part, machined), slack);
    // The faces at both ends keep the bar's material: no pass faces them.
    EXPECT_NEAR(byUnit[1].left, 2.0, 1e-6);
    EXPECT_NEAR(byUnit[12].left, 3.0, 1e-6);
    // Left: the face's 2 mm with the chamfer's prolongation (26), the bar
    // behind the back face, where the part is cut off: 2.6 mm at radius
    // 22.5 and the 0.4 the tool takes past the face at radius 22 (58.5 +
    // 8.8), two corners of 90 degrees the nose rounds, the journal's corner
    // behind the edge's line (a triangle of 1 by 0.25) and the hollow the
    // nose rounds at its foot.
    const auto rounded = [&](double angle) { return r * r * (1.0 / std::tan(angle / 2) - (PI - angle) / 2); };
    const double left = 26 + 58.5 + 8.8 + 2 * rounded(PI / 2) + 0.5 * slope + rounded(hollow);
    EXPECT_NEAR(difference(machined, part), left, slack);
}

TEST_F(SimulationEngineTest, JumpsToRowZeroOrAFrameNeverPreCalculatedStartFromThePlansStock) {
    PlanExample();
    std::vector<std::string> rows;
    const auto program = Program(&rows);
    const std::string planStock = ContourScriptText(*GetSPID()->CreateSourceContour());
    {
        CSimulation simulation;
        simulation.SetFrames(program->frames);
        simulation.GoToFrame(0, 0);
        EXPECT_EQ(simulation.StartFrame(), 0);
        EXPECT_EQ(ContourScriptText(*simulation.Stock()), planStock);
        simulation.GoToFrame(40, 0);  // no frame of the program was pre-calculated
        EXPECT_EQ(ContourScriptText(*simulation.Stock()), planStock);
        EXPECT_EQ(simulation.CurrentRow(), 41);
    }
    CSimulation pre;
    pre.SetFrames(program->frames);
    pre.SetSpeedFactor(CSimulation::kPreCalculationSpeed);
    pre.CalculateAllFrames();
    CSimulation simulation;
    simulation.SetFrames(program->frames);
    simulation.GoToFrame(-5, 0);
    EXPECT_EQ(ContourScriptText(*simulation.Stock()), planStock);
    // The frame holding row 40 gives its own stock, the tool of the frame
    // and the model where the tool stood at the frame's end.
    simulation.GoToFrame(40, 1);
    const CCadreISO* frame = program->frames[static_cast<std::uint32_t>(simulation.StartFrame())];
    EXPECT_EQ(ContourScriptText(*simulation.Stock()), ContourScriptText(*frame->simulatedStock));
    EXPECT_NE(ContourScriptText(*simulation.Stock()), planStock);
    EXPECT_EQ(simulation.CurrentRow(), 40);
    ASSERT_NE(simulation.ToolContour(), nullptr);
    EXPECT_EQ(simulation.ToolReferenceZ(), GetSPID()->tools[0].dNoseDx);
}

TEST_F(SimulationEngineTest, ARunStepsThePointsOfItsOwnFramesAndEnds) {
    PlanExample();
    std::vector<std::string> rows;
    const auto program = Program(&rows);
    RecordingControls controls;
    controls.rows = rows;
    SimulationMessages messages;
    CSimulation simulation;
    simulation.SetFrames(program->frames);
    simulation.SetSpeedFactor(50);
    simulation.SetControls(&controls, &messages);
    simulation.GoToFrame(0, 1);
    simulation.Start();
    EXPECT_TRUE(simulation.IsRunning());
    EXPECT_EQ(CSimulation::Current(), &simulation);
    EXPECT_EQ(HostTimerInterval(HostMainWindowHandle(), CSimulation::kTimerId), 20u);
    EXPECT_EQ(controls.messageListsCleared, 1);
    // Paused, the ticks do nothing.
    simulation.Pause();
    AdvanceHostClock(1000);
    EXPECT_EQ(simulation.PointIndex(), 0);
    simulation.Resume();
    const int ticks = RunToEnd(simulation);
    EXPECT_GT(ticks, simulation.PointCount());
    EXPECT_FALSE(simulation.IsRunning());
    EXPECT_EQ(CSimulation::Current(), nullptr);
    EXPECT_EQ(HostTimerCount(), 0);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Обработка завершена"});
    EXPECT_EQ(messages.Count(), 0u);
    EXPECT_EQ(controls.restored, 1);
    EXPECT_EQ(controls.rowMarksCleared, 1);
    EXPECT_EQ(controls.status, "T 2    F 0.120    S 1400");
    // The run machines what the pre-calculation does.
    CSimulation pre;
    pre.SetFrames(program->frames);
    pre.SetSpeedFactor(CSimulation::kPreCalculationSpeed);
    pre.CalculateAllFrames();
    EXPECT_NEAR(ContourArea(*simulation.Stock()), ContourArea(*pre.Stock()), 1e-6);

    // Stopping a simulation that does not run shows nothing.
    simulation.Stop("why");
    EXPECT_EQ(Boxes().size(), 1u);
}

// A frame is named by the block number the written program gives it: the
// post-processor's template numbers its lines, and the run names the line
// that cut, not the next.
TEST_F(SimulationEngineTest, AMessageNamesTheBlockAsTheProgramWritesIt) {
    PlanExample();
    std::vector<std::string> rows;
    const auto program = Program(&rows);
    // The roughing's first pass at feed, made a rapid move.
    CCadreISO* cut = nullptr;
    for (CCadreISO* frame : program->frames) {
        StepArray<CUnit*> units;
        frame->AddPathUnits(units);
        if (frame->kindLetter != 'L' || units.Count() == 0 || units[0]->IsRapid) continue;
        for (CUnit* unit : units) unit->IsRapid = true;
        cut = frame;
        break;
    }
    ASSERT_NE(cut, nullptr);
    ASSERT_NE(cut->usedTemplate, nullptr) << "the post-processor's template writes the frame";
    const std::string line = rows.at(static_cast<std::size_t>(cut->programPosition));
    const std::string block = line.substr(line.find_first_not_of(' '),
                                          line.find(' ', line.find_first_not_of(' ')) - line.find_first_not_of(' '));
    ASSERT_EQ(block.front(), 'N') << line;

    RecordingControls controls;
    controls.rows = rows;
    SimulationMessages messages;
    CSimulation simulation;
    simulation.SetFrames(program->frames);
    simulation.SetSpeedFactor(1000);
    simulation.SetControls(&controls, &messages);
    simulation.GoToFrame(0, 1);
    simulation.Start();
    RunToEnd(simulation);
    EXPECT_EQ(Listed(messages), std::vector<std::string>{"Error: кадр " + block + " - врезание на ускоренной подаче"})
        << line;
}

TEST_F(SimulationEngineTest, RunsWithoutAToolContourRemoveNothing) {
    PlanExample();
    const auto program = Program();
    for (ParamTool& tool : GetSPID()->tools) tool.ClearContour();
    CSimulation simulation;
    simulation.SetFrames(program->frames);
    simulation.SetSpeedFactor(1000);
    simulation.GoToFrame(0, 0);
    const std::string before = ContourScriptText(*simulation.Stock());
    simulation.Start();
    RunToEnd(simulation);
    EXPECT_EQ(simulation.PointIndex(), simulation.PointCount());
    EXPECT_EQ(ContourScriptText(*simulation.Stock()), before);
}

// ---------------------------------------------------------------- checks of a run

class SimulationChecksTest : public ExamplePlanTest {
protected:
    void SetUp() override {
        ExamplePlanTest::SetUp();
        GetSPID()->CreateContourTool(CSPID::kAllPositions);
    }
    // Runs the frames from the frame of `startRow` to the end.
    void Run(const std::vector<CCadreISO*>& frames, int startRow = 1) {
        simulation.SetFrames(frames);
        simulation.SetSpeedFactor(1);
        simulation.SetControls(&controls, &messages);
        controls.rows.clear();
        for (CCadreISO* f : frames) controls.rows.push_back("row of frame " + std::to_string(f->frameNumber));
        simulation.GoToFrame(startRow, 1);
        simulation.Start();
        RunToEnd(simulation);
    }
    RecordingControls controls;
    SimulationMessages messages;
    CSimulation simulation;
};

TEST_F(SimulationChecksTest, ARapidMoveThroughMaterialStopsTheRun) {
    // From the start point down to the bar's radius (22.5) in the air, then
    // a rapid through the bar.
    CCadreISO* air = Line(40, -60, 5, -24, true);
    CCadreISO* through = Line(5, -24, -10, -20, true);
    CCadreISO* after = Line(-10, -20, -20, -20, false);
    air->frameNumber = 11;
    through->frameNumber = 12;
    after->frameNumber = 13;
    Run({Comment("start"), air, through, after});
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Обработка завершена.\nВрезание на ускоренной подаче"});
    EXPECT_EQ(Listed(messages), std::vector<std::string>{"Error: кадр N12 - врезание на ускоренной подаче"});
    EXPECT_FALSE(simulation.IsRunning());
    EXPECT_LT(simulation.PointIndex(), simulation.PointCount()) << "the run stopped at the cut";
}

// The stock is always one closed outline; one that is not, in a user's
// build, is cut by no step, and each step says so in its message.
TEST_F(SimulationChecksTest, AStockThatIsNoClosedOutlineRefusesTheRemoval) {
    const detail::UserBuildInvariants userBuild;
    const std::vector<CCadreISO*> frames{Comment("start"), Line(40, -60, 5, -20, true), Line(5, -20, -30, -20, false)};
    simulation.SetFrames(frames);
    simulation.SetSpeedFactor(1);
    simulation.SetControls(&controls, &messages);
    simulation.GoToFrame(1, 1);
    auto& stock = const_cast<Contour&>(*simulation.Stock());
    stock.RemoveUnit(stock.GetLastUnit());
    const std::string open = ContourScriptText(stock);
    simulation.Start();
    RunToEnd(simulation);
    EXPECT_EQ(ContourScriptText(*simulation.Stock()), open) << "nothing was cut";
    const std::vector<std::string> listed = Listed(messages);
    const bool said = std::any_of(listed.begin(), listed.end(), [](const std::string& m) {
        return m.rfind("Error: кадр ", 0) == 0 &&
               m.find(" - съём материала не выполнен: внутренняя ошибка программы (simulation_removal.cpp:") !=
                   std::string::npos;
    });
    EXPECT_TRUE(said) << ::testing::PrintToString(listed);
}

TEST_F(SimulationChecksTest, AFrameWithoutANumberIsLabelledByItsRow) {
    CCadreISO* air = Line(40, -60, 5, -24, true);
    CCadreISO* through = Line(5, -24, -10, -20, true);
    Run({Comment("start"), air, through});
    EXPECT_EQ(Listed(messages),
              std::vector<std::string>{"Error: кадр row of frame -1 - врезание на ускоренной подаче"});
}

TEST_F(SimulationChecksTest, ARapidMoveThroughTheAirChangesNothing) {
    Run({Comment("start"), Line(40, -60, 5, -24, true), Line(5, -24, -90, -24, true), Line(-90, -24, -90, -60, true)});
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Обработка завершена"});
    EXPECT_EQ(messages.Count(), 0u);
    EXPECT_EQ(ContourScriptText(*simulation.Stock()), ContourScriptText(*GetSPID()->CreateSourceContour()));
}

TEST_F(SimulationChecksTest, AToolModelDrivenIntoAChuckJawStops) {
    // A jaw of the chuck beyond the bar's end, from z = -95 to -90, and the
    // tool's model a block about its point; both are model files of a box.
    HostApplication& app = ConnectHostApplication();
    auto saveBox = [&](const std::string& path, Point3 min, Point3 max) {
        HostDocumentPtr doc = app.Documents().Add(DocumentType::Part, false);
        SetPartBody(*TopPart(doc), PartShape::Box(min, max));
        doc->SaveAs(path);
        app.Documents().Close(doc);
        return path;
    };
    ParamGadget& jaw = GetSPID()->gadgets[0];
    GetSPID()->Ngadgets = 1;
    jaw.sPsevName = "Кулачок (3 шт.)";
    jaw.pDisplayModel = std::make_shared<CModelTess>();
    ASSERT_TRUE(jaw.pDisplayModel->LoadFromFile(saveBox("example/jaw.rdp", {25, -5, -95}, {35, 5, -90})));
    jaw.pDisplayModel->DrawAt(0, 0, 0);
    jaw.pDisplayModel->CollectTriangles(true);
    ASSERT_GT(jaw.pDisplayModel->triangles.Count(), 0u);
    GetSPID()->tools[0].sWorkFile = saveBox("example/block_tool.rdp", {-1, -1, -1}, {1, 1, 1});

    CCadreISO* approach = Line(40, -60, 5, -30, true);
    CCadreISO* along = Line(5, -30, -100, -30, false);
    approach->frameNumber = 5;
    along->frameNumber = 6;
    simulation.SetFrames({Comment("start"), approach, along});
    simulation.GoToFrame(1, 1);
    ASSERT_NE(simulation.ToolModel(), nullptr);
    ASSERT_GT(simulation.ToolModel()->triangles.Count(), 0u);
    simulation.SetControls(&controls, &messages);
    simulation.SetSpeedFactor(20);
    simulation.Start();
    RunToEnd(simulation);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Обработка завершена.\nСтолкновение инструмента с приспособлением"});
    EXPECT_EQ(Listed(messages), std::vector<std::string>{"Error: кадр N6 - соударение Инструмент-Кулачок"});
    // The run stopped at the first point whose model reaches the jaw: the
    // block's far end just past the jaw's face at z = -90.
    const SimulationPoint& stopped = simulation.Points()[static_cast<std::uint32_t>(simulation.PointIndex())];
    const double blockEnd = simulation.ToolReferenceZ() + stopped.z - 1;
    EXPECT_LT(blockEnd, -90.0);
    EXPECT_GT(blockEnd, -92.0);
}

TEST_F(SimulationChecksTest, TheCheckRunTestsNoFixtureMovesNoModelAndWritesItsLines) {
    ParamGadget& jaw = GetSPID()->gadgets[0];
    GetSPID()->Ngadgets = 1;
    jaw.pDisplayModel = std::make_shared<CModelTess>();
    SimulationCheckMode = true;
    Run({Comment("start"), Tool(0), Line(40, -60, 5, -20, false), Line(5, -20, -30, -20, false)}, 0);
    EXPECT_EQ(simulation.ToolModel(), nullptr);
    ASSERT_NE(simulation.ToolContour(), nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Обработка завершена"});
    ASSERT_NE(simulation.Drawing2D(), nullptr);
    EXPECT_FALSE(simulation.Drawing2D()->Objects().empty());
    EXPECT_EQ(simulation.Drawing2D()->ViewRefreshes(), (std::vector<int>{2, 2}))
        << "the arrangement's and the run's own view calls";
    const std::vector<std::string> lines = TextOutput();
    ASSERT_GE(lines.size(), 3u);
    const int n = simulation.PointCount();
    EXPECT_EQ(lines[0], "Niterations " + std::to_string(n));
    EXPECT_EQ(lines[1], "iteration " + std::to_string(n - 2));
    EXPECT_EQ(lines[2].rfind("iteration " + std::to_string(n - 2) + " Nper=", 0), 0u) << lines[2];
    EXPECT_NE(lines[2].find("  N=" + std::to_string(simulation.Stock()->Count())), std::string::npos) << lines[2];
    // The part stays the active document.
    EXPECT_EQ(app->ActiveDocument(), part);
}

// A tool that reaches across its point towards the axis: a slanted block
// from 0 to 6 above the point, about 2 along Z.
std::shared_ptr<Contour> AcrossTheAxisTool() {
    return std::shared_ptr<Contour>(
        ParseContourScript("LineSeg( 0,0, 2,0, 1 );\nLineSeg( 2,0, 2,6, 1 );\nLineSeg( 2,6, -1,6, 1 );\n"
                           "LineSeg( -1,6, 0,0, 1 );\n"));
}

TEST_F(SimulationChecksTest, ABoringPassWhoseMirroredToolReachesMaterialIsListedOncePerFrame) {
    // Along the axis at radius 2 with a tool reaching 4 beyond it: mirrored
    // across the axis it reaches radius 4, which the tool itself does not.
    GetSPID()->tools[0].pContour = AcrossTheAxisTool();
    auto boring = [&] {
        CCadreISO* enter = Line(40, -60, 0, -2, false);
        CCadreISO* along = Line(0, -2, -30, -2, false);
        CCadreISO* back = Line(-30, -2, -40, -2, false);
        enter->frameNumber = 20;
        along->frameNumber = 21;
        back->frameNumber = 22;
        along->internalMachining = 1;
        return std::vector<CCadreISO*>{Comment("start"), Tool(0), enter, along, back};
    };
    Run(boring(), 0);
    const std::vector<std::string> listed = Listed(messages);
    // The mirrored tool reaches material at every point of the pass; the
    // 3D scene checks its first point and lists the frame once.
    EXPECT_EQ(listed, std::vector<std::string>{"Error: кадр N21 - соударение в зоне -X при растачивании"});
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Обработка завершена"}) << "the run goes on";
    const double area3D = std::fabs(ContourArea(*simulation.Stock()));

    // The check run tests every point of a boring frame: the mirrored tool
    // cuts along the whole pass, where on the 3D scene it cut at the first
    // point of each frame only.
    SimulationCheckMode = true;
    CSimulation check;
    SimulationMessages checkMessages;
    check.SetFrames(boring());
    check.SetSpeedFactor(1);
    check.SetControls(&controls, &checkMessages);
    check.GoToFrame(0, 1);
    check.Start();
    RunToEnd(check);
    EXPECT_EQ(Listed(checkMessages), listed);
    const double area2D = std::fabs(ContourArea(*check.Stock()));
    // The band from radius 2 to 4 along the pass's 30 mm, less the notch
    // the 3D run cut at its first point.
    EXPECT_NEAR(area2D, area3D - 2.0 * 30.0, 1.0);
}

TEST_F(SimulationChecksTest, AMachineCycleRemovesItsRegionAtOnceAndWarnsOnThe3DScene) {
    auto cycle = std::make_unique<CCycle_Auto>();
    cycle->frameNumber = 30;
    cycle->toolNumber = 0;
    cycle->secondContour = ParseContourScript(
        "LineSeg( 5,-30, -40,-30, 1 );\nLineSeg( -40,-30, -40,-18, 1 );\nLineSeg( -40,-18, 5,-18, 1 );\n"
        "LineSeg( 5,-18, 5,-30, 1 );\n");
    CCadreISO* region = cycle.get();
    owned.push_back(std::move(cycle));
    Run({Comment("start"), Tool(0), Line(40, -60, 10, -40, true), region, Line(10, -40, 40, -60, true)}, 0);
    EXPECT_EQ(Listed(messages), std::vector<std::string>{"Warning: кадр N30 - Цикл не визуализируется"});
    // The bar of radius 22.5 lost the ring from radius 18 outwards over 42 mm.
    const double before = 90.0 * 22.5;
    EXPECT_NEAR(std::fabs(ContourArea(*simulation.Stock())), before - 42 * 4.5, 1e-6);

    // A cycle that changes nothing still warns; the pre-calculation does not.
    MessageLog::Instance().Clear();
    CSimulation again;
    SimulationMessages list;
    again.SetFrames({Comment("start"), Tool(0), region, Line(10, -40, 40, -60, true)});
    again.SetControls(&controls, &list);
    again.SetSpeedFactor(1);
    again.CalculateAllFrames();
    EXPECT_EQ(list.Count(), 0u);
    again.GoToFrame(2, 1);
    again.Start();
    RunToEnd(again);
    EXPECT_EQ(Listed(list), std::vector<std::string>{"Warning: кадр N30 - Цикл не визуализируется"});
}

TEST_F(SimulationChecksTest, ABusyHostFrameHoldsThePointWithoutHoldingTheThread) {
    simulation.SetFrames({Comment("start"), Tool(0), Line(40, -60, 5, -20, false), Line(5, -20, -20, -20, false)});
    simulation.SetSpeedFactor(1);
    simulation.SetControls(&controls, &messages);
    simulation.GoToFrame(0, 1);
    simulation.Start();
    // Into the first cut, then the host's frame is busy for 12 seconds.
    while (simulation.PointIndex() < 5) ASSERT_TRUE(FireNextHostTimer());
    const int held = simulation.PointIndex();
    CSimulation::SetHostFrameBusy(true);
    const int ticks = AdvanceHostClock(12000);
    EXPECT_GT(ticks, 200);
    EXPECT_EQ(simulation.PointIndex(), held);
    // Shown after five seconds of the hold and again after ten, no more.
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"Задержка", "Задержка"}));
    CSimulation::SetHostFrameBusy(false);
    FireNextHostTimer();
    EXPECT_EQ(simulation.PointIndex(), held + 1);
    RunToEnd(simulation);
    EXPECT_EQ(Boxes().back(), "Обработка завершена");
}

TEST_F(SimulationChecksTest, AThreadFrameTicksOncePerRevolution) {
    CCadreISO* approach = Line(40, -60, 5, -24, true);
    CCadreISO* thread = Line(5, -24, -20, -24, false);
    CCadreISO* still = Line(-20, -24, -30, -24, false);
    thread->feedIsStep = still->feedIsStep = 1;
    thread->feed = still->feed = 1.5;
    thread->spindleSpeed = 600;
    still->spindleSpeed = 0;  // no spindle speed: the normal interval
    CCadreISO* after = Line(-30, -24, 40, -60, true);
    simulation.SetFrames({Comment("start"), Tool(0), approach, thread, Comment("between"), still, after});
    simulation.SetSpeedFactor(1);
    simulation.SetControls(&controls, &messages);
    simulation.GoToFrame(0, 1);
    simulation.Start();
    const WindowHandle window = HostMainWindowHandle();
    EXPECT_EQ(HostTimerInterval(window, CSimulation::kTimerId), 40u);
    std::vector<std::uint32_t> intervals;
    while (simulation.IsRunning() && FireNextHostTimer()) {
        const std::uint32_t interval = HostTimerInterval(window, CSimulation::kTimerId);
        if (interval != 0 && (intervals.empty() || intervals.back() != interval)) intervals.push_back(interval);
    }
    // 60000 / 600 for the thread; back to 40 for the frame without a speed.
    EXPECT_EQ(intervals, (std::vector<std::uint32_t>{40, 100, 40}));
}

TEST_F(SimulationChecksTest, OnThe3DSceneTheStocksNewUnitsGetFacesInTheCheckRunNone) {
    const std::uint32_t stockColour = SettingsRecord::Global().Colour(12);
    const auto frames =
        std::vector<CCadreISO*>{Comment("start"), Tool(0), Line(40, -60, 5, -20, false), Line(5, -20, -20, -20, false)};
    const std::int64_t before = SceneSurvey(*part).CreatedCount();
    Run(frames, 0);
    // The stock's faces, and those of the units the cut made, in the stock's colour.
    const SceneSurvey view(*part);
    EXPECT_GT(view.CreatedCount() - before, 4);
    EXPECT_GT(view.WithColour(stockColour).size(), 4u);
    SimulationCheckMode = true;
    CSimulation check;
    check.SetFrames(frames);
    check.SetSpeedFactor(1);
    check.GoToFrame(0, 1);
    check.Start();
    RunToEnd(check);
    EXPECT_EQ(SceneSurvey(*part).CreatedCount(), view.CreatedCount()) << "the check run draws in 2D only";
}

TEST_F(SimulationChecksTest, TheStockShowsItsTransparencyAndTheDefaultComesBackAfterwards) {
    const std::uint32_t stockColour = SettingsRecord::Global().Colour(12);
    const auto frames = std::vector<CCadreISO*>{Comment("start"), Tool(0), Line(40, -60, 5, -20, false)};
    {
        CSimulation run;
        run.SetFrames(frames);
        run.SetControls(&controls, &messages);
        run.GoToFrame(1, 1);
        run.SetTransparency(20);
        int shown = 0;
        for (const DrawableSummary& d : SceneSurvey(*part).WithColour(stockColour)) {
            if (!d.visible || !d.enabled) continue;
            ++shown;
            EXPECT_DOUBLE_EQ(d.opacity, 0.8);
        }
        EXPECT_GT(shown, 0);
    }
    EXPECT_DOUBLE_EQ(DefaultOpacity, 0.5);
}

TEST_F(SimulationChecksTest, AJumpReplaysTheSpindleAndTakesTheFramesTool) {
    auto m3 = std::make_unique<CCadre_M3>();
    CCadreISO* on = m3.get();
    owned.push_back(std::move(m3));
    CCadreISO* cut = Line(5, -20, -20, -20, false, 1);
    cut->feed = 0.12;
    cut->spindleSpeed = 1400;
    cut->toolEndZ = -20;
    cut->toolEndX = -20;
    simulation.SetFrames({Comment("start"), Tool(1), on, cut});
    simulation.SetControls(&controls, &messages);
    simulation.GoToFrame(3, 1);
    EXPECT_TRUE(simulation.IsSpindleTurning());
    ASSERT_NE(simulation.ToolContour(), nullptr);
    EXPECT_EQ(controls.status, "T 2    F 0.120    S 1400");
    const ParamTool& tool = GetSPID()->tools[1];
    EXPECT_EQ(simulation.ToolReferenceZ(), tool.dNoseDx);
    EXPECT_EQ(simulation.ToolReferenceX(), tool.dNoseDy);
    simulation.GoToFrame(1, 1);
    EXPECT_FALSE(simulation.IsSpindleTurning());
}

TEST_F(SimulationChecksTest, TheOperationsLengthCorrectionsMoveTheToolAndItsPoint) {
    PlanExample();
    CTurn* op = dynamic_cast<CTurn*>(GetPLAN()->GetTurn(0));
    ASSERT_NE(op, nullptr);
    ParamTool& tool = GetSPID()->tools[0];
    tool.CorrectZ = 3;
    tool.CorrectX = 2;
    op->isCorrectLz = op->isCorrectLx = true;
    simulation.ChangeTool(0, op);
    EXPECT_EQ(simulation.CurrentTurn(), op);
    EXPECT_EQ(simulation.ToolReferenceZ(), tool.dNoseDx - 3);
    EXPECT_EQ(simulation.ToolReferenceX(), tool.dNoseDy - 2);
    const BoundBox plain = tool.pContour->GetBoundBox();
    const BoundBox moved = simulation.ToolContour()->GetBoundBox();
    EXPECT_NEAR(moved.zmin, plain.zmin - 3, 1e-12);
    EXPECT_NEAR(moved.xmin, plain.xmin + 2, 1e-12);
}

}  // namespace
}  // namespace zarvento::test
