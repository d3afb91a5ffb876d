// The NC program object: its process-wide units copy and the list filling.
#include "post/program.h"

#include "nc/cadre_iso.h"
#include "platform/core/code_page.h"
#include "platform/core/line_reader.h"
#include "platform/core/process_state.h"

namespace zarvento {

ProgramUnits& ProgramUnits::Global() {
    static ProgramUnits units;
    return units;
}

ZARVENTO_STATE_RESET { ProgramUnits::Global() = ProgramUnits{}; }

void CPROGRAM::FillListFromText(ListControl* list, std::string_view text) {
    if (list == nullptr) return;
    list->Clear();
    // Scripts on this system end lines with LF alone and their last line
    // often without any end; every form of line end counts, and the last
    // piece is a line too.
    LineReader reader(text);
    std::string_view line;
    std::size_t added = 0;
    while (added < kMaxListLines && reader.Next(line)) {
        do {
            const std::string_view piece = line.substr(0, kListLineBytes);
            line.remove_prefix(piece.size());
            list->AddLine(Cp1251ToUtf8(piece));
            ++added;
        } while (!line.empty() && added < kMaxListLines);
    }
}

std::int32_t PrintedFrameNumber(const CCadreISO& frame) {
    if (frame.frameNumber < 0) return -1;
    return frame.usedTemplate != nullptr ? frame.frameNumber - 1 : frame.frameNumber;
}

}  // namespace zarvento
