// The host application of the headless host: its documents and the active
// one. One process-wide instance, connected once and held for the library's
// lifetime; every record operation reaches the active document through it.
#pragma once

#include <memory>

#include "platform/documents/host_documents.h"

namespace zarvento {

class HostApplication {
public:
    HostApplication() : documents_(*this) {}
    HostApplication(const HostApplication&) = delete;
    HostApplication& operator=(const HostApplication&) = delete;

    HostDocuments& Documents();
    // The active document, or null when none is active.
    HostDocumentPtr ActiveDocument() const;
    // Makes an open document active; null makes none active.
    void SetActiveDocument(const HostDocumentPtr& doc);

    // The active document without a host call, for the collection itself.
    const HostDocumentPtr& ActiveDocumentOrNull() const { return active_; }

    // The host's message mode: 0 shows the host's own messages, 2 keeps them
    // quiet while the library works in a hidden document.
    int MessageMode() const { return messageMode_; }
    void SetMessageMode(int mode);

private:
    friend class HostDocuments;
    // Switches the active document for the collection's own opens and closes.
    void Activate(const HostDocumentPtr& doc) { active_ = doc; }

    HostDocuments documents_;
    HostDocumentPtr active_;
    int messageMode_ = 0;
};

// Creates the process-wide application on first use and returns it.
HostApplication& ConnectHostApplication();
// Drops the application and closes its documents (test resets do this).
void DisconnectHostApplication();
// The connected application, or null.
HostApplication* HostApplicationObject();
// The active document of the connected application; E_POINTER when there is
// no application or no active document.
HostDocumentPtr ActiveHostDocument();

}  // namespace zarvento
