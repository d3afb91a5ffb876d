// The registry of the headless host: a tree of keys named by paths such as
// "HKCR\CLSID\{...}\InprocServer32", each with named values (the key's
// default value has the empty name), texts or 32-bit numbers. Key and value
// names are compared without regard to ASCII case, as the host does. The
// registry lives in one file of the host's; every change rewrites that file
// at once (atomically), and a failed write leaves both the file and the
// registry as they were (Update makes several changes one). Until a file is
// opened the registry lives in memory.
//
// The file is a text of ours, UTF-8:
//
//     zarvento registry 1
//     [HKCR\Tindral.TindralCtrl.1\CLSID]
//     @ = "{718E4ED9-10AA-4B45-BE95-7147C1C09575}"
//     [HKCR\CLSID\{718E4ED9-10AA-4B45-BE95-7147C1C09575}\MiscStatus]
//     @ = dword:00020191
//     "ThreadingModel" = "Apartment"
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarvento {

struct RegistryValue {
    bool isNumber = false;
    std::string text;
    std::uint32_t number = 0;
    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

class HostRegistry {
public:
    static HostRegistry& Instance();

    // Binds the registry to its file and reads it; a missing file is an empty
    // registry (made at the first change). A file that cannot be read or is
    // malformed raises HostError and leaves the registry in memory and empty.
    void Open(const std::filesystem::path& file);
    // Back to an empty registry in memory.
    void Close();
    // The file it is bound to; empty in memory.
    const std::filesystem::path& File() const { return file_; }

    // Sets a value, making the key and those above it. Raises HostError when
    // the file cannot be written (nothing changes then), or for an empty or
    // malformed key path.
    void SetText(std::string_view key, std::string_view name, std::string_view text);
    void SetNumber(std::string_view key, std::string_view name, std::uint32_t number);
    // Makes the changes `changes` makes as one: the file is written once at
    // the end; when that write or any change fails, none of them stays (the
    // failure goes on to the caller). Updates may nest; the outermost writes.
    void Update(const std::function<void()>& changes);
    // Deletes the key with every key below it; false when there is no such key.
    bool DeleteKey(std::string_view key);
    bool DeleteValue(std::string_view key, std::string_view name);

    bool KeyExists(std::string_view key) const;
    std::optional<RegistryValue> Value(std::string_view key, std::string_view name = {}) const;
    // A text value; nullopt when it is missing or a number.
    std::optional<std::string> Text(std::string_view key, std::string_view name = {}) const;
    // The names of the keys just below `key`, in order.
    std::vector<std::string> SubKeys(std::string_view key) const;
    // Every key path, in order (for dumps and tests).
    std::vector<std::string> Keys() const;

    // The registry as its file holds it.
    std::string FileText() const { return Serialize(keys_); }

private:
    struct NoCase {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    using Values = std::map<std::string, RegistryValue, NoCase>;
    using Keys_ = std::map<std::string, Values, NoCase>;

    static std::string Serialize(const Keys_& keys);
    static bool Parse(std::string_view text, Keys_& keys, std::string& error);
    // Writes the changed registry to the file, then takes it.
    void Commit(Keys_ keys);

    std::filesystem::path file_;
    Keys_ keys_;
    int updateDepth_ = 0;  // changes inside Update wait for its end to be written
};

// The host's registry file: $ZARVENTO_REGISTRY when set, else "registry" in
// the host's folder of the user's configuration ($XDG_CONFIG_HOME/zarvento,
// or ~/.config/zarvento).
std::filesystem::path DefaultRegistryFile();

}  // namespace zarvento
