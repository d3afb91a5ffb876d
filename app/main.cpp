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

#include "host/zarvento_module.h"
#include "platform/document_file.h"
#include "platform/drawing_document.h"
#include "platform/heap/program_heap.h"
#include "platform/host_error.h"
#include "platform/host_registry.h"
#include "platform/host_version.h"
#include "platform/library_module.h"
#include "platform/messages.h"
#include "platform/redozu_object.h"
#include "platform/variant.h"

namespace {

constexpr int kExitUsage = 2;
// The library module is missing, cannot be loaded or is not Zarvento's.
constexpr int kExitModule = 4;

constexpr const char* kModuleFileName = "libzarvento.so";
// The id every Zarvento library module answers.
constexpr unsigned int kZarventoLibraryId = 100;

const char* const kHostUsage =
    "usage: zarvento <command> [arguments]\n"
    "\n"
    "commands:\n"
    "  help       show this text\n"
    "  version    show the version\n"
    "  register   enters the library module under the host's add-in key in the\n"
    "             host's registry (its whole path, connected at start)\n"
    "  unregister takes it out again\n"
    "  drawing <in>.rdd <out>.svg|.dxf\n"
    "             exports a drawing document (a sketch saved by the library) as\n"
    "             SVG (an A3 sheet, pictures embedded) or DXF R12 (no pictures)\n";

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
    "created with an error), 2 wrong usage or a script line that cannot be\n"
    "read, 3 the document file is missing, damaged, not a part, of a newer\n"
    "version, in use by another run, or cannot be saved, 4 the library module\n"
    "is missing, cannot be loaded or is not Zarvento's\n";

// The host's own verb: a drawing document exported.
int ExportDrawingFile(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "zarvento: drawing needs <in>.rdd <out>.svg|.dxf\n";
        return kExitUsage;
    }
    zarvento::HostDocumentPtr doc;
    try {
        doc = zarvento::DocumentFile::Read(argv[2]);
        if (doc->Type() != zarvento::DocumentType::Drawing2D)
            throw zarvento::HostError(zarvento::E_INVALIDARG_, std::string(argv[2]) + " is not a drawing");
    } catch (const zarvento::HostError& e) {
        std::cerr << "zarvento: " << e.Message() << "\n";
        return 3;
    }
    try {
        zarvento::ExportDrawing(zarvento::DrawingOf(*doc), argv[3]);
    } catch (const zarvento::HostError& e) {
        std::cerr << "zarvento: " << e.Message() << "\n";
        return 1;
    }
    std::cout << argv[3] << "\n";
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
    for (const char* name : {"ZarventoRunScript", "ZarventoProgramJob", "ZarventoSimulationJob", "ZarventoToolModel",
                             "ZarventoToolContour", "ZarventoCatalog", "ZarventoStatistics", "ZarventoUsage"}) {
        if (module->LibraryId() != kZarventoLibraryId || !module->Symbol(name)) {
            std::cerr << "zarvento: " << file.string() << " is not the Zarvento library module\n";
            return nullptr;
        }
    }
    return module;
}

}  // namespace

int main(int argc, char** argv) {
    zarvento::SetUpProgramHeap();
    const std::string_view command = argc < 2 ? std::string_view() : std::string_view(argv[1]);
    if (command == "version" || command == "--version") {
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
    if (command == "help" || command == "--help" || command == "-h") {
        std::cout << usage;
        return 0;
    }
    if (command == "drawing") return ExportDrawingFile(argc, argv);
    if (command == "register" || command == "unregister") {
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
    const char* verb = command == "run"            ? "ZarventoRunScript"
                       : command == "program"      ? "ZarventoProgramJob"
                       : command == "simulate"     ? "ZarventoSimulationJob"
                       : command == "tool-model"   ? "ZarventoToolModel"
                       : command == "tool-contour" ? "ZarventoToolContour"
                       : command == "catalog"      ? "ZarventoCatalog"
                       : command == "statistics"   ? "ZarventoStatistics"
                       : command == "setup-sheet"  ? "ZarventoSetupSheet"
                       : command == "export"       ? "ZarventoExport"
                                                   : nullptr;
    if (!verb) {
        if (!command.empty()) std::cerr << "zarvento: unknown command '" << command << "'\n";
        std::cerr << usage;
        return kExitUsage;
    }
    const int status = reinterpret_cast<Verb>(module->Symbol(verb))(argc, argv);
    // An echo a verb left behind is code of the library: it goes before the
    // library does. The library is unloaded (its detach step runs) while the
    // host is still there.
    zarvento::MessageLog::Instance().SetEcho(nullptr);
    module.reset();
    return status;
}
