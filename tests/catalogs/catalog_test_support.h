// A fixture for the catalog suites: clean process state, a connected host
// application and a scratch folder removed after each test.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/host_application.h"
#include "test_support.h"

namespace zarvento::test {

class CatalogTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        std::string pattern = (std::filesystem::temp_directory_path() / "zarvento-catalog-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        app = &ConnectHostApplication();
    }
    void TearDown() override {
        CleanStateTest::TearDown();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    std::string PathOf(const std::string& name) const { return (dir / name).string(); }

    std::filesystem::path dir;
    HostApplication* app = nullptr;
};

}  // namespace zarvento::test
