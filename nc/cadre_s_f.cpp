// The spindle-speed-and-feed frame.
#include "nc/cadre_s_f.h"

#include "nc/frame_text_format.h"
#include "nc/modal_state.h"

namespace zarvento {

CCadre_S_F::CCadre_S_F(double speed, double feedValue) {
    previousSpindleSpeed = ModalState.spindleSpeed;
    previousFeed = ModalState.feed;
    spindleSpeed = speed;
    feed = feedValue;
    ModalState.spindleSpeed = speed;
    ModalState.feed = feedValue;
}

void CCadre_S_F::SetModalState() {
    ModalState.spindleSpeed = spindleSpeed;
    ModalState.feed = feed;
    constantSpeed = ModalState.constantSpeed;
    minSpindleSpeed = ModalState.minSpindleSpeed;
    maxSpindleSpeed = ModalState.maxSpindleSpeed;
}

int CCadre_S_F::WriteText(std::vector<std::string>& lines, int number) {
    if (WriteByTemplate("SF", lines, number)) return number;
    ModalState.spindleSpeed = spindleSpeed;
    std::string line = FormatFrameNumber(number) + FormatAddressValue("S", spindleSpeed, false);
    ModalState.feed = feed;
    AddTextLine(lines, line + FormatAddressValue("F", feed, false));
    return NextNumber(number);
}

}  // namespace zarvento
