// WorkDocumentScope: makes the hidden 2D work document the active one for the
// life of the scope and gives the previous document back on every way out,
// a host error included.
#pragma once

#include "platform/documents/hidden_document.h"
#include "platform/drawings/document_2d.h"

namespace zarvento {

class WorkDocumentScope {
public:
    // Activates the work document and asks the host to refresh its view.
    WorkDocumentScope();

    Document2D& Document() const { return HiddenWorkDocument2D(); }

private:
    // Constructed before the refresh, so a failed refresh still puts the
    // previous document back.
    ActiveDocument2DSwitch switch_;
};

}  // namespace zarvento
