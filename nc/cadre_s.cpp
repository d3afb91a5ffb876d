// The spindle-speed frame.
#include "nc/cadre_s.h"

#include "nc/frame_text_format.h"
#include "nc/modal_state.h"

namespace zarvento {

CCadre_S::CCadre_S(double speed) {
    previousSpindleSpeed = ModalState.spindleSpeed;
    spindleSpeed = speed;
    ModalState.spindleSpeed = speed;
}

void CCadre_S::SetModalState() {
    ModalState.spindleSpeed = spindleSpeed;
    constantSpeed = ModalState.constantSpeed;
    minSpindleSpeed = ModalState.minSpindleSpeed;
    maxSpindleSpeed = ModalState.maxSpindleSpeed;
}

int CCadre_S::WriteText(std::vector<std::string>& lines, int number) {
    if (WriteByTemplate("S", lines, number)) return number;
    ModalState.spindleSpeed = spindleSpeed;
    AddTextLine(lines, FormatFrameNumber(number) + FormatAddressValue("S", spindleSpeed, false));
    return NextNumber(number);
}

}  // namespace zarvento
