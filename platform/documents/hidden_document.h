// The hidden work document: an invisible 2D document of the host that the
// library makes active while it calculates paths and contours, and the guards
// that switch the active document for a scope.
#pragma once

#include "platform/documents/host_application.h"
#include "platform/drawings/document_2d.h"

namespace zarvento {

// The hidden work document, made in the connected application when there is
// none open; E_POINTER without an application.
HostDocumentPtr CreateHiddenDocument();
// The hidden work document while it is open, else null.
HostDocumentPtr HiddenDocument();

// Makes a document the host's active one for a scope and puts the previous
// one back on every exit (none when the previous one was closed meanwhile).
class ActiveDocumentSwitch {
public:
    ActiveDocumentSwitch(HostApplication& app, const HostDocumentPtr& doc);
    ~ActiveDocumentSwitch();
    ActiveDocumentSwitch(const ActiveDocumentSwitch&) = delete;
    ActiveDocumentSwitch& operator=(const ActiveDocumentSwitch&) = delete;

private:
    HostApplication& app_;
    HostDocumentPtr previous_;
};

// Sends the system's 2D calls to a document for a scope, then back.
class ActiveDocument2DSwitch {
public:
    explicit ActiveDocument2DSwitch(Document2D& doc);
    ~ActiveDocument2DSwitch();
    ActiveDocument2DSwitch(const ActiveDocument2DSwitch&) = delete;
    ActiveDocument2DSwitch& operator=(const ActiveDocument2DSwitch&) = delete;

private:
    Document2D* previous_;
};

}  // namespace zarvento
