// The run script's tree and event statements, and the printed plan tree.
#include "host/script_run_tree.h"

#include <charconv>
#include <iostream>

#include "plan/command_door.h"
#include "plan/command_script.h"
#include "plan/plan_tree.h"
#include "platform/core/busy_flag.h"
#include "platform/core/messages.h"
#include "platform/dialogs/host_events.h"
#include "platform/dialogs/message_loop.h"
#include "platform/dialogs/popup_menu.h"
#include "platform/documents/host_application.h"

namespace zarvento::app {

const char* const kHostStatementsHelp =
    "  tree click <item>              click an item of the plan tree (its label, or\n"
    "                                 its path of positions: 1 the root, 1.3 the\n"
    "                                 third item under it)\n"
    "  tree menu <item> <id>|none     open an item's context menu and choose a command\n"
    "                                 by its id (none: close the menu)\n"
    "  event <name>                   the host tells the library: close-document,\n"
    "                                 reload, new-window, frame-busy, frame-clear,\n"
    "                                 close-frame, close-application (the library\n"
    "                                 hears a document once a menu command ran on it)\n";

namespace {

std::string At(int lineNumber) { return "line " + std::to_string(lineNumber) + ": "; }

// The item of a path of positions from 1; none when a position is missing.
TreeItem ItemOfPath(const TreeControl& tree, const std::string& path) {
    TreeItem parent = kNoTreeItem, item = kNoTreeItem;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t dot = std::min(path.find('.', start), path.size());
        int position = 0;
        const auto r = std::from_chars(path.data() + start, path.data() + dot, position);
        if (r.ec != std::errc() || r.ptr != path.data() + dot || position < 1) return kNoTreeItem;
        const std::vector<TreeItem> children = tree.Children(parent);
        if (static_cast<std::size_t>(position) > children.size()) return kNoTreeItem;
        item = children[static_cast<std::size_t>(position - 1)];
        parent = item;
        start = dot + 1;
    }
    return item;
}

// The first item in the tree's order with that label.
TreeItem ItemOfLabel(const TreeControl& tree, TreeItem parent, const std::string& label) {
    for (TreeItem item : tree.Children(parent)) {
        if (tree.ItemText(item) == label) return item;
        if (TreeItem found = ItemOfLabel(tree, item, label)) return found;
    }
    return kNoTreeItem;
}

// The plan as the host shows it after a first command: read from the
// document, with its tree.
void ReadPlanFirst() {
    if (StartedFlag || !IsPartOrAssemblyActive()) return;
    BusyFlagGuard busy;
    RunLibraryCommand(-1, kActionCreateTree, -1);
    RunLibraryCommand(-1, kActionSynchronize, -1);
}

void TreeStatement(CommandScript& runner, const std::vector<std::string>& words, int lineNumber) {
    const bool click = words.size() == 3 && words[1] == "click";
    const bool menu = words.size() == 4 && words[1] == "menu";
    if (!click && !menu) throw ScriptError(At(lineNumber) + "tree click <item> or tree menu <item> <id>|none");
    int choice = 0;
    if (menu && words[3] != "none") {
        const auto r = std::from_chars(words[3].data(), words[3].data() + words[3].size(), choice);
        if (r.ec != std::errc() || r.ptr != words[3].data() + words[3].size() || choice <= 0)
            throw ScriptError(At(lineNumber) + "a menu command id is a positive number or none");
    }
    ReadPlanFirst();
    PlanTree* planTree = ExistingPlanTree();
    TreeControl* tree = planTree ? planTree->Control() : nullptr;
    if (!tree) throw ScriptError(At(lineNumber) + "there is no plan tree (its control is not installed)");
    TreeItem item = ItemOfPath(*tree, words[2]);
    if (item == kNoTreeItem) item = ItemOfLabel(*tree, kNoTreeItem, words[2]);
    if (item == kNoTreeItem) throw ScriptError(At(lineNumber) + "the plan tree has no item \"" + words[2] + "\"");
    // The user opens the item's parents to reach it.
    for (TreeItem up = tree->Parent(item); up != kNoTreeItem; up = tree->Parent(up)) tree->Expand(up);
    int x = 0, y = 0;
    if (!tree->ItemPoint(item, TreeHitPart::Label, x, y))
        throw ScriptError(At(lineNumber) + "the item \"" + words[2] + "\" cannot be reached");
    const WindowHandle window = tree->Handle();
    runner.UserAction([&] {
        if (click) {
            ClickWindow(window, x, y);
            return;
        }
        const std::size_t trackings = MenuTrackings().size();
        QueueMenuChoice(choice);
        RightClickWindow(window, x, y);
        if (MenuTrackings().size() == trackings) {
            ClearMenuChoices();
            ShowHostMessage(At(lineNumber) + "no context menu opened");
            SetLastCommandFailed(true);
        }
    });
}

struct NamedEvent {
    const char* name;
    std::int32_t kind, event;
    bool window;  // sent to the document's window
};

constexpr NamedEvent kEvents[] = {
    {"close-document", kDocumentFileEvents, 2, false},  {"reload", kDocumentFileEvents, 6, false},
    {"new-window", kDocumentFileEvents, 8, false},      {"frame-busy", kDocumentFrameEvents, 1, true},
    {"frame-clear", kDocumentFrameEvents, 2, true},     {"close-frame", kDocumentFrameEvents, 11, true},
    {"close-application", kApplicationEvents, 5, false}};

void EventStatement(CommandScript& runner, const std::vector<std::string>& words, int lineNumber) {
    if (words.size() != 2) throw ScriptError(At(lineNumber) + "event needs the event's name");
    const NamedEvent* named = nullptr;
    for (const NamedEvent& e : kEvents)
        if (words[1] == e.name) named = &e;
    if (!named) throw ScriptError(At(lineNumber) + "no host event \"" + words[1] + "\"");
    HostDocumentPtr doc = ActiveHostDocument();
    const std::uint32_t reference = named->kind == kApplicationEvents ? 0 : DocumentReference(doc);
    HostObjectPtr frame = doc && doc->Document3D() ? DocumentFrame(doc, 0) : nullptr;
    HostEventArgs args;
    if (named->event == 8) args.object = frame;
    runner.UserAction([&] {
        const int heard = HostSubscriptionCount(named->kind);
        const bool answer = FireHostEvent(named->kind, reference, named->event, args, named->window ? frame : nullptr);
        std::cout << "event " << named->name << ": " << (answer ? "true" : "false") << " (" << heard
                  << (heard == 1 ? " sink" : " sinks") << " of its kind)\n";
    });
}

void PrintItems(const PlanTree& planTree, const TreeControl& tree, TreeItem parent, int depth) {
    const std::vector<int>& table = TreeImageTable();
    // Depth is bounded by the tree itself: every item has one parent.
    for (TreeItem item : tree.Children(parent)) {
        const int image = tree.ItemImage(item);
        std::cout << std::string(static_cast<std::size_t>(depth) * 2, ' ') << tree.ItemText(item) << "  [image "
                  << image;
        if (image >= 0 && static_cast<std::size_t>(image) < table.size())
            std::cout << " " << table[static_cast<std::size_t>(image)];
        std::cout << ", role " << planTree.RoleOf(item) << (tree.SelectedItem() == item ? ", selected" : "") << "]\n";
        PrintItems(planTree, tree, item, depth + 1);
    }
}

}  // namespace

bool RunHostStatement(CommandScript& runner, const std::vector<std::string>& words, int lineNumber) {
    if (words[0] == "tree") {
        TreeStatement(runner, words, lineNumber);
        return true;
    }
    if (words[0] == "event") {
        EventStatement(runner, words, lineNumber);
        return true;
    }
    return false;
}

void PrintPlanTree() {
    PlanTree* planTree = ExistingPlanTree();
    if (TreeControl* tree = planTree ? planTree->Control() : nullptr) PrintItems(*planTree, *tree, kNoTreeItem, 0);
}

}  // namespace zarvento::app
