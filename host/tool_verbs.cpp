// The tool verbs of the program.
#include "host/tool_verbs.h"

#include <exception>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <string_view>

#include "catalogs/param_tool.h"
#include "catalogs/tool_model_text.h"
#include "geometry/contour.h"
#include "geometry/contour_script.h"
#include "host/headless_session.h"
#include "host/script_run.h"
#include "host/verb_arguments.h"
#include "platform/core/host_error.h"
#include "platform/core/host_folder.h"
#include "platform/core/messages.h"
#include "platform/core/variant.h"
#include "platform/documents/host_application.h"

namespace zarvento::app {

const char* const kToolUsage =
    "  tool-model <text> <document>\n"
    "             makes a tool model document from the model's text form\n"
    "  tool-contour <model> [M3|M4] [angle]\n"
    "             the 2D contour of a tool from its model (a document file, or\n"
    "             the model's text form, read into a temporary document), for a\n"
    "             spindle direction (M3 by default) and a mounting angle (90)\n";

int RunToolContour(int argc, char** argv) {
    const VerbSyntax syntax{"usage: zarvento tool-contour <model> [M3|M4] [angle]\n", {}, 1, 3};
    VerbArguments args;
    if (!args.Read(syntax, argc, argv)) return args.ExitStatus();
    const std::vector<std::string>& plain = args.Plain();
    HeadlessSession session;
    std::string model = plain[0];
    ParamTool tool;
    tool.Angle = 90;
    if (plain.size() > 1) {
        const std::string_view m = plain[1];
        if (m != "M3" && m != "M4") {
            std::cerr << "zarvento: the spindle direction is M3 or M4, not '" << m << "'\n";
            return kExitUsage;
        }
        tool.M34 = m == "M3" ? 3 : 4;
    }
    if (plain.size() > 2 && !ParseDouble(plain[2], tool.Angle)) {
        std::cerr << "zarvento: the angle '" << plain[2] << "' is not a number\n";
        return kExitUsage;
    }
    MessageLog::Instance().SetEcho([](const MessageEntry& e) { std::cerr << e.caption << ": " << e.text << "\n"; });
    std::filesystem::path temp;
    try {
        if (std::filesystem::path(model).extension() != ".rdp") {
            // In the host's folder, which only this user may enter.
            temp = HostFolder() / ("zarvento-tool-" + std::to_string(std::hash<std::string>{}(model)) + ".rdp");
            ToolModelText::Convert(model, temp.string());
            model = temp.string();
        }
        ConnectHostApplication();
        tool.sToolName = "tool";
        tool.sWorkFile = model;
        tool.ReadModelVariablesFromFile();
        tool.CreateToolContour();
    } catch (const HostError& e) {
        std::cerr << "zarvento: " << e.Message() << "\n";
        if (!temp.empty()) std::filesystem::remove(temp);
        return kExitCommandFailed;
    } catch (const std::exception& e) {
        std::cerr << "zarvento: " << e.what() << "\n";
        if (!temp.empty()) std::filesystem::remove(temp);
        return kExitCommandFailed;
    }
    if (!temp.empty()) std::filesystem::remove(temp);
    if (!tool.pContour) {
        std::cerr << "zarvento: the model gives no contour\n";
        return kExitCommandFailed;
    }
    std::cout << ContourScriptText(*tool.pContour);
    return kExitOk;
}

int RunToolModel(int argc, char** argv) {
    const VerbSyntax syntax{"usage: zarvento tool-model <text> <document>\n", {}, 2, 2};
    VerbArguments args;
    if (!args.Read(syntax, argc, argv)) return args.ExitStatus();
    HeadlessSession session;
    try {
        ConnectHostApplication();
        ToolModelText::Convert(args.Plain()[0], args.Plain()[1]);
    } catch (const HostError& e) {
        std::cerr << "zarvento: " << e.Message() << "\n";
        return kExitCommandFailed;
    } catch (const std::exception& e) {
        std::cerr << "zarvento: " << e.what() << "\n";
        return kExitCommandFailed;
    }
    return kExitOk;
}

}  // namespace zarvento::app
