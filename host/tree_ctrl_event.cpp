// The control sinks' list, and the plan tree's events turned into commands.
#include "host/tree_ctrl_event.h"

#include <algorithm>

#include "host/base_event.h"
#include "host/command_entry.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "plan/synchronization.h"
#include "platform/core/busy_flag.h"
#include "platform/processes/host_libraries.h"
#include "platform/processes/host_procedures.h"

namespace zarvento {

namespace {

std::vector<ABaseEvent*>& Advised() {
    static std::vector<ABaseEvent*> sinks;
    return sinks;
}

// Host commands a menu item asks for: edit, make an operation current.
constexpr int kEditCommand = 15, kMakeCurrentCommand = 116;
// The context menu's ids this sink takes.
constexpr int kFirstMenuId = 501, kLastMenuId = 627;
constexpr int kRootRole = PlanTree::kRootRole;

// The sink as the plan tree holds it: unadvised when the tree lets it go.
class TreeListener : public PlanTreeListener {
public:
    explicit TreeListener(std::shared_ptr<ATreeCtrlEvent> sink) : sink_(std::move(sink)) {}
    ~TreeListener() override {
        sink_->Unadvise();
        sink_->Disconnect();
    }

private:
    std::shared_ptr<ATreeCtrlEvent> sink_;
};

void W(std::int32_t type, std::int32_t action, std::int32_t index) { RunCommandWrapper(type, action, index); }

}  // namespace

ABaseEvent::ABaseEvent(std::shared_ptr<pelmora::IPelmora> control) : control_(std::move(control)) {}

ABaseEvent::~ABaseEvent() { Unadvise(); }

pelmora::AdviseCookie ABaseEvent::Advise() {
    if (!control_ || cookie_ != 0) return cookie_;
    pelmora::AdviseCookie cookie = 0;
    if (control_->Advise(shared_from_this(), &cookie) != S_OK_) return 0;
    cookie_ = cookie;
    if (cookie_ != 0) Advised().push_back(this);
    return cookie_;
}

void ABaseEvent::Unadvise() {
    if (cookie_ == 0) return;
    if (control_) control_->Unadvise(cookie_);
    cookie_ = 0;
    auto& sinks = Advised();
    sinks.erase(std::remove(sinks.begin(), sinks.end(), this), sinks.end());
}

int ABaseEvent::Disconnect() {
    control_.reset();
    return 0;
}

std::vector<ABaseEvent*> AdvisedControlSinks() { return Advised(); }

// ------------------------------------------------------------------ tree events

void ATreeCtrlEvent::BeforeLabelEdit(std::int16_t*) {
    if (!ExistingPlanTree()) return;
    PostHostCommand(kEditCommand);
}

void ATreeCtrlEvent::AfterLabelEdit(std::int16_t*, std::string*) {
    if (!ExistingPlanTree() || BusyFlag) return;
    // Only an operation's group is deleted: the root, the plan data's groups
    // and a stale role are no operation.
    CPLAN* plan = ExistingPLAN();
    const int count = plan ? plan->GetTurnCount() : 0;
    if (role_ < 2 || role_ > count + 1) return;
    W(-1, 3, role_ - 2);
}

void ATreeCtrlEvent::SaveExpandStates(pelmora::HTREEITEM_ID item) {
    if (!ExistingPlanTree() || item == 0 || SynchronisingFlag) return;
    CSPID* spid = ExistingSPID();
    CPLAN* plan = ExistingPLAN();
    if (plan && spid && spid->GetDetailContour()) plan->Save();
}

void ATreeCtrlEvent::Collapse(pelmora::HTREEITEM_ID item) { SaveExpandStates(item); }

void ATreeCtrlEvent::Expand(pelmora::HTREEITEM_ID item) { SaveExpandStates(item); }

void ATreeCtrlEvent::NodeClick(pelmora::HTREEITEM_ID) {
    PlanTree* tree = ExistingPlanTree();
    if (!tree) return;
    role_ = tree->GetSelectedRole();
    // The root, a plan-data group or nothing: no operation is current. The
    // library's own changes of the tree (busy, or reading the plan) leave the
    // view alone.
    if ((role_ == kRootRole || role_ < 2) && !BusyFlag && !SynchronisingFlag) {
        if (CPLAN* plan = ExistingPLAN()) {
            plan->DeselectTurn();
            plan->RedrawPaths();
        }
    }
    if (role_ == kRootRole) {
        tree->ShowRootMenu();
    } else if (role_ == PlanTree::kNcSystemRole || role_ == PlanTree::kStockRole) {
        tree->ShowDataMenu();
    } else if (role_ >= 2) {
        tree->ShowOperationMenu(role_ - 2);
    } else {
        tree->DestroyMenus();
    }
    if (HostProcessState() != 0 && !BusyFlag && IsActiveDocumentPart() && role_ >= 2 && role_ <= 99)
        PostHostCommand(kMakeCurrentCommand);
}

void ATreeCtrlEvent::MenuCommand(std::int32_t id) {
    PlanTree* tree = ExistingPlanTree();
    if (!tree) return;
    tree->DestroyMenus();
    if (BusyFlag || role_ < 0 || id < kFirstMenuId || id > kLastMenuId) return;
    const int index = role_ - 2;
    switch (id) {
        case 501: PostHostCommand(kEditCommand); return;
        case 502: W(-1, 3, index); return;
        case 503: W(-1, 5, index); return;
        case 505: W(-1, 7, index); return;
        case 506: W(-1, 8, index); return;
        case 507: W(-1, 9, index); return;
        case 511: W(-1, 23, index); return;
        case 550: W(-1, 31, index); return;
        case 551: W(-1, 32, index); return;
        case 552: W(-1, 33, index); return;
        case 553: W(-1, 34, index); return;
        case 554: W(-1, 35, index); return;
        case 560: W(-1, 36, -1); return;
        default: break;
    }
    if ((id >= 521 && id <= 527) || id == 540 || id == 541 || (id >= 621 && id <= 627)) PostHostCommand(id);
}

void ATreeCtrlEvent::MenuCommandUpdate(std::int32_t id, pelmora::VARIANT_BOOL* enabled, std::int32_t* checked) {
    PlanTree* tree = ExistingPlanTree();
    if (!tree) return;
    if (BusyFlag) {
        if (enabled) *enabled = pelmora::VARIANT_FALSE_;
        return;
    }
    bool on = !enabled || *enabled != 0;
    tree->UpdateMenuState(id, &on, checked, role_);
    if (enabled) *enabled = on ? pelmora::VARIANT_TRUE_ : pelmora::VARIANT_FALSE_;
}

// ------------------------------------------------------------------ the source

std::unique_ptr<PlanTreeListener> TreeEventSource::Advise(const std::shared_ptr<pelmora::IPelmora>& view) {
    auto sink = std::make_shared<ATreeCtrlEvent>(view);
    if (sink->Advise() == 0) return nullptr;
    return std::make_unique<TreeListener>(std::move(sink));
}

TreeEventSource& TreeEventSource::Instance() {
    static TreeEventSource source;
    return source;
}

}  // namespace zarvento
