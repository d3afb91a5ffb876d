// UTF-8 character helpers.
#include "platform/core/utf8_text.h"

#include <cstdint>

namespace zarvento {

namespace {

// The length of the character starting at `text[i]`: its lead byte's count
// when the continuation bytes are there, else 1 (a malformed byte alone).
std::size_t CharLength(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 && lead < 0xF8 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (n == 1 || i + n > text.size()) return 1;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
    return n;
}

std::uint32_t Decode(std::string_view text, std::size_t i, std::size_t n) {
    const auto byte = [&](std::size_t k) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(text[i + k]));
    };
    switch (n) {
        case 2: return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
        case 3: return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
        case 4: return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
        default: return byte(0);
    }
}

std::uint32_t FoldCase(std::uint32_t c) {
    if (c >= 'A' && c <= 'Z') return c + ('a' - 'A');
    if (c >= 0x0410 && c <= 0x042F) return c + 0x20;  // А..Я
    if (c >= 0x0400 && c <= 0x040F) return c + 0x50;  // Ѐ..Џ, Ё among them
    return c;
}

}  // namespace

std::size_t Utf8Length(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) ++count;
    return count;
}

std::string_view Utf8Prefix(std::string_view text, std::size_t maxChars) {
    std::size_t i = 0;
    for (std::size_t count = 0; i < text.size() && count < maxChars; ++count) i += CharLength(text, i);
    return text.substr(0, i);
}

std::u32string Utf8ToUtf32(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = CharLength(text, i);
        out.push_back(static_cast<char32_t>(Decode(text, i, n)));
        i += n;
    }
    return out;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t n = CharLength(a, i), m = CharLength(b, j);
        const std::uint32_t x = FoldCase(Decode(a, i, n)), y = FoldCase(Decode(b, j, m));
        if (x != y) return x < y ? -1 : 1;
        i += n;
        j += m;
    }
    if (i < a.size()) return 1;
    return j < b.size() ? -1 : 0;
}

}  // namespace zarvento
