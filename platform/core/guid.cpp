// GUID text from the system's random source.
#include "platform/core/guid.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>

namespace zarvento {

namespace {
// Positions of the dashes in the text form.
constexpr std::array<std::size_t, 4> kDashes = {9, 14, 19, 24};
}  // namespace

std::string NewGuidText() {
    std::random_device rd;
    std::array<std::uint8_t, 16> bytes{};
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        const std::uint32_t v = rd();
        for (std::size_t k = 0; k < 4; ++k) bytes[i + k] = static_cast<std::uint8_t>(v >> (8 * k));
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant

    static const char* digits = "0123456789ABCDEF";
    std::string text = "{";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    text += '}';
    return text;
}

bool IsGuidText(std::string_view text) {
    if (text.size() != kGuidTextLength || text.front() != '{' || text.back() != '}') return false;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        const char c = text[i];
        const bool dash = std::find(kDashes.begin(), kDashes.end(), i) != kDashes.end();
        if (dash) {
            if (c != '-') return false;
        } else if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

}  // namespace zarvento
