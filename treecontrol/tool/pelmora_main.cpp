// pelmora: the command-line program of the tree-view control library. It
// shows a tree file in the control, applies edits to it as a user and a
// container would, and registers the library's module with the host.
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialogs/host_window.h"
#include "platform/dialogs/message_loop.h"
#include "platform/processes/component_registry.h"
#include "platform/processes/host_registry.h"
#include "platform/tree/tree_control.h"
#include "treecontrol/pelmora.h"
#include "treecontrol/pelmora_app.h"

namespace {

using pelmora::CPelmora;
using zarvento::TreeControl;
using zarvento::TreeItem;

constexpr const char* kUsage =
    "usage: pelmora <command> [arguments]\n"
    "\n"
    "commands:\n"
    "  show <tree file>\n"
    "        loads the file into the tree-view control and prints its items:\n"
    "        each item's place (1.2 is the second child of the first item) and\n"
    "        its label, indented by its depth\n"
    "  edit <tree file> <edit>... [-o <file>]\n"
    "        loads the file, applies the edits in order, prints the events the\n"
    "        control fires and the tree, and saves it to <file> when given\n"
    "        edits:\n"
    "          add <place|.> <label>    a new last child of the item (. : at the top)\n"
    "          rename <place> <label>   as a user: select, F2, type, click away\n"
    "          delete <place>           through the tree window, as a container does\n"
    "          sort <place|.>           the item's children by label\n"
    "  register [--module <file>] [--registry <file>]\n"
    "        writes the module's classes, ProgIDs and type library into the\n"
    "        host's registry (the module: Pelmora.so beside this program)\n"
    "  unregister [--registry <file>]\n"
    "        removes them again\n"
    "  list [--registry <file>]\n"
    "        prints the registered ProgIDs with their class ids and modules\n"
    "\n"
    "The host's registry is $ZARVENTO_REGISTRY, else registry in\n"
    "$XDG_CONFIG_HOME/zarvento (~/.config/zarvento).\n"
    "Tree files are UTF-8 with CR LF line ends and a TAB per level.\n"
    "\n"
    "exit codes: 0 success, 1 a file cannot be read or written or an edit names\n"
    "no item, 2 wrong usage\n";

int Usage(const std::string& why) {
    if (!why.empty()) std::cerr << "pelmora: " << why << "\n";
    std::cerr << kUsage;
    return 2;
}

// The control in a window of a container, with a sink that prints its events.
class Session {
public:
    struct Printer : pelmora::DPelmoraEvents {
        const TreeControl* tree = nullptr;
        std::string Label(pelmora::HTREEITEM_ID item) const {
            return tree && tree->Exists(item) ? "\"" + tree->ItemText(item) + "\"" : std::string("none");
        }
        void NodeClick(pelmora::HTREEITEM_ID item) override { std::cout << "event NodeClick " << Label(item) << "\n"; }
        void BeforeLabelEdit(std::int16_t*) override { std::cout << "event BeforeLabelEdit\n"; }
        void AfterLabelEdit(std::int16_t*, std::string* text) override {
            std::cout << "event AfterLabelEdit \"" << *text << "\"\n";
        }
    };

    Session() : container_(nullptr), control_(std::make_shared<CPelmora>()), printer_(std::make_shared<Printer>()) {
        control_->CreateControlWindow(&container_, {0, 0, 400, 600});
        printer_->tree = control_->Tree();
        pelmora::AdviseCookie cookie = 0;
        control_->Advise(printer_, &cookie);
    }

    CPelmora& Control() { return *control_; }
    TreeControl& Tree() { return *control_->Tree(); }

    // The item at a place "1.2.3" (1-based); kNoTreeItem for "." or none.
    std::optional<TreeItem> Find(std::string_view place) {
        if (place == ".") return zarvento::kNoTreeItem;
        TreeItem parent = zarvento::kNoTreeItem, item = zarvento::kNoTreeItem;
        while (!place.empty()) {
            const std::size_t dot = place.find('.');
            const std::string part(place.substr(0, dot));
            std::int32_t n = 0;
            if (!zarvento::ParseInt(part, n) || n < 1) return std::nullopt;
            const std::vector<TreeItem> children = Tree().Children(parent);
            if (static_cast<std::size_t>(n) > children.size()) return std::nullopt;
            item = parent = children[static_cast<std::size_t>(n - 1)];
            place = dot == std::string_view::npos ? std::string_view() : place.substr(dot + 1);
        }
        return item == zarvento::kNoTreeItem ? std::nullopt : std::optional<TreeItem>(item);
    }

    void Print() {
        PrintLevel(zarvento::kNoTreeItem, "", 0);
        if (Tree().Count() == 0) std::cout << "(no items)\n";
    }

private:
    void PrintLevel(TreeItem parent, const std::string& prefix, int depth) {
        int n = 0;
        for (TreeItem item : Tree().Children(parent)) {
            const std::string place = prefix + std::to_string(++n);
            std::cout << place << std::string(place.size() < 10 ? 10 - place.size() : 1, ' ')
                      << std::string(static_cast<std::size_t>(2 * depth), ' ') << Tree().ItemText(item) << "\n";
            PrintLevel(item, place + ".", depth + 1);
        }
    }

