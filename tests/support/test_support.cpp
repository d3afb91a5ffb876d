// Shared test helpers.
#include "test_support.h"

namespace zarvento::test {

HostError CaughtHostError(const std::function<void()>& f) {
    try {
        f();
    } catch (const HostError& e) {
        return e;
    }
    return HostError(S_OK_, "no error");
}

std::string FixturePath(const std::string& relative) { return std::string(ZARVENTO_FIXTURES) + "/" + relative; }

}  // namespace zarvento::test
