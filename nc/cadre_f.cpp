// The feed frame.
#include "nc/cadre_f.h"

#include "nc/frame_text_format.h"
#include "nc/modal_state.h"

namespace zarvento {

CCadre_F::CCadre_F(double feedValue) {
    previousFeed = ModalState.feed;
    feed = feedValue;
    ModalState.feed = feedValue;
}

void CCadre_F::SetModalState() {
    ModalState.feed = feed;
    constantSpeed = ModalState.constantSpeed;
}

int CCadre_F::WriteText(std::vector<std::string>& lines, int number) {
    if (WriteByTemplate("F", lines, number)) return number;
    ModalState.feed = feed;
    AddTextLine(lines, FormatFrameNumber(number) + FormatAddressValue("F", feed, false));
    return NextNumber(number);
}

}  // namespace zarvento
