// The process runner with small scripts written into a temporary folder.
#include "platform/processes/process_runner.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/core/line_reader.h"
#include "platform/core/text_file.h"
#include "test_support.h"

namespace zarvento {
namespace {

using Clock = std::chrono::steady_clock;
using test::TempDir;

// A run that should end by itself is allowed what the product allows a
// script; the test of the timeout itself makes sure its child got going.
constexpr std::int64_t kEnough = test::kProductScriptLimitMs;

class ProcessRunnerTest : public ::testing::Test {
protected:
    std::string Script(const std::string& name, const std::string& text, bool executable = true) {
        const auto path = dir_ / name;
        EXPECT_TRUE(WriteFileAtomic(path, text).ok);
        if (executable) {
            std::filesystem::permissions(path, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
        }
        return path.string();
    }
    ProcessRequest Request(std::string program, std::vector<std::string> args = {}) {
        ProcessRequest r;
        r.program = std::move(program);
        r.arguments = std::move(args);
        r.workingDirectory = dir_.Path();
        r.timeoutMs = kEnough;
        return r;
    }
    TempDir dir_;
};

// A process that is gone: no entry in /proc, or a zombie waiting for init.
bool IsGoneNow(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return true;
    const std::size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

// A killed process is torn down by the kernel a moment after the signal,
// longer on a busy machine.
bool IsGone(int pid) {
    const auto until = Clock::now() + std::chrono::seconds(15);
    while (!IsGoneNow(pid)) {
        if (Clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST_F(ProcessRunnerTest, ConverterReadsAndWritesCodePageFilesInItsFolder) {
    const std::string converter = Script("convert.py", R"(import sys
with open("input.tmp", encoding="cp1251", newline="") as f:
    lines = f.read().splitlines()
with open("output.tmp", "w", encoding="cp1251", newline="\r\n") as f:
    for line in lines:
        f.write(line.upper() + "\n")
    f.write("factor " + sys.argv[-1] + "\n")
print("Готово")
)");
    ASSERT_TRUE(WriteTextFile(dir_ / "input.tmp", {"N1 g01 x10", "(фреза Ø)"}, TextEncoding::Cp1251, LineEnd::CrLf).ok);
    ProcessRequest req = Request("python3", {converter, "25.40038"});
    req.environment = {"PYTHONIOENCODING=cp1251"};
    const ProcessResult r = RunProcess(req);
    ASSERT_TRUE(r.Succeeded()) << r.error << r.errorOutput;
    const FileReadResult out = ReadTextFile(dir_ / "output.tmp", TextEncoding::Cp1251);
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(out.text, "N1 G01 X10\r\n(ФРЕЗА ?)\r\nfactor 25.40038\r\n");
    EXPECT_EQ(SplitLines(r.output), std::vector<std::string>{"\xC3\xEE\xF2\xEE\xE2\xEE"});  // "Готово"
    EXPECT_EQ(r.program.filename(), "python3");
}

TEST_F(ProcessRunnerTest, TimeoutKillsTheChildAndWhatItStarted) {
    struct Case {
        const char* name;
        const char* body;
    };
    const Case cases[] = {
        {"plain", ""},
        {"ignoring SIGTERM", "trap '' TERM\n"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(dir_ / "grandchild.pid");
        const std::string sleeper = Script("sleep.sh", std::string("#!/bin/sh\n") + c.body +
                                                           "echo started\nsleep 30 &\necho $! > grandchild.pid\n"
                                                           "sleep 30\n");
        // The shell must have started its sleeper before the timeout for the
        // test to see it ended.
        const ProcessResult r = test::WithATimeoutTheChildOutlives(
            300, kEnough,
            [&](std::int64_t ms) {
                ProcessRequest req = Request(sleeper);
                req.timeoutMs = ms;
                return RunProcess(req);
            },
            [&] { return std::filesystem::exists(dir_ / "grandchild.pid"); });
        EXPECT_TRUE(r.started) << c.name;
        EXPECT_TRUE(r.timedOut) << c.name;
        EXPECT_FALSE(r.Succeeded());
        EXPECT_EQ(r.output, "started\n") << c.name;  // read while it ran
        EXPECT_NE(r.signal, 0) << c.name;
        EXPECT_TRUE(IsGoneNow(r.pid)) << c.name;  // the child itself is reaped
        std::ifstream pidFile(dir_ / "grandchild.pid");
        int grandchild = 0;
        ASSERT_TRUE(pidFile >> grandchild) << c.name;
        EXPECT_TRUE(IsGone(grandchild)) << c.name;
    }
}

TEST_F(ProcessRunnerTest, ChattyChildNeverBlocksOnFullPipes) {
    // stderr first: a runner that read only stdout would leave the child stuck.
    const std::string chatty = Script("chatty.py", R"(import sys
sys.stderr.write("e" * 100000)
sys.stderr.flush()
for i in range(2000):
    sys.stdout.write("%099d\n" % i)
)");
    ProcessResult r = RunProcess(Request(test::ResolvedPython(), {chatty}));
    ASSERT_TRUE(r.Succeeded()) << r.error;
    EXPECT_EQ(r.output.size(), 200000u);
    EXPECT_EQ(r.output.substr(199900), std::string(95, '0') + "1999\n");
    EXPECT_EQ(r.errorOutput, std::string(100000, 'e'));
    EXPECT_FALSE(r.outputTruncated);

    ProcessRequest capped = Request(test::ResolvedPython(), {chatty});
    capped.maxOutputBytes = 999;
    r = RunProcess(capped);
    ASSERT_TRUE(r.Succeeded()) << r.error;
    EXPECT_TRUE(r.outputTruncated);
    EXPECT_EQ(r.output.size(), 999u);
    EXPECT_EQ(r.errorOutput.size(), 999u);
}

TEST_F(ProcessRunnerTest, FailingChildrenReportExitCodeSignalAndStderr) {
    struct Case {
        std::string program;
        std::vector<std::string> args;
        int exitCode;
        int signal;
        std::string stderrPart;
    };
    const std::string crash = Script("crash.py", "import sys\nprint('before')\n1 / 0\n");
    const Case cases[] = {
        {Script("exit3.sh", "#!/bin/sh\necho 'ошибка' >&2\nexit 3\n"), {}, 3, 0, "ошибка\n"},
        {test::ResolvedPython(), {crash}, 1, 0, "ZeroDivisionError"},
        {Script("segv.sh", "#!/bin/sh\nkill -SEGV $$\n"), {}, -1, SIGSEGV, ""},
    };
    for (const auto& c : cases) {
        const ProcessResult r = RunProcess(Request(c.program, c.args));
        EXPECT_TRUE(r.started) << c.program << r.error;
        EXPECT_FALSE(r.timedOut);
        EXPECT_FALSE(r.Succeeded());
        EXPECT_EQ(r.exitCode, c.exitCode) << c.program;
        EXPECT_EQ(r.signal, c.signal) << c.program;
        EXPECT_NE(r.errorOutput.find(c.stderrPart), std::string::npos) << r.errorOutput;
    }
}

TEST_F(ProcessRunnerTest, ProgramsThatCannotStartAreNotStarted) {
    const std::string plain = Script("plain.sh", "#!/bin/sh\nexit 0\n", /*executable=*/false);
    std::vector<ProcessRequest> requests = {
        Request((dir_ / "no-such-program").string()),
        Request("no-such-program-zarvento"),
        Request(R"(C:\Python39\python.exe)"),  // no fallback asked for
        Request(plain),                        // there, but not executable
        Request(""),
        Request(dir_.Path().string()),  // a folder
    };
    ProcessRequest noFolder = Request(test::ResolvedPython(), {"-c", "pass"});
    noFolder.workingDirectory = dir_ / "missing";
    requests.push_back(noFolder);
    ProcessRequest noTime = Request(test::ResolvedPython(), {"-c", "pass"});
    noTime.timeoutMs = 0;
    requests.push_back(noTime);
    for (const auto& req : requests) {
        const ProcessResult r = RunProcess(req);
        EXPECT_FALSE(r.started) << req.program;
        EXPECT_FALSE(r.timedOut);
        EXPECT_FALSE(r.error.empty()) << req.program;
        EXPECT_EQ(r.exitCode, -1);
    }
}

TEST_F(ProcessRunnerTest, StoredWindowsPathFallsBackToThePathProgram) {
    ProcessRequest req = Request(R"(C:\Python39\python.exe)", {"-c", "print('ok')"});
    req.fallBackToPath = true;
    req.fallbackName = "python3";
    ProcessResult r = RunProcess(req);
    ASSERT_TRUE(r.Succeeded()) << r.error;
    EXPECT_EQ(r.output, "ok\n");
    EXPECT_EQ(r.program.filename(), "python3");

    // Without a fallback name the stored file name, less ".exe", is looked up.
    std::filesystem::create_directory(dir_ / "bin");
    Script("bin/zv-tool", "#!/bin/sh\necho tool \"$@\"\n");
    ScopedEnv path("PATH", (dir_ / "bin").string() + ":" + std::getenv("PATH"));
    req = Request(R"(D:\Tools\ZV-TOOL.EXE)", {"a b"});
    r = RunProcess(req);
    EXPECT_FALSE(r.started);
    req.program = R"(D:\Tools\zv-tool.EXE)";
    req.fallBackToPath = true;
    r = RunProcess(req);
    ASSERT_TRUE(r.Succeeded()) << r.error;
    EXPECT_EQ(r.output, "tool a b\n");  // arguments pass as they are, no shell
}

TEST_F(ProcessRunnerTest, MergedOutputKeepsTheOrderAndEnvironmentChangesApply) {
    ProcessRequest req = Request(Script("both.sh", "#!/bin/sh\necho a\necho b >&2\necho \"[$ZV_SET][$HOME]\"\n"));
    req.mergeStderr = true;
    req.environment = {"ZV_SET=Да", "HOME"};
    const ProcessResult r = RunProcess(req);
    ASSERT_TRUE(r.Succeeded()) << r.error;
    EXPECT_EQ(r.output, "a\nb\n[Да][]\n");
    EXPECT_EQ(r.errorOutput, "");
}

TEST_F(ProcessRunnerTest, InheritedOutputIsNotCaptured) {
    ProcessRequest req = Request(Script("quiet.sh", "#!/bin/sh\necho >&2 '(a line of the child on the console)'\n"));
    req.inheritOutput = true;
    const ProcessResult r = RunProcess(req);
    ASSERT_TRUE(r.Succeeded()) << r.error;
    EXPECT_EQ(r.output + r.errorOutput, "");
}

TEST_F(ProcessRunnerTest, EndsWithTheChildNotWithItsBackgroundChildren) {
    const ProcessResult r =
        RunProcess(Request(Script("bg.sh", "#!/bin/sh\nsleep 60 &\necho $! > bg.pid\necho done\n")));
    // A run that waited for the leftover (which still holds the pipe) would
    // have found it gone.
    std::ifstream pidFile(dir_ / "bg.pid");
    int leftover = 0;
    ASSERT_TRUE(pidFile >> leftover);
    EXPECT_FALSE(IsGoneNow(leftover));
    ::kill(-r.pid, SIGKILL);
    ASSERT_TRUE(r.Succeeded()) << r.error;
    EXPECT_EQ(r.output, "done\n");
}

// A script's child that left for a session of its own (setsid) lived on
// after the job: whatever a run that is to leave nothing behind started is
// ended with it, in its process group or not, a double-forked daemon included.
TEST_F(ProcessRunnerTest, NothingAChildStartedOutlivesARunThatEndsItsGroup) {
    const std::string script = Script("escape.py",
                                      "import os, time\n"
                                      "def note(name, pid):\n"
                                      "    with open(name + '.tmp', 'w') as f: f.write(str(pid))\n"
                                      "    os.rename(name + '.tmp', name)\n"
                                      "pid = os.fork()\n"
                                      "if pid == 0:\n"
                                      "    os.setsid()\n"
                                      "    time.sleep(60)\n"
                                      "    os._exit(0)\n"
                                      "note('escaped.pid', pid)\n"
                                      "first = os.fork()\n"
                                      "if first == 0:\n"
                                      "    os.setsid()\n"
                                      "    if os.fork() == 0:\n"
                                      "        note('daemon.pid', os.getpid())\n"
                                      "        time.sleep(60)\n"
                                      "    os._exit(0)\n"
                                      "os.waitpid(first, 0)\n"
                                      "while not os.path.exists('daemon.pid'): time.sleep(0.01)\n"
                                      "print('left')\n",
                                      false);
    ProcessRequest req = Request(test::ResolvedPython(), {script});
    req.endGroupAtExit = true;
    const ProcessResult r = RunProcess(req);
    ASSERT_TRUE(r.Succeeded()) << r.error << r.errorOutput;
    EXPECT_EQ(r.output, "left\n");
    for (const char* name : {"escaped.pid", "daemon.pid"}) {
        std::ifstream file(dir_ / name);
        int pid = 0;
        ASSERT_TRUE(file >> pid) << name;
        // Killed and reaped before the run returned: no entry, not even a zombie.
        EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(pid))) << name;
    }
}

}  // namespace
}  // namespace zarvento
