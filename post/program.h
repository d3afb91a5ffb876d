// CPROGRAM: the NC program of the plan, the frames of every operation in
// output order, and the run of a post-processor's script over its text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/step_array.h"
#include "platform/dialogs/list_control.h"
#include "post/program_units.h"

namespace zarvento {

class CCadreISO;
class ProgramOperation;

// The program units of the plan's program record (nINCH: 0 millimetres, 1
// inches, 2 centimetres), kept process-wide for the path-file reader and the
// panels; loading the program record sets them, and so does the program
// panel. The plan variable _INCH, which the address words' METRIC formulas
// read, follows them.
struct ProgramUnits {
    std::int32_t nINCH = 0;
    double dINCH = 0.0;

    void Set(std::int32_t units) {
        nINCH = units;
        dINCH = units;
        ::zarvento::nINCH = units;
    }
    static ProgramUnits& Global();
};

class CPROGRAM {
public:
    static constexpr std::uint16_t kFrameStep = 34464;

    static constexpr const char* kCaption = "Orbisel";
    static constexpr const char* kNoPostProcessor = "Не обнаружен постпроцессор\nНевозможно конвертировать программу";
    static constexpr const char* kNotStarted = "Не удалось запустить процесс\n";
    static constexpr const char* kTimedOut =
        "Не удалось выполнить постпроцессирование. Возможные причины: неправильный путь к Python либо слишком "
        "длинная программа ЧПУ.";
    static constexpr const char* kNoOutput =
        "Не удалось выполнить постпроцессирование. Возможные причины:\nнеправильный путь к Python;\nслишком "
        "длинная программа ЧПУ.";
    // A run that failed otherwise: this, a line break and the cause.
    static constexpr const char* kScriptFailed = "Не удалось выполнить постпроцессирование.";
    static constexpr const char* kSaveFailed = "Ошибка сохранения программы в файл";
    static constexpr const char* kInputSaveFailed = "Ошибка сохранения программы во временный файл";
    // A word whose value no control reads (see IsWordValue): the program is refused.
    static constexpr const char* kRefusedWord = "Недопустимое значение в программе ЧПУ: ";
    static constexpr const char* kRecordName = "Zarvento.CPROGRAM";

    // The console output kept for the message list; the rest is read and dropped.
    static constexpr std::size_t kConsoleBytes = 999;
    // A finished program larger than this, or of more lines than this, is
    // no program: the run fails (a program cut short would be saved as if it
    // were whole). The lines bound the memory a file of zero bytes or empty
    // lines could take.
    static constexpr std::size_t kMaxOutputBytes = std::size_t{64} << 20;
    static constexpr std::size_t kMaxOutputLines = kMaxOutputBytes / 16;
    static constexpr std::size_t kMaxPathBytes = 50000;
    static constexpr std::size_t kMaxPathLines = 10000;
    // Console lines longer than this go on in the next list item.
    static constexpr std::size_t kListLineBytes = 512;
    static constexpr std::size_t kMaxListLines = 10000;

    CPROGRAM() = default;
    ~CPROGRAM();
    CPROGRAM(const CPROGRAM&) = delete;
    CPROGRAM& operator=(const CPROGRAM&) = delete;

    // Builds the frame list from the plan: the part-name comment, the head
    // (VERSION "18" or later) and safe blocks, every operation behind its
    // heading comments, the empty comment, M05, M30, the document frames and
    // the end block (VERSION "18" or later). An operation that is excluded
    // or carries a message gives its heading comments only.
    //
    // The operation panel's preview passes the operation it edits with the
    // plan index it will take (-1 for none): when that operation is not in
    // the plan it stands at the index for this program, the operations after
    // it are left out, and `firstFrame` (when given) receives the position of
    // its first heading comment. The plan's list is never touched, so nothing
    // that throws on the way can leave a panel's operation in the plan.
    void CreateProgram(ProgramOperation* edited = nullptr, int editedIndex = -1, int* firstFrame = nullptr);
    // Where the machine compensates the tool radius (G41/G42), the program
    // is made from paths without the offset: the operations' radius
    // corrections are kept and switched off, and each operation whose
    // correction changed is calculated again, alone. A corrected path is
    // judged before its correction goes off; one that fails keeps its
    // correction and its message. Restoring puts the kept
    // ones back (as many as the plan still has) and calculates those
    // operations once more.
    void SwitchOffRadiusCorrection();
    void RestoreRadiusCorrection();

    // Takes another program's frame list as pointers, with the operation
    // each frame belongs to; its own frames stay the other's.
    void CopyFrameList(const CPROGRAM& from);
    // Forgets the frame list (the operations' frames are theirs).
    void ClearFrames();
    // Deletes the frames the program made itself.
    void ReleaseFrames();
    const std::vector<std::unique_ptr<CCadreISO>>& OwnFrames() const { return ownFrames_; }

