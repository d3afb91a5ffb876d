// The "setup-sheet" and "export" commands of the program.
#include "host/document_jobs.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "host/headless_session.h"
#include "host/script_run.h"
#include "host/verb_arguments.h"
#include "plan/command_door.h"
#include "plan/plan.h"
#include "platform/core/host_error.h"
#include "platform/core/messages.h"
#include "platform/documents/drawing_document.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_documents.h"
#include "reports/plan_export.h"
#include "reports/setup_sheet.h"

namespace zarvento::app {

const char* const kDocumentJobsUsage =
    "  setup-sheet <document> [-o <file>]\n"
    "             the setup sheet of the part's plan (\"Карта наладки...\": the\n"
    "             part's picture with the NC coordinate system, its mass and the\n"
    "             table \"Список переходов\") saved as <file>: .svg or .dxf\n"
    "             exported, .rdd a drawing document (by default the document's\n"
    "             name with \".svg\"). The document is not saved\n"
    "  export <document> <file>.xml\n"
    "             exports the part's plan to TECHPLAN (\"Записать в файл...\"):\n"
    "             a new file gets the XML of the export post-processor and the\n"
    "             folder of its name with the model, the sketches and the NC\n"
    "             program; onto an existing one the post-processor's script\n"
    "             merges the XML and names the steps to perform. The outcome is\n"
    "             printed; any other than \"Комплект документов сформирован\"\n"
    "             gives exit code 1\n";

namespace {

// Opens the part and reads its plan; the exit code when that fails.
int OpenPlan(const std::string& documentPath) {
    MessageLog::Instance().SetEcho(
        [](const MessageEntry& e) { std::cerr << MessageRoleName(e.role) << ": " << e.text << "\n"; });
    const HostDocumentPtr doc = OpenPartDocument(documentPath);
    if (!doc) return kExitDocument;
    RunLibraryCommand(-1, kActionSynchronize, -1);
    if (LastCommandFailed()) {
        std::cerr << "zarvento: the plan could not be read\n";
        return kExitCommandFailed;
    }
    return kExitOk;
}

}  // namespace

int RunSetupSheetJob(int argc, char** argv) {
    const VerbSyntax syntax{"usage: zarvento setup-sheet <document> [-o <file>]\n", {{"--output", "-o", true}}, 1, 1};
    VerbArguments args;
    if (!args.Read(syntax, argc, argv)) return args.ExitStatus();
    const std::string documentPath = args.Plain()[0];
    std::string outputPath = args.Value("--output");
    if (outputPath.empty()) outputPath = std::filesystem::path(documentPath).replace_extension(".svg").string();
    const std::string extension = std::filesystem::path(outputPath).extension().string();
    if (extension != ".svg" && extension != ".dxf" && extension != ".rdd") {
        std::cerr << "zarvento: the setup sheet is saved as .svg, .dxf or .rdd\n";
        return kExitUsage;
    }
    HeadlessSession session;
    if (const int status = OpenPlan(documentPath); status != kExitOk) return status;
    try {
        CreateSetupSheet(*GetPLAN());
        HostApplication& app = ConnectHostApplication();
        const HostDocumentPtr sheet = app.ActiveDocument();
        if (!sheet || sheet->Type() != DocumentType::Drawing2D) {
            std::cerr << "zarvento: no setup sheet was made\n";
            return kExitCommandFailed;
        }
        if (extension == ".rdd")
            sheet->SaveAs(outputPath);
        else
            ExportDrawing(DrawingOf(*sheet), outputPath);
    } catch (const HostError& e) {
        std::cerr << "zarvento: " << e.Message() << "\n";
        return kExitCommandFailed;
    }
    std::cout << "setup sheet: " << outputPath << "\n";
    return kExitOk;
}

int RunExportJob(int argc, char** argv) {
    const VerbSyntax syntax{"usage: zarvento export <document> <file>.xml\n", {}, 2, 2};
    VerbArguments args;
    if (!args.Read(syntax, argc, argv)) return args.ExitStatus();
    // The export keeps its names as the system stores paths, where a
    // backslash separates folders: a local name holding one would be
    // written somewhere else than it says.
    const std::string xmlPath = std::filesystem::absolute(args.Plain()[1]).string();
    if (xmlPath.find('\\') != std::string::npos) {
        std::cerr << "zarvento: the export's path \"" << xmlPath
                  << "\" holds a backslash, which the export would take for a folder separator; give a name "
                     "and a folder without one\n";
        return kExitUsage;
    }
    HeadlessSession session;
    if (const int status = OpenPlan(args.Plain()[0]); status != kExitOk) return status;
    std::string outcome;
    try {
        outcome = ExportPlan(*GetPLAN(), xmlPath);
    } catch (const HostError& e) {
        std::cerr << "zarvento: " << e.Message() << "\n";
        return kExitCommandFailed;
    }
    return outcome == kExportDone ? kExitOk : kExitCommandFailed;
}

}  // namespace zarvento::app
