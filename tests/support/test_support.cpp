// Shared test helpers.
#include "test_support.h"

namespace zarvento::test {

std::string FixturePath(const std::string& relative) { return std::string(ZARVENTO_FIXTURES) + "/" + relative; }

}  // namespace zarvento::test
