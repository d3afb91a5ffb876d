// zarvento catalog: listing the catalog folders and showing a model.
#include "host/catalog_command.h"

#include <array>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "catalogs/catalog_tools.h"
#include "catalogs/param_variable.h"
#include "catalogs/tool_model_text.h"
#include "host/verb_arguments.h"
#include "platform/core/host_error.h"
#include "platform/core/host_variable.h"
#include "platform/core/messages.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_documents.h"
#include "platform/documents/host_size_table.h"
#include "platform/part_model.h"
#include "platform/processes/module.h"

namespace zarvento::app {

const char* const kCatalogUsage =
    "  catalog [list] [TOOLS|DEVICES|MACHINES]\n"
    "             the catalog of models beside the program as a tree of folders\n"
    "             and models (every kind by default)\n"
    "  catalog show <KIND>/<folders>/<model>\n"
    "             one model's parameters (its size table, or its variables) and\n"
    "             its body, e.g. catalog show \"TOOLS/Осевые/Сверла/Сверло спиральное\"\n";

namespace {

struct Kind {
    const char* folder;
    const char* kind;
};
constexpr std::array<Kind, 3> kKinds{{{"TOOLS", "Tool"}, {"DEVICES", "Device"}, {"MACHINES", "Machine"}}};

const Kind* KindOf(std::string_view folder) {
    for (const Kind& k : kKinds)
        if (folder == k.folder) return &k;
    return nullptr;
}

struct Choice {
    std::string folder, name, ext;
    std::array<ParamVariable, CCatalogTools::kMaxVariables> variables{};
    std::int32_t count = 0;
};

void PrintTree(const CCatalogTools& dialog) {
    const auto& items = dialog.Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        int depth = 0;
        for (int p = items[i].parent; p >= 0; p = items[static_cast<std::size_t>(p)].parent) ++depth;
        const bool file = items[i].data >= CCatalogTools::kFileData;
        std::cout << std::string(static_cast<std::size_t>(depth) * 2, ' ') << items[i].text << (file ? "" : "/")
                  << "\n";
    }
}

int List(std::string_view only) {
    std::vector<const Kind*> asked;
    for (const Kind& k : kKinds)
        if (only.empty() || only == k.folder) asked.push_back(&k);
    if (asked.empty()) {
        std::cerr << "zarvento: no catalog kind '" << only << "' (TOOLS, DEVICES or MACHINES)\n";
        return 2;
    }
    // A catalog whose folders are not beside the program (a build that did
    // not make them) is named, never listed as empty.
    const auto library = ModuleDirectory();
    std::string missing;
    bool found = false;
    for (const Kind* k : asked) {
        const std::filesystem::path folder = (library ? *library : std::filesystem::path()) / k->folder;
        std::error_code ec;
        found = found || std::filesystem::is_directory(folder, ec);
        missing += (missing.empty() ? "" : ", ") + folder.string();
    }
    if (!found) {
        std::cerr << "zarvento: the catalog has no folder " << missing << "\n";
        return 1;
    }
    for (const Kind* k : asked) {
        Choice c;
        CCatalogTools dialog(k->kind, c.folder, c.name, c.ext, c.variables, c.count);
        dialog.OnInitDialog();
        PrintTree(dialog);
    }
    return 0;
}

std::string Number(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

int Show(const std::string& path) {
    std::string model = path;
    if (model.size() > 4 && model.ends_with(".rdp")) model.resize(model.size() - 4);
    for (char& c : model)
        if (c == '\\') c = '/';
    const auto slash = model.find('/');
    const Kind* kind = slash == std::string::npos ? nullptr : KindOf(std::string_view(model).substr(0, slash));
    if (!kind) {
        std::cerr << "zarvento: a catalog model is named <KIND>/<folders>/<model>, KIND being TOOLS, DEVICES or "
                     "MACHINES, not '"
                  << path << "'\n";
        return 2;
    }
    const auto last = model.rfind('/');
    std::string folder = model.substr(slash + 1, last > slash ? last - slash : 0);
    for (char& c : folder)
        if (c == '/') c = '\\';
    const std::string name = model.substr(last + 1);

    Choice c;
    c.name = name;
    CCatalogTools dialog(kind->kind, c.folder, c.name, c.ext, c.variables, c.count);
    dialog.OnInitDialog();
    int item = -1;
    for (std::size_t i = 0; i < dialog.Items().size(); ++i) {
        const auto& it = dialog.Items()[i];
        if (it.data >= CCatalogTools::kFileData && it.text == name &&
            dialog.EntryPaths()[static_cast<std::size_t>(it.data - CCatalogTools::kFileData)] == folder)
            item = static_cast<int>(i);
    }
    if (item < 0) {
        std::cerr << "zarvento: the catalog has no model '" << path << "'\n";
        return 1;
    }
    // Not the current model: the dialog reads the model's own variables.
    c.name.clear();
    dialog.SelectTreeItem(item);
    std::cout << name << "\n" << dialog.ParamsCaption() << ":\n";
    for (std::size_t i = 0; i < dialog.Columns().size(); ++i)
        std::cout << (i ? "\t" : "  ") << dialog.Columns()[i].title;
    std::cout << "\n";
    for (const auto& row : dialog.Rows()) {
        for (std::size_t i = 0; i < row.size(); ++i) std::cout << (i ? "\t" : "  ") << row[i];
        std::cout << "\n";
    }

    const auto library = ModuleDirectory();
    const std::string file =
        ((library ? *library : std::filesystem::path()) / kind->folder / (model.substr(slash + 1) + ".rdp")).string();
    HostDocuments& docs = ConnectHostApplication().Documents();
    HostDocumentPtr doc = docs.Open(file, false);
    std::cout << "variables:\n";
    for (const auto& v : doc->Variables())
        std::cout << "  " << v->Name() << " = " << Number(v->Value()) << (v->Comment().empty() ? "" : "  \"")
                  << v->Comment() << (v->Comment().empty() ? "" : "\"") << "\n";
    if (doc->Type() == DocumentType::Part || doc->Type() == DocumentType::Assembly) {
        const auto part = TopPart(doc);
        if (part->HasBody())
            std::cout << "body: " << part->Body().SolidCount() << " solid(s), " << part->Body().FaceCount()
                      << " faces, " << Number(part->Body().Volume()) << " mm3\n";
        else
            std::cout << "body: none\n";
    }
    docs.Close(doc);
    return 0;
}

}  // namespace

int RunCatalog(int argc, char** argv) {
    const VerbSyntax syntax{
        "usage: zarvento catalog [list] [TOOLS|DEVICES|MACHINES] | catalog show <model>\n", {}, 0, 3};
    VerbArguments args;
    if (!args.Read(syntax, argc, argv)) return args.ExitStatus();
    const std::vector<std::string>& plain = args.Plain();
    try {
        ConnectHostApplication();
        ToolModelText::Install();
        MessageLog::Instance().SetEcho([](const MessageEntry& e) { std::cerr << e.caption << ": " << e.text << "\n"; });
        const std::string_view sub = plain.empty() ? "list" : std::string_view(plain[0]);
        if (sub == "show") {
            if (plain.size() != 2) {
                std::cerr << "usage: zarvento catalog show <KIND>/<folders>/<model>\n";
                return 2;
            }
            return Show(plain[1]);
        }
        if (sub == "list") {
            if (plain.size() > 2) {
                std::cerr << "usage: zarvento catalog [list] [TOOLS|DEVICES|MACHINES]\n";
                return 2;
            }
            return List(plain.size() > 1 ? plain[1] : "");
        }
        if (plain.size() == 1) return List(sub);
        return args.Usage(), 2;
    } catch (const HostError& e) {
        std::cerr << "zarvento: " << e.Message() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "zarvento: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace zarvento::app
