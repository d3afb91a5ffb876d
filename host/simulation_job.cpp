// The "simulate" command of the program: the machining simulation of a part's
// plan on the headless host, as the menu's "Визуализация обработки" (action
// 12) or the check run (action 111) runs it, with the run's messages and the
// stock as machined.
#include "host/simulation_job.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include "host/headless_session.h"
#include "host/script_run.h"
#include "host/section_svg.h"
#include "host/verb_arguments.h"
#include "plan/command_door.h"
#include "plan/plan.h"
#include "plan/plan_panels.h"
#include "platform/core/host_error.h"
#include "platform/core/messages.h"
#include "platform/core/text_file.h"
#include "platform/dialogs/panel_script.h"
#include "platform/documents/host_application.h"
#include "simulation/headless_simulation.h"

namespace zarvento::app {

const char* const kSimulateUsage =
    "  simulate <document> [--check] [--row <n>] [--speed <v>] [--stock] [--svg <file>] [--verbose]\n"
    "             the machining simulation of the part's plan, as the command\n"
    "             \"Визуализация обработки\" runs it: every frame's stock is\n"
    "             pre-calculated, then the program runs from row <n> (0) at the\n"
    "             speed factor <v> (the program's own) on the host's clock, its\n"
    "             tool swept through the stock and tested against the fixtures;\n"
    "             --check runs the check instead (from the plan's stock, drawn\n"
    "             in a 2D document; --verbose prints its diagnostic lines, each\n"
    "             after \"diagnostic: \"). Prints how the run ended and its\n"
    "             messages, the stock's unit count (--stock: its units) and\n"
    "             each unit of the part it departs from, a cut into the part\n"
    "             with the operation and the program's block that made it; a\n"
    "             long run shows its progress on the standard error. The\n"
    "             document is not saved. Exit code 1 when the run listed an\n"
    "             error (a rapid cut, a collision), cut into the part or did\n"
    "             not run.\n"
    "             --svg draws what the run shows in the turning plane: the\n"
    "             part, the stock before and as machined, the path stepped,\n"
    "             the tool where the run ended, the part's units it departs\n"
    "             from\n";

namespace {

constexpr const char* kUsage =
    "usage: zarvento simulate <document> [--check] [--row <n>] [--speed <v>] [--stock] [--svg <file>] [--verbose]\n";

// A progress line on the standard error, once the run has taken a second,
// redrawn at most every half second.
class ProgressLine {
public:
    void operator()(const std::string& stage, int done, int total) {
        const auto now = std::chrono::steady_clock::now();
        if (now - start_ < std::chrono::seconds(1) || now - shown_ < std::chrono::milliseconds(500)) return;
        shown_ = now;
        std::cerr << "\r" << stage << ": " << done << " of " << total << "   " << std::flush;
        drawn_ = true;
    }
    ~ProgressLine() {
        if (drawn_) std::cerr << "\n";
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point shown_{};
    bool drawn_ = false;
};

std::string Millimetres(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f mm", value);
    return text;
}

// Which operation's block of the program first cut into the part's unit.
std::string CutSourceText(const SimulationOutcome& outcome, int unit) {
    for (const SimulationOutcome::CutSource& s : outcome.cutSources) {
        if (s.unit != unit) continue;
        if (s.operation < 0) return " (by a frame of no operation that could be told)";
        return " by operation " + std::to_string(s.operation) + " \"" + s.name + "\", block " +
               (s.block.empty() ? std::string("(none written)") : s.block);
    }
    return {};
}

// Where the stock departs from the part: material left, or the part cut.
// A cut into the part is the worst a program can do: true, the run fails,
// each cut naming what to change.
bool PrintDepartures(const SimulationOutcome& outcome) {
    bool cut = false;
    for (const SectionDeviation& d : outcome.deviations) {
        std::string line = "part unit " + std::to_string(d.unit) + ":";
        if (d.left > 0.0) line += " " + Millimetres(d.left) + " left";
        if (d.cut > 0.0) {
            line += " " + Millimetres(d.cut) + " cut into the part" + CutSourceText(outcome, d.unit);
            cut = true;
        }
        std::cout << line << "\n";
    }
    return cut;
}

}  // namespace

int RunSimulationJob(int argc, char** argv) {
    const VerbSyntax syntax{
        kUsage,
        {{"--check"}, {"--stock"}, {"--verbose"}, {"--row", {}, true}, {"--speed", {}, true}, {"--svg", {}, true}},
        1,
        1};
    VerbArguments args;
    if (!args.Read(syntax, argc, argv)) return args.ExitStatus();
    const std::string& documentPath = args.Plain()[0];
    const std::string row = args.Value("--row"), speed = args.Value("--speed"), svgPath = args.Value("--svg");
    const bool check = args.Has("--check"), printStock = args.Has("--stock"), verbose = args.Has("--verbose");

    HeadlessSession session;
    MessageLog::Instance().SetEcho([verbose](const MessageEntry& e) {
        // The diagnostic lines of the check run (the subtraction's steps)
        // only when asked for, and marked as such among the outcome's.
        if (e.role == MessageRole::TextOutput) {
            if (verbose) std::cout << "diagnostic: " << e.text << "\n";
        } else {
            std::cerr << MessageRoleName(e.role) << ": " << e.text << "\n";
        }
    });
    const HostDocumentPtr doc = OpenPartDocument(documentPath);
    if (!doc) return kExitDocument;

    HeadlessSimulation& simulation = HeadlessSimulation::Instance();
    simulation.ClearOutcome();
    ProgressLine progress;
    simulation.SetProgress(
        [&progress](const std::string& stage, int done, int total) { progress(stage, done, total); });
    PanelAnswer answer;
    answer.result = IDCANCEL_;  // the settings of the program record stay as they are
    if (!row.empty()) answer.fields.emplace_back("row", row);
    if (!speed.empty()) answer.fields.emplace_back("speed", speed);
    PanelScript::Instance().Queue(PlanPanels::kSimulation, answer);
    // The first command synchronises the plan with the document, as the
    // host's first menu command would.
    RunLibraryCommand(-1, check ? 111 : 12, -1);
    simulation.SetProgress(nullptr);
    const bool failed = LastCommandFailed();
    const SimulationOutcome* outcome = simulation.LastOutcome();
    if (failed || !outcome) {
        std::cerr << "zarvento: the simulation did not run\n";
        return kExitCommandFailed;
    }
    if (outcome->preCalculated) std::cout << "pre-calculated: " << outcome->frames << " frames\n";
    if (outcome->ran)
        std::cout << (check ? "check run: " : "run: ") << outcome->points << " points, "
                  << (outcome->ending.empty() ? std::string("not ended") : outcome->ending) << "\n";
    bool error = !outcome->ran;
    for (const std::string& message : outcome->messages) {
        std::cout << message << "\n";
        error = error || message.rfind("Error:", 0) == 0;
    }
    std::cout << "stock: " << outcome->stockUnits << " units\n";
    if (PrintDepartures(*outcome)) error = true;
    if (printStock) std::cout << outcome->stock;
    if (!svgPath.empty()) {
        SimulationPicture picture = outcome->picture;
        picture.title = documentPath + ": " + picture.title +
                        (outcome->ending.empty() ? std::string() : " (" + outcome->ending + ")");
        for (char& c : picture.title)
            if (c == '\n') c = ' ';
        const FileWriteResult written = WriteFileAtomic(svgPath, SectionSvgText(picture));
        if (!written.ok) {
            std::cerr << "zarvento: cannot write " << svgPath << ": " << written.error << "\n";
            return kExitCommandFailed;
        }
    }
    return error ? kExitCommandFailed : kExitOk;
}

}  // namespace zarvento::app
