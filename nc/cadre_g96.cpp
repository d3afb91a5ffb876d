// The constant-cutting-speed frame.
#include "nc/cadre_g96.h"

#include "nc/frame_text_format.h"
#include "nc/modal_state.h"

namespace zarvento {

CCadre_G96::CCadre_G96(double cuttingSpeed, double minSpeed, double maxSpeed) {
    spindleSpeed = cuttingSpeed;
    minSpindleSpeed = minSpeed;
    maxSpindleSpeed = maxSpeed;
    ModalState.cuttingSpeed = cuttingSpeed;
    ModalState.spindleSpeed = cuttingSpeed;
    ModalState.minSpindleSpeed = minSpeed;
    ModalState.maxSpindleSpeed = maxSpeed;
    ModalState.constantSpeed = 1;
}

double* CCadre_G96::GetVariable(std::string_view name) {
    if (name == "_V") return &spindleSpeed;
    return CCadreISO::GetVariable(name);
}

int CCadre_G96::WriteText(std::vector<std::string>& lines, int number) {
    if (WriteByTemplate("G96", lines, number)) return number;
    AddTextLine(lines, FormatFrameNumber(number) + "G96  " + FormatAddressValue("S", spindleSpeed, false) +
                           FormatAddressValue("_MINS", minSpindleSpeed, false) +
                           FormatAddressValue("_MAXS", maxSpindleSpeed, false));
    return NextNumber(number);
}

}  // namespace zarvento
