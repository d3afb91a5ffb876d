// Shared test helpers.
#include "test_support.h"

#include <stdlib.h>

#include <stdexcept>

#include "platform/host_application.h"

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

HostDocumentPtr SaveCloseReopen(const HostDocumentPtr& doc, const std::string& path) {
    doc->SaveAs(path);
    HostApplication& app = ConnectHostApplication();
    app.Documents().Close(doc);
    return app.Documents().Open(path);
}

}  // namespace zarvento::test
