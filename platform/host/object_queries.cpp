// The host's object queries.
#include "platform/host/object_queries.h"

#include "platform/core/host_faults.h"
#include "platform/core/host_view_object.h"
#include "platform/documents/host_application.h"
#include "platform/drawings/local_coordinate_system.h"

namespace zarvento {

bool IsObjectOfType(const HostObjectPtr& object, int type) {
    HostFaults::Check("Object.IsOfType");
    return object && object->ObjectType() == type;
}

HostObjectPtr PickedEntity(const HostObjectPtr& object) {
    HostFaults::Check("Object.Entity");
    if (!object) return nullptr;
    if (const auto* view = dynamic_cast<const HostViewObject*>(object.get())) return view->Entity();
    // An entity stands for itself while a document of the application holds it.
    HostApplication* app = HostApplicationObject();
    if (!app || object->PersistentId() == 0) return nullptr;
    for (std::size_t i = 0; i < app->Documents().Count(); ++i) {
        const HostDocumentPtr doc = app->Documents().Item(i);
        if (!doc->Closed() && doc->Owns(object.get())) return object;
    }
    return nullptr;
}

std::shared_ptr<LocalCoordinateSystem> ConvertToCoordinateSystem(const HostObjectPtr& object) {
    HostFaults::Check("Object.Convert");
    return std::dynamic_pointer_cast<LocalCoordinateSystem>(object);
}

}  // namespace zarvento
