// The host document's selection manager: highlights host objects on request.
// One process-wide instance, filled before each command; missing until then.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/host_object.h"

namespace zarvento {

class SelectionManager {
public:
    struct Call {
        std::string action;  // "Select", "Unselect", "Update 1" or "Update 2"
        HostObjectPtr object;
    };

    // Highlights the object (once, however often it is asked).
    void Select(const HostObjectPtr& object);
    // Removes the object's highlight; nothing when it has none.
    void Unselect(const HostObjectPtr& object);

    bool IsSelected(const HostObjectPtr& object) const;
    // The update bracket: 1 before a series of changes, 2 after it, when the
    // host redraws once. Unbalanced calls raise E_FAIL.
    void Update(int call);
    int UpdateDepth() const { return updateDepth_; }
    const std::vector<HostObjectPtr>& Selection() const { return selection_; }
    // Every request in order, for tests and traces.
    const std::vector<Call>& Calls() const { return calls_; }

private:
    std::vector<HostObjectPtr> selection_;
    std::vector<Call> calls_;
    int updateDepth_ = 0;
};

// The manager of the active document, or null when none is held.
SelectionManager* HostSelectionManager();
void SetHostSelectionManager(std::shared_ptr<SelectionManager> manager);

}  // namespace zarvento
