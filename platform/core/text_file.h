// Reading and writing whole files: raw bytes or text in UTF-8 or the 8-bit
// Cyrillic code page, with a chosen line end. Writing is atomic: the new
// content goes to a temporary file beside the target, which then replaces it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zarvento {

enum class TextEncoding {
    Utf8,
    Cp1251,  // Windows-1251, converted to and from UTF-8 at the edge
};

enum class LineEnd { CrLf, Lf, Cr };

const char* LineEndText(LineEnd end);

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
bool HasUtf8Bom(std::string_view bytes);

struct FileReadResult {
    bool ok = false;
    std::string error;       // why the file could not be read (ok false)
    std::string text;        // raw bytes, or UTF-8 text for ReadTextFile
    bool truncated = false;  // the file holds more than the limit allowed
    bool utf8Bom = false;    // ReadTextFile: the file began with a UTF-8 BOM (not kept in text)
};

// At most `maxBytes` bytes of the file.
FileReadResult ReadFileBytes(const std::filesystem::path& path, std::size_t maxBytes = std::string::npos);

// The file as UTF-8 text. A file that begins with a UTF-8 BOM is read as UTF-8
// whatever `encoding` says (those three bytes are no plausible start of a
// Cyrillic text); the BOM is dropped. The limit counts the file's bytes, BOM
// included. Line ends are kept; see SplitLines.
FileReadResult ReadTextFile(const std::filesystem::path& path, TextEncoding encoding,
                            std::size_t maxBytes = std::string::npos);

struct FileWriteResult {
    bool ok = false;
    std::string error;              // why nothing was written (ok false)
    std::size_t unconvertible = 0;  // code-page text: characters written as '?'
};

// Replaces the file with `bytes`, keeping its mode. On failure the previous
// file, if any, is left as it was and no temporary file stays behind. A
// folder, another kind of file or a write-protected file is not replaced
// (see ReplaceRefusal). Tests make it fail with
// HostFaults: "WriteFileAtomic" before the data is written, "ReplaceFile"
// before the new file takes the old one's place.
FileWriteResult WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// Copies the bytes of the regular file `from` to `to` as WriteFileAtomic
// writes them: a new file gets 0666 less the umask, never the source's mode
// (std::filesystem::copy_file gives it the source's), a replaced one keeps
// its own. The reason names the file that cannot be read or written.
FileWriteResult CopyFileAtomic(const std::filesystem::path& from, const std::filesystem::path& to);

// Writes UTF-8 lines, each followed by `end`, in `encoding` (a BOM first when
// asked, UTF-8 only), atomically as WriteFileAtomic.
FileWriteResult WriteTextFile(const std::filesystem::path& path, const std::vector<std::string>& lines,
                              TextEncoding encoding, LineEnd end, bool withBom = false);

}  // namespace zarvento
