// SettingsRecord: defaults and the raw settings file.
#include "platform/documents/settings_record.h"

#include <cmath>
#include <cstring>

#include "platform/core/process_state.h"
#include "platform/core/text_file.h"

namespace zarvento {

ZARVENTO_STATE_RESET { SettingsRecord::Global().SetDefaults(); }

SettingsRecord& SettingsRecord::Global() {
    static SettingsRecord record = [] {
        SettingsRecord r;
        r.SetDefaults();
        return r;
    }();
    return record;
}

std::string SettingsRecord::DefaultPythonPath(int major) {
    if (major < 17) return "C:\\Python26\\Python.exe";
    if (major == 17) return "C:\\Program Files\\DEDEV\\REDOZU-3D v17\\Libs\\Redozu-Macro\\Python 3\\App\\python.exe";
    if (major <= 23)
        return "C:\\ProgramData\\DEDEV\\REDOZU-3D\\" + std::to_string(major) + "\\Python 3\\App\\python.exe";
    return std::string();
}

void SettingsRecord::SetDefaults(int hostMajorVersion) {
    static constexpr std::uint32_t kColours[15] = {
        Rgb(0, 0, 0),       Rgb(0, 150, 0),     Rgb(0, 0, 255),     Rgb(150, 0, 120), Rgb(255, 150, 0),
        Rgb(0, 0, 255),     Rgb(0, 255, 255),   Rgb(200, 225, 255), Rgb(0, 255, 0),   Rgb(150, 180, 170),
        Rgb(100, 150, 255), Rgb(150, 180, 170), Rgb(250, 150, 250), Rgb(0, 0, 255),   Rgb(250, 250, 250),
    };
    storedValue1 = 1;
    storedValue2 = 0;
    std::memcpy(colours, kColours, sizeof colours);
    transparency = 50.0;
    rapidSpeed = 5.0;
    toolChangeTime = 0.25;
    spindleTime = 0.25;
    pythonPath = DefaultPythonPath(hostMajorVersion);
    editorPath = "C:\\Windows\\notepad.exe";
    xOutputMode = 0;
    accuracy = 0.01;
}

namespace {

// UTF-8 <-> the file's fixed field of 512 UTF-16 code units, zero-terminated inside.
void PutPath(std::string& out, const std::string& utf8) {
    std::u16string units;
    for (std::size_t i = 0; i < utf8.size() && units.size() < SettingsRecord::kPathChars - 1;) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t cp = c;
        std::size_t len = 1;
        if (c >= 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else if (c >= 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xC0) {
            len = 2;
            cp = c & 0x1F;
        }
        if (i + len > utf8.size()) break;
        for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += len;
        if (cp >= 0x10000) {
            if (units.size() + 2 > SettingsRecord::kPathChars - 1) break;
            cp -= 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(cp));
        }
    }
    units.resize(SettingsRecord::kPathChars, u'\0');
    for (char16_t u : units) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
}

// The path ends at its first zero unit, and at unit 511 at the latest: a field
// without a zero inside reads no further than its own end.
std::string GetPath(const char* bytes) {
    std::string utf8;
    for (std::size_t i = 0; i + 1 < SettingsRecord::kPathChars; ++i) {
        char32_t u = static_cast<unsigned char>(bytes[2 * i]) | (static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
        if (u == 0) break;
        if (u >= 0xD800 && u < 0xDC00 && i + 2 < SettingsRecord::kPathChars) {
            const char32_t lo =
                static_cast<unsigned char>(bytes[2 * i + 2]) | (static_cast<unsigned char>(bytes[2 * i + 3]) << 8);
            if (lo >= 0xDC00 && lo < 0xE000) {
                u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            }
        }
        if (u < 0x80) {
            utf8.push_back(static_cast<char>(u));
        } else if (u < 0x800) {
            utf8.push_back(static_cast<char>(0xC0 | (u >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        } else if (u < 0x10000) {
            utf8.push_back(static_cast<char>(0xE0 | (u >> 12)));
            utf8.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        } else {
            utf8.push_back(static_cast<char>(0xF0 | (u >> 18)));
            utf8.push_back(static_cast<char>(0x80 | ((u >> 12) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        }
    }
    return utf8;
}

template <typename T>
void PutRaw(std::string& out, T v) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &v, sizeof(T));  // the file is little-endian, as is every target of ours
    out.append(bytes, sizeof(T));
}

template <typename T>
T GetRaw(const char*& at) {
    T v;
    std::memcpy(&v, at, sizeof(T));
    at += sizeof(T);
    return v;
}

}  // namespace

bool SettingsRecord::Save(const std::filesystem::path& file) const {
    std::string image;
    image.reserve(kFileSize);
    PutRaw(image, storedValue1);
    PutRaw(image, storedValue2);
    PutRaw(image, rapidSpeed);
    PutRaw(image, toolChangeTime);
    PutRaw(image, spindleTime);
    PutPath(image, pythonPath);
    PutPath(image, editorPath);
    PutRaw(image, xOutputMode);
    PutRaw(image, accuracy);
    return WriteFileAtomic(file, image).ok;
}

bool SettingsRecord::Load(const std::filesystem::path& file) {
    // One byte more than an image, so that a longer file shows itself.
    const FileReadResult read = ReadFileBytes(file, kFileSize + 1);
    if (!read.ok || read.text.size() != kFileSize) return false;
    const char* at = read.text.data();
    SettingsRecord r = *this;
    r.storedValue1 = GetRaw<std::int32_t>(at);
    r.storedValue2 = GetRaw<std::int32_t>(at);
    r.rapidSpeed = GetRaw<double>(at);
    r.toolChangeTime = GetRaw<double>(at);
    r.spindleTime = GetRaw<double>(at);
    r.pythonPath = GetPath(at);
    at += kPathChars * 2;
    r.editorPath = GetPath(at);
    at += kPathChars * 2;
    r.xOutputMode = GetRaw<std::int32_t>(at);
    r.accuracy = GetRaw<double>(at);
    for (double v : {r.rapidSpeed, r.toolChangeTime, r.spindleTime, r.accuracy})
        if (!std::isfinite(v)) return false;
    if (r.xOutputMode < 0 || r.xOutputMode > 2) return false;
    *this = std::move(r);
    return true;
}

}  // namespace zarvento
