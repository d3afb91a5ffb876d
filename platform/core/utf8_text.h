// Characters of UTF-8 text: counting, cutting without splitting a character,
// and the case-blind comparison of labels the host's controls sort by.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zarvento {

// The number of characters (code points); a malformed byte counts as one.
std::size_t Utf8Length(std::string_view text);

// The first `maxChars` characters of the text (all of it when shorter).
std::string_view Utf8Prefix(std::string_view text, std::size_t maxChars);

// The code points of the text; a malformed byte stands for itself.
std::u32string Utf8ToUtf32(std::string_view text);

// Compares two texts character by character with Latin and Cyrillic letters
// folded to lower case (Ё as Е's neighbour ё); negative, 0 or positive.
int CompareNoCase(std::string_view a, std::string_view b);

}  // namespace zarvento
