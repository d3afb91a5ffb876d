// The library's sinks on controls' events: ABaseEvent, advised on a
// control's events through its connection point and kept in a library-wide
// list while advised, and ATreeCtrlEvent, which hears the plan tree's tree
// view and turns its events into the library's commands.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plan/plan_tree.h"
#include "treecontrol/pelmora_lib.h"

namespace zarvento {

class ABaseEvent : public pelmora::DPelmoraEvents, public std::enable_shared_from_this<ABaseEvent> {
public:
    explicit ABaseEvent(std::shared_ptr<pelmora::IPelmora> control);
    ~ABaseEvent() override;
    ABaseEvent(const ABaseEvent&) = delete;
    ABaseEvent& operator=(const ABaseEvent&) = delete;

    // Advises the sink on the control; the cookie, 0 when it is refused. The
    // sink is on the library's list while advised.
    pelmora::AdviseCookie Advise();
    void Unadvise();
    // Lets go of the control; 0.
    int Disconnect();
    pelmora::AdviseCookie Cookie() const { return cookie_; }

private:
    std::shared_ptr<pelmora::IPelmora> control_;
    pelmora::AdviseCookie cookie_ = 0;
};

// The sinks advised now, oldest first.
std::vector<ABaseEvent*> AdvisedControlSinks();

class ATreeCtrlEvent : public ABaseEvent {
public:
    using ABaseEvent::ABaseEvent;

    // The role of the item selected at the last node click (0 at first).
    int Role() const { return role_; }

    // Edit the selected item (the host runs command 15).
    void BeforeLabelEdit(std::int16_t* cancel) override;
    // The Delete key, or the end of a label edit: deletes the operation of
    // the remembered role, never while busy and never for another role.
    void AfterLabelEdit(std::int16_t* cancel, std::string* newString) override;
    // The tree's expanded states are stored with the plan.
    void Collapse(pelmora::HTREEITEM_ID item) override;
    void Expand(pelmora::HTREEITEM_ID item) override;
    // Remembers the role, shows its context menu and makes an operation the
    // current one (command 116).
    void NodeClick(pelmora::HTREEITEM_ID item) override;
    // A context menu's choice: its command triple or the host command.
    void MenuCommand(std::int32_t id) override;
    void MenuCommandUpdate(std::int32_t id, pelmora::VARIANT_BOOL* enabled, std::int32_t* checked) override;

private:
    void SaveExpandStates(pelmora::HTREEITEM_ID item);
    int role_ = 0;
};

// Advises ATreeCtrlEvent on the plan tree's view: the plan tree's listener.
class TreeEventSource : public PlanTreeEventSource {
public:
    std::unique_ptr<PlanTreeListener> Advise(const std::shared_ptr<pelmora::IPelmora>& view) override;
    static TreeEventSource& Instance();
};

}  // namespace zarvento
