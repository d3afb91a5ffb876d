// ZARVENTO_CHECK(condition, message): an invariant the code relies on (a
// chain that stays continuous, one owner, an index in range), checked
// wherever assertions are on and reported with its place and message before
// the program stops. Input a user or a file can give is never checked this
// way: it gets its error.
#pragma once

namespace zarvento::detail {

[[noreturn]] void CheckFailed(const char* condition, const char* message, const char* file, int line);

}  // namespace zarvento::detail

#ifdef NDEBUG
// Not evaluated, but still compiled, so a check cannot rot and its variables
// count as used.
#define ZARVENTO_CHECK(condition, message) static_cast<void>(sizeof(static_cast<bool>(condition)))
#else
#define ZARVENTO_CHECK(condition, message)               \
    (static_cast<bool>(condition) ? static_cast<void>(0) \
                                  : ::zarvento::detail::CheckFailed(#condition, message, __FILE__, __LINE__))
#endif
