#include "platform/heap/program_heap.h"

#if ZARVENTO_MIMALLOC
#include <mimalloc.h>
#include <sys/mman.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#endif

namespace zarvento {

#if ZARVENTO_MIMALLOC
namespace {

// The heap took its first segment at the process's first allocation, long
// before main, without large pages; a small job never leaves it. Advising
// the mapping that holds it gives its untouched 2 MiB ranges large pages too.
void AdviseFirstSegment() {
    void* probe = mi_malloc(16);
    const auto at = reinterpret_cast<std::uintptr_t>(probe);
    mi_free(probe);
    std::FILE* maps = std::fopen("/proc/self/maps", "r");
    if (!maps) return;
    char line[512];
    while (std::fgets(line, sizeof line, maps)) {
        std::uintptr_t from = 0, to = 0;
        if (std::sscanf(line, "%" SCNxPTR "-%" SCNxPTR, &from, &to) != 2) continue;
        if (from <= at && at < to) {
            madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
            break;
        }
    }
    std::fclose(maps);
}

}  // namespace
#endif

void SetUpProgramHeap() {
#if ZARVENTO_MIMALLOC
    // Read when a segment is reserved, so every segment after this call
    // asks for large pages (transparent huge pages on Linux, by madvise).
    mi_option_enable(mi_option_large_os_pages);
    AdviseFirstSegment();
#endif
}

}  // namespace zarvento
