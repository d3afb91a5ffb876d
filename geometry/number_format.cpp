// printf-compatible number texts through std::to_chars, which never reads the locale.
#include "geometry/number_format.h"

#include <charconv>
#include <cmath>

namespace zarvento {

namespace {
std::string NonFinite(double v) {
    if (std::isnan(v)) return std::signbit(v) ? "-nan" : "nan";
    return v < 0 ? "-inf" : "inf";
}
}  // namespace

std::string FormatG(double v) {
    if (!std::isfinite(v)) return NonFinite(v);
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    return std::string(buf, res.ptr);
}

std::string FormatFixed(double v, int precision) {
    if (!std::isfinite(v)) return NonFinite(v);
    // Fixed notation of a huge value can run to hundreds of digits.
    char buf[512];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, precision);
    if (res.ec != std::errc()) return FormatG(v);
    return std::string(buf, res.ptr);
}

}  // namespace zarvento
