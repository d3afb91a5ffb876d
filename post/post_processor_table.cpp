// The global table list and its reset.
#include "post/post_processor_table.h"

#include "platform/process_state.h"

namespace zarvento {

std::vector<PostProcessorTablePtr>& GlobalTableList() {
    static std::vector<PostProcessorTablePtr> tables;
    return tables;
}

ZARVENTO_STATE_RESET { GlobalTableList().clear(); }

}  // namespace zarvento
