// zarvento: the command-line program, the headless host. It loads the
// Zarvento library module as the CAD host loads an add-in (libzarvento.so
// beside the program, or the file ZARVENTO_MODULE names), and its verbs reach
// the library only through the module's exports.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "host/verb_arguments.h"
#include "host/zarvento_module.h"
#include "platform/core/host_error.h"
#include "platform/core/host_version.h"
#include "platform/core/messages.h"
#include "platform/core/variant.h"
#include "platform/documents/document_file.h"
#include "platform/documents/drawing_document.h"
#include "platform/heap/program_heap.h"
#include "platform/host/redozu_object.h"
#include "platform/processes/host_registry.h"
#include "platform/processes/library_module.h"

namespace {

constexpr int kExitUsage = 2;
// The library module is missing, cannot be loaded or is not Zarvento's.
constexpr int kExitModule = 4;

constexpr const char* kModuleFileName = "libzarvento.so";
// The id every Zarvento library module answers.
constexpr unsigned int kZarventoLibraryId = 100;

const char* const kHostUsage =
    "usage: zarvento <command> [arguments]   (zarvento <command> --help: that command alone)\n"
    "\n"
    "commands:\n"
    "  help [<command>]\n"
    "             shows this text, or what one command does\n"
    "  version\n"
    "             shows the version\n"
    "  register\n"
    "             enters the library module under the host's add-in key in the\n"
    "             host's registry (its whole path, connected at start)\n"
    "  unregister\n"
    "             takes it out again\n"
    "  drawing <in>.rdd <out>.svg|.dxf\n"
    "             exports a drawing document (a sketch saved by the library) as\n"
    "             SVG (an A3 sheet, pictures embedded) or DXF R12 (no pictures)\n";

// The verbs the library module carries out, by the export that does each.
struct ModuleVerb {
    std::string_view name;
    const char* symbol;
};
constexpr ModuleVerb kModuleVerbs[] = {
    {"run", "ZarventoRunScript"},
    {"program", "ZarventoProgramJob"},
    {"simulate", "ZarventoSimulationJob"},
    {"tool-model", "ZarventoToolModel"},
    {"tool-contour", "ZarventoToolContour"},
    {"catalog", "ZarventoCatalog"},
    {"statistics", "ZarventoStatistics"},
    {"setup-sheet", "ZarventoSetupSheet"},
    {"export", "ZarventoExport"},
};
constexpr std::string_view kHostVerbs[] = {"help", "version", "register", "unregister", "drawing"};

const ModuleVerb* FindModuleVerb(std::string_view name) {
    for (const ModuleVerb& verb : kModuleVerbs)
        if (verb.name == name) return &verb;
    return nullptr;
}

bool IsVerb(std::string_view name) {
    for (std::string_view verb : kHostVerbs)
        if (verb == name) return true;
    return FindModuleVerb(name) != nullptr;
}

using zarvento::app::AsksForHelp;
using zarvento::app::IsHelpOption;
using zarvento::app::VerbArguments;
using zarvento::app::VerbSyntax;

// The program's own verbs.
const VerbSyntax kHelpSyntax{"usage: zarvento help [<command>]\n", {}, 0, 1};
const VerbSyntax kVersionSyntax{"usage: zarvento version\n"};
const VerbSyntax kRegisterSyntax{"usage: zarvento register\n"};
const VerbSyntax kUnregisterSyntax{"usage: zarvento unregister\n"};
const VerbSyntax kDrawingSyntax{"zarvento: drawing needs <in>.rdd <out>.svg|.dxf\n", {}, 2, 2};

// One verb's part of the help: the entries of the commands list that start
// with its name (the entry's first line, then its lines indented under it),
// and for run the script's statements.
std::string VerbHelp(std::string_view usage, std::string_view verb) {
    constexpr std::string_view kIndent = "             ";
    std::string help;
    bool inEntry = false;
    bool inScript = false;
    while (!usage.empty()) {
        const std::size_t end = usage.find('\n');
        const std::string_view line = usage.substr(0, end);
        usage = end == std::string_view::npos ? std::string_view() : usage.substr(end + 1);
        if (line.rfind("script (", 0) == 0) inScript = verb == "run";
        if (inScript) {
            if (line.rfind("environment:", 0) == 0) break;
            help += std::string(line) + "\n";
            continue;
        }
        if (line.rfind(kIndent, 0) == 0) {
            if (inEntry) help += std::string(line) + "\n";
            continue;
        }
        const std::string_view rest =
            line.size() > 2 && line.substr(0, 2) == "  " ? line.substr(2) : std::string_view();
        inEntry = rest.rfind(verb, 0) == 0 && (rest.size() == verb.size() || rest[verb.size()] == ' ');
        if (inEntry) help += "usage: zarvento " + std::string(rest) + "\n";
    }
    return help + "\n(zarvento help: every command, the environment and the exit codes)\n";
}

const char* const kHostNotes =
    "\n"
    "environment: ZARVENTO_MODULE names the library module to load (by default\n"
    "libzarvento.so beside the program); ZARVENTO_HOST_VERSION sets the version\n"
    "the host reports (23 by default; an older one than 16.1 is refused by the\n"
    "library when it loads); ZARVENTO_REGISTRY names the host's registry file\n"
    "(by default beside the settings, in $XDG_CONFIG_HOME/zarvento or\n"
    "~/.config/zarvento)\n"
    "\n"
    "exit codes: 0 success, 1 a command failed (run: a command reported a\n"
    "failure, a panel refused a field, no operation at an index, an operation\n"
    "created with an error, an operation the script made or edited ends with\n"
    "a message, the plan tree's control is not registered), 2 wrong usage or\n"
    "a script line that cannot be read, 3 the document file is missing,\n"
    "damaged, not a part, of a newer version, in use by another run, or cannot\n"
    "be saved, 4 the library module is missing, cannot be loaded or is not\n"
    "Zarvento's\n";

// The host's own verb: a drawing document exported.
int ExportDrawingFile(int argc, char** argv) {
    VerbArguments args;
    if (!args.Read(kDrawingSyntax, argc, argv)) return args.ExitStatus();
    const std::string& in = args.Plain()[0];
    const std::string& out = args.Plain()[1];
    zarvento::HostDocumentPtr doc;
    try {
        doc = zarvento::DocumentFile::Read(in);
        if (doc->Type() != zarvento::DocumentType::Drawing2D)
            throw zarvento::HostError(zarvento::E_INVALIDARG_, in + " is not a drawing");
    } catch (const zarvento::HostError& e) {
        std::cerr << "zarvento: " << e.Message() << "\n";
        return 3;
    }
    try {
        zarvento::ExportDrawing(zarvento::DrawingOf(*doc), out);
    } catch (const zarvento::HostError& e) {
        std::cerr << "zarvento: " << e.Message() << "\n";
        return 1;
    }
    std::cout << out << "\n";
    return 0;
}

using Verb = int (*)(int, char**);
using UsageFunction = const char* (*)();
using RegisterFunction = std::uint32_t (*)();

std::filesystem::path ModuleFile() {
    if (const char* named = std::getenv("ZARVENTO_MODULE"); named && *named) return named;
    return zarvento::HostExecutablePath().replace_filename(kModuleFileName);
}

// The host's version from ZARVENTO_HOST_VERSION ("major" or four numbers
// with dots); false when it cannot be read.
bool TakeHostVersion() {
    const char* text = std::getenv("ZARVENTO_HOST_VERSION");
    if (!text || !*text) return true;
    zarvento::HostVersion version{0, 0, 0, 0};
    std::string_view rest = text;
    for (std::size_t k = 0; k < version.size() && !rest.empty(); ++k) {
        const std::size_t dot = rest.find('.');
        if (!zarvento::ParseInt(rest.substr(0, dot), version[k])) return false;
        rest = dot == std::string_view::npos ? std::string_view() : rest.substr(dot + 1);
    }
    if (!rest.empty()) return false;
    zarvento::SetHostVersion(version);
    return true;
}

// The library module, loaded and checked to be Zarvento's; null after a
// message on the standard error.
std::unique_ptr<zarvento::LibraryModule> LoadZarvento() {
    const std::filesystem::path file = ModuleFile();
    std::string error;
    auto module = zarvento::LibraryModule::Load(file, error);
    if (!module) {
        std::cerr << "zarvento: " << error << "\n";
        return nullptr;
    }
    bool complete = module->LibraryId() == kZarventoLibraryId && module->Symbol("ZarventoUsage");
    for (const ModuleVerb& verb : kModuleVerbs) complete = complete && module->Symbol(verb.symbol);
    if (!complete) {
        std::cerr << "zarvento: " << file.string() << " is not the Zarvento library module\n";
        return nullptr;
    }
    return module;
}

}  // namespace

