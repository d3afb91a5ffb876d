// The registry file: read whole, changed in memory, written whole.
#include "platform/host_registry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/host_error.h"
#include "platform/host_faults.h"
#include "platform/host_folder.h"
#include "platform/line_reader.h"
#include "platform/text_file.h"

namespace zarvento {

namespace {

using Value = std::variant<std::string, std::uint32_t>;

struct NamedValue {
    std::string name;
    Value value;
};

struct Key {
    std::string path;  // root\key as first written
    std::vector<NamedValue> values;
};

// A registry file far larger than any host's is no registry of ours.
constexpr std::size_t kMaxFileBytes = 16u << 20;

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + '"';
}

// Reads a quoted text at `at`; false when it is not one.
bool Unquote(std::string_view line, std::size_t& at, std::string& out) {
    if (at >= line.size() || line[at] != '"') return false;
    out.clear();
    for (++at; at < line.size(); ++at) {
        char c = line[at];
        if (c == '"') {
            ++at;
            return true;
        }
        if (c == '\\' && at + 1 < line.size()) c = line[++at];
        out += c;
    }
    return false;
}

class Registry {
public:
    // The registry as the file holds it; lines it cannot read are skipped, as
    // an import of a registry file skips them.
    static Registry Read() {
        Registry r;
        FileReadResult file = ReadFileBytes(HostRegistry::File(), kMaxFileBytes);
        if (!file.ok) return r;
        LineReader lines(file.text);
        std::string_view line;
        Key* key = nullptr;
        while (lines.Next(line)) {
            if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
                key = &r.Open(std::string(line.substr(1, line.size() - 2)));
                continue;
            }
            std::size_t at = 0;
            std::string name, text;
            if (!key || !Unquote(line, at, name) || at >= line.size() || line[at] != '=') continue;
            ++at;
            if (Unquote(line, at, text)) {
                r.Set(*key, name, text);
            } else if (line.substr(at, 6) == "dword:" && line.size() - at == 14) {
                std::uint32_t v = 0;
                if (std::sscanf(std::string(line.substr(at + 6)).c_str(), "%8x", &v) == 1) r.Set(*key, name, v);
            }
        }
        return r;
    }

    bool Write() const {
        HostFaults::Check("HostRegistry.Write");
        std::string text = "Zarvento headless host registry\n";
        for (const Key& key : keys_) {
            text += "\n[" + key.path + "]\n";
            for (const NamedValue& v : key.values) {
                text += Quote(v.name) + "=";
                if (const auto* s = std::get_if<std::string>(&v.value)) {
                    text += Quote(*s);
                } else {
                    char hex[16];
                    std::snprintf(hex, sizeof hex, "dword:%08x", std::get<std::uint32_t>(v.value));
                    text += hex;
                }
                text += "\n";
            }
        }
        return WriteFileAtomic(HostRegistry::File(), text).ok;
    }

    Key* Find(std::string_view path) {
        auto it = std::find_if(keys_.begin(), keys_.end(), [&](const Key& k) { return SameName(k.path, path); });
        return it == keys_.end() ? nullptr : &*it;
    }

    Key& Open(std::string path) {
        if (Key* k = Find(path)) return *k;
        keys_.push_back(Key{std::move(path), {}});
        return keys_.back();
    }

    // Removes the key and every key below it; false when there was none.
    bool Remove(std::string_view path) {
        const std::size_t before = keys_.size();
        std::erase_if(keys_, [&](const Key& k) {
            return SameName(k.path, path) || (k.path.size() > path.size() && k.path[path.size()] == '\\' &&
                                              SameName(std::string_view(k.path).substr(0, path.size()), path));
        });
        return keys_.size() != before;
    }

    static void Set(Key& key, const std::string& name, Value value) {
        auto it = std::find_if(key.values.begin(), key.values.end(),
                               [&](const NamedValue& v) { return SameName(v.name, name); });
        if (it == key.values.end()) {
            key.values.push_back(NamedValue{name, std::move(value)});
        } else {
            it->value = std::move(value);
        }
    }

    static const Value* Get(const Key& key, std::string_view name) {
        for (const NamedValue& v : key.values)
            if (SameName(v.name, name)) return &v.value;
        return nullptr;
    }

private:
    std::vector<Key> keys_;
};

std::string PathOf(const std::string& root, const std::string& key) { return root + "\\" + key; }

// A failed host call on the way is a registry that cannot be written.
template <typename F>
bool Change(F&& change) {
    try {
        Registry r = Registry::Read();
        return change(r) && r.Write();
    } catch (const HostError&) {
        return false;
    }
}

}  // namespace

std::filesystem::path HostRegistry::File() { return HostFolderOfKind(3) / "registry.reg"; }

bool HostRegistry::CreateKey(const std::string& root, const std::string& key) {
    return Change([&](Registry& r) {
        r.Open(PathOf(root, key));
        return true;
    });
}

bool HostRegistry::SetString(const std::string& root, const std::string& key, const std::string& name,
                             const std::string& value) {
    return Change([&](Registry& r) {
        Registry::Set(r.Open(PathOf(root, key)), name, value);
        return true;
    });
}

bool HostRegistry::SetDword(const std::string& root, const std::string& key, const std::string& name,
                            std::uint32_t value) {
    return Change([&](Registry& r) {
        Registry::Set(r.Open(PathOf(root, key)), name, value);
        return true;
    });
}

bool HostRegistry::DeleteKey(const std::string& root, const std::string& key) {
    return Change([&](Registry& r) { return r.Remove(PathOf(root, key)); });
}

bool HostRegistry::KeyExists(const std::string& root, const std::string& key) {
    return Registry::Read().Find(PathOf(root, key)) != nullptr;
}

std::optional<std::string> HostRegistry::QueryString(const std::string& root, const std::string& key,
                                                     const std::string& name) {
    Registry r = Registry::Read();
    const Key* k = r.Find(PathOf(root, key));
    const Value* v = k ? Registry::Get(*k, name) : nullptr;
    if (const auto* s = v ? std::get_if<std::string>(v) : nullptr) return *s;
    return std::nullopt;
}

std::optional<std::uint32_t> HostRegistry::QueryDword(const std::string& root, const std::string& key,
                                                      const std::string& name) {
    Registry r = Registry::Read();
    const Key* k = r.Find(PathOf(root, key));
    const Value* v = k ? Registry::Get(*k, name) : nullptr;
    if (const auto* d = v ? std::get_if<std::uint32_t>(v) : nullptr) return *d;
    return std::nullopt;
}

}  // namespace zarvento
