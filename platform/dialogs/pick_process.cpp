// The picking process of the headless host and the application's end-process call.
#include "platform/dialogs/pick_process.h"

#include <algorithm>
#include <vector>

#include "platform/core/host_faults.h"
#include "platform/core/process_state.h"
#include "platform/dialogs/scripted_user.h"

namespace zarvento {

namespace {

// Processes that run, innermost last.
std::vector<PickProcess*> running;

ZARVENTO_STATE_RESET { running.clear(); }

}  // namespace

void PickProcess::SetName(std::string name) {
    HostFaults::Check("Process.Name");
    name_ = std::move(name);
    if (manager_) manager_->SetPrompt(name_);
}

void PickProcess::SetFilter(PickFilterCallback filter) {
    HostFaults::Check("Process.Filter");
    filter_ = filter;
}

void PickProcess::SetSelect(PickSelectCallback select) {
    HostFaults::Check("Process.Select");
    select_ = select;
}

void PickProcess::AttachPropertyManager(std::shared_ptr<PropertyManager> manager) {
    HostFaults::Check("Process.PropertyManager");
    manager_ = std::move(manager);
    if (manager_) manager_->SetPrompt(name_);
}

UserActionResult PickProcess::UserPick(const HostObjectPtr& object) {
    if (!running_) return UserActionResult::Refused("no picking process runs");
    if (filter_ && !filter_(object))
        return UserActionResult::Refused("the panel does not let \"" + object->Name() + "\" be picked");
    if (select_) select_(object, Variant());
    if (manager_) manager_->RefreshButtons();
    return {};
}

void PickProcess::Run() {
    if (running_) throw HostError(E_FAIL_, "the process runs already");
    running_ = true;
    ended_ = false;
    running.push_back(this);
    // However the run ends, the process no longer runs.
    struct Stopped {
        PickProcess* process;
        ~Stopped() {
            process->running_ = false;
            std::erase(running, process);
        }
    } stopped{this};
    ScriptedUser::Instance().Drive(*this);
}

void EndHostProcess(int what, int how) {
    HostFaults::Check("Application.EndProcess");
    if (what != 1 || how != 0)
        throw HostError(E_INVALIDARG_, "end-process call (" + std::to_string(what) + ", " + std::to_string(how) + ")");
    if (!running.empty()) running.back()->End();
}

PickProcess* RunningProcess() { return running.empty() ? nullptr : running.back(); }

}  // namespace zarvento
