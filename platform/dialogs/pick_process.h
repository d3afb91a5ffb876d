// The picking process of a 3D document: the host's modal run of a panel. It
// carries the panel's prompt (its name), the filter and selection callbacks a
// click in the 3D view goes through, and the property manager it shows. Its
// run returns when the application's end-process call ends it; meanwhile the
// user acts (here: the panel driver plays the script queued for the panel).
#pragma once

#include <memory>
#include <string>

#include "platform/core/host_object.h"
#include "platform/core/variant.h"
#include "platform/dialogs/property_manager.h"

namespace zarvento {

using PickFilterCallback = bool (*)(const HostObjectPtr& object);
using PickSelectCallback = bool (*)(const HostObjectPtr& object, const Variant& value);

class PickProcess {
public:
    PickProcess() = default;
    PickProcess(const PickProcess&) = delete;
    PickProcess& operator=(const PickProcess&) = delete;

    // The process's name: the prompt the host shows while it waits for a pick.
    void SetName(std::string name);
    const std::string& Name() const { return name_; }
    void SetFilter(PickFilterCallback filter);
    void SetSelect(PickSelectCallback select);
    void AttachPropertyManager(std::shared_ptr<PropertyManager> manager);
    const std::shared_ptr<PropertyManager>& Manager() const { return manager_; }

    // A click on the object in the 3D view: the filter decides whether it can
    // be picked, the selection callback takes it.
    UserActionResult UserPick(const HostObjectPtr& object);

    // Runs until ended; a second run of a process that runs is refused.
    void Run();
    bool Running() const { return running_; }
    bool Ended() const { return ended_; }
    void End() { ended_ = true; }

private:
    std::string name_;
    PickFilterCallback filter_ = nullptr;
    PickSelectCallback select_ = nullptr;
    std::shared_ptr<PropertyManager> manager_;
    bool running_ = false;
    bool ended_ = false;
};

// The application's end-process call with its two arguments (1, 0 ends the
// innermost running process); nothing when none runs.
void EndHostProcess(int what, int how);
// The innermost running process, or null.
PickProcess* RunningProcess();

}  // namespace zarvento