    zarvento::HostWindow container_;
    std::shared_ptr<CPelmora> control_;
    std::shared_ptr<Printer> printer_;
};

bool Load(Session& session, const std::string& file) {
    pelmora::VARIANT_BOOL ok = 0;
    session.Control().LoadFromFile(file, &ok);
    if (!ok) std::cerr << "pelmora: cannot read " << file << "\n";
    return ok != 0;
}

int Show(const std::vector<std::string>& args) {
    if (args.size() != 1) return Usage("show takes one tree file");
    Session session;
    if (!Load(session, args[0])) return 1;
    session.Print();
    return 0;
}

// Renames as a user does: a click on the label, F2, the new text typed, and a
// click on the empty area below the items, which ends the edit.
bool Rename(Session& session, TreeItem item, const std::string& label) {
    TreeControl& tree = session.Tree();
    int x = 0, y = 0;
    tree.SelectItem(item);
    if (!tree.ItemPoint(item, zarvento::TreeHitPart::Label, x, y)) return false;
    zarvento::ClickWindow(tree.Handle(), x, y);
    zarvento::PressKey(zarvento::vk::F2);
    zarvento::LabelEditBox* box = tree.EditControl();
    if (!box) return false;
    box->SetText(label);
    zarvento::ClickWindow(tree.Handle(), 1, tree.Rect().height - 1);
    return true;
}

int Edit(const std::vector<std::string>& args) {
    if (args.empty()) return Usage("edit takes a tree file and edits");
    std::string output;
    Session session;
    if (!Load(session, args[0])) return 1;
    TreeControl& tree = session.Tree();
    for (std::size_t i = 1; i < args.size();) {
        const std::string& verb = args[i];
        const std::size_t wants = verb == "add" || verb == "rename" ? 2 : verb == "delete" || verb == "sort" ? 1 : 0;
        if (verb == "-o" && i + 1 < args.size()) {
            output = args[i + 1];
            i += 2;
            continue;
        }
        if (wants == 0) return Usage("\"" + verb + "\" is not an edit");
        if (i + wants >= args.size()) return Usage(verb + " takes " + std::to_string(wants) + " argument(s)");
        const std::optional<TreeItem> item = session.Find(args[i + 1]);
        if (!item || (*item == zarvento::kNoTreeItem && (verb == "rename" || verb == "delete"))) {
            std::cerr << "pelmora: " << verb << ": no item at " << args[i + 1] << "\n";
            return 1;
        }
        std::cout << verb;
        for (std::size_t k = 1; k <= wants; ++k) std::cout << " " << args[i + k];
        std::cout << "\n";
        if (verb == "add") {
            pelmora::HTREEITEM_ID added = 0;
            session.Control().AddItem(*item, args[i + 2], 0, 0, zarvento::kTreeLast, &added);
        } else if (verb == "rename") {
            if (!Rename(session, *item, args[i + 2])) {
                std::cerr << "pelmora: rename: the label edit did not start\n";
                return 1;
            }
        } else if (verb == "delete") {
            tree.DeleteItem(*item);
        } else {
            tree.SortChildren(*item);
        }
        i += 1 + wants;
    }
    session.Print();
    if (!output.empty()) {
        pelmora::VARIANT_BOOL ok = 0;
        session.Control().SaveToFile(output, &ok);
        if (!ok) {
            std::cerr << "pelmora: cannot write " << output << "\n";
            return 1;
        }
        std::cout << "saved " << output << "\n";
    }
    return 0;
}

std::filesystem::path ProgramFolder() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : self.parent_path();
}

// Options of the registry commands; false (with the reason) for anything else.
bool RegistryOptions(const std::vector<std::string>& args, bool moduleAllowed, std::filesystem::path& registry,
                     std::filesystem::path& module, std::string& why) {
    registry = zarvento::DefaultRegistryFile();
    module = ProgramFolder() / "Pelmora.so";
    for (std::size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size() || (args[i] != "--registry" && (args[i] != "--module" || !moduleAllowed))) {
            why = "unexpected \"" + args[i] + "\"";
            return false;
        }
        (args[i] == "--registry" ? registry : module) = args[i + 1];
    }
    module = std::filesystem::absolute(module);
    return true;
}

int Registry(const std::string& command, const std::vector<std::string>& args) {
    std::filesystem::path registry, module;
    std::string why;
    if (!RegistryOptions(args, command == "register", registry, module, why)) return Usage(why);
    try {
        zarvento::HostRegistry::Instance().Open(registry);
    } catch (const std::exception& e) {
        std::cerr << "pelmora: " << e.what() << "\n";
        return 1;
    }
    if (command == "list") {
        for (const std::string& progId : zarvento::ComponentRegistry::ProgIds()) {
            const std::string clsid = zarvento::ComponentRegistry::ClsidFromProgId(progId).value_or("?");
            const auto file = zarvento::ComponentRegistry::ModuleOfClass(clsid);
            std::cout << progId << "  " << clsid << "  " << (file ? file->string() : "(no module)") << "\n";
        }
        return 0;
    }
    if (command == "register" && !std::filesystem::exists(module)) {
        std::cerr << "pelmora: no module " << module << "\n";
        return 1;
    }
    const zarvento::HRESULT hr =
        command == "register" ? pelmora::CPelmoraApp::RegisterServer(module) : pelmora::CPelmoraApp::UnregisterServer();
    if (hr != zarvento::S_OK_) {
        std::cerr << "pelmora: " << command << " failed (" << zarvento::FormatHResult(hr) << ") in " << registry
                  << "\n";
        return 1;
    }
    std::cout << (command == "register" ? "registered " + module.string() : std::string("unregistered")) << " in "
              << registry.string() << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage("");
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "help" || command == "--help" || command == "-h") {
        std::cout << kUsage;
        return 0;
    }
    pelmora::PelmoraModuleScope module;
    try {
        if (command == "show") return Show(args);
        if (command == "edit") return Edit(args);
        if (command == "register" || command == "unregister" || command == "list") return Registry(command, args);
    } catch (const std::exception& e) {
        std::cerr << "pelmora: " << e.what() << "\n";
        return 1;
    }
    return Usage("unknown command \"" + command + "\"");
}
