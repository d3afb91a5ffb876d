// The library's settings: display colours, statistics durations, the rapid
// speed, interpreter and editor paths, the X output mode and the curve
// accuracy. One process-wide record; the settings file "Kestrane.cfg" is a raw
// little-endian image of the nine stored fields (2092 bytes).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace zarvento {

// Windows colour value 0x00BBGGRR.
constexpr std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r | (g << 8) | (b << 16); }

class SettingsRecord {
public:
    static SettingsRecord& Global();

    // Defaults by the host's major version (the interpreter path depends on it).
    void SetDefaults(int hostMajorVersion = kHostMajorVersion);
    // Reads the stored fields from the whole file at once. A missing file, or
    // one that is not a settings image of ours (another size, a number that is
    // not finite, an unknown X output mode), changes nothing and gives false.
    bool Load(const std::filesystem::path& file);
    // Replaces the file with the image; false when it cannot be written (a
    // previous file is then left as it was).
    bool Save(const std::filesystem::path& file) const;

    static std::string DefaultPythonPath(int hostMajorVersion);

    // The headless host reports this major version.
    static constexpr int kHostMajorVersion = 23;
    static constexpr std::size_t kPathChars = 512;
    static constexpr std::size_t kFileSize = 2092;
    static constexpr const char* kFileName = "Kestrane.cfg";

    std::int32_t storedValue1 = 1;
    std::int32_t storedValue2 = 0;
    std::uint32_t colours[15] = {};  // colour 1 .. colour 15 at index 0 .. 14
    double transparency = 50.0;
    double rapidSpeed = 5.0;       // m/min
    double toolChangeTime = 0.25;  // s
    double spindleTime = 0.25;     // s
    std::string pythonPath;        // UTF-8 inside, at most 511 UTF-16 units stored
    std::string editorPath;
    std::int32_t xOutputMode = 0;  // 0 diameter, 1 radius in -X, 2 radius in +X
    double accuracy = 0.01;

    std::uint32_t Colour(int number) const { return colours[number - 1]; }
};

}  // namespace zarvento
