// The report of a broken invariant: a stop in a strict build, a note and a
// refusal's text in a user's.
#include "platform/core/check.h"

#include <cstdio>
#include <cstdlib>

namespace zarvento {

namespace {

#ifdef ZARVENTO_STRICT_INVARIANTS
constexpr bool kStrictBuild = true;
#else
constexpr bool kStrictBuild = false;
#endif

bool stopAtBroken = kStrictBuild;

struct BrokenPlace {
    const char* condition = "";
    const char* file = "";
    int line = 0;
};
thread_local BrokenPlace lastBroken;

}  // namespace

std::string BrokenInvariantText(std::string_view what) {
    std::string file(lastBroken.file);
    if (const auto slash = file.find_last_of('/'); slash != std::string::npos) file.erase(0, slash + 1);
    return std::string(what) + ": внутренняя ошибка программы (" + file + ":" + std::to_string(lastBroken.line) + ": " +
           lastBroken.condition + ")";
}

namespace detail {

void InvariantBroken(const char* condition, const char* message, const char* file, int line) {
    if (message)
        std::fprintf(stderr, "%s:%d: invariant broken: %s (%s)\n", file, line, message, condition);
    else
        std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    std::fflush(stderr);
    if (stopAtBroken) std::abort();
    lastBroken = {condition, file, line};
}

UserBuildInvariants::UserBuildInvariants() : previous_(stopAtBroken) { stopAtBroken = false; }
UserBuildInvariants::~UserBuildInvariants() { stopAtBroken = previous_; }

}  // namespace detail
}  // namespace zarvento
