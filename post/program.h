// CPROGRAM: the NC program of the plan, the frames of every operation in
// output order, and the run of a post-processor's script over its text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "geometry/step_array.h"
#include "platform/list_control.h"

namespace zarvento {

class CCadreISO;

// The program units of the plan's program record (nINCH: 0 millimetres, 1
// inches, 2 centimetres), kept process-wide for the path-file reader and the
// panels; loading the program record sets them.
struct ProgramUnits {
    std::int32_t nINCH = 0;
    double dINCH = 0.0;

    void Set(std::int32_t units) {
        nINCH = units;
        dINCH = units;
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
    static constexpr const char* kOutputCut = "Программа ЧПУ прочитана не полностью: файл слишком велик";

    // The console output kept for the message list; the rest is read and dropped.
    static constexpr std::size_t kConsoleBytes = 999;
    // A finished program larger than this is shown cut, with a message.
    static constexpr std::size_t kMaxOutputBytes = std::size_t{64} << 20;
    static constexpr std::size_t kMaxPathBytes = 50000;
    static constexpr std::size_t kMaxPathLines = 10000;
    // Console lines longer than this go on in the next list item.
    static constexpr std::size_t kListLineBytes = 512;
    static constexpr std::size_t kMaxListLines = 10000;

    CPROGRAM() = default;
    CPROGRAM(const CPROGRAM&) = delete;
    CPROGRAM& operator=(const CPROGRAM&) = delete;

    // Runs the plan's post-processor script over "input.tmp" in the plan's
    // temporary folder; the finished program goes to `program`, the console
    // output to `messages` (either may be null). True when the script ended
    // in time, whatever it wrote.
    bool RunPostProcessor(ListControl* program, ListControl* messages);
    // Shows "output.tmp" in the list; false without a list or a file.
    bool ReadOutputFile(ListControl* list);
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
};

// The block number a frame printed first in the text pass, or -1. A frame
// numbered by its template keeps the number after the one it printed.
std::int32_t PrintedFrameNumber(const CCadreISO& frame);

}  // namespace zarvento
