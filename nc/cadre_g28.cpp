// The reference-point return frame.
#include "nc/cadre_g28.h"

#include <cmath>

#include "nc/frame_text_format.h"

namespace zarvento {

int CCadre_G28::WriteText(std::vector<std::string>& lines, int number) {
    ForgetWrittenAxes();
    if (WriteByTemplate("G28", lines, number)) return number;
    const char* code = std::fabs(end.x - start.x) < 0.1    ? "G28 W0"
                       : std::fabs(end.z - start.z) >= 0.1 ? "G28 U0 W0"
                                                           : "G28 U0";
    AddTextLine(lines, FormatFrameNumber(number) + code);
    return NextNumber(number);
}

void CCadre_G28::CreatePathFigure() { SetPathLine(true); }

}  // namespace zarvento
