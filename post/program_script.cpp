// The run of the post-processor's script: an external python3 in the plan's
// temporary folder, and the finished program read back from "output.tmp".
#include <system_error>

#include "nc/modal_state.h"
#include "platform/code_page.h"
#include "platform/line_reader.h"
#include "platform/messages.h"
#include "platform/process_runner.h"
#include "platform/settings_record.h"
#include "platform/text_file.h"
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
    const std::string python = SettingsRecord::Global().pythonPath;
    const ProgramPlanLinks* links = GetProgramPlanLinks();
    const CPostProcessor* post = links != nullptr ? links->PostProcessor() : nullptr;
    if (post == nullptr) {
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
        HostMessageBox(std::string(kNotStarted) + python, kCaption, MB_OK_);
        return false;
    }
    if (result.timedOut) {
        // The runner has ended the script and all it started: a late script
        // cannot write into the next run's files.
        ShowHostMessage(kTimedOut);
        return false;
    }
    ReadOutputFile(program);
    // Line ends, the last one included, are dropped by the list filling; a
    // last line without one keeps its last character.
    if (!exportRun) FillListFromText(messages, result.output);
    return true;
}

bool CPROGRAM::ReadOutputFile(ListControl* list) {
    if (list == nullptr) return false;
    const FileReadResult file = ReadFileBytes(TemporaryDirectory() / kOutputFileName, kMaxOutputBytes);
    if (!file.ok) {
        ShowHostMessage(kNoOutput);
        return false;
    }
    // A zero byte ends a line like a line end; CR LF is one line end, and the
    // last line counts without one.
    std::string text = file.text;
    for (char& c : text)
        if (c == '\0') c = '\n';
    std::vector<std::string> lines = SplitLines(text);
    for (std::string& line : lines) line = Cp1251ToUtf8(line);
    list->SetLines(std::move(lines));
    if (file.truncated) ShowHostMessage(kOutputCut);
    return true;
}

}  // namespace zarvento
