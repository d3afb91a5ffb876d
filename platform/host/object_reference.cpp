// Procedural references and identity searches of the headless host.
#include "platform/host/object_reference.h"

#include "platform/core/host_faults.h"
#include "platform/core/interface_transfer.h"
#include "platform/documents/host_application.h"

namespace zarvento {

std::int64_t ProceduralReference(const HostObjectPtr& object, int, int) {
    HostFaults::Check("ProceduralReference");
    if (!object) return 0;
    HostApplication* app = HostApplicationObject();
    if (!app) return 0;
    const HostDocuments& docs = app->Documents();
    for (std::size_t i = 0; i < docs.Count(); ++i) {
        const HostDocumentPtr doc = docs.Item(i);
        if (doc && !doc->Closed() && doc->Owns(object.get())) return object->PersistentId();
    }
    return 0;
}

HostObjectPtr FindSameObjectOfType(const HostDocument& document, int objectType, const HostObjectPtr& object) {
    if (!object) return nullptr;
    for (const HostObjectPtr& candidate : document.ObjectsOfType(objectType)) {
        // The procedural object turned into its automation form (live mode).
        const HostObjectPtr automation = TransferInterface(candidate, 3, 105);
        if (SameHostObject(automation, object)) return automation;
    }
    return nullptr;
}

}  // namespace zarvento
