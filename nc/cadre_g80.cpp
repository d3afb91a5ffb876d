// The cancel-cycle frame's built-in text.
#include "nc/cadre_g80.h"

namespace zarvento {

int CCadre_G80::WriteText(std::vector<std::string>& lines, int number) {
    AddTextLine(lines, FormatFrameNumber(number) + "G80");
    return NextNumber(number);
}

}  // namespace zarvento
