// CTurn: the display of the operation's path in the part's 3D view, frame by
// frame in program order.
#include "nc/cadre_iso.h"
#include "operations/turn.h"

namespace zarvento {

void CTurn::ShowFrames() {
    for (const auto& frame : frames) frame->DrawPath();
}

void CTurn::UnhideFrames() {
    for (const auto& frame : frames) frame->ShowPath();
}

void CTurn::HideFrames() {
    for (const auto& frame : frames) frame->HidePath();
}

void CTurn::SelectFrames(bool select) {
    if (!isShowPath) return;
    for (const auto& frame : frames) {
        if (select)
            frame->SelectPath();
        else
            frame->DeselectPath();
    }
}

}  // namespace zarvento
