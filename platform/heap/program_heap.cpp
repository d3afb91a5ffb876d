#include "platform/heap/program_heap.h"

#if ZARVENTO_MIMALLOC
#include <mimalloc.h>
#endif

namespace zarvento {

void SetUpProgramHeap() {
#if ZARVENTO_MIMALLOC
    // Read when a segment is reserved, so every segment after this call
    // asks for large pages (transparent huge pages on Linux, by madvise).
    mi_option_enable(mi_option_large_os_pages);
#endif
}

}  // namespace zarvento
