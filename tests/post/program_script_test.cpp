// The run of a post-processor's script through the exchange files: the
// arguments, the temporary folder, the program and console read back, and
// every way a script can fail.
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "nc/modal_state.h"
#include "platform/core/code_page.h"
#include "platform/core/variant.h"
#include "platform/documents/settings_record.h"
#include "post/program.h"
#include "post/python_run.h"
#include "program_links_stand_in.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// PATH changed for a scope.
class PathGuard {
public:
    explicit PathGuard(const std::string& path) {
        if (const char* old = std::getenv("PATH")) saved_ = old;
        ::setenv("PATH", path.c_str(), 1);
    }
    ~PathGuard() {
        if (saved_)
            ::setenv("PATH", saved_->c_str(), 1);
        else
            ::unsetenv("PATH");
    }
    PathGuard(const PathGuard&) = delete;
    PathGuard& operator=(const PathGuard&) = delete;

private:
    std::optional<std::string> saved_;
};

// A process is gone when it no longer exists or is only a zombie left to
// init; a killed one gets a moment to go, longer on a busy machine.
bool ProcessGone(int pid) {
    for (int attempt = 0; attempt < 750; ++attempt) {
        if (::kill(pid, 0) != 0) return true;
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text;
        std::getline(stat, text);
        const std::size_t paren = text.rfind(')');
        if (paren == std::string::npos || text.substr(paren + 2, 1) == "Z") return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

const std::string kNoOutputFile = std::string(CPROGRAM::kNoOutput) + "\nСкрипт не создал файл output.tmp.";

class ProgramScriptTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        // The stored interpreter is the host's Windows path: python3 runs in
        // its place, within the product's own limits.
        SettingsRecord::Global().SetDefaults();
    }

    void Use(const std::string& script, bool readDescription = false) {
        links.post = std::make_unique<CPostProcessor>(script, test::FixturePath("python/" + script + ".py3"));
        if (readDescription) {
            ASSERT_TRUE(links.post->ReadPostProcessorDescription());
        }
    }

    void WriteInput(const Lines& lines) {
        ASSERT_TRUE(WriteTextFile(links.folder / kInputFileName, lines, TextEncoding::Cp1251, LineEnd::CrLf).ok);
    }

    test::ProgramLinksStandIn links;
    CPROGRAM program;
    ListControl output;
    ListControl messages;
};

