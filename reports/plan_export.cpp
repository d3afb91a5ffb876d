// The export through the export post-processor and its script.
#include "reports/plan_export.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "nc/frame_text_format.h"
#include "nc/modal_state.h"
#include "operations/checked_program.h"
#include "operations/turn.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/busy_flag.h"
#include "platform/core/messages.h"
#include "platform/core/stored_path.h"
#include "platform/core/text_file.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_documents.h"
#include "platform/processes/module.h"
#include "post/post_processor.h"
#include "post/program.h"
#include "post/python_run.h"
#include "reports/plan_sketch.h"
#include "reports/turn_sketch.h"

namespace zarvento {

namespace {

constexpr const char* kCaption = "Orbisel";
constexpr int kExclamation = 0x30;

// The file name's start in a stored or local path.
std::size_t NameStart(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? 0 : slash + 1;
}

void RemoveFile(const std::filesystem::path& file) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
}

bool CopyOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(from, ec)) return false;
    return std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ec) && !ec;
}

// The text written anew without the lines' leading blanks, every line
// ended by CR LF (UTF-8, as the lines are); the writer's reason, naming the
// file, when it cannot be written.
FileWriteResult WriteLines(const std::filesystem::path& file, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        const std::size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos) text.append(line, first);
        text += "\r\n";
    }
    return WriteFileAtomic(file, text);
}

// The plan's own post-processor made current again, and its templates read
// again, whatever way the scope is left.
class PlanPostProcessorBack {
public:
    explicit PlanPostProcessorBack(CSPID& spid) : spid_(spid), own_(spid.GetPostProcessor()) {}
    ~PlanPostProcessorBack() {
        try {
            Restore();
        } catch (...) {
            // The export's own failure is the one to report.
        }
    }
    PlanPostProcessorBack(const PlanPostProcessorBack&) = delete;
    PlanPostProcessorBack& operator=(const PlanPostProcessorBack&) = delete;
    void Restore() {
        if (restored_) return;
        restored_ = true;
        spid_.SetPostProcessor(own_);
        if (own_)
            own_->ReadPostProcessorDescription();
        else
            FreeFrameTemplates();
    }

private:
    CSPID& spid_;
    CPostProcessor* own_;
    bool restored_ = false;
};

struct ExportNames {
    std::filesystem::path xml;
    std::string folder;  // as chosen, stored-path style
    std::string title;
};

std::string Sketch(const ExportNames& names, int number) {
    return names.folder + "\\Эскиз " + std::to_string(number) + " (" + names.title + ").rdd";
}

void RemoveBackup(const std::string& document) { RemoveFile(StoredPathToPath(document + ".bak")); }

void UpdateXML(const std::filesystem::path& temporary, const ExportNames& names, std::string& message) {
    if (!CopyOver(temporary / kOutputFileName, names.xml)) message += kExportXmlFailed;
}

void Copy3Dmodel(const std::string& partFile, const ExportNames& names, std::string& message) {
    const std::filesystem::path copy = StoredPathToPath(names.folder + "\\" + names.title + ".rdp");
    if (partFile.empty() || !CopyOver(StoredPathToPath(partFile), copy)) message += kExportModelFailed;
}

void CreateAllSketches(CPLAN& plan, const ExportNames& names) {
    const std::string planSketch = Sketch(names, 0);
    CreatePlanDocument(planSketch);
    RemoveBackup(planSketch);
    for (int i = 0; i < plan.GetTurnCount(); ++i) {
        auto* turn = dynamic_cast<CTurn*>(plan.GetTurn(i));
        if (!turn) continue;
        const std::string sketch = Sketch(names, i + 1);
        CreateSketch(*turn, sketch);
        RemoveBackup(sketch);
    }
}

// The plan's NC program, made and judged before the export's steps, saved
// under the program name.
void CopyProgram(const std::filesystem::path& temporary, const ExportNames& names, CheckedProgram& program,
                 std::string& message) {
    RemoveFile(temporary / kOutputFileName);
    const CPostProcessor* post = GetSPID()->GetPostProcessor();
    const std::string file =
        ExportProgramName(names.folder, names.title, post != nullptr ? post->GetFileExtension() : std::string());
    if (!program.Save(StoredPathToPath(file).string())) message += kExportProgramCreateFailed;
}

}  // namespace

ExportScriptKeywords ExportScriptKeywords::Parse(std::string_view answer) {
    answer = answer.substr(0, std::min(answer.size(), kExportAnswerBytes));
    ExportScriptKeywords k;
    k.updateXml = answer.find("UpdateXML") != std::string_view::npos;
    k.copy3dModel = answer.find("Copy3Dmodel") != std::string_view::npos;
    k.createAllSketches = answer.find("CreateAllSketches") != std::string_view::npos;
    k.copyProgram = answer.find("CopyProgram") != std::string_view::npos;
    return k;
}

std::string ExportFolder(const std::string& xmlPath) {
    const std::size_t dot = xmlPath.rfind('.');
    if (dot == std::string::npos || dot < NameStart(xmlPath)) return xmlPath;
    return xmlPath.substr(0, dot);
}

