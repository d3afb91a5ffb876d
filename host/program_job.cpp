// The "program" command of the program: the NC program of a part's plan,
// made with the plan's post-processor (and its script when it has one).
#include "host/program_job.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "host/headless_session.h"
#include "host/script_run.h"
#include "host/verb_arguments.h"
#include "operations/finishing_engagement.h"
#include "operations/path_clearance.h"
#include "operations/turn.h"
#include "operations/written_program_check.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/host_error.h"
#include "platform/core/messages.h"
#include "platform/documents/host_application.h"
#include "post/post_processor.h"
#include "post/program.h"

namespace zarvento::app {

const char* const kProgramUsage =
    "  program <document> [-o <file>]\n"
    "             the main job: opens the part document, synchronises and\n"
    "             recalculates its plan, and writes the NC program of the plan's\n"
    "             post-processor (through its Python script when the description\n"
    "             asks for it) to <file> (by default the document's name with\n"
    "             \".nc\"); operation messages are reported; an operation\n"
    "             left without its moves (by an error or a warning), a program\n"
    "             that as written cuts into the part or the stock, a failed\n"
    "             script or save gives exit code 1 and writes no program\n";

namespace {

// The units of the part's section the operation's working contour is chosen
// from, as its work field names them: what to change when its path is refused.
std::string WorkingContourText(const CTurn& op) {
    if (!op.workChoice) return {};
    std::string units;
    const int n = op.workChoice->Count();
    for (int i = 0; i < n;) {
        if (!op.workChoice->GetUnit(i)->Selected) {
            ++i;
            continue;
        }
        int last = i;
        while (last + 1 < n && op.workChoice->GetUnit(last + 1)->Selected) ++last;
        units += (units.empty() ? "" : ",") + std::to_string(i) + (last > i ? "-" + std::to_string(last) : "");
        i = last + 1;
    }
    if (units.empty()) return {};
    return " (its working contour: units " + units + " of the part's section, work=" + units + ")";
}

// The messages of the operations that have one, with their working contours.
void ReportOperationMessages(const CPLAN& plan) {
    for (int i = 0; i < plan.GetTurnCount(); ++i) {
        const PlanTurn* op = plan.GetTurn(i);
        if (op->isExclude || !op->HasMessage()) continue;
        const auto* turn = dynamic_cast<const CTurn*>(op);
        std::cerr << "operation " << i << " \"" << op->GetNameTurn() << "\": " << op->messageText
                  << (turn ? WorkingContourText(*turn) : std::string()) << "\n";
    }
}

bool AnyOperationHasMessage(const CPLAN& plan) {
    bool missing = false;
    for (int i = 0; i < plan.GetTurnCount(); ++i)
        missing = missing || (!plan.GetTurn(i)->isExclude && plan.GetTurn(i)->HasMessage());
    return missing;
}

// Whether a path the machine compensates cuts into the part, checked as
// calculated (each such path is checked and reports its own fault).
bool CompensatedPathIntrudes(CPLAN& plan) {
    bool intrudes = false;
    for (int i = 0; i < plan.GetTurnCount(); ++i) {
        auto* op = dynamic_cast<CTurn*>(plan.GetTurn(i));
        if (op && op->IsActive() && op->MachineCompensatesRadius() && !CheckPathClearance(*op)) intrudes = true;
    }
    return intrudes;
}

// A finishing pass that meets more stock than one pass takes: said, not
// held against the operation (a message would drop its path).
void ReportExcessEngagement(const CPLAN& plan) {
    for (int i = 0; i < plan.GetTurnCount(); ++i) {
        const auto* op = dynamic_cast<const CTurn*>(plan.GetTurn(i));
        if (!op) continue;
        if (const auto excess = FindExcessEngagement(*op))
            std::cerr << "engagement: operation " << i << " \"" << op->GetNameTurn() << "\": " << excess->Describe()
                      << "\n";
    }
}

}  // namespace

int RunProgramJob(int argc, char** argv) {
    const VerbSyntax syntax{"usage: zarvento program <document> [-o <file>]\n", {{"--output", "-o", true}}, 1, 1};
    VerbArguments args;
    if (!args.Read(syntax, argc, argv)) return args.ExitStatus();
    const std::string documentPath = args.Plain()[0];
    std::string outputPath = args.Value("--output");
    if (outputPath.empty()) outputPath = std::filesystem::path(documentPath).replace_extension(".nc").string();

    HeadlessSession session;
    MessageLog::Instance().SetEcho(
        [](const MessageEntry& e) { std::cerr << MessageRoleName(e.role) << ": " << e.text << "\n"; });

    const HostDocumentPtr doc = OpenPartDocument(documentPath);
    if (!doc) return kExitDocument;

    std::vector<std::string> lines;
    try {
        CPLAN& plan = *GetPLAN();
        // The synchronisation rebuilds the plan from the document's records
        // and recalculates every operation.
        plan.Synchronize();
        if (plan.GetTurnCount() == 0) {
            std::cerr << "zarvento: the plan of " << documentPath << " has no operations\n";
            return kExitCommandFailed;
        }
        // An operation with a message, a warning included, stands in the
        // program by its heading alone: a program without the moves of an
        // operation the plan holds is not the plan's (the pass after a
        // dropped roughing would take the whole bar), and none is written.
        if (AnyOperationHasMessage(plan)) {
            ReportOperationMessages(plan);
            std::cerr << "zarvento: an operation has no moves in the program; no program is written\n";
            return kExitCommandFailed;
        }
        // No path builder is trusted with the part: the program is checked
        // as written, before anything is saved. A path the machine
        // compensates (G41/G42) is written without the nose's offset; its
        // corrected path is checked as calculated.
        const bool intrudes = CompensatedPathIntrudes(plan);
        ReportExcessEngagement(plan);
        const CPostProcessor* post = GetSPID()->GetPostProcessor();
        std::cerr << "post-processor: " << (post != nullptr ? post->GetName() : std::string("(none)")) << "\n";
        if (intrudes) {
            ReportOperationMessages(plan);
            std::cerr << "zarvento: a tool path cuts into the part or runs into the stock; no program is written\n";
            return kExitCommandFailed;
        }
        CPROGRAM program;
        program.Load();
        RadiusCorrectionOff machineCompensates(program);
        program.CreateProgram();
        bool judged = true;
        std::vector<std::string> faults, console;
        const bool made = program.MakeProgramText(lines, &console, [&](const std::vector<std::string>& text) {
            judged = CheckWrittenProgram(program, text, faults);
            return judged;
        });
        if (!judged) {
            // The messages now, before the corrections come back and the
            // plan is calculated again.
            ReportOperationMessages(plan);
            for (const std::string& fault : faults) std::cerr << "zarvento: " << fault << "\n";
            std::cerr << "zarvento: the program as written cuts into the part, runs into the stock or lacks an "
                         "operation's moves; no program is written\n";
            return kExitCommandFailed;
        }
        for (const std::string& line : console) std::cerr << "script: " << line << "\n";
        // Frame texts that were to go through a script are no program.
        if (!made) lines.clear();
        if (!lines.empty() && !program.SaveProgramFile(outputPath, lines)) {
            // The writer's reason names the file (where a link led, too).
            std::cerr << "zarvento: cannot write the NC program: " << program.SaveError() << "\n";
            return kExitCommandFailed;
        }
    } catch (const HostError& e) {
        std::cerr << "zarvento: " << e.Message() << "\n";
        return kExitCommandFailed;
    } catch (const std::exception& e) {
        std::cerr << "zarvento: " << e.what() << "\n";
        return kExitCommandFailed;
    }
    if (lines.empty()) {
        std::cerr << "zarvento: no NC program was made\n";
        return kExitCommandFailed;
    }
    std::cout << "NC program: " << outputPath << " (" << lines.size() << " lines)\n";
    return kExitOk;
}

}  // namespace zarvento::app
