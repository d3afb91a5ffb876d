// Invariants: what the code relies on and no input can break (a chain that
// stays continuous, one owner, an index in range). Input a user or a file can
// give is never checked this way: it gets its error.
//
// ZARVENTO_ALWAYS(condition) and ZARVENTO_NEVER(condition) are evaluated in
// every build and give the condition's value, so the caller keeps a way out:
//
//     if (ZARVENTO_NEVER(k >= units.size())) return Refuse(BrokenInvariantText("the section"));
//
// A broken one, in a strict build (ZARVENTO_STRICT_INVARIANTS, which the test
// and CI builds set), stops the program with its place and condition; in a
// user's build it is written to the error stream and the operation refuses
// with its layer's message, which BrokenInvariantText gives.
#pragma once

#include <string>
#include <string_view>

namespace zarvento {

// "<what>: внутренняя ошибка программы (<file>:<line>: <condition>)" for the
// last invariant this thread found broken.
std::string BrokenInvariantText(std::string_view what);

namespace detail {

// Stops the program in a strict build; otherwise writes the place to the
// error stream, keeps it for BrokenInvariantText and returns. `message` may
// be null.
void InvariantBroken(const char* condition, const char* message, const char* file, int line);

// For the tests of the user build's refusals: while one lives, a broken
// invariant does not stop the program, whatever the build.
class UserBuildInvariants {
public:
    UserBuildInvariants();
    ~UserBuildInvariants();
    UserBuildInvariants(const UserBuildInvariants&) = delete;
    UserBuildInvariants& operator=(const UserBuildInvariants&) = delete;

private:
    bool previous_;
};

}  // namespace detail
}  // namespace zarvento

#define ZARVENTO_ALWAYS(condition)   \
    (static_cast<bool>(condition) || \
     (::zarvento::detail::InvariantBroken(#condition, nullptr, __FILE__, __LINE__), false))
#define ZARVENTO_NEVER(condition)    \
    (static_cast<bool>(condition) && \
     (::zarvento::detail::InvariantBroken("!(" #condition ")", nullptr, __FILE__, __LINE__), true))

// ZARVENTO_CHECK(condition, message): the statement form, where nothing is left
// to refuse; it stops the program in a strict build and runs on in a user's.
// Prefer the two above, with a refusal.
#define ZARVENTO_CHECK(condition, message)               \
    (static_cast<bool>(condition) ? static_cast<void>(0) \
                                  : ::zarvento::detail::InvariantBroken(#condition, message, __FILE__, __LINE__))
