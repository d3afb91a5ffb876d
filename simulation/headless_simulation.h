// HeadlessSimulation: what the simulation panel does while it is open, on
// the headless host, for the plan's visualisation and check commands. It
// lists the program (which numbers the frames), pre-calculates every frame's
// stock (not in the check run, which starts from the plan's stock), and runs
// the simulation from a program row on timer 100, advancing the host's
// virtual clock tick by tick until the run ends. The run's messages and
// summary are noted in the panel script's log; the last run's outcome stays
// for the program that drives the host.
//
// Fields of the panel's answer: row (the program row to start from, 0 by
// default), speed (the speed factor, by default the program's own), run (0:
// pre-calculate only).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "plan/plan_simulation.h"
#include "simulation/section_comparison.h"
#include "simulation/simulation_picture.h"

namespace zarvento {

struct SimulationOutcome {
    bool checkMode = false;
    bool preCalculated = false;
    bool ran = false;
    int frames = 0;
    int points = 0;
    int ticks = 0;
    // The message box that ended the run ("Обработка завершена" ...).
    std::string ending;
    // The run's messages in order ("Error: кадр ...", "Warning: ...").
    std::vector<std::string> messages;
    // The stock as machined, after the run or else after the pre-calculation:
    // its unit count and its units as contour script text (the outcome
    // outlives the contours of a session).
    int stockUnits = 0;
    std::string stock;
    // Where that stock departs from the part's section by more than the
    // settings' accuracy.
    std::vector<SectionDeviation> deviations;
    // For each of those that cuts into the part (in their order): the
    // operation and the block of the program after which the stock, worked
    // out frame by frame, first cuts that unit; operation -1 when it cannot
    // be told.
    struct CutSource {
        int unit = 0;
        int operation = -1;  // its index in the plan
        std::string name;    // the operation's
        std::string block;   // the first line the program writes for the frame
    };
    std::vector<CutSource> cutSources;
    // What the run shows in the turning plane: the part, the stock before and
    // as machined, the path stepped, the tool where the run ended.
    SimulationPicture picture;
};

class HeadlessSimulation final : public PlanSimulation {
public:
    static HeadlessSimulation& Instance();

    void RunPanel(CPROGRAM& program, bool checkMode, PanelAnswer& answer) override;

    // The outcome of the last panel, null before the first.
    const SimulationOutcome* LastOutcome() const { return last_.get(); }
    void ClearOutcome() { last_.reset(); }

    // Told how far a long pre-calculation or run has got: the stage
    // ("pre-calculation" or "run"), what is done and the whole.
    using Progress = std::function<void(const std::string& stage, int done, int total)>;
    void SetProgress(Progress progress) { progress_ = std::move(progress); }

private:
    std::unique_ptr<SimulationOutcome> last_;
    Progress progress_;
};

}  // namespace zarvento
