// The scope that lends the hidden work document the active place.
#include "platform/work_document_scope.h"

#include "platform/module.h"

namespace zarvento {

WorkDocumentScope::WorkDocumentScope() : previous_(&ActiveDocument2D()), work_(HiddenWorkDocument2D()) {
    SetActiveDocument2D(&work_);
    try {
        RefreshHostView();
    } catch (...) {
        // No destructor runs for a scope that failed to open.
        SetActiveDocument2D(previous_);
        throw;
    }
}

WorkDocumentScope::~WorkDocumentScope() { SetActiveDocument2D(previous_); }

}  // namespace zarvento
