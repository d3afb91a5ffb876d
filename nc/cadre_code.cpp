// Fixed-code and template-only frame kinds.
#include "nc/cadre_code.h"

namespace zarvento {

int CCadreCode::WriteText(std::vector<std::string>& lines, int number) {
    if (WriteByTemplate(templateName_, lines, number)) return number;
    if (!HasBuiltInText()) return number;
    AddTextLine(lines, FormatFrameNumber(number) + BuiltInCode());
    return NextNumber(number);
}

int CCadreCode::GetPositionCount() const {
    if (usedTemplate == nullptr && zeroLines_) return 0;
    return CCadreISO::GetPositionCount();
}

}  // namespace zarvento
