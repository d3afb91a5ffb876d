// The routines that turn block numbers, address values and template fields
// into NC text. Each returns its own text (no shared buffer to copy from).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarvento {

// The last guard of every number that goes into a block: a value that is not
// finite, or has more than nine digits before the point, is no word a control
// reads. Such a word is written as the letter and "?" and noted in
// ModalState.refusedWords, so that the program that holds it is refused.
inline constexpr double kMaxWordValue = 1e9;
bool IsWordValue(double value);

// An address word of a built-in frame text: the letter and the shortest of 0
// to 3 decimals that is exact to 0.001, then one blank. A value below 0.001
// writes nothing unless forced or the letter is an axis (X, Y, Z).
std::string FormatAddressValue(std::string_view letter, double value, bool force);

// A numeric template field: pattern is '%', the field and the kind letter ('f'
// plain, 'm' modal, 'n' non-zero). The address word that ends the prefix is
// looked up in the address table, which remembers the value; a modal word that
// did not change or a non-zero word whose value is zero leaves the address
// out. No result for a malformed field.
std::optional<std::string> FormatTemplateNumber(std::string_view prefix, std::string_view pattern, double value);

// The block number of a template line from the template's number format (a
// prefix and one number field); advances ModalState.frameCounter.
std::optional<std::string> FormatNumberWord(std::string_view numberFormat, double number);

// A text template field: pattern is '%', an optional width and the kind letter;
// the text is left-justified in the width (counted in characters).
std::optional<std::string> FormatTemplateText(std::string_view prefix, std::string_view pattern, std::string_view text);

// Text followed by an integer printed with the given format and one blank.
std::string FormatSuffixed(std::string_view text, std::int64_t value, std::string_view format);

// An integer printed with a format taken from a file: literal text, "%%" and
// exactly one integer conversion ('d' or 'i' with flags, width and precision).
// Anything else is refused, so a file can never reach printf.
std::optional<std::string> FormatIntegerField(std::string_view format, std::int64_t value);

// Text that goes into a block as a control reads it: a line break or another
// control character would end the block or confuse the reader, so each
// becomes a blank. Inside a comment, brackets become square ones as well:
// a ")" from an operation's name would end the comment and what follows
// would run as code.
std::string BlockSafeText(std::string_view text, bool insideComment);
// Whether a comment is open at the end of this block text: its last "(" is
// not closed.
bool IsInsideComment(std::string_view blockText);

// Text that goes into markup a template opened before it (an export's XML):
// inside an XML comment ("<!--" not yet closed) every "--" is broken by a
// blank, inside a CDATA section ("<![CDATA[" not yet closed) every "]]>" is
// split across two sections, so that a name or a comment never closes what
// holds it. Elsewhere the text is unchanged.
std::string MarkupSafeText(std::string_view text, std::string_view blockText);

// Cyrillic letters replaced by Latin ones; other characters copied unchanged.
std::string Transliterate(std::string_view text);
// The same with every Latin result and every Latin letter in capitals.
std::string TransliterateUpper(std::string_view text);

// The integer part of a real, refused (false) when it is not finite or does
// not fit an int32.
bool TruncateToInt32(double value, std::int32_t& out);

}  // namespace zarvento