int main(int argc, char** argv) {
    zarvento::SetUpProgramHeap();
    const std::string_view command = argc < 2 ? std::string_view() : std::string_view(argv[1]);
    if (command.empty() || (!IsVerb(command) && command != "--version" && !IsHelpOption(command))) {
        if (command.empty())
            std::cerr << "usage: zarvento <command> [arguments]; zarvento help lists the commands\n";
        else
            std::cerr << "zarvento: unknown command '" << command << "'; zarvento help lists the commands\n";
        return kExitUsage;
    }
    if ((command == "version" && !AsksForHelp(argc, argv)) || command == "--version") {
        VerbArguments args;
        if (command == "version" && !args.Read(kVersionSyntax, argc, argv)) return args.ExitStatus();
        std::cout << "zarvento 0.1\n";
        return 0;
    }
    if (!TakeHostVersion()) {
        std::cerr << "zarvento: ZARVENTO_HOST_VERSION is one to four whole numbers with dots between\n";
        return kExitUsage;
    }
    // What the library says while it loads (an older host's refusal) is shown
    // as it comes; each verb then prints its messages its own way.
    zarvento::MessageLog::Instance().SetEcho([](const zarvento::MessageEntry& e) {
        std::cerr << zarvento::MessageRoleName(e.role) << ": " << e.text << "\n";
    });
    std::unique_ptr<zarvento::LibraryModule> module = LoadZarvento();
    if (!module) return kExitModule;
    const std::string usage =
        std::string(kHostUsage) + reinterpret_cast<UsageFunction>(module->Symbol("ZarventoUsage"))() + kHostNotes;
    if (command == "help" || IsHelpOption(command)) {
        // "help --help" is the help of help.
        const bool ofHelp = argc == 3 && IsHelpOption(argv[2]);
        VerbArguments args;
        if (!ofHelp && !args.Read(kHelpSyntax, argc, argv)) return args.ExitStatus();
        if (!ofHelp && args.Plain().empty()) {
            std::cout << usage;
            return 0;
        }
        const std::string_view about = ofHelp ? std::string_view("help") : std::string_view(args.Plain()[0]);
        if (!IsVerb(about)) {
            std::cerr << "zarvento: unknown command '" << about << "'; zarvento help lists the commands\n";
            return kExitUsage;
        }
        std::cout << VerbHelp(usage, about);
        return 0;
    }
    if (AsksForHelp(argc, argv)) {
        std::cout << VerbHelp(usage, command);
        return 0;
    }
    if (command == "drawing") return ExportDrawingFile(argc, argv);
    if (command == "register" || command == "unregister") {
        VerbArguments args;
        if (!args.Read(command == "register" ? kRegisterSyntax : kUnregisterSyntax, argc, argv))
            return args.ExitStatus();
        try {
            zarvento::HostRegistry::Instance().Open(zarvento::DefaultRegistryFile());
        } catch (const zarvento::HostError& e) {
            std::cerr << "zarvento: the host's registry cannot be read: " << e.Message() << "\n";
            return 1;
        }
        const char* name = command == "register" ? "DllRegisterServer" : "DllUnregisterServer";
        const std::uint32_t result = reinterpret_cast<RegisterFunction>(module->Symbol(name))();
        if (result != 0) {
            std::cerr << "zarvento: " << name << " failed (0x" << std::hex << result << ")\n";
            return 1;
        }
        std::cout << (command == "register" ? "registered " : "unregistered ") << module->File().string() << " in "
                  << zarvento::HostRegistry::Instance().File().string() << "\n";
        return 0;
    }
    // The servers the library starts by class id (the materials reference)
    // are found in the host's registry. One that cannot be read costs those
    // servers only, never the command.
    try {
        zarvento::HostRegistry::Instance().Open(zarvento::DefaultRegistryFile());
    } catch (const zarvento::HostError& e) {
        std::cerr << "zarvento: " << e.Message() << "; servers registered there are not found\n";
    }
    const ModuleVerb* verb = FindModuleVerb(command);
    if (!verb) {
        std::cerr << "zarvento: unknown command '" << command << "'; zarvento help lists the commands\n";
        return kExitUsage;
    }
    const int status = reinterpret_cast<Verb>(module->Symbol(verb->symbol))(argc, argv);
    // An echo a verb left behind is code of the library: it goes before the
    // library does. The library is unloaded (its detach step runs) while the
    // host is still there.
    zarvento::MessageLog::Instance().SetEcho(nullptr);
    module.reset();
    return status;
}
