// The constant-spindle-speed frame.
#include "nc/cadre_g97.h"

#include "nc/frame_text_format.h"
#include "nc/modal_state.h"

namespace zarvento {

CCadre_G97::CCadre_G97(double speed) {
    previousSpindleSpeed = ModalState.spindleSpeed;
    spindleSpeed = speed;
    ModalState.spindleSpeed = speed;
    ModalState.constantSpeed = 0;
}

int CCadre_G97::WriteText(std::vector<std::string>& lines, int number) {
    if (WriteByTemplate("G97", lines, number)) return number;
    AddTextLine(lines, FormatFrameNumber(number) + "G97  " + FormatAddressValue("S", spindleSpeed, false));
    return NextNumber(number);
}

}  // namespace zarvento
