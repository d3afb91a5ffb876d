// The selection manager of the headless host and its process-wide holder.
#include "platform/dialogs/selection_manager.h"

#include <algorithm>

#include "platform/core/host_faults.h"
#include "platform/core/process_state.h"

namespace zarvento {

namespace {
std::shared_ptr<SelectionManager> current;
}

ZARVENTO_STATE_RESET { current.reset(); }

void SelectionManager::Select(const HostObjectPtr& object) {
    HostFaults::Check("SelectionManager.Select");
    calls_.push_back({"Select", object});
    if (!IsSelected(object)) selection_.push_back(object);
}

void SelectionManager::Unselect(const HostObjectPtr& object) {
    HostFaults::Check("SelectionManager.Unselect");
    calls_.push_back({"Unselect", object});
    std::erase_if(selection_, [&](const HostObjectPtr& o) { return SameHostObject(o, object); });
}

void SelectionManager::Update(int call) {
    HostFaults::Check("SelectionManager.Update");
    if (call == 1) {
        ++updateDepth_;
    } else if (call == 2 && updateDepth_ > 0) {
        --updateDepth_;
    } else {
        throw HostError(E_FAIL_, "selection update bracket call " + std::to_string(call));
    }
    calls_.push_back({"Update " + std::to_string(call), nullptr});
}

bool SelectionManager::IsSelected(const HostObjectPtr& object) const {
    return std::any_of(selection_.begin(), selection_.end(),
                       [&](const HostObjectPtr& o) { return SameHostObject(o, object); });
}

SelectionManager* HostSelectionManager() { return current.get(); }

void SetHostSelectionManager(std::shared_ptr<SelectionManager> manager) { current = std::move(manager); }

}  // namespace zarvento
