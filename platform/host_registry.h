// The headless host's registry: keys holding named string and 32-bit values,
// under the roots the host knows, kept in one text file in the form of a
// registry export ([root\key], "name"="text", "name"=dword:0000000a). Every
// change reads the file, changes it and writes it whole and atomically, so a
// failed write leaves the previous registry as it was. Key and value names
// compare without regard to case, as the host's do.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace zarvento {

inline constexpr const char* kHkeyLocalMachine = "HKEY_LOCAL_MACHINE";

class HostRegistry {
public:
    // The registry file: "registry.reg" in the host's settings folder (kind 3).
    static std::filesystem::path File();

    // Creates the key (with its parents' path) when it is missing; false when
    // the registry cannot be written. Failure injection: "HostRegistry.Write".
    static bool CreateKey(const std::string& root, const std::string& key);
    // Sets a value, creating the key; false when the registry cannot be written.
    static bool SetString(const std::string& root, const std::string& key, const std::string& name,
                          const std::string& value);
    static bool SetDword(const std::string& root, const std::string& key, const std::string& name, std::uint32_t value);
    // Deletes the key with its values and the keys under it; false when it is
    // missing or the registry cannot be written.
    static bool DeleteKey(const std::string& root, const std::string& key);

    static bool KeyExists(const std::string& root, const std::string& key);
    static std::optional<std::string> QueryString(const std::string& root, const std::string& key,
                                                  const std::string& name);
    static std::optional<std::uint32_t> QueryDword(const std::string& root, const std::string& key,
                                                   const std::string& name);
};

}  // namespace zarvento
