// The scope that lends the hidden work document the active place.
#include "platform/documents/work_document_scope.h"

#include "platform/processes/module.h"

namespace zarvento {

WorkDocumentScope::WorkDocumentScope() : switch_(HiddenWorkDocument2D()) { RefreshHostView(); }

}  // namespace zarvento
