// Conversion between the UTF-8 text we keep inside and the 8-bit Cyrillic code
// page (Windows-1251) of post-processor descriptions and the exchange files.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zarvento {

// Every byte converts: 0x98, which the code page leaves unassigned, becomes
// U+0098 (what Windows itself does), so a file read and written back keeps
// its bytes.
std::string Cp1251ToUtf8(std::string_view bytes);

// The result of a conversion that can meet characters the target lacks.
struct CodePageConversion {
    std::string text;
    // Characters that had no code in the target, and malformed UTF-8 bytes;
    // each became one '?'.
    std::size_t unconvertible = 0;
    // Byte offset in the input of the first of them (npos when none).
    std::size_t firstUnconvertible = std::string_view::npos;

    bool Exact() const { return unconvertible == 0; }
};

// UTF-8 to the code page. A character the code page lacks and every byte of a
// malformed UTF-8 sequence become '?', counted in the result.
CodePageConversion Utf8ToCp1251(std::string_view utf8);

// True when the whole text is well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view text);

}  // namespace zarvento
