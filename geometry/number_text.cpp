// Number-text normalisation and the caption hook.
#include "geometry/number_text.h"

#include <cstring>

namespace zarvento {

std::string NormalizeNumberText(std::string text) {
    bool separator = false;
    for (char& c : text) {
        if (c == ',' || c == '.') {
            if (separator) return std::string();
            separator = true;
            c = '.';
        } else if (!((c >= '0' && c <= '9') || c == '-')) {
            return std::string();
        }
    }
    return text;
}

void CommaToPoint(std::string& text) {
    for (char& c : text)
        if (c == ',') c = '.';
}

char* SkipToNumber(char* text) {
    char* p = text;
    while (*p && !(*p >= '0' && *p <= '9')) ++p;
    for (char* q = p; *q; ++q)
        if (*q == ',') *q = '.';
    return p;
}

std::size_t SkipToNumber(std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && !(text[i] >= '0' && text[i] <= '9')) ++i;
    for (std::size_t k = i; k < text.size(); ++k)
        if (text[k] == ',') text[k] = '.';
    return i;
}

std::string TranslateString(std::string_view text) { return std::string(text); }

}  // namespace zarvento
