// Shared test helpers.
#include "test_support.h"

#include <stdlib.h>

#include <stdexcept>

namespace zarvento::test {

HostError CaughtHostError(const std::function<void()>& f) {
    try {
        f();
    } catch (const HostError& e) {
        return e;
    }
    return HostError(S_OK_, "no error");
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zarvento-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string FixturePath(const std::string& relative) { return std::string(ZARVENTO_FIXTURES) + "/" + relative; }

}  // namespace zarvento::test
