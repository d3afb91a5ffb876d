// The command entry's checks and its command table.
#include "host/command_entry.h"

#include "host/base_event.h"
#include "host/library_binding.h"
#include "plan/command_door.h"
#include "plan/menu_commands.h"
#include "plan/plan_tree.h"
#include "platform/core/busy_flag.h"
#include "platform/core/messages.h"
#include "platform/dialogs/host_events.h"
#include "platform/documents/hidden_document.h"
#include "platform/documents/host_application.h"
#include "platform/processes/help_calls.h"
#include "platform/processes/host_procedures.h"
#include "platform/processes/resource_strings.h"

namespace zarvento {

namespace {

CommandWrapper wrapper = &RunLibraryCommand;

constexpr int kNoDocumentString = 300, kNotAPartString = 301;
// The selected roles of the tree's groups.
constexpr int kRootRole = 1000, kNcSystemRole = 0, kStockRole = 1;

void W(std::int32_t type, std::int32_t action, std::int32_t index) { RunCommandWrapper(type, action, index); }

// The tree's insert and create items: 521 to 527 insert above the selected
// operation, 621 to 627 below it; 540/640 its result model, 541/641 its sketch.
void RunTreeItem(int id, int role) {
    int index = role - 2;
    if (id > 600) {
        index = role - 1;
        id -= 100;
    }
    if (index < 0) return;
    if (id >= 521 && id <= 527) {
        W(id - 520, 1, index);
    } else if (id == 540) {
        W(-1, 26, index);
    } else if (id == 541) {
        W(-1, 27, index);
    }
}

}  // namespace

std::int32_t RunCommandWrapper(std::int32_t type, std::int32_t action, std::int32_t index) {
    return wrapper(type, action, index);
}

CommandWrapper SetCommandWrapper(CommandWrapper next) {
    CommandWrapper previous = wrapper;
    wrapper = next ? next : &RunLibraryCommand;
    return previous;
}

bool RunCommandTable(int id, bool hasTree, int role) {
    const MenuCommand* command = FindMenuCommand(id);
    if (!command) {
        if (IsTreeItemCommand(id) && hasTree) RunTreeItem(id, role);
        return false;
    }
    switch (command->step) {
        case MenuStep::BySelection:
            // The edit request of the selected group or operation.
            if (!hasTree) return false;
            if (role == kRootRole || role == kNcSystemRole) {
                W(-1, 30, -1);
            } else if (role == kStockRole) {
                W(-1, 0, -1);
            } else {
                W(-1, 2, role - 2);
            }
            return command->posted;
        case MenuStep::SelectedOperation:
            if (!hasTree) return false;
            W(command->type, command->action, role - 2);
            if (PlanTree* tree = ExistingPlanTree()) tree->Deselect(role);
            return command->posted;
        case MenuStep::SynchroniseOnly: SynchronizeWithModel(); return command->posted;
        case MenuStep::HelpFirst: OpenHelp(1); break;
        case MenuStep::None:
        case MenuStep::ThenSynchronise: break;
    }
    W(command->type, command->action, -1);
    if (command->step == MenuStep::ThenSynchronise) SynchronizeWithModel();
    return command->posted;
}

void LibraryEntry(unsigned int command) {
    // The command's numeric conventions come first, also for a command that
    // goes no further.
    SetCommandLocale();
    SetLastCommandFailed(false);
    if (!CheckHostVersion(false)) return;
    if (BusyFlag) return;
    HostDocumentPtr doc = ConnectedApplication().ActiveDocument();
    if (!doc || doc == HiddenDocument()) {
        ShowHostMessage(LoadResString(kNoDocumentString));
        SetLastCommandFailed(true);
        return;
    }
    if (doc->Type() == DocumentType::Assembly) {
        ShowHostMessage(LoadResString(kNotAPartString));
        SetLastCommandFailed(true);
        return;
    }
    // A 3D document's first window reports its events to the library.
    if (doc->Type() != DocumentType::Drawing2D) {
        HostObjectPtr frame = DocumentFrame(doc, 0);
        EnsureDocumentFrameEvent(DocumentReference(doc), frame);
    }
    PlanTree* tree = ExistingPlanTree();
    const int id = static_cast<int>(command);
    if (RunCommandTable(id, tree != nullptr, tree ? tree->GetSelectedRole() : -1)) HostPostCommand();
}

}  // namespace zarvento
