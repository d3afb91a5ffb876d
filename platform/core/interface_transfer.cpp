// The interface transfer and query of the headless host.
#include "platform/core/interface_transfer.h"

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"

namespace zarvento {

HostObjectPtr TransferInterface(const HostObjectPtr& object, int, int) {
    HostFaults::Check("TransferInterface");
    return object;
}

HostObjectPtr QueryHostInterface(const HostObjectPtr& object, std::string_view) {
    if (!object) return nullptr;
    HostFaults::Check("QueryInterface");
    return object;
}

HostObjectPtr QueryHostInterfaceOrNull(const HostObjectPtr& object, std::string_view iid) {
    try {
        return QueryHostInterface(object, iid);
    } catch (const HostError& e) {
        if (e.Code() != E_NOINTERFACE_) throw;
        return nullptr;
    }
}

}  // namespace zarvento
