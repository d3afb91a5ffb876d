// Stored path texts <-> std::filesystem::path.
#include "platform/core/stored_path.h"

namespace zarvento {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The names between separators, in order, appended to `out`.
void AppendComponents(std::filesystem::path& out, std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && IsSeparator(text[pos])) ++pos;
        std::size_t end = pos;
        while (end < text.size() && !IsSeparator(text[end])) ++end;
        if (end > pos) out /= std::string(text.substr(pos, end - pos));
        pos = end;
    }
}

}  // namespace

bool HasDriveLetter(std::string_view stored) {
    if (stored.size() < 2 || stored[1] != ':') return false;
    const char c = stored[0];
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::filesystem::path StoredPathToPath(std::string_view stored) {
    std::filesystem::path out;
    if (HasDriveLetter(stored)) {
        stored.remove_prefix(2);
        out = "/";
    } else if (!stored.empty() && IsSeparator(stored[0])) {
        out = "/";
    }
    AppendComponents(out, stored);
    return out;
}

std::filesystem::path AppendStoredPath(const std::filesystem::path& base, std::string_view tail) {
    if (HasDriveLetter(tail)) return StoredPathToPath(tail);
    std::filesystem::path out = base;
    AppendComponents(out, tail);
    return out;
}

std::string PathToStoredText(const std::filesystem::path& path) {
    std::string text = path.generic_string();
    for (char& c : text) {
        if (c == '/') c = '\\';
    }
    return text;
}

}  // namespace zarvento
