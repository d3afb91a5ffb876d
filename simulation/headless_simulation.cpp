// The simulation panel's work on the headless host.
#include "simulation/headless_simulation.h"

#include <cstdint>

#include "geometry/contour_script.h"
#include "nc/cadre_iso.h"
#include "operations/path_clearance.h"
#include "operations/thread_clearance.h"
#include "operations/turn.h"
#include "plan/plan.h"
#include "plan/plan_panels.h"
#include "plan/spid.h"
#include "platform/core/messages.h"
#include "platform/core/variant.h"
#include "platform/dialogs/host_timers.h"
#include "platform/dialogs/list_control.h"
#include "platform/documents/settings_record.h"
#include "post/program.h"
#include "simulation/simulation.h"
#include "simulation/simulation_controls.h"
#include "simulation/simulation_messages.h"

namespace zarvento {

namespace {

// The panel's controls as the headless host keeps them: the program list's
// rows with their marks, and the status values.
class HeadlessControls final : public SimulationControls {
public:
    explicit HeadlessControls(std::vector<std::string> rows) : rows_(std::move(rows)), marks_(rows_.size(), 0) {}

    void ShowValues(double, double, std::int32_t) override {}
    void ShowStatusText(const std::string&) override {}
    void MarkRow(std::int32_t row, int state) override {
        if (row >= 0 && static_cast<std::size_t>(row) < marks_.size()) marks_[static_cast<std::size_t>(row)] = state;
    }
    void ClearRowMarks() override { std::fill(marks_.begin(), marks_.end(), 0); }
    std::string RowText(std::int32_t row) const override {
        return row >= 0 && static_cast<std::size_t>(row) < rows_.size() ? rows_[static_cast<std::size_t>(row)]
                                                                        : std::string();
    }
    void ClearMessageList() override {}
    void RestoreAfterRun() override {}

private:
    std::vector<std::string> rows_;
    std::vector<int> marks_;
};

// Reads the panel's fields; false (the answer refused) for one it cannot take.
bool ReadFields(PanelAnswer& answer, int& row, double& speed, bool& run) {
    if (PlanPanels::RefuseUnknownFields(answer, {"row", "speed", "run"})) return false;
    if (const std::string* text = answer.Field("row")) {
        std::int32_t value = 0;
        if (!ParseInt(*text, value) || value < 0) {
            PlanPanels::RefuseField(answer, "row", *text);
            return false;
        }
        row = value;
    }
    if (const std::string* text = answer.Field("speed")) {
        double value = 0.0;
        if (!ParseDouble(*text, value) || !(value > 0.0) || value > CSimulation::kPreCalculationSpeed) {
            PlanPanels::RefuseField(answer, "speed", *text);
            return false;
        }
        speed = value;
    }
    if (const std::string* text = answer.Field("run")) {
        if (*text != "0" && *text != "1") {
            PlanPanels::RefuseField(answer, "run", *text);
            return false;
        }
        run = *text == "1";
    }
    return true;
}

// Drops what the pre-calculation left in the frames once the panel closes.
class ForgetSnapshots {
public:
    explicit ForgetSnapshots(const CPROGRAM& program) : program_(program) {}
    ~ForgetSnapshots() {
        for (CCadreISO* frame : program_.frames) frame->simulatedStock.reset();
    }
    ForgetSnapshots(const ForgetSnapshots&) = delete;
    ForgetSnapshots& operator=(const ForgetSnapshots&) = delete;

private:
    const CPROGRAM& program_;
};

// The stock as the simulation left it, where it departs from the part, and
// the picture of the run, which began from `initial` (null: the plan's stock).
void TakeStock(SimulationOutcome& outcome, const CSimulation& simulation, const Contour* initial = nullptr) {
    const Contour* stock = simulation.Stock();
    outcome.stockUnits = stock ? stock->Count() : 0;
    outcome.stock = stock ? ContourScriptText(*stock) : std::string();
    outcome.deviations.clear();
    CSPID* spid = ExistingSPID();
    const Contour* part = spid ? spid->GetDetailContour() : nullptr;
    if (stock && part) {
        // A chisel thread cuts its groove into the part by design, as the
        // main job's check of its passes knows.
        const double tolerance = SettingsRecord::Global().accuracy;
        const ClearanceOutline outline(*part);
        std::vector<ThreadBand> bands;
        if (const CPLAN* plan = ExistingPLAN())
            for (int i = 0; i < plan->GetTurnCount(); ++i) {
                const auto* op = dynamic_cast<const CTurn*>(plan->GetTurn(i));
                if (!op || !op->IsActive() || !op->GetTool()) continue;
                for (ThreadBand& band : ThreadBandsOf(*op, outline, ThreadInsertOf(*op), tolerance))
                    bands.push_back(std::move(band));
            }
        PlannedCut beyondThreads;
        if (!bands.empty()) beyondThreads = [&bands](double z, double x) { return OutsideThreadBands(bands, {z, x}); };
        outcome.deviations = CompareSections(*part, *stock, tolerance, 0.05, beyondThreads);
    }

    const std::unique_ptr<Contour> planStock = !initial && spid ? spid->CreateSourceContour() : nullptr;
    SimulationScene scene;
    scene.part = part;
    scene.initialStock = initial ? initial : planStock.get();
    scene.machined = stock;
    scene.points = &simulation.Points();
    scene.pointsStepped = simulation.PointIndex();
    scene.tool = simulation.ToolContour();
    scene.deviations = &outcome.deviations;
    outcome.picture = MakeSimulationPicture(scene, outcome.checkMode ? "check run" : "simulation");
}

}  // namespace

HeadlessSimulation& HeadlessSimulation::Instance() {
    static HeadlessSimulation simulation;
    return simulation;
}

void HeadlessSimulation::RunPanel(CPROGRAM& program, bool checkMode, PanelAnswer& answer) {
    int row = 0;
    double speed = program.KoffVelosity > 0.0 ? program.KoffVelosity : 1.0;
    bool run = true;
    if (!ReadFields(answer, row, speed, run)) return;

    auto outcome = std::make_unique<SimulationOutcome>();
    outcome->checkMode = checkMode;
    outcome->frames = static_cast<int>(program.frames.Count());
    // The program list: its rows, and the block numbers frames are named by.
    std::vector<std::string> rows;
    program.WriteProgramText(rows);
    ForgetSnapshots forget(program);

    const int frameCount = static_cast<int>(program.frames.Count());
    if (!checkMode) {
        CSimulation pre;
        pre.SetFrames(program.frames);
        pre.SetSpeedFactor(CSimulation::kPreCalculationSpeed);
        if (progress_) pre.SetProgress([this](int done, int total) { progress_("pre-calculation", done, total); });
        pre.CalculateAllFrames();
        outcome->preCalculated = true;
        TakeStock(*outcome, pre);
        PanelScript::Instance().Note(PlanPanels::kSimulation,
                                     "pre-calculated " + std::to_string(frameCount) + " frames, stock " +
                                         std::to_string(pre.Stock() ? pre.Stock()->Count() : 0) + " units");
    }
    if (run) {
        HeadlessControls controls(rows);
        ListControl list;
        SimulationMessages messages(&list);
        CSimulation simulation;
        simulation.SetFrames(program.frames);
        simulation.SetSpeedFactor(speed);
        simulation.SetToolHidden(program.isToolHide);
        simulation.SetControls(&controls, &messages);
        simulation.GoToFrame(row, 1);
        const std::unique_ptr<Contour> startStock = simulation.Stock() ? simulation.Stock()->Clone() : nullptr;
        const std::size_t boxesBefore = MessageLog::Instance().Entries().size();
        simulation.Start();
        // A tick steps a point or begins a frame; the bound leaves room for
        // every one of them twice over.
        const std::int64_t bound = 2 * (static_cast<std::int64_t>(simulation.PointCount()) + frameCount) + 16;
        std::int64_t ticks = 0;
        while (simulation.IsRunning() && ticks < bound && FireNextHostTimer()) {
            ++ticks;
            if (progress_ && ticks % 256 == 0) progress_("run", simulation.PointIndex(), simulation.PointCount());
        }
        if (simulation.IsRunning()) simulation.Stop();
        outcome->ran = true;
        outcome->points = simulation.PointCount();
        outcome->ticks = static_cast<int>(ticks);
        const auto& entries = MessageLog::Instance().Entries();
        for (std::size_t k = boxesBefore; k < entries.size(); ++k)
            if (entries[k].role == MessageRole::MessageBox && entries[k].text.rfind(CSimulation::kRunEnded, 0) == 0)
                outcome->ending = entries[k].text;
        for (std::uint32_t k = 0; k < messages.Count(); ++k) {
            outcome->messages.push_back(messages.Text(k));
            PanelScript::Instance().Note(PlanPanels::kSimulation, messages.Text(k));
        }
        TakeStock(*outcome, simulation, startStock.get());
        PanelScript::Instance().Note(
            PlanPanels::kSimulation,
            "ran " + std::to_string(outcome->points) + " points from row " + std::to_string(row) + ", stock " +
                std::to_string(simulation.Stock() ? simulation.Stock()->Count() : 0) + " units");
    }
    if (answer.result == IDOK_ && answer.Field("speed")) program.KoffVelosity = speed;
    last_ = std::move(outcome);
}

}  // namespace zarvento
