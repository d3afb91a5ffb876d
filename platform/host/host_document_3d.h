// The 3D side of a part or assembly document, as the host's procedural
// interface gives it: the pick collection and the second highlight
// collection, the selection manager, the picking processes and their run,
// and the entities of the top part by type.
#pragma once

#include <memory>
#include <vector>

#include "platform/dialogs/pick_collection.h"
#include "platform/dialogs/pick_process.h"
#include "platform/dialogs/selection_manager.h"
#include "platform/documents/host_document.h"

namespace zarvento {

class HostDocument3D {
public:
    explicit HostDocument3D(HostDocument& document);
    HostDocument3D(const HostDocument3D&) = delete;
    HostDocument3D& operator=(const HostDocument3D&) = delete;

    HostDocument& Document() const { return document_; }

    // The collection of chosen objects the host highlights.
    PickCollection& Picks();
    PickCollection& SecondHighlights();
    const std::shared_ptr<SelectionManager>& Selection();

    // A new picking process (the factory's argument is 0); it becomes the
    // document's current process.
    std::shared_ptr<PickProcess> CreatePickProcess(int argument);
    // Runs the current process (argument 0) until it ends; E_POINTER when
    // there is none.
    void RunProcess(int argument);
    const std::shared_ptr<PickProcess>& CurrentProcess() const { return process_; }

    // The top part (the part call with -1) and its entities of a host type,
    // in the model's order.
    std::vector<HostObjectPtr> TopPartEntities(int objectType) const;

private:
    void Check(const char* call) const;

    HostDocument& document_;
    PickCollection picks_{"PickCollection"};
    PickCollection highlights_{"HighlightCollection"};
    std::shared_ptr<SelectionManager> selection_ = std::make_shared<SelectionManager>();
    std::shared_ptr<PickProcess> process_;
};

// The procedural 3D document of a document (the host's conversion call with
// 3 and 103): E_POINTER for no document, a closed one or a drawing.
HostDocument3D& Procedural3D(const HostDocumentPtr& document);

}  // namespace zarvento
