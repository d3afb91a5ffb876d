// The host registry: keys and values in memory, written through to its file.
#include "platform/processes/host_registry.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/core/host_error.h"
#include "platform/core/line_reader.h"
#include "platform/core/process_state.h"
#include "platform/core/text_file.h"

namespace zarvento {

namespace {

constexpr std::string_view kHeader = "zarvento registry 1";
// A registry of a host's components and add-ins is a few kilobytes.
constexpr std::size_t kMaxRegistryBytes = 16 << 20;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// True when `path` lies below the key `below` ends ("A\B\" for key A\B).
bool LiesBelow(std::string_view path, std::string_view below) {
    return path.size() > below.size() && EqualNoCase(path.substr(0, below.size()), below);
}

// A key path without leading or trailing separators; empty when it is empty
// or has an empty part ("A\\B").
std::string NormalKey(std::string_view key) {
    while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
    while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
    if (key.find("\\\\") != std::string_view::npos) return {};
    return std::string(key);
}

std::string Quote(std::string_view text) {
    std::string q = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') q += '\\';
        q += c;
    }
    return q + '"';
}

// Reads a quoted text at text[i] (the opening quote); false when it is not closed.
bool Unquote(std::string_view text, std::size_t& i, std::string& out) {
    out.clear();
    ++i;
    while (i < text.size()) {
        const char c = text[i++];
        if (c == '"') return true;
        if (c == '\\' && i < text.size()) {
            out += text[i++];
        } else {
            out += c;
        }
    }
    return false;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

}  // namespace

ZARVENTO_STATE_RESET { HostRegistry::Instance().Close(); }

bool HostRegistry::NoCase::operator()(std::string_view a, std::string_view b) const {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char x = Lower(a[i]), y = Lower(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

HostRegistry& HostRegistry::Instance() {
    static HostRegistry registry;
    return registry;
}

void HostRegistry::Open(const std::filesystem::path& file) {
    Close();
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        file_ = file;
        return;
    }
    const FileReadResult read = ReadTextFile(file, TextEncoding::Utf8, kMaxRegistryBytes);
    if (!read.ok) throw HostError(STG_E_FILENOTFOUND_, "the host registry cannot be read: " + read.error);
    if (read.truncated) throw HostError(STG_E_INVALIDHEADER_, "the host registry " + file.string() + " is too large");
    Keys_ keys;
    std::string error;
    if (!Parse(read.text, keys, error))
        throw HostError(STG_E_INVALIDHEADER_, "the host registry " + file.string() + " is damaged: " + error);
    file_ = file;
    keys_ = std::move(keys);
}

void HostRegistry::Close() {
    file_.clear();
    keys_.clear();
}

void HostRegistry::Commit(Keys_ keys) {
    if (!file_.empty() && updateDepth_ == 0) {
        std::error_code ec;
        if (file_.has_parent_path()) std::filesystem::create_directories(file_.parent_path(), ec);
        const FileWriteResult written = WriteFileAtomic(file_, Serialize(keys));
        if (!written.ok) throw HostError(STG_E_WRITEFAULT_, "the host registry cannot be written: " + written.error);
    }
    keys_ = std::move(keys);
}

void HostRegistry::Update(const std::function<void()>& changes) {
    const Keys_ before = keys_;
    ++updateDepth_;
    try {
        changes();
    } catch (...) {
        --updateDepth_;
        keys_ = before;
        throw;
    }
    if (--updateDepth_ > 0) return;
    try {
        Keys_ after = std::move(keys_);
        keys_ = before;
        Commit(std::move(after));
    } catch (...) {
        keys_ = before;
        throw;
    }
}

namespace {

template <typename Keys>
void MakeKeyPath(Keys& keys, const std::string& key) {
    // Every key above gets its entry too, so that it exists and lists its subkeys.
    for (std::size_t at = key.find('\\'); at != std::string::npos; at = key.find('\\', at + 1))
        keys.try_emplace(key.substr(0, at));
    keys.try_emplace(key);
}

}  // namespace

void HostRegistry::SetText(std::string_view key, std::string_view name, std::string_view text) {
    const std::string k = NormalKey(key);
    if (k.empty()) throw HostError(E_INVALIDARG_, "no registry key in \"" + std::string(key) + "\"");
    Keys_ keys = keys_;
    MakeKeyPath(keys, k);
    RegistryValue value;
    value.text = text;
    keys.find(k)->second[std::string(name)] = std::move(value);
    Commit(std::move(keys));
}

void HostRegistry::SetNumber(std::string_view key, std::string_view name, std::uint32_t number) {
    const std::string k = NormalKey(key);
    if (k.empty()) throw HostError(E_INVALIDARG_, "no registry key in \"" + std::string(key) + "\"");
    Keys_ keys = keys_;
    MakeKeyPath(keys, k);
    RegistryValue value;
    value.isNumber = true;
    value.number = number;
    keys.find(k)->second[std::string(name)] = std::move(value);
    Commit(std::move(keys));
}

bool HostRegistry::DeleteKey(std::string_view key) {
    const std::string k = NormalKey(key);
    if (k.empty() || !keys_.count(k)) return false;
    Keys_ keys = keys_;
    const std::string below = k + "\\";
    for (auto it = keys.begin(); it != keys.end();) {
        if (EqualNoCase(it->first, k) || LiesBelow(it->first, below)) {
            it = keys.erase(it);
        } else {
            ++it;
        }
    }
    Commit(std::move(keys));
    return true;
}

bool HostRegistry::DeleteValue(std::string_view key, std::string_view name) {
    auto it = keys_.find(NormalKey(key));
    if (it == keys_.end() || !it->second.count(name)) return false;
    Keys_ keys = keys_;
    keys.find(it->first)->second.erase(std::string(name));
    Commit(std::move(keys));
    return true;
}

bool HostRegistry::KeyExists(std::string_view key) const { return keys_.count(NormalKey(key)) != 0; }

std::optional<RegistryValue> HostRegistry::Value(std::string_view key, std::string_view name) const {
    auto it = keys_.find(NormalKey(key));
    if (it == keys_.end()) return std::nullopt;
    auto v = it->second.find(name);
    if (v == it->second.end()) return std::nullopt;
    return v->second;
}

std::optional<std::string> HostRegistry::Text(std::string_view key, std::string_view name) const {
    std::optional<RegistryValue> v = Value(key, name);
    if (!v || v->isNumber) return std::nullopt;
    return v->text;
}

std::vector<std::string> HostRegistry::SubKeys(std::string_view key) const {
    const std::string k = NormalKey(key);
    const std::string below = k.empty() ? std::string() : k + "\\";
    std::vector<std::string> names;
    for (auto it = keys_.lower_bound(below); it != keys_.end(); ++it) {
        const std::string& path = it->first;
        if (!LiesBelow(path, below)) {
            // Keys sort before their subkeys; only "A\B" itself may come first.
            if (EqualNoCase(path, k)) continue;
            break;
        }
        const std::string rest = path.substr(below.size());
        if (rest.find('\\') == std::string::npos) names.push_back(rest);
    }
    return names;
}

std::vector<std::string> HostRegistry::Keys() const {
    std::vector<std::string> paths;
    for (const auto& entry : keys_) paths.push_back(entry.first);
    return paths;
}

std::string HostRegistry::Serialize(const Keys_& keys) {
    std::string text(kHeader);
    text += '\n';
    for (const auto& [key, values] : keys) {
        text += "[" + key + "]\n";
        for (const auto& [name, value] : values) {
            text += name.empty() ? std::string("@") : Quote(name);
            text += " = ";
            if (value.isNumber) {
                char digits[16];
                std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(value.number));
                text += std::string("dword:") + digits;
            } else {
                text += Quote(value.text);
            }
            text += '\n';
        }
    }
    return text;
}

bool HostRegistry::Parse(std::string_view text, Keys_& keys, std::string& error) {
    LineReader reader(text);
    std::string_view line;
    int lineNo = 0;
    bool header = false;
    std::string current;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (reader.Next(line)) {
        ++lineNo;
        line = Trim(line);
        if (line.empty() || line.front() == ';') continue;
        if (!header) {
            if (line != kHeader) return fail("the file does not begin with \"" + std::string(kHeader) + "\"");
            header = true;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') return fail("a key line ends with ']'");
            current = NormalKey(line.substr(1, line.size() - 2));
            if (current.empty()) return fail("the key path is empty or has an empty part");
            MakeKeyPath(keys, current);
            continue;
        }
        if (current.empty()) return fail("a value before the first key");
        std::string name;
        std::size_t i = 0;
        if (line.front() == '@') {
            i = 1;
        } else if (line.front() != '"' || !Unquote(line, i, name)) {
            return fail("a value line begins with @ or a quoted name");
        }
        std::string_view rest = Trim(line.substr(i));
        if (rest.empty() || rest.front() != '=') return fail("'=' missing after the value's name");
        rest = Trim(rest.substr(1));
        RegistryValue value;
        if (rest.substr(0, 6) == "dword:") {
            const std::string_view digits = rest.substr(6);
            if (digits.empty() || digits.size() > 8) return fail("dword: takes 1 to 8 hex digits");
            for (char c : digits) {
                const char d = Lower(c);
                const int v = d >= '0' && d <= '9' ? d - '0' : d >= 'a' && d <= 'f' ? d - 'a' + 10 : -1;
                if (v < 0) return fail("dword: takes 1 to 8 hex digits");
                value.number = value.number << 4 | static_cast<std::uint32_t>(v);
            }
            value.isNumber = true;
        } else {
            std::size_t j = 0;
            if (rest.empty() || rest.front() != '"' || !Unquote(rest, j, value.text) || j != rest.size())
                return fail("a value is a quoted text or dword:<hex>");
        }
        keys.find(current)->second[name] = std::move(value);
    }
    if (!header && lineNo > 0) return fail("the file does not begin with \"" + std::string(kHeader) + "\"");
    return true;
}

std::filesystem::path DefaultRegistryFile() {
    if (const char* set = std::getenv("ZARVENTO_REGISTRY"); set && *set) return set;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        return std::filesystem::path(config) / "zarvento" / "registry";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : ".") / ".config" / "zarvento" / "registry";
}

}  // namespace zarvento
