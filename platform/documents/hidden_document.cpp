// The hidden work document and the active-document switches.
#include "platform/documents/hidden_document.h"

#include "platform/core/host_error.h"
#include "platform/core/process_state.h"

namespace zarvento {

namespace {
// Held weakly: the document belongs to the application's collection, which
// closes it with the others.
std::weak_ptr<HostDocument> hiddenDocument;
}  // namespace

ZARVENTO_STATE_RESET { hiddenDocument.reset(); }

HostDocumentPtr HiddenDocument() {
    HostDocumentPtr doc = hiddenDocument.lock();
    HostApplication* app = HostApplicationObject();
    if (!doc || !app || doc->Closed() || !app->Documents().Contains(doc)) return nullptr;
    return doc;
}

HostDocumentPtr CreateHiddenDocument() {
    if (HostDocumentPtr existing = HiddenDocument()) return existing;
    HostApplication* app = HostApplicationObject();
    if (!app) throw HostError(E_POINTER_, "no host application");
    HostDocumentPtr doc = app->Documents().Add(DocumentType::Drawing2D, false);
    if (!doc) throw HostError(E_POINTER_, "no hidden work document");
    hiddenDocument = doc;
    return doc;
}

ActiveDocumentSwitch::ActiveDocumentSwitch(HostApplication& app, const HostDocumentPtr& doc)
    : app_(app), previous_(app.ActiveDocumentOrNull()) {
    app.SetActiveDocument(doc);
}

ActiveDocumentSwitch::~ActiveDocumentSwitch() {
    try {
        app_.SetActiveDocument(previous_ && app_.Documents().Contains(previous_) ? previous_ : nullptr);
    } catch (const HostError&) {
        // A destructor must not throw; the next command takes its document afresh.
    }
}

ActiveDocument2DSwitch::ActiveDocument2DSwitch(Document2D& doc) : previous_(&ActiveDocument2D()) {
    SetActiveDocument2D(&doc);
}

ActiveDocument2DSwitch::~ActiveDocument2DSwitch() {
    SetActiveDocument2D(previous_ == &HiddenWorkDocument2D() ? nullptr : previous_);
}

}  // namespace zarvento
