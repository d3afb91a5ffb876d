// Number and text formatting of frame text.
#include "nc/frame_text_format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "geometry/number_format.h"
#include "nc/address_table.h"
#include "nc/modal_state.h"
#include "platform/core/variant.h"

namespace zarvento {

bool IsWordValue(double value) { return std::isfinite(value) && std::fabs(value) < kMaxWordValue; }

namespace {

std::string RefuseWord(std::string_view address, double value) {
    // The address is the last word of what stands before the value.
    std::string_view word = address;
    if (const std::size_t blank = word.find_last_of(' '); blank != std::string_view::npos)
        word.remove_prefix(blank + 1);
    ModalState.refusedWords.push_back(std::string(word) + (word.ends_with('=') ? "" : "=") + FormatDouble(value));
    return std::string(address) + "?";
}

}  // namespace

std::string FormatAddressValue(std::string_view letter, double value, bool force) {
    if (!IsWordValue(value)) return RefuseWord(letter, value) + " ";
    const double a = std::fabs(value);
    if (a < 0.001) {
        if (force || letter == "X" || letter == "Y" || letter == "Z") return std::string(letter) + "0 ";
        return {};
    }
    int decimals = 3;
    if (std::fabs(a - std::floor(a + 0.001)) < 0.001)
        decimals = 0;
    else if (std::fabs(10 * a - std::floor(10 * a + 0.0001)) < 0.001)
        decimals = 1;
    else if (std::fabs(100 * a - std::floor(100 * a + 0.0001)) < 0.001)
        decimals = 2;
    return std::string(letter) + FormatFixed(value, decimals) + " ";
}

std::string FormatModalAxisWord(std::string_view letter, double value, std::string& written, bool force) {
    std::string word = FormatAddressValue(letter, value, true);
    if (!force && word == written) return {};
    written = word;
    // Nor can the words of templates know what a built-in text wrote.
    AddressTable::Global().ForgetValues();
    return word;
}

void ForgetWrittenAxes() {
    ModalState.writtenX.clear();
    ModalState.writtenZ.clear();
    AddressTable::Global().ForgetValues();
}

namespace {

struct NumberField {
    int width = 0;
    int decimals = 0;
    bool keepPoint = false;
    bool zeroPad = false;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The characters between '%' and the kind letter.
std::optional<NumberField> ParseNumberField(std::string_view f) {
    NumberField r;
    if (f.size() >= 2 && f.back() == '.') {
        r.keepPoint = true;
        f.remove_suffix(1);
    }
    if (!f.empty() && f.front() == '0' &&
        (((f.size() == 2 || f.size() == 3) && f[1] != '.') || (f.size() == 4 && f[2] == '.'))) {
        r.zeroPad = true;
        f.remove_prefix(1);
    }
    if (f.size() == 1) {
        if (!IsDigit(f[0]) || f[0] == '0') return std::nullopt;
        r.width = f[0] - '0';
    } else if (f.size() == 2) {
        if (!IsDigit(f[0])) return std::nullopt;
        r.width = f[0] - '0';
        r.decimals = IsDigit(f[1]) ? f[1] - '0' : 0;
    } else if (f.size() == 3 && f[1] == '.') {
        if (!IsDigit(f[0]) || !IsDigit(f[2])) return std::nullopt;
        r.width = f[0] - '0';
        r.decimals = f[2] - '0';
    } else {
        return std::nullopt;
    }
    return r;
}

}  // namespace

std::optional<std::string> FormatTemplateNumber(std::string_view prefix, std::string_view pattern, double value,
                                                bool* leftOut) {
    if (pattern.size() < 2 || pattern.front() != '%') return std::nullopt;
    const char kind = pattern.back();
    // The field is checked before the address table is touched, so a malformed
    // field leaves the word's last value alone.
    const std::optional<NumberField> field = ParseNumberField(pattern.substr(1, pattern.size() - 2));
    if (!field) return std::nullopt;

    int start = -1;
    double last = value;
    double scaled = value;
    AddressTable& table = AddressTable::Global();
    const std::string* word = table.FindWord(prefix, start, last, kind, scaled);
    if (word != nullptr) value = scaled;
    if (!IsWordValue(value)) return RefuseWord(prefix, value);
    std::string printed = FormatFixed(value, field->decimals);
    if (word != nullptr && kind != 'f') {
        // A word stands at what it printed. A modal word is left out only
        // when it would print what it printed last, and the word keeps that:
        // changes below the field's resolution add up until they print,
        // rather than each being dropped against the one before.
        double written = value;
        std::from_chars(printed.data(), printed.data() + printed.size(), written);
        const bool leaveOut =
            kind == 'm' ? std::fabs(written - last) < 0.5 * std::pow(10.0, -field->decimals) : std::fabs(value) < 0.001;
        table.SetLastValue(*word, leaveOut ? last : written);
        if (leftOut != nullptr) *leftOut = leaveOut;
        if (leaveOut) return std::string(prefix.substr(0, static_cast<std::size_t>(start)));
    }
    bool negative = false;
    if (!printed.empty() && printed.front() == '-') {
        negative = true;
        printed.erase(0, 1);
    }
    if (const auto point = printed.find('.'); point != std::string::npos) {
        while (printed.back() == '0') printed.pop_back();
        if (printed.back() == '.' && !field->keepPoint) printed.pop_back();
    }
    std::string padding;
    if (field->zeroPad) {
        const std::size_t intDigits = std::min(printed.find('.'), printed.size());
        if (intDigits < static_cast<std::size_t>(field->width))
            padding.assign(static_cast<std::size_t>(field->width) - intDigits, '0');
    }
    // A value that prints as zero carries no sign ("-0" is no NC value).
    const bool allZero = printed.find_first_not_of("0.") == std::string::npos;
    std::string out(prefix);
    if (negative && !allZero && std::fabs(value) > 0.0001) out += '-';
    return out + padding + printed;
}

std::optional<std::string> FormatNumberWord(std::string_view numberFormat, double number) {
    const std::size_t pct = numberFormat.find('%');
    if (pct == std::string_view::npos) return std::nullopt;
    const std::size_t kind = numberFormat.find_first_of("mnf", pct + 1);
    if (kind == std::string_view::npos) return std::nullopt;
    ModalState.frameCounter += 1;
    return FormatTemplateNumber(numberFormat.substr(0, pct), numberFormat.substr(pct, kind - pct + 1), number);
}

namespace {

// Widths above this are malformed: a description cannot make one field fill memory.
constexpr std::size_t kMaxFieldWidth = 1024;

std::size_t CountCharacters(std::string_view utf8) {
    std::size_t n = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace

std::optional<std::string> FormatTemplateText(std::string_view prefix, std::string_view pattern,
                                              std::string_view text) {
    if (pattern.size() < 2 || pattern.front() != '%') return std::nullopt;
    const std::string_view digits = pattern.substr(1, pattern.size() - 2);
    std::size_t width = 0;
    if (!digits.empty()) {
        for (char c : digits)
            if (!IsDigit(c)) return std::nullopt;
        if (digits.size() > 4) return std::nullopt;
        width = static_cast<std::size_t>(std::stoi(std::string(digits)));
        if (width > kMaxFieldWidth) return std::nullopt;
    }
    std::string out(prefix);
    out += text;
    const std::size_t chars = CountCharacters(text);
    if (chars < width) out.append(width - chars, ' ');
    return out;
}

std::optional<std::string> FormatIntegerField(std::string_view format, std::int64_t value) {
    std::string out;
    bool converted = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        if (converted) return std::nullopt;
        converted = true;
        bool left = false, plus = false, space = false, zero = false;
        std::size_t j = i + 1;
        for (; j < format.size(); ++j) {
            const char c = format[j];
            if (c == '-')
                left = true;
            else if (c == '+')
                plus = true;
            else if (c == ' ')
                space = true;
            else if (c == '0')
                zero = true;
            else if (c != '#')
                break;
        }
        auto readNumber = [&](int& n) {
            n = 0;
            std::size_t count = 0;
            while (j < format.size() && IsDigit(format[j])) {
                if (++count > 3) return false;
                n = n * 10 + (format[j++] - '0');
            }
            return true;
        };
        int width = 0, precision = -1;
        if (!readNumber(width)) return std::nullopt;
        if (j < format.size() && format[j] == '.') {
            ++j;
            if (!readNumber(precision)) return std::nullopt;
        }
        if (j >= format.size() || (format[j] != 'd' && format[j] != 'i')) return std::nullopt;
        std::string digits =
            value == 0 && precision == 0
                ? std::string()
                : std::to_string(value < 0 ? -(value + 1) + 1ULL : static_cast<unsigned long long>(value));
        if (precision > 0 && digits.size() < static_cast<std::size_t>(precision))
            digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
        std::string sign = value < 0 ? "-" : plus ? "+" : space ? " " : "";
        const std::size_t len = sign.size() + digits.size();
        if (len < static_cast<std::size_t>(width)) {
            const std::size_t pad = static_cast<std::size_t>(width) - len;
            if (left)
                digits.append(pad, ' ');
            else if (zero && precision < 0)
                digits.insert(0, pad, '0');
            else
                sign.insert(0, pad, ' ');
        }
        out += sign + digits;
        i = j;
    }
    if (!converted) return std::nullopt;
    return out;
}

std::string FormatSuffixed(std::string_view text, std::int64_t value, std::string_view format) {
    const std::optional<std::string> number = FormatIntegerField(format, value);
    return std::string(text) + (number ? *number : std::to_string(value)) + " ";
}

std::string BlockSafeText(std::string_view text, bool insideComment) {
    std::string out(text);
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            c = ' ';
        else if (insideComment && c == '(')
            c = '[';
        else if (insideComment && c == ')')
            c = ']';
    }
    return out;
}

bool IsInsideComment(std::string_view blockText) {
    const std::size_t open = blockText.rfind('(');
    if (open == std::string_view::npos) return false;
    const std::size_t close = blockText.rfind(')');
    return close == std::string_view::npos || close < open;
}

namespace {

// Whether `open` stands in the text after the last `close` (or without one).
bool IsOpen(std::string_view blockText, std::string_view open, std::string_view close) {
    const std::size_t opened = blockText.rfind(open);
    if (opened == std::string_view::npos) return false;
    const std::size_t closed = blockText.rfind(close);
    return closed == std::string_view::npos || closed < opened;
}

std::string ReplaceAll(std::string text, std::string_view what, std::string_view with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

}  // namespace

std::string MarkupSafeText(std::string_view text, std::string_view blockText) {
    if (IsOpen(blockText, "<![CDATA[", "]]>")) return ReplaceAll(std::string(text), "]]>", "]]]]><![CDATA[>");
    if (!IsOpen(blockText, "<!--", "-->")) return std::string(text);
    std::string out(text);
    // "---" becomes "- - -": each pair is broken where it begins.
    for (std::size_t at = out.find("--"); at != std::string::npos; at = out.find("--", at)) out.insert(at + 1, " ");
    if (!out.empty() && out.back() == '-') out += ' ';
    return out;
}

namespace {

// Latin forms of а..я (U+0430..U+044F); capitals take the first letter up.
constexpr std::array<const char*, 32> kLatin = {"a", "b",  "v",  "g",    "d", "e", "zh", "z", "i",  "j", "k",
                                                "l", "m",  "n",  "o",    "p", "r", "s",  "t", "u",  "f", "h",
                                                "c", "ch", "sh", "shch", "",  "y", "",   "e", "ju", "ja"};

std::string Transliterated(std::string_view text, bool upper) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c == 0xD0 || c == 0xD1) && i + 1 < text.size()) {
            const unsigned cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            int index = -1;
            bool capital = false;
            if (cp >= 0x410 && cp <= 0x42F) {
                index = static_cast<int>(cp - 0x410);
                capital = true;
            } else if (cp >= 0x430 && cp <= 0x44F) {
                index = static_cast<int>(cp - 0x430);
            } else if (cp == 0x401) {
                index = 5;
                capital = true;
            } else if (cp == 0x451) {
                index = 5;
            }
            if (index >= 0) {
                std::string latin = kLatin[static_cast<std::size_t>(index)];
                if (upper) {
                    for (char& l : latin) l = static_cast<char>(l - 'a' + 'A');
                } else if (capital && !latin.empty()) {
                    latin[0] = static_cast<char>(latin[0] - 'a' + 'A');
                }
                out += latin;
                ++i;
                continue;
            }
        }
        out += upper && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : static_cast<char>(c);
    }
    return out;
}

}  // namespace

std::string Transliterate(std::string_view text) { return Transliterated(text, false); }
std::string TransliterateUpper(std::string_view text) { return Transliterated(text, true); }

bool TruncateToInt32(double value, std::int32_t& out) {
    if (!std::isfinite(value)) return false;
    const double t = std::trunc(value);
    if (t < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        t > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return false;
    out = static_cast<std::int32_t>(t);
    return true;
}

}  // namespace zarvento