TEST(ScriptArgumentsTest, CompositionByCodesExportAndUnits) {
    struct Case {
        bool codes;
        bool exportRun;
        int nINCH;
        Lines expected;
    };
    const Case cases[] = {
        {false, false, 0, {"/pp/a.py3", "1.0"}},
        {false, false, 1, {"/pp/a.py3", "25.40038"}},
        {false, false, 2, {"/pp/a.py3", "10.0"}},
        {false, false, 3, {"/pp/a.py3"}},
        {true, false, 0, {"/pp/a.py3", "4", "1.0"}},
        {true, true, 1, {"/pp/a.py3", "4", "/tmp/NC_x", "25.40038"}},
        {false, true, 2, {"/pp/a.py3", "/tmp/NC_x", "10.0"}},
        {true, true, -1, {"/pp/a.py3", "4", "/tmp/NC_x"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScriptArguments("/pp/a.py3", c.codes, 4, c.exportRun, "/tmp/NC_x", c.nINCH), c.expected)
            << c.codes << c.exportRun << c.nINCH;
    }
}

TEST_F(ProgramScriptTest, TheScriptConvertsTheProgramInTheTemporaryFolder) {
    Use("converter", true);
    program.indCODE = 1;
    program.nINCH = 1;
    WriteInput({" N001  G00 X40 Z2", " (Деталь)", " N002  G01 Z-10 F0.2"});
    messages.AddLine("old");
    ASSERT_TRUE(program.RunPostProcessor(&output, &messages));
    const std::string args = "(ARGS " + links.post->GetPath() + " | 1 | 25.40038)";
    EXPECT_EQ(output.Lines(), (Lines{"%", args, "N001  G00 X40 Z2", "(Деталь)", "N002  G01 Z-10 F0.2", "%"}));
    EXPECT_EQ(messages.Lines(), (Lines{"Готово", "lines: 3"}));
    EXPECT_TRUE(Messages().empty());
    // The script's relative files landed in the temporary folder.
    EXPECT_TRUE(fs::exists(links.folder / kOutputFileName));
    EXPECT_TRUE(fs::exists(links.folder / kPathFileName));

    // Its moves reach the frames that printed their numbers.
    test::NumberedMoves moves(program);
    program.ReadPathFile();
    EXPECT_EQ(moves.rapid.SubFrames().size(), 1u);
    EXPECT_EQ(moves.cut.SubFrames().size(), 1u);
}

TEST_F(ProgramScriptTest, TheExportRunPassesTheFolderAndKeepsTheConsoleAndTheOldOutput) {
    Use("converter", true);
    WriteInput({" N001  G00 X40 Z2"});
    links.WriteFile(kPathFileName, "N1 G00 X1 Z1\r\n");
    messages.AddLine("old");
    {
        ExportRunGuard exportRun;
        ASSERT_TRUE(program.RunPostProcessor(&output, &messages));
    }
    ASSERT_GE(output.Lines().size(), 2u);
    EXPECT_EQ(output.Lines()[1],
              "(ARGS " + links.post->GetPath() + " | 0 | " + links.folder.Path().string() + " | 1.0)");
    // The console was the user's, not a pipe: the message list is not touched.
    EXPECT_EQ(messages.Lines(), Lines{"old"});
}

TEST_F(ProgramScriptTest, NoPostProcessorNoRun) {
    EXPECT_FALSE(program.RunPostProcessor(&output, &messages));
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_EQ(Entries()[0].role, MessageRole::MessageBox);
    EXPECT_EQ(Entries()[0].caption, "Orbisel");
    EXPECT_EQ(Entries()[0].text, "Не обнаружен постпроцессор\nНевозможно конвертировать программу");
}

TEST_F(ProgramScriptTest, AnInterpreterThatCannotBeStartedFallsBackToPython3) {
    Use("converter");
    WriteInput({" N001  G00 X40 Z2"});
    // A stored path of another machine, and a file that is there but no program.
    for (const std::string& stored : {std::string(R"(C:\Python39\python.exe)"), links.post->GetPath()}) {
        SCOPED_TRACE(stored);
        SettingsRecord::Global().pythonPath = stored;
        EXPECT_TRUE(program.RunPostProcessor(&output, &messages));
        EXPECT_EQ(messages.Lines(), (Lines{"Готово", "lines: 1"}));
        EXPECT_TRUE(Messages().empty());
    }
}

TEST_F(ProgramScriptTest, NeitherTheStoredInterpreterNorPython3) {
    Use("converter");
    const test::TempDir emptyBin;
    const PathGuard path(emptyBin.Path().string());
    SettingsRecord::Global().pythonPath = R"(C:\Python39\python.exe)";
    EXPECT_FALSE(program.RunPostProcessor(&output, &messages));
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_EQ(Entries()[0].caption, "Orbisel");
    EXPECT_EQ(Entries()[0].text, "Не удалось запустить процесс\nC:\\Python39\\python.exe");
}

TEST_F(ProgramScriptTest, ASleeperIsEndedAtTheTimeoutWithAllItStarted) {
    Use("sleeper");
    // The script notes its helper once it runs; a timeout that came before
    // the interpreter got that far is tried again longer.
    std::int64_t timeoutMs = 0;
    const bool converted = test::WithATimeoutTheChildOutlives(
        2500, test::kProductScriptLimitMs,
        [&](std::int64_t ms) {
            timeoutMs = ms;
            MessageLog::Instance().Clear();
            PythonRunTimeouts::Current().programMs = ms;
            return program.RunPostProcessor(&output, &messages);
        },
        [&] { return fs::exists(links.folder / "pids.txt"); });
    EXPECT_FALSE(converted);
    EXPECT_EQ(Messages(), Lines{std::string(CPROGRAM::kTimedOut) + "\nСкрипт остановлен через " +
                                FormatDouble(static_cast<double>(timeoutMs) / 1000.0) + " с."});
    std::ifstream pids(links.folder / "pids.txt");
    int script = 0;
    int helper = 0;
    ASSERT_TRUE(pids >> script >> helper) << "the script did not start within the product's limit";
    EXPECT_TRUE(ProcessGone(script));
    EXPECT_TRUE(ProcessGone(helper));
    EXPECT_FALSE(fs::exists(links.folder / kOutputFileName));
}

TEST_F(ProgramScriptTest, AChattyScriptEndsAndItsFirstBytesAreShown) {
    Use("chatty");
    ASSERT_TRUE(program.RunPostProcessor(&output, &messages));
    EXPECT_EQ(output.Lines(), (Lines{"%", "M30", "%"}));
    // 999 bytes of 51-byte lines: 19 whole lines and 30 bytes of the next.
    ASSERT_EQ(messages.Lines().size(), 20u);
    EXPECT_EQ(messages.Lines()[0], "chatter 0000 " + std::string(37, '.'));
    EXPECT_EQ(messages.Lines()[19], "chatter 0019 " + std::string(17, '.'));
}

TEST_F(ProgramScriptTest, ASilentScriptLeavesNoProgram) {
    Use("silent");
    // Answers of an earlier run never pass for this one's.
    links.WriteFile(kOutputFileName, "OLD\r\n");
    links.WriteFile(kPathFileName, "N1 G00 X1 Z1\r\n");
    messages.AddLine("old");
    EXPECT_TRUE(program.RunPostProcessor(&output, &messages));
    EXPECT_TRUE(output.Lines().empty());
    EXPECT_TRUE(messages.Lines().empty());
    EXPECT_EQ(Messages(), Lines{kNoOutputFile});
    EXPECT_EQ(program.ScriptError(), kNoOutputFile);
    EXPECT_FALSE(fs::exists(links.folder / kPathFileName));
}

TEST_F(ProgramScriptTest, TheExportRunKeepsTheOutputFileForTheScriptToMerge) {
    Use("silent");
    links.WriteFile(kOutputFileName, "<plan/>\r\n");
    links.WriteFile(kPathFileName, "N1 G00 X1 Z1\r\n");
    ExportRunGuard exportRun;
    EXPECT_TRUE(program.RunPostProcessor(&output, nullptr));
    EXPECT_EQ(output.Lines(), Lines{"<plan/>"});
    EXPECT_FALSE(fs::exists(links.folder / kPathFileName));
}

// A script that fails has failed, whatever it wrote: its status is the cause
// named (once every failure was "wrong path to Python; program too long").
TEST_F(ProgramScriptTest, ACrashShowsItsTracebackAndFailsTheRun) {
    Use("crash");
    EXPECT_FALSE(program.RunPostProcessor(&output, &messages));
    ASSERT_GE(messages.Lines().size(), 2u);
    EXPECT_EQ(messages.Lines().front(), "Traceback (most recent call last):");
    EXPECT_EQ(messages.Lines().back(), "RuntimeError: intermediate code not understood");
    EXPECT_EQ(Messages(), Lines{std::string(CPROGRAM::kScriptFailed) + "\nСкрипт завершился с кодом 1."});
}

// A script that fails after writing a program that would pass for a good one,
// or leaves an output no program is: once its program was saved (cut at 64 MB,
// zero bytes taken for line ends in gigabytes of memory), or the job waited
// for ever on a FIFO. Each fails the run, naming its cause.
TEST_F(ProgramScriptTest, EveryFailureOfTheScriptFailsTheRunAndNamesItsCause) {
    Use("hostile");
    struct Case {
        const char* mode;
        std::string message;
    };
    const std::string failed = std::string(CPROGRAM::kScriptFailed) + "\n";
    for (const Case& c : {Case{"status", failed + "Скрипт завершился с кодом 3."},
                          Case{"signal", failed + "Скрипт завершён сигналом 11."},
                          Case{"big", failed + "Файл output.tmp больше 64 МБ."},
                          Case{"zeros", failed + "Файл output.tmp содержит больше 4194304 строк."},
                          Case{"fifo", failed + "output.tmp - не обычный файл."},
                          Case{"device", failed + "output.tmp - не обычный файл."},
                          Case{"folder", failed + "output.tmp - не обычный файл."}}) {
        SCOPED_TRACE(c.mode);
        MessageLog::Instance().Clear();
        links.WriteFile("mode.txt", c.mode);
        WriteInput({" N001  G00 X40 Z2"});
        output.SetLines({"old"});
        // A script that hangs (on a FIFO) would end at the timeout instead.
        CPROGRAM run;
        std::vector<std::string> lines;
        EXPECT_FALSE(run.MakeProgramText(lines));
        EXPECT_TRUE(lines.empty());
        EXPECT_EQ(Messages(), Lines{c.message});
        EXPECT_EQ(run.ScriptError(), c.message);
        fs::remove_all(links.folder / kOutputFileName);
    }
}

// What the script left running when it ended is ended with it: it can no
// longer write over the program while it is read, nor into the next run.
TEST_F(ProgramScriptTest, WhatTheScriptLeftRunningEndsWithIt) {
    Use("hostile");
    links.WriteFile("mode.txt", "background");
    WriteInput({" N001  G00 X40 Z2"});
    ASSERT_TRUE(program.RunPostProcessor(&output, &messages)) << program.ScriptError();
    EXPECT_EQ(output.Lines(), (Lines{"%", "N1 G00 X40 Z2", "M30", "%"}));
    std::ifstream pids(links.folder / "pids.txt");
    int late = 0;
    ASSERT_TRUE(pids >> late);
    EXPECT_TRUE(ProcessGone(late));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_NE(ReadFileBytes(links.folder / kOutputFileName).text, "LATE");
}

TEST_F(ProgramScriptTest, FilesWithLineFeedsOnlyAreReadWhole) {
    Use("lf_only");
    ASSERT_TRUE(program.RunPostProcessor(&output, &messages));
    EXPECT_EQ(output.Lines(), (Lines{"%", "N1 G00 X40 Z2", "", "N2 G01 Z-10 F0.2", "M30"}));
    EXPECT_EQ(messages.Lines(), (Lines{"first", "second"}));
    test::NumberedMoves moves(program);
    program.ReadPathFile();
    EXPECT_EQ(moves.rapid.SubFrames().size(), 1u);
    ASSERT_EQ(moves.cut.SubFrames().size(), 2u);
    EXPECT_DOUBLE_EQ(moves.cut.SubFrames()[1]->end.x, -25.0);
}

TEST_F(ProgramScriptTest, TheOutputFileKeepsItsLastLineAndGainsNoEmptyLines) {
    links.post = std::make_unique<CPostProcessor>("x", "x.py3");
    struct Case {
        std::string bytes;
        Lines expected;
    };
    const Case cases[] = {
        {"%\r\nN1 M03\r\n\r\nM30\r\n", {"%", "N1 M03", "", "M30"}},
        {"%\r\nM30", {"%", "M30"}},
        {"A\nB\rC", {"A", "B", "C"}},
        {std::string("A\0B\r\n", 5), {"A", "B"}},
        {"(\xC4\xE5\xF2\xE0\xEB\xFC)\r\n", {"(Деталь)"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        links.WriteFile(kOutputFileName, c.bytes);
        output.AddLine("old");
        EXPECT_TRUE(program.ReadOutputFile(&output));
        EXPECT_EQ(output.Lines(), c.expected);
    }
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(program.ReadOutputFile(nullptr));
    fs::remove(links.folder / kOutputFileName);
    EXPECT_FALSE(program.ReadOutputFile(&output));
    EXPECT_EQ(Messages(), Lines{kNoOutputFile});
}

TEST(FillListFromTextTest, LinesOfAnyEndLongLinesAndTheCap) {
    ListControl list;
    list.AddLine("old");
    CPROGRAM::FillListFromText(&list, "a\r\nb\rc\nd");
    EXPECT_EQ(list.Lines(), (Lines{"a", "b", "c", "d"}));
    // A line longer than an item holds goes on in the next item.
    CPROGRAM::FillListFromText(&list, std::string(600, 'x'));
    EXPECT_EQ(list.Lines(), (Lines{std::string(512, 'x'), std::string(88, 'x')}));
    std::string many;
    for (int i = 0; i < 10005; ++i) many += "l\n";
    CPROGRAM::FillListFromText(&list, many);
    EXPECT_EQ(list.Lines().size(), 10000u);
    CPROGRAM::FillListFromText(&list, "\xCE\xCA");
    EXPECT_EQ(list.Lines(), Lines{"ОК"});
    CPROGRAM::FillListFromText(nullptr, "a");
}

}  // namespace
}  // namespace zarvento
