// The fixture of the operation suites: clean process state, a connected host
// with an active part document, and a runner over a bar of 50 mm from
// z = -58 to z = 2 with tools at positions 0 and 1.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "golden_file.h"
#include "operation_runner.h"
#include "platform/core/host_folder.h"
#include "platform/documents/host_application.h"
#include "test_support.h"

namespace zarvento::test {

// A step of radius 20 from the face to z = -30, then the shoulder out past the bar.
inline constexpr const char* kStepProfile =
    "LineSeg( 5,-20, -30,-20, 1 );\n"
    "LineSeg( -30,-20, -30,-30, 1 );\n";

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
