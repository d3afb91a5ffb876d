// The scope that lends the hidden work document the active place.
#include "platform/work_document_scope.h"

#include "platform/module.h"

namespace zarvento {

WorkDocumentScope::WorkDocumentScope() : switch_(HiddenWorkDocument2D()) { RefreshHostView(); }

}  // namespace zarvento
