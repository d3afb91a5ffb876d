// Starting a program without waiting: it runs on after the call returns,
// detached, and a program that cannot be run is reported.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/core/text_file.h"
#include "platform/processes/process_start.h"
#include "test_support.h"

namespace zarvento::test {
namespace {

namespace fs = std::filesystem;

void WriteScript(const fs::path& file, const std::string& body) {
    std::ofstream(file) << "#!/bin/sh\n" << body;
    fs::permissions(file, fs::perms::owner_all);
}

// The file, once something writes it; bounded, not timed: the bound only
// keeps a broken start from hanging the suite.
bool AppearsWithin(const fs::path& file, int seconds) {
    for (int i = 0; i < seconds * 100; ++i) {
        if (fs::exists(file)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(ProcessStartTest, TheProgramRunsOnAfterTheCallReturns) {
    TempDir dir;
    // The program waits for a file that only the test writes after the call
    // returned: a call that waited would never return.
    WriteScript(dir / "editor",
                "while [ ! -e \"$(dirname \"$0\")/go\" ]; do sleep 0.01; done\n"
                "printf '%s|' \"$@\" > \"$(dirname \"$0\")/args.tmp\"\n"
                "mv \"$(dirname \"$0\")/args.tmp\" \"$(dirname \"$0\")/args\"\n");
    ProcessRequest request;
    request.program = (dir / "editor").string();
    request.arguments = {"/a b/file.py3", "x"};
    const ProcessStartResult started = StartProcess(request);
    ASSERT_TRUE(started.started) << started.error;
    std::ofstream(dir / "go") << "";
    ASSERT_TRUE(AppearsWithin(dir / "args", 15));
    EXPECT_EQ(ReadTextFile(dir / "args", TextEncoding::Utf8).text, "/a b/file.py3|x|");
}

TEST(ProcessStartTest, AProgramThatCannotBeRunIsReported) {
    TempDir dir;
    ProcessRequest request;
    request.program = (dir / "missing").string();
    EXPECT_FALSE(StartProcess(request).started);
    request.program = "C:\\Windows\\notepad.exe";
    EXPECT_FALSE(StartProcess(request).started);
    std::ofstream(dir / "plain") << "not a program";
    request.program = (dir / "plain").string();
    const ProcessStartResult r = StartProcess(request);
    EXPECT_FALSE(r.started);
    EXPECT_NE(r.error.find("cannot run"), std::string::npos) << r.error;
    request.program = "true";
    request.workingDirectory = dir / "no-such-folder";
    EXPECT_FALSE(StartProcess(request).started);
}

}  // namespace
}  // namespace zarvento::test
