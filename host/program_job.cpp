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
#include "operations/checked_program.h"
#include "operations/finishing_engagement.h"
#include "operations/turn.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/host_error.h"
#include "platform/core/messages.h"
#include "platform/documents/host_application.h"
#include "post/post_processor.h"

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

// Why the program is refused: each operation's message with its working
// contour, then the faults of the text.
void ReportRefusal(const ProgramVerdict& verdict) {
    for (const ProgramFault& f : verdict.faults)
        if (f.index >= 0)
            std::cerr << "operation " << f.index << " \"" << f.name << "\": " << f.text
                      << (f.op ? WorkingContourText(*f.op) : std::string()) << "\n";
    for (const ProgramFault& f : verdict.faults)
        if (f.index < 0) std::cerr << "zarvento: " << f.text << "\n";
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

    std::size_t lineCount = 0;
    try {
        CPLAN& plan = *GetPLAN();
        // The synchronisation rebuilds the plan from the document's records
        // and calculates every operation, once.
        plan.Synchronize();
        if (plan.GetTurnCount() == 0) {
            std::cerr << "zarvento: the plan of " << documentPath << " has no operations\n";
            return kExitCommandFailed;
        }
        ReportExcessEngagement(plan);
        const CPostProcessor* post = GetSPID()->GetPostProcessor();
        std::cerr << "post-processor: " << (post != nullptr ? post->GetName() : std::string("(none)")) << "\n";
        // No path builder is trusted with the part: the program is judged as
        // it will be saved, and saved only when judged right.
        CheckedProgram program;
        const bool made = program.Make();
        for (const std::string& line : program.Console()) std::cerr << "script: " << line << "\n";
        if (!made) {
            ReportRefusal(program.Verdict());
            std::cerr << "zarvento: an operation has no moves in the program, or the program as written cuts into "
                         "the part, runs into the stock or cannot be read; no program is written\n";
            return kExitCommandFailed;
        }
        if (!program.Save(outputPath)) {
            // The writer's reason names the file (where a link led, too).
            std::cerr << "zarvento: cannot write the NC program: " << program.SaveError() << "\n";
            return kExitCommandFailed;
        }
        lineCount = program.Lines().size();
    } catch (const HostError& e) {
        std::cerr << "zarvento: " << e.Message() << "\n";
        return kExitCommandFailed;
    } catch (const std::exception& e) {
        std::cerr << "zarvento: " << e.what() << "\n";
        return kExitCommandFailed;
    }
    std::cout << "NC program: " << outputPath << " (" << lineCount << " lines)\n";
    return kExitOk;
}

}  // namespace zarvento::app
