// The modal bracket scope over the message log's counters.
#include "platform/dialogs/modal_bracket.h"

#include "platform/core/messages.h"

namespace zarvento {

ModalBracket::ModalBracket() { MessageLog::Instance().BeginModal(); }

ModalBracket::~ModalBracket() { MessageLog::Instance().EndModal(); }

}  // namespace zarvento
