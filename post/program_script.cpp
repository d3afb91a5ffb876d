// The run of the post-processor's script: an external python3 in the plan's
// temporary folder, and the finished program read back from "output.tmp".
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "nc/modal_state.h"
#include "platform/core/code_page.h"
#include "platform/core/line_reader.h"
#include "platform/core/messages.h"
#include "platform/core/text_file.h"
#include "platform/core/unique_fd.h"
#include "platform/core/variant.h"
#include "platform/documents/settings_record.h"
#include "platform/processes/process_runner.h"
#include "post/post_processor.h"
#include "post/program.h"
#include "post/program_plan_links.h"
#include "post/python_run.h"

namespace zarvento {

namespace {

std::filesystem::path TemporaryDirectory() {
    const ProgramPlanLinks* links = GetProgramPlanLinks();
    return links != nullptr ? links->TemporaryDirectory() : std::filesystem::path();
}

void RemoveFile(const std::filesystem::path& file) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
}

}  // namespace

bool CPROGRAM::RunPostProcessor(ListControl* program, ListControl* messages) {
    scriptError_.clear();
    const std::string python = SettingsRecord::Global().pythonPath;
    const ProgramPlanLinks* links = GetProgramPlanLinks();
    const CPostProcessor* post = links != nullptr ? links->PostProcessor() : nullptr;
    if (post == nullptr) {
        scriptError_ = kNoPostProcessor;
        HostMessageBox(kNoPostProcessor, kCaption, MB_OK_);
        return false;
    }
    const std::filesystem::path folder = TemporaryDirectory();
    const bool exportRun = ModalState.exportRun != 0;

    // Files of an earlier run must not pass for this run's answer.
    if (!exportRun) RemoveFile(folder / kOutputFileName);
    RemoveFile(folder / kPathFileName);

    ProcessRequest request;
    request.program = python;
    request.arguments =
        ScriptArguments(post->GetPath(), !post->GetCncCodes().empty(), indCODE, exportRun, folder.string(), nINCH);
    request.workingDirectory = folder;
    // A stored Windows path (or a name this system lacks) falls back to python3.
    request.fallBackToPath = true;
    request.fallbackName = kFallbackPython;
    // The console text is read in the code page of the exchange files.
    request.environment = {"PYTHONIOENCODING=cp1251:replace"};
    // In the export run the script talks to the user on our own console.
    request.inheritOutput = exportRun;
    request.mergeStderr = true;
    request.maxOutputBytes = kConsoleBytes;
    // Nothing the script started may write into the exchange files once it
    // has ended and they are read.
    request.endGroupAtExit = true;
    const PythonRunTimeouts& timeouts = PythonRunTimeouts::Current();
    request.timeoutMs = exportRun ? timeouts.exportMs : timeouts.programMs;

    ProcessResult result;
    // Without a temporary folder the script would write into whatever folder
    // this process is in.
    if (!folder.empty()) {
        result = RunProcess(request);
        if (!result.started && python != kFallbackPython) {
            // A stored interpreter that is there but cannot be run.
            request.program = kFallbackPython;
            result = RunProcess(request);
        }
    }
    if (!result.started) {
        scriptError_ = std::string(kNotStarted) + python;
        HostMessageBox(scriptError_, kCaption, MB_OK_);
        return false;
    }
    // What the script said is shown whatever became of it: a traceback
    // tells more than any message of ours.
    if (!exportRun) FillListFromText(messages, result.output);
    if (result.timedOut) {
        // The runner has ended the script and all it started: a late script
        // cannot write into the next run's files.
        FailScript(kTimedOut, "Скрипт остановлен через " + FormatDouble(request.timeoutMs / 1000.0) + " с.");
        return false;
    }
    if (result.signal != 0) {
        FailScript(kScriptFailed, "Скрипт завершён сигналом " + std::to_string(result.signal) + ".");
        return false;
    }
    if (result.exitCode != 0) {
        FailScript(kScriptFailed, "Скрипт завершился с кодом " + std::to_string(result.exitCode) + ".");
        return false;
    }
    // A missing output is shown here and judged by the caller; one that is
    // there but cannot be read whole fails the run.
    const bool read = ReadOutputFile(program);
    return read || scriptError_.empty() || !std::filesystem::exists(folder / kOutputFileName);
}

void CPROGRAM::FailScript(const std::string& head, const std::string& cause) {
    scriptError_ = head + "\n" + cause;
    ShowHostMessage(scriptError_);
}

namespace {

// The script's output file as it is read: only a regular file (a FIFO would
// wait for ever, a device never end), without blocking on opening, at most
// `cap` bytes. False with the cause (for the message) otherwise.
bool ReadOutputBytes(const std::filesystem::path& path, std::size_t cap, std::string& bytes, std::string& cause) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd.IsOpen()) {
        cause = errno == ENOENT ? std::string("Скрипт не создал файл ") + kOutputFileName + "."
                                : std::string("Файл ") + kOutputFileName + " не читается: " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        cause = std::string(kOutputFileName) + " - не обычный файл.";
        return false;
    }
    const auto tooLarge = [&] {
        cause = std::string("Файл ") + kOutputFileName + " больше " + std::to_string(cap >> 20) + " МБ.";
        return false;
    };
    if (static_cast<std::uint64_t>(st.st_size) > cap) return tooLarge();
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            cause = std::string("Файл ") + kOutputFileName + " не читается: " + std::strerror(errno);
            return false;
        }
        if (n == 0) return true;
        // A file that grows while it is read is held to the same cap.
        if (bytes.size() + static_cast<std::size_t>(n) > cap) return tooLarge();
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace

bool CPROGRAM::ReadOutputFile(ListControl* list) {
    if (list == nullptr) return false;
    std::string text, cause;
    if (!ReadOutputBytes(TemporaryDirectory() / kOutputFileName, kMaxOutputBytes, text, cause)) {
        if (cause.rfind("Скрипт не создал", 0) == 0)
            FailScript(kNoOutput, cause);
        else
            FailScript(kScriptFailed, cause);
        return false;
    }
    // A zero byte ends a line like a line end; CR LF is one line end, and the
    // last line counts without one. The lines are counted before any is made.
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char& c = text[i];
        if (c == '\0') c = '\n';
        if (c == '\n' || (c == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++count;
    }
    if (count > kMaxOutputLines) {
        FailScript(kScriptFailed, std::string("Файл ") + kOutputFileName + " содержит больше " +
                                      std::to_string(kMaxOutputLines) + " строк.");
        return false;
    }
    std::vector<std::string> lines = SplitLines(text);
    text.clear();
    text.shrink_to_fit();
    for (std::string& line : lines) line = Cp1251ToUtf8(line);
    list->SetLines(std::move(lines));
    return true;
}

}  // namespace zarvento
