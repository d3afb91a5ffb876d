// The one settings record and its reset.
#include "post/post_processor_settings.h"

#include "platform/process_state.h"

namespace zarvento {

PostProcessorSettings& PostProcessorSettings::Current() {
    static PostProcessorSettings settings;
    return settings;
}

ZARVENTO_STATE_RESET { PostProcessorSettings::Current() = PostProcessorSettings{}; }

}  // namespace zarvento
