// The fixture of the operation suites: clean process state, a connected host
// with an active part document, and a runner over a bar of 50 mm from
// z = -58 to z = 2 with tools at positions 0 and 1.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "operation_runner.h"
#include "platform/host_application.h"
#include "platform/host_folder.h"
#include "test_support.h"

namespace zarvento::test {

// A step of radius 20 from the face to z = -30, then the shoulder out past the bar.
inline constexpr const char* kStepProfile =
    "LineSeg( 5,-20, -30,-20, 1 );\n"
    "LineSeg( -30,-20, -30,-30, 1 );\n";

// Compares a path text with the stored one under tests/fixtures/;
// ZARVENTO_WRITE_GOLDEN=1 stores it anew, to be reviewed by diff.
inline void ExpectGolden(const std::string& fixture, const std::string& text) {
    const std::string path = FixturePath(fixture);
    if (const char* write = std::getenv("ZARVENTO_WRITE_GOLDEN"); write && std::string(write) == "1") {
        std::ofstream(path, std::ios::binary) << text;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    std::stringstream golden;
    golden << in.rdbuf();
    EXPECT_EQ(text, golden.str()) << fixture;
}

class OperationTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        SetHostFolder(folder.Path());
        app = &ConnectHostApplication();
        part = app->Documents().Add(DocumentType::Part);
        runner = std::make_unique<OperationRunner>();
        runner->Bar(60, 50, 0, 2).InnerPoint(-10, -5);
        runner->Tool(0, "Резец проходной", 0.8);
        runner->Tool(1, "Резец подрезной", 0.4);
    }
    void TearDown() override {
        runner.reset();
        CleanStateTest::TearDown();
    }

    TempDir folder;
    HostApplication* app = nullptr;
    HostDocumentPtr part;
    std::unique_ptr<OperationRunner> runner;
};

}  // namespace zarvento::test
