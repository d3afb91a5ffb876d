// HostApplication and the process-wide connection to it.
#include "platform/documents/host_application.h"

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/process_state.h"

namespace zarvento {

namespace {
std::unique_ptr<HostApplication> application;
}

ZARVENTO_STATE_RESET { DisconnectHostApplication(); }

HostDocuments& HostApplication::Documents() {
    HostFaults::Check("HostApplication.Documents");
    return documents_;
}

HostDocumentPtr HostApplication::ActiveDocument() const {
    HostFaults::Check("HostApplication.ActiveDocument");
    return active_;
}

void HostApplication::SetActiveDocument(const HostDocumentPtr& doc) {
    HostFaults::Check("HostApplication.SetActiveDocument");
    if (doc && !documents_.Contains(doc)) throw HostError(E_INVALIDARG_, "only an open document can be made active");
    active_ = doc;
}

void HostApplication::SetMessageMode(int mode) {
    HostFaults::Check("HostApplication.SetMessageMode");
    messageMode_ = mode;
}

HostApplication& ConnectHostApplication() {
    if (!application) application = std::make_unique<HostApplication>();
    return *application;
}

void DisconnectHostApplication() { application.reset(); }

HostApplication* HostApplicationObject() { return application.get(); }

HostDocumentPtr ActiveHostDocument() {
    if (!application) throw HostError(E_POINTER_, "the host application is not connected");
    HostDocumentPtr doc = application->ActiveDocument();
    if (!doc) throw HostError(E_POINTER_, "no active document");
    return doc;
}

}  // namespace zarvento
