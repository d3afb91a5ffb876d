// The dwell frame.
#include "nc/cadre_g04.h"

#include "nc/frame_text_format.h"

namespace zarvento {

double* CCadre_G04::GetVariable(std::string_view name) {
    if (name == "_P") return &dwell;
    return CCadreISO::GetVariable(name);
}

int CCadre_G04::WriteText(std::vector<std::string>& lines, int number) {
    if (WriteByTemplate("G04", lines, number)) return number;
    AddTextLine(lines, FormatFrameNumber(number) + "G04  " + FormatAddressValue("P", dwell, false));
    return NextNumber(number);
}

PathStatistics CCadre_G04::GetStatistics() {
    PathStatistics s;
    s.auxTime = dwell / 60.0;
    return s;
}
}  // namespace zarvento
