// zarvento: the command-line program. It opens a part document and runs the
// library's commands on the headless host.
#include <cstring>
#include <exception>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <string_view>

#include "app/catalog_command.h"
#include "app/program_job.h"
#include "app/script_run.h"
#include "app/simulation_job.h"
#include "catalogs/param_tool.h"
#include "catalogs/tool_model_text.h"
#include "geometry/contour.h"
#include "geometry/contour_script.h"
#include "platform/host_application.h"
#include "platform/host_error.h"
#include "platform/messages.h"
#include "platform/variant.h"

namespace {

std::string Usage() {
    return std::string(
               "usage: zarvento <command> [arguments]\n"
               "\n"
               "commands:\n"
               "  help       show this text\n"
               "  version    show the version\n") +
           zarvento::app::kProgramUsage + zarvento::app::kRunUsage + zarvento::app::kSimulateUsage +
           zarvento::app::kCatalogUsage +
           "  tool-model <text> <document>\n"
           "             makes a tool model document from the model's text form\n"
           "  tool-contour <model> [M3|M4] [angle]\n"
           "             the 2D contour of a tool from its model (a document file, or\n"
           "             the model's text form, read into a temporary document), for a\n"
           "             spindle direction (M3 by default) and a mounting angle (90)\n"
           "\n" +
           zarvento::app::ScriptHelp() +
           "\n"
           "exit codes: 0 success, 1 a command failed (run: a command reported a\n"
           "failure, a panel refused a field, no operation at an index, an operation\n"
           "created with an error), 2 wrong usage or a script line that cannot be\n"
           "read, 3 the document file is missing, damaged, not a part, of a newer\n"
           "version, in use by another run, or cannot be saved\n";
}

int ToolContour(int argc, char** argv) {
    using namespace zarvento;
    if (argc < 3 || argc > 5) {
        std::cerr << Usage();
        return 2;
    }
    std::string model = argv[2];
    ParamTool tool;
    tool.Angle = 90;
    if (argc > 3) {
        const std::string_view m = argv[3];
        if (m != "M3" && m != "M4") {
            std::cerr << "zarvento: the spindle direction is M3 or M4, not '" << m << "'\n";
            return 2;
        }
        tool.M34 = m == "M3" ? 3 : 4;
    }
    if (argc > 4 && !ParseDouble(argv[4], tool.Angle)) {
        std::cerr << "zarvento: the angle '" << argv[4] << "' is not a number\n";
        return 2;
    }
    MessageLog::Instance().SetEcho([](const MessageEntry& e) { std::cerr << e.caption << ": " << e.text << "\n"; });
    std::filesystem::path temp;
    try {
        if (std::filesystem::path(model).extension() != ".rdp") {
            temp = std::filesystem::temp_directory_path() /
                   ("zarvento-tool-" + std::to_string(std::hash<std::string>{}(model)) + ".rdp");
            ToolModelText::Convert(model, temp.string());
            model = temp.string();
        }
        ConnectHostApplication();
        tool.sToolName = "tool";
        tool.sWorkFile = model;
        tool.ReadModelVariablesFromFile();
        tool.CreateToolContour();
    } catch (const zarvento::HostError& e) {
        std::cerr << "zarvento: " << e.Message() << "\n";
        if (!temp.empty()) std::filesystem::remove(temp);
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "zarvento: " << e.what() << "\n";
        if (!temp.empty()) std::filesystem::remove(temp);
        return 1;
    }
    if (!temp.empty()) std::filesystem::remove(temp);
    if (!tool.pContour) {
        std::cerr << "zarvento: the model gives no contour\n";
        return 1;
    }
    std::cout << ContourScriptText(*tool.pContour);
    return 0;
}

int ToolModel(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << Usage();
        return 2;
    }
    try {
        zarvento::ConnectHostApplication();
        zarvento::ToolModelText::Convert(argv[2], argv[3]);
    } catch (const zarvento::HostError& e) {
        std::cerr << "zarvento: " << e.Message() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "zarvento: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << Usage();
        return 2;
    }
    const std::string_view command = argv[1];
    if (command == "help" || command == "--help" || command == "-h") {
        std::cout << Usage();
        return 0;
    }
    if (command == "version" || command == "--version") {
        std::cout << "zarvento 0.1\n";
        return 0;
    }
    if (command == "tool-contour") return ToolContour(argc, argv);
    if (command == "tool-model") return ToolModel(argc, argv);
    if (command == "catalog") return zarvento::app::RunCatalog(argc, argv);
    if (command == "run") return zarvento::app::RunScript(argc, argv);
    if (command == "program") return zarvento::app::RunProgramJob(argc, argv);
    if (command == "simulate") return zarvento::app::RunSimulationJob(argc, argv);
    std::cerr << "zarvento: unknown command '" << command << "'\n" << Usage();
    return 2;
}
