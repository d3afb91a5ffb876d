// A fixture for the catalog suites: clean process state, a connected host
// application and a scratch folder removed after each test.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/documents/host_application.h"
#include "test_support.h"

namespace zarvento::test {

class CatalogTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        scratch = std::make_unique<TempDir>();
        dir = scratch->Path();
        app = &ConnectHostApplication();
    }
    void TearDown() override {
        CleanStateTest::TearDown();
        scratch.reset();
    }

    std::string PathOf(const std::string& name) const { return (dir / name).string(); }

    std::unique_ptr<TempDir> scratch;
    std::filesystem::path dir;
    HostApplication* app = nullptr;
};

}  // namespace zarvento::test
