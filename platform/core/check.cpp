// The report of a failed invariant check.
#include "platform/core/check.h"

#include <cstdio>
#include <cstdlib>

namespace zarvento::detail {

void CheckFailed(const char* condition, const char* message, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s (%s)\n", file, line, message, condition);
    std::fflush(stderr);
    std::abort();
}

}  // namespace zarvento::detail
