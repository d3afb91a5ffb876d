// Number texts typed by users (a decimal comma allowed) and the caption hook.
#pragma once

#include <string>
#include <string_view>

namespace zarvento {

// The text with ',' turned into '.' when it is a plain number (digits, any
// '-', one separator); otherwise the empty text.
std::string NormalizeNumberText(std::string text);
// Every ',' becomes '.', in place.
void CommaToPoint(std::string& text);
// Moves to the first digit (the end when there is none), turns every ',' from
// there on into '.', in place, and returns that position.
char* SkipToNumber(char* text);
std::size_t SkipToNumber(std::string& text);
// The text to show for a caption; the replacement table is empty.
std::string TranslateString(std::string_view text);

}  // namespace zarvento