    // Writes the program frames' text, numbering the blocks from 1. Words
    // whose value no control reads are listed in RefusedWords, each with the
    // operation whose frame wrote it.
    void WriteProgramText(std::vector<std::string>& lines);
    const std::vector<std::string>& RefusedWords() const { return refusedWords_; }
    // For each line of the last WriteProgramText, the index in `frames` of
    // the frame that wrote it.
    const std::vector<std::uint32_t>& LineFrames() const { return lineFrames_; }
    // The operation a frame of the list belongs to (its heading comments
    // included), or null for the program's own frames.
    ProgramOperation* FrameOperation(std::uint32_t frame) const;
    // Whether the frame texts go through the post-processor's script: always,
    // unless the description is VERSION "18" without Python and no frame
    // fell back to its built-in text.
    static bool UsesScript();
    // Writes "input.tmp" for the script when UsesScript; false, with the
    // host's error message, when it cannot be written.
    bool SaveInputFile(const std::vector<std::string>& lines);
    // Saves the program lines with CR LF line ends and leading blanks
    // removed, in UTF-8 when the post-processor's CODING_CHAR is "UTF8" or
    // "utf8", else in the 8-bit Cyrillic code page. The file is replaced as
    // a whole: a failed write leaves the previous file as it was and shows
    // "Ошибка сохранения программы в файл". True when written.
    bool SaveProgramFile(const std::string& path, const std::vector<std::string>& lines);
    // Why the last SaveProgramFile failed; empty after one that succeeded.
    // The file is never written over a Zarvento document.
    const std::string& SaveError() const { return saveError_; }

    // The finished program of the frame list: the frame texts, or, when the
    // script rule calls for it, what the post-processor's script made of
    // them (its console output goes to `messages`; its moves are attached to
    // the frames, and the frame texts it was given to `frameText`, which is
    // left empty when no script ran). False, with the reason shown, when the
    // script could not run or gave no program, or when a word was refused
    // (RefusedWords).
    bool MakeProgramText(std::vector<std::string>& lines, std::vector<std::string>* messages = nullptr,
                         std::vector<std::string>* frameText = nullptr);

    // The program's settings record "Zarvento.CPROGRAM".
    bool Save() const;
    bool Load();

    // Runs the plan's post-processor script over "input.tmp" in the plan's
    // temporary folder; the finished program goes to `program`, the console
    // output to `messages` (either may be null). False, with the cause shown
    // and kept in ScriptError, when the script could not start, did not end
    // in time (it is ended with everything it started), ended by a signal or
    // with a status other than 0, or left an "output.tmp" that cannot be read
    // whole; true when it ended well, with or without "output.tmp" (a
    // missing one is shown and is the caller's to judge). Whatever the script
    // left running when it ended is ended too.
    bool RunPostProcessor(ListControl* program, ListControl* messages);
    // Shows "output.tmp" in the list; false without a list, or (with the
    // cause shown and kept) without a regular file that is read whole.
    bool ReadOutputFile(ListControl* list);
    // Why the last script run or output reading failed, in the words of the
    // message shown; empty after one that went well.
    const std::string& ScriptError() const { return scriptError_; }
    // Attaches the moves of "path.tmp" to the frames that printed their
    // block numbers.
    void ReadPathFile();

    // Replaces the list's items by the lines of a text in the 8-bit Cyrillic
    // code page; CR, LF and CR LF each end a line.
    static void FillListFromText(ListControl* list, std::string_view text);

    // The program frames in output order; pointers only.
    StepArray<CCadreISO*> frames{kFrameStep};
    double KoffVelosity = 1000.0;
    double Transparency = 50.0;
    double Accuracy = 0.5;
    bool isToolHide = false;
    bool isPathHide = true;
    std::int32_t indCODE = 0;  // the chosen entry of the post-processor's CNC codes
    std::int32_t nINCH = 0;

private:
    std::vector<std::unique_ptr<CCadreISO>> ownFrames_;
    // For each frame of `frames` made by CreateProgram, the index of its
    // operation in `operationNames_` (-1: the program's own frame).
    std::vector<int> frameOperations_;
    std::vector<std::string> operationNames_;
    std::vector<ProgramOperation*> operations_;  // beside operationNames_
    std::vector<std::string> refusedWords_;
    std::vector<std::uint32_t> lineFrames_;
    std::string saveError_;
    std::string scriptError_;
    // Shows the failure of the script run and keeps its cause.
    void FailScript(const std::string& head, const std::string& cause);
    // Moves the words the frame at that index refused into refusedWords_.
    void NoteRefusedWords(std::uint32_t frame);
    std::unique_ptr<std::vector<bool>> keptCorrection_;
    // The operations whose correction was switched off.
    std::vector<ProgramOperation*> switchedOff_;
};

// Switches the radius correction off for a scope and back on at its end,
// whatever way the scope is left.
class RadiusCorrectionOff {
public:
    explicit RadiusCorrectionOff(CPROGRAM& program) : program_(program) { program_.SwitchOffRadiusCorrection(); }
    // The flags are back before the recalculation; one that fails here
    // leaves the paths to the next recalculation rather than end the process.
    ~RadiusCorrectionOff() {
        try {
            program_.RestoreRadiusCorrection();
        } catch (...) {
        }
    }
    RadiusCorrectionOff(const RadiusCorrectionOff&) = delete;
    RadiusCorrectionOff& operator=(const RadiusCorrectionOff&) = delete;

private:
    CPROGRAM& program_;
};

// The block number a frame printed first in the text pass, or -1. A frame
// numbered by its template keeps the number after the one it printed.
std::int32_t PrintedFrameNumber(const CCadreISO& frame);

}  // namespace zarvento
