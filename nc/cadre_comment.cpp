// The comment frame.
#include "nc/cadre_comment.h"

#include "nc/frame_text_format.h"
#include "nc/modal_state.h"

namespace zarvento {

int CCadre_Comment::WriteText(std::vector<std::string>& lines, int number) {
    if (WriteByTemplate("Comm", lines, number)) return number;
    if (ModalState.exportRun) return number;
    ModalState.builtInTextWritten = 1;
    AddTextLine(lines, " ( " + BlockSafeText(text, true) + " )");
    return number;
}

}  // namespace zarvento
