// The simulation panel's work on the headless host.
#include "simulation/headless_simulation.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>

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

// How a machined stock departs from the part: within the settings'
// accuracy, a chisel thread's groove, which the thread cuts into the part by
// design as the main job's check of its passes knows, being no cut.
class PartComparison {
public:
    PartComparison() {
        CSPID* spid = ExistingSPID();
        part_ = spid ? spid->GetDetailContour() : nullptr;
        if (!part_) return;
        outline_ = std::make_unique<ClearanceOutline>(*part_);
        if (const CPLAN* plan = ExistingPLAN())
            for (int i = 0; i < plan->GetTurnCount(); ++i) {
                const auto* op = dynamic_cast<const CTurn*>(plan->GetTurn(i));
                if (!op || !op->IsActive() || !op->GetTool()) continue;
                for (ThreadBand& band : ThreadBandsOf(*op, *outline_, ThreadInsertOf(*op), tolerance_))
                    bands_.push_back(std::move(band));
            }
    }
    const Contour* Part() const { return part_; }
    std::vector<SectionDeviation> operator()(const Contour& stock) const {
        if (!part_) return {};
        PlannedCut beyondThreads;
        if (!bands_.empty()) beyondThreads = [this](double z, double x) { return OutsideThreadBands(bands_, {z, x}); };
        return CompareSections(*part_, stock, tolerance_, 0.05, beyondThreads);
    }

private:
    const Contour* part_ = nullptr;
    double tolerance_ = SettingsRecord::Global().accuracy;
    std::unique_ptr<ClearanceOutline> outline_;
    std::vector<ThreadBand> bands_;
};

// The stock as the simulation left it, where it departs from the part, and
// the picture of the run, which began from `initial` (null: the plan's stock).
void TakeStock(SimulationOutcome& outcome, const CSimulation& simulation, const PartComparison& compare,
               const Contour* initial = nullptr) {
    const Contour* stock = simulation.Stock();
    outcome.stockUnits = stock ? stock->Count() : 0;
    outcome.stock = stock ? ContourScriptText(*stock) : std::string();
    outcome.deviations = stock ? compare(*stock) : std::vector<SectionDeviation>{};
    CSPID* spid = ExistingSPID();
    const Contour* part = compare.Part();

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

// The block the program writes first for frame k (its row in the list the
// frames were written to), without the list's leading blank.
std::string FrameBlock(const CPROGRAM& program, const std::vector<std::string>& rows, std::uint32_t k) {
    const std::vector<std::uint32_t>& lineFrames = program.LineFrames();
    for (std::size_t i = 0; i < lineFrames.size() && i < rows.size(); ++i) {
        if (lineFrames[i] != k) continue;
        std::string block = rows[i];
        const std::size_t first = block.find_first_not_of(' ');
        return first == std::string::npos ? std::string() : block.substr(first);
    }
    return {};
}

// Names the frame after which the stock first cuts into each unit the
// outcome lists as cut: the stock worked out frame by frame (pre-calculated
// now when the run did not) only ever loses material, so a unit cut after
// frame k stays cut, and the first such frame is found by halves.
void NameTheCuts(SimulationOutcome& outcome, const CPROGRAM& program, const std::vector<std::string>& rows,
                 const PartComparison& compare) {
    outcome.cutSources.clear();
    const bool anyCut = std::any_of(outcome.deviations.begin(), outcome.deviations.end(),
                                    [](const SectionDeviation& d) { return d.cut > 0.0; });
    const std::uint32_t count = program.frames.Count();
    if (!anyCut || count == 0) return;
    if (!program.frames[count - 1]->simulatedStock) {
        CSimulation pre;
        pre.SetFrames(program.frames);
        pre.SetSpeedFactor(CSimulation::kPreCalculationSpeed);
        pre.CalculateAllFrames();
    }
    std::map<std::uint32_t, std::vector<SectionDeviation>> seen;
    const auto cutAfter = [&](std::uint32_t k, int unit) {
        auto at = seen.find(k);
        if (at == seen.end()) {
            const std::shared_ptr<const Contour>& stock = program.frames[k]->simulatedStock;
            at = seen.emplace(k, stock ? compare(*stock) : std::vector<SectionDeviation>{}).first;
        }
        return std::any_of(at->second.begin(), at->second.end(),
                           [unit](const SectionDeviation& d) { return d.unit == unit && d.cut > 0.0; });
    };
    for (const SectionDeviation& d : outcome.deviations) {
        if (!(d.cut > 0.0)) continue;
        SimulationOutcome::CutSource source;
        source.unit = d.unit;
        if (cutAfter(count - 1, d.unit)) {
            std::uint32_t lo = 0, hi = count - 1;
            while (lo < hi) {  // halves the frames: at most log2(count) comparisons
                const std::uint32_t mid = lo + (hi - lo) / 2;
                if (cutAfter(mid, d.unit))
                    hi = mid;
                else
                    lo = mid + 1;
            }
            const CCadreISO& frame = *program.frames[lo];
            if (const CTurn* op = frame.operation) {
                source.operation = op->index;
                source.name = op->sNameTurn;
            }
            source.block = FrameBlock(program, rows, lo);
        }
        outcome.cutSources.push_back(std::move(source));
    }
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
    const PartComparison compare;

    const int frameCount = static_cast<int>(program.frames.Count());
    if (!checkMode) {
        CSimulation pre;
        pre.SetFrames(program.frames);
        pre.SetSpeedFactor(CSimulation::kPreCalculationSpeed);
        if (progress_) pre.SetProgress([this](int done, int total) { progress_("pre-calculation", done, total); });
        pre.CalculateAllFrames();
        outcome->preCalculated = true;
        TakeStock(*outcome, pre, compare);
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
        TakeStock(*outcome, simulation, compare, startStock.get());
        PanelScript::Instance().Note(
            PlanPanels::kSimulation,
            "ran " + std::to_string(outcome->points) + " points from row " + std::to_string(row) + ", stock " +
                std::to_string(simulation.Stock() ? simulation.Stock()->Count() : 0) + " units");
    }
    NameTheCuts(*outcome, program, rows, compare);
    if (answer.result == IDOK_ && answer.Field("speed")) program.KoffVelosity = speed;
    last_ = std::move(outcome);
}

}  // namespace zarvento
