// The NC program's text: the pass over its frames, the script's input file,
// the saved program file and the program's settings record.
#include <utility>

#include "nc/cadre_iso.h"
#include "nc/modal_state.h"
#include "platform/core/messages.h"
#include "platform/core/text_file.h"
#include "platform/core/variant.h"
#include "platform/documents/document_file.h"
#include "platform/documents/storage_record.h"
#include "post/post_processor_settings.h"
#include "post/program.h"
#include "post/program_plan_links.h"
#include "post/python_run.h"

namespace zarvento {

namespace {

std::vector<std::string> WithoutLeadingBlanks(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    out.reserve(lines.size());
    for (const std::string& line : lines) {
        const std::size_t first = line.find_first_not_of(' ');
        out.push_back(first == std::string::npos ? std::string() : line.substr(first));
    }
    return out;
}

}  // namespace

void CPROGRAM::WriteProgramText(std::vector<std::string>& lines) {
    // The export sets its flag around this pass, and the reset must not undo it.
    const std::uint8_t exportRun = ModalState.exportRun;
    ResetModalState();
    ModalState.exportRun = exportRun;
    // Whether the script must run is decided by this text alone, not by
    // whatever was written since the description was read.
    ModalState.builtInTextWritten = 0;

    std::vector<std::pair<std::size_t, CCadreISO*>> rewritten;
    ModalState.refusedWords.clear();
    refusedWords_.clear();
    lineFrames_.clear();
    int number = 1;
    for (std::uint32_t i = 0; i < frames.Count(); ++i) {
        CCadreISO* frame = frames[i];
        frame->templateLineCount = 0;
        // Block numbers are those of this pass: a frame written before, in
        // a preview with other operations in front of it, would keep the
        // number it printed there.
        frame->frameNumber = -1;
        number = frame->WriteText(lines, number);
        lineFrames_.resize(lines.size(), i);
        if (frame->kindLetter == 'P' && !lines.empty()) rewritten.emplace_back(lines.size() - 1, frame);
        if (!ModalState.refusedWords.empty()) NoteRefusedWords(i);
    }
    std::int32_t position = 0;
    for (std::uint32_t i = 0; i < frames.Count(); ++i) {
        frames[i]->programPosition = position;
        position += frames[i]->GetPositionCount();
    }
    // These frames print program positions, known only now; they keep the
    // block number of the first pass.
    for (const auto& [line, frame] : rewritten) {
        if (lines[line].empty()) continue;
        std::vector<std::string> again;
        frame->WriteText(again, frame->frameNumber - 1);
        if (!again.empty()) lines[line] = again.front();
    }
}

void CPROGRAM::NoteRefusedWords(std::uint32_t frame) {
    const int owner = frame < frameOperations_.size() ? frameOperations_[frame] : -1;
    for (const std::string& word : ModalState.refusedWords) {
        std::string text = word;
        if (owner >= 0 && static_cast<std::size_t>(owner) < operationNames_.size())
            text += " (обработка " + operationNames_[static_cast<std::size_t>(owner)] + ")";
        refusedWords_.push_back(std::move(text));
    }
    ModalState.refusedWords.clear();
}

bool CPROGRAM::UsesScript() {
    const PostProcessorSettings& settings = PostProcessorSettings::Current();
    return !(settings.Version == "18" && !settings.UsePython && ModalState.builtInTextWritten == 0);
}

bool CPROGRAM::SaveInputFile(const std::vector<std::string>& lines) {
    if (!UsesScript()) return true;
    const ProgramPlanLinks* links = GetProgramPlanLinks();
    const std::filesystem::path folder = links != nullptr ? links->TemporaryDirectory() : std::filesystem::path();
    const FileWriteResult written = folder.empty() ? FileWriteResult{}
                                                   : WriteTextFile(folder / kInputFileName, WithoutLeadingBlanks(lines),
                                                                   TextEncoding::Cp1251, LineEnd::CrLf);
    if (!written.ok) ShowHostMessage(kInputSaveFailed);
    return written.ok;
}

bool CPROGRAM::SaveProgramFile(const std::string& path, const std::vector<std::string>& lines) {
    // The reader has already decided what CODING_CHAR means: only these two
    // spellings make a UTF-8 program.
    const std::string& coding = PostProcessorSettings::Current().CodingChar;
    const bool utf8 = (coding == "UTF8" || coding == "utf8");
    FileWriteResult written;
    // NC text in place of a part document would lose the part and its plan.
    if (DocumentFile::IsDocumentFile(path))
        written.error = "\"" + path + "\" is a Zarvento document and is left as it is";
    else
        written = WriteTextFile(path, WithoutLeadingBlanks(lines), utf8 ? TextEncoding::Utf8 : TextEncoding::Cp1251,
                                LineEnd::CrLf);
    saveError_ = written.ok ? std::string() : written.error;
    // The writer's reason goes with the message: a missing folder, a folder
    // of that name, a protected file or a full disk each want another remedy.
    if (!written.ok) ShowHostMessage(std::string(kSaveFailed) + ":\n" + written.error);
    return written.ok;
}

bool CPROGRAM::Save() const {
    StorageRecord record;
    if (!record.OpenWrite(kRecordName)) return false;
    record.AddNamedValue("nINCH", Variant::I4(nINCH));
    record.AddNamedValue("Transparency", Variant::R8(Transparency));
    record.AddNamedValue("Accuracy", Variant::R8(Accuracy));
    record.AddNamedValue("KoffVelosity", Variant::R8(KoffVelosity));
    record.AddNamedValue("isToolHide", Variant::Bool(isToolHide));
    record.AddNamedValue("isPathHide", Variant::Bool(isPathHide));
    record.AddNamedValue("indCODE", Variant::I4(indCODE));
    return record.Flush();
}

bool CPROGRAM::Load() {
    StorageRecord record;
    if (!record.OpenRead(kRecordName)) return false;
    // A value missing from an older record keeps its default.
    auto read = [&record](const char* key, VarType type, auto apply) {
        record.ReadNamedValue(key);
        const Variant& stored = record.ReadBuffer();
        if (!stored.IsEmpty()) apply(stored.ChangeType(type));
    };
    read("nINCH", VarType::I4, [this](const Variant& v) { nINCH = v.AsI4(); });
    read("Transparency", VarType::R8, [this](const Variant& v) { Transparency = v.AsR8(); });
    read("Accuracy", VarType::R8, [this](const Variant& v) { Accuracy = v.AsR8(); });
    read("KoffVelosity", VarType::R8, [this](const Variant& v) { KoffVelosity = v.AsR8(); });
    read("isToolHide", VarType::Bool, [this](const Variant& v) { isToolHide = v.AsBool(); });
    read("isPathHide", VarType::Bool, [this](const Variant& v) { isPathHide = v.AsBool(); });
    read("indCODE", VarType::I4, [this](const Variant& v) { indCODE = v.AsI4(); });
    ProgramUnits::Global().Set(nINCH);
    return true;
}

}  // namespace zarvento
