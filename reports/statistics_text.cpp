// Number texts of the statistics and the cost estimate.
#include "reports/statistics_text.h"

#include <charconv>

#include "geometry/number_text.h"

namespace zarvento {

double ReadTypedNumber(std::string text) {
    CommaToPoint(text);
    std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) return 0.0;
    if (text[start] == '+') ++start;
    double value = 0.0;
    const auto r = std::from_chars(text.data() + start, text.data() + text.size(), value);
    return r.ec == std::errc() ? value : 0.0;
}

}  // namespace zarvento
