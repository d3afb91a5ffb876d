// materials-reference: the materials reference server. Started by the host
// when a client creates its class, it answers over its standard input and
// output; its other commands build its database from the text table and
// register it with the host.
#include <iostream>
#include <string>
#include <vector>

#include "catalogs/reference/material_table.h"
#include "catalogs/reference/reference_objects.h"
#include "platform/core/text_file.h"
#include "platform/core/utf8_text.h"
#include "platform/processes/component_registry.h"
#include "platform/processes/host_environment.h"
#include "platform/processes/host_registry.h"
#include "platform/processes/local_server.h"

namespace {

namespace ref = zarvento::reference;

constexpr const char* kUsage =
    "usage: materials-reference [--database <file>]\n"
    "        serves one client on the standard input and output (the host starts it so)\n"
    "  build-database <table> <database>\n"
    "        makes the database from the text table\n"
    "  show <location> [--database <file>]\n"
    "        prints a material's properties\n"
    "  register [--database <file>] [--common-files <folder>] [--registry <file>]\n"
    "        registers the server (and the host's common-files folder) in the host's registry\n"
    "  unregister [--registry <file>]\n"
    "The database is materials.db beside the program unless named; the host's registry\n"
    "is $ZARVENTO_REGISTRY, else ~/.config/zarvento/registry.\n";

int Usage(const std::string& why) {
    if (!why.empty()) std::cerr << "materials-reference: " << why << "\n";
    std::cerr << kUsage;
    return 2;
}

std::filesystem::path ProgramFile() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path("materials-reference") : self;
}

struct Options {
    std::filesystem::path database = ProgramFile().parent_path() / "materials.db";
    std::filesystem::path registry = zarvento::DefaultRegistryFile();
    std::optional<std::filesystem::path> commonFiles;
    std::vector<std::string> words;  // what is not an option
};

bool ReadOptions(const std::vector<std::string>& args, Options& o, std::string& why) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--database" || a == "--common-files" || a == "--registry") {
            if (i + 1 >= args.size()) {
                why = a + " needs a value";
                return false;
            }
            const std::filesystem::path value = std::filesystem::absolute(args[++i]);
            if (a == "--database") o.database = value;
            if (a == "--common-files") o.commonFiles = value;
            if (a == "--registry") o.registry = value;
        } else if (a == "-Embedding" || a == "/Embedding") {
            // What a host may add when it starts a server: nothing to do here.
        } else {
            o.words.push_back(a);
        }
    }
    return true;
}

int Serve(const Options& o) {
    std::string error;
    std::shared_ptr<const ref::MaterialDatabase> database = ref::MaterialDatabase::Open(o.database, error);
    if (!database) {
        zarvento::RefuseLocalServerStart(error);
        return 1;
    }
    return zarvento::ServeLocalServer([&](std::string_view clsid) -> zarvento::AutomationObjectPtr {
        if (zarvento::CompareNoCase(clsid, ref::kReferenceClassId) == 0) return ref::MakeMaterialsReference(database);
        return nullptr;
    });
}

int BuildDatabase(const Options& o) {
    if (o.words.size() != 3) return Usage("build-database needs a table and a database");
    const zarvento::FileReadResult read = zarvento::ReadTextFile(o.words[1], zarvento::TextEncoding::Utf8);
    if (!read.ok) {
        std::cerr << "materials-reference: " << o.words[1] << ": " << read.error << "\n";
        return 1;
    }
    const ref::TableReadResult table = ref::ReadMaterialTable(read.text);
    if (!table.error.empty()) {
        std::cerr << o.words[1] << ":" << table.error << "\n";
        return 1;
    }
    std::string error;
    if (!ref::WriteMaterialDatabase(table.materials, o.words[2], error)) {
        std::cerr << "materials-reference: " << o.words[2] << ": " << error << "\n";
        return 1;
    }
    std::cout << table.materials.size() << " materials in " << o.words[2] << "\n";
    return 0;
}

int Show(const Options& o) {
    if (o.words.size() != 2) return Usage("show needs a location");
    std::string error;
    const std::unique_ptr<ref::MaterialDatabase> database = ref::MaterialDatabase::Open(o.database, error);
    if (!database) {
        std::cerr << "materials-reference: " << error << "\n";
        return 1;
    }
    try {
        const std::optional<std::string> designation = database->Designation(o.words[1]);
        if (!designation) {
            std::cerr << "materials-reference: no material at " << o.words[1] << "\n";
            return 1;
        }
        std::cout << *designation << "\n";
        for (const ref::MaterialProperty& p : database->Properties(o.words[1]))
            std::cout << "  " << ref::PropertyName(p.id) << ": " << p.value1
                      << (p.value2.empty() ? "" : " - " + p.value2) << "\n";
    } catch (const ref::DamagedDatabase& e) {
        std::cerr << "materials-reference: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

int Register(const Options& o, bool unregister) {
    if (o.words.size() != 1) return Usage("unexpected \"" + o.words[1] + "\"");
    try {
        zarvento::HostRegistry& registry = zarvento::HostRegistry::Instance();
        registry.Open(o.registry);
        if (unregister) {
            zarvento::ComponentRegistry::UnregisterClass(ref::kReferenceClassId);
            std::cout << "unregistered from " << o.registry.string() << "\n";
            return 0;
        }
        zarvento::ClassRegistration entry;
        entry.clsid = ref::kReferenceClassId;
        entry.progId = ref::kReferenceProgId;
        entry.typeName = "Материалы и Сортаменты";
        entry.localServer = "\"" + ProgramFile().string() + "\" --database \"" + o.database.string() + "\"";
        registry.Update([&] {
            zarvento::ComponentRegistry::RegisterClass(entry);
            if (o.commonFiles)
                registry.SetText(zarvento::kCommonFilesKey, zarvento::kCommonFilesValue, o.commonFiles->string());
        });
    } catch (const std::exception& e) {
        std::cerr << "materials-reference: " << e.what() << "\n";
        return 1;
    }
    std::cout << "registered " << ProgramFile().string() << " in " << o.registry.string() << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    Options o;
    std::string why;
    if (!ReadOptions(args, o, why)) return Usage(why);
    if (o.words.empty()) return Serve(o);
    const std::string& command = o.words[0];
    if (command == "help" || command == "--help" || command == "-h") {
        std::cout << kUsage;
        return 0;
    }
    if (command == "build-database") return BuildDatabase(o);
    if (command == "show") return Show(o);
    if (command == "register" || command == "unregister") return Register(o, command == "unregister");
    return Usage("unknown command \"" + command + "\"");
}
