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
#include "operations/finishing_engagement.h"
#include "operations/path_clearance.h"
#include "operations/turn.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/host_application.h"
#include "platform/host_error.h"
#include "platform/messages.h"
#include "post/post_processor.h"
#include "post/program.h"

namespace zarvento::app {

const char* const kProgramUsage =
    "  program <document> [-o <file>]\n"
    "             the main job: opens the part document, synchronises and\n"
    "             recalculates its plan, and writes the NC program of the plan's\n"
    "             post-processor (through its Python script when the description\n"
    "             asks for it) to <file> (by default the document's name with\n"
    "             \".nc\"); operation messages are reported, and a failed\n"
    "             operation, script or save gives exit code 1\n";

int RunProgramJob(int argc, char** argv) {
    std::string documentPath, outputPath;
    for (int k = 2; k < argc; ++k) {
        const std::string_view arg = argv[k];
        if ((arg == "-o" || arg == "--output") && k + 1 < argc) {
            outputPath = argv[++k];
        } else if (!arg.empty() && arg[0] != '-' && documentPath.empty()) {
            documentPath = arg;
        } else {
            std::cerr << "usage: zarvento program <document> [-o <file>]\n";
            return kExitUsage;
        }
    }
    if (documentPath.empty()) {
        std::cerr << "usage: zarvento program <document> [-o <file>]\n";
        return kExitUsage;
    }
    if (outputPath.empty()) outputPath = std::filesystem::path(documentPath).replace_extension(".nc").string();

    HeadlessSession session;
    MessageLog::Instance().SetEcho(
        [](const MessageEntry& e) { std::cerr << MessageRoleName(e.role) << ": " << e.text << "\n"; });

    const HostDocumentPtr doc = OpenPartDocument(documentPath);
    if (!doc) return kExitDocument;

    bool failed = false;
    std::vector<std::string> lines;
    try {
        CPLAN& plan = *GetPLAN();
        // The synchronisation rebuilds the plan from the document's records
        // and recalculates every operation.
        plan.Synchronize();
        for (int i = 0; i < plan.GetTurnCount(); ++i) {
            const PlanTurn* op = plan.GetTurn(i);
            if (op->isExclude || !op->HasMessage()) continue;
            std::cerr << "operation " << i << " \"" << op->GetNameTurn() << "\": " << op->messageText << "\n";
            // A warned operation is reported; one with an error has no path
            // in the program, which is then not the plan's.
            failed = failed || op->HasErrorMessage();
        }
        if (plan.GetTurnCount() == 0) {
            std::cerr << "zarvento: the plan of " << documentPath << " has no operations\n";
            return kExitCommandFailed;
        }
        // No path builder is trusted with the part: every calculated path is
        // measured against the part and the stock before anything is written.
        bool intrudes = false;
        for (int i = 0; i < plan.GetTurnCount(); ++i) {
            auto* op = dynamic_cast<CTurn*>(plan.GetTurn(i));
            if (!op || !op->IsActive() || CheckPathClearance(*op)) continue;
            std::cerr << "operation " << i << " \"" << op->GetNameTurn() << "\": " << op->messageText << "\n";
            intrudes = true;
        }
        if (intrudes) {
            std::cerr << "zarvento: a tool path cuts into the part or runs into the stock; no program is written\n";
            return kExitCommandFailed;
        }
        // A finishing pass that meets more stock than one pass takes: said,
        // not held against the operation (a message would drop its path).
        for (int i = 0; i < plan.GetTurnCount(); ++i) {
            const auto* op = dynamic_cast<const CTurn*>(plan.GetTurn(i));
            if (!op) continue;
            if (const auto excess = FindExcessEngagement(*op))
                std::cerr << "engagement: operation " << i << " \"" << op->GetNameTurn() << "\": " << excess->Describe()
                          << "\n";
        }
        const CPostProcessor* post = GetSPID()->GetPostProcessor();
        std::cerr << "post-processor: " << (post != nullptr ? post->GetName() : std::string("(none)")) << "\n";
        CPROGRAM program;
        program.Load();
        RadiusCorrectionOff machineCompensates(program);
        program.CreateProgram();
        std::vector<std::string> console;
        const bool made = program.MakeProgramText(lines, &console);
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
    return failed ? kExitCommandFailed : kExitOk;
}

}  // namespace zarvento::app