std::string ExportTitle(const std::string& xmlPath) {
    const std::string name = xmlPath.substr(NameStart(xmlPath));
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string ExportProgramName(const std::string& folder, const std::string& title, const std::string& extension) {
    return folder + "\\" + Transliterate(title) + "." + extension;
}

namespace {

// The plan's program in the export post-processor's frames, as text lines.
std::vector<std::string> PlanProgramLines() {
    std::vector<std::string> lines;
    CPROGRAM program;
    program.CreateProgram(nullptr, -1);
    program.WriteProgramText(lines);
    return lines;
}

// The head of the script's answer file; none when it left no file.
std::optional<std::string> ReadScriptAnswer(const std::filesystem::path& path) {
    std::ifstream answer(path, std::ios::binary);
    if (!answer) return std::nullopt;
    std::string text(kExportAnswerBytes, '\0');
    answer.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(answer.gcount()));
    return text;
}

// The export's script merges the new text into the file and names the
// steps: its answer, or none when it failed, timed out or was cancelled.
std::optional<std::string> RunMergeScript(CSPID& spid, CPostProcessor& exportPost,
                                          const std::filesystem::path& temporary) {
    // An answer left by an earlier run must never pass for this one's.
    RemoveFile(temporary / kPathFileName);
    spid.SetPostProcessor(&exportPost);
    CPROGRAM merge;
    ListControl output, console;
    if (!merge.RunPostProcessor(&output, &console)) return std::nullopt;
    return ReadScriptAnswer(temporary / kPathFileName);
}

}  // namespace

std::string ExportPlan(CPLAN& plan, const std::string& xmlPath) {
    BusyFlagGuard busy;
    CSPID& spid = *GetSPID();
    HostApplication& app = ConnectHostApplication();
    const HostDocumentPtr part = app.ActiveDocumentOrNull();
    const std::string partFile = part ? part->FilePath() : std::string();
    const std::filesystem::path temporary = StoredPathToPath(spid.sessionDirectory);
    ExportNames names{StoredPathToPath(xmlPath), ExportFolder(xmlPath), ExportTitle(xmlPath)};
    std::string message;

    auto report = [&] {
        if (part && app.Documents().Contains(part)) app.SetActiveDocument(part);
        const std::string text = message.empty() ? std::string(kExportDone) : message;
        HostMessageBox(text, kCaption, kExclamation);
        return text;
    };

    // The program is made and judged first, with the plan's own
    // post-processor: a plan whose program is refused exports nothing.
    CheckedProgram program;
    if (!program.Make()) {
        message += kExportProgramCreateFailed;
        message += program.Verdict().Text() + "\n";
        return report();
    }
    program.Release();

    std::error_code ec;
    const bool existed = std::filesystem::exists(names.xml, ec);
    {
        // The export's own post-processor: its templates make the frames XML.
        PlanPostProcessorBack own(spid);
        std::optional<ExportRunGuard> exportRun;
        exportRun.emplace();
        std::string script;
        ModuleFilePath(script, kExportPostProcessor);
        CPostProcessor exportPost(kExportPostProcessorName, script);
        if (script.empty() || !exportPost.ReadPostProcessorDescription()) {
            // The description's reader has said why; nothing is written.
            message += kExportCreateFailed;
            message += "the export's description " + (script.empty() ? std::string(kExportPostProcessor) : script) +
                       " cannot be read\n";
            exportRun.reset();
            own.Restore();
            return report();
        }
        // The frames write their text only outside the export run: the flag
        // is off for the text pass, on again for the script.
        exportRun.reset();
        const std::vector<std::string> lines = PlanProgramLines();
        exportRun.emplace();
        std::filesystem::create_directories(temporary, ec);
        const std::filesystem::path target = existed ? temporary / kInputFileName : names.xml;
        FileWriteResult written = WriteLines(target, lines);
        if (written.ok && existed && !CopyOver(names.xml, temporary / kOutputFileName)) {
            written.ok = false;
            written.error = "cannot read \"" + names.xml.string() + "\"";
        }
        if (!written.ok) {
            message += kExportCreateFailed;
            message += written.error + "\n";
            exportRun.reset();
            own.Restore();
            return report();
        }
        if (!existed) {
            exportRun.reset();
            own.Restore();
            std::filesystem::create_directories(StoredPathToPath(names.folder), ec);
            Copy3Dmodel(partFile, names, message);
            CreateAllSketches(plan, names);
            CopyProgram(temporary, names, program, message);
            return report();
        }
        const std::optional<std::string> text = RunMergeScript(spid, exportPost, temporary);
        exportRun.reset();
        own.Restore();
        // A script that failed, timed out or was cancelled has answered
        // nothing; it has told the user why on the console.
        if (!text) {
            message += kExportCancelled;
            return report();
        }
        const ExportScriptKeywords steps = ExportScriptKeywords::Parse(*text);
        std::filesystem::create_directories(StoredPathToPath(names.folder), ec);
        if (steps.updateXml) UpdateXML(temporary, names, message);
        if (steps.copy3dModel) Copy3Dmodel(partFile, names, message);
        if (steps.createAllSketches) CreateAllSketches(plan, names);
        if (steps.copyProgram) CopyProgram(temporary, names, program, message);
    }
    return report();
}

void ExportPlanWithDialog(CPLAN& plan) {
    std::string initial;
    if (const std::string* file = plan.PlanParameters().GetStringParameter("MODEL.File")) initial = *file;
    const std::optional<std::string> chosen =
        ShowSaveFileDialog("*.xml", "ТЕХПЛАН (*.xml)|*.xml|", initial, true, true);
    if (!chosen || chosen->empty()) return;
    ExportPlan(plan, *chosen);
}

}  // namespace zarvento
