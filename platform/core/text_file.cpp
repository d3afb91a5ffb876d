// Whole-file reading and atomic writing over POSIX descriptors, so that every
// failure (open, short write, close, rename) is seen and reported.
#include "platform/core/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

#include "platform/core/code_page.h"
#include "platform/core/file_identity.h"
#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/unique_fd.h"

namespace zarvento {

namespace {

std::string ErrnoText(const std::string& what, const std::filesystem::path& path, int err) {
    return what + " \"" + path.string() + "\": " + std::strerror(err);
}

std::string TemporaryName(const std::filesystem::path& path) {
    static const char* digits = "0123456789abcdef";
    std::random_device rd;
    // Built by appends: GCC 12 reports a false overlap in `"." + string` here (its bug 105651).
    std::string name = ".";
    name += path.filename().string();
    name += ".tmp-";
    for (int i = 0; i < 4; ++i) {
        const unsigned v = rd();
        for (int k = 0; k < 4; ++k) name += digits[(v >> (4 * k)) & 0xF];
    }
    return name;
}

}  // namespace

const char* LineEndText(LineEnd end) {
    switch (end) {
        case LineEnd::CrLf: return "\r\n";
        case LineEnd::Lf: return "\n";
        case LineEnd::Cr: return "\r";
    }
    return "\r\n";
}

bool HasUtf8Bom(std::string_view bytes) { return bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom; }

FileReadResult ReadFileBytes(const std::filesystem::path& path, std::size_t maxBytes) {
    FileReadResult r;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) {
        r.error = ErrnoText("cannot open", path, errno);
        return r;
    }
    char buffer[65536];
    while (r.text.size() < maxBytes) {
        const std::size_t want = std::min(sizeof buffer, maxBytes - r.text.size());
        const ssize_t n = ::read(fd.Get(), buffer, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            r.error = ErrnoText("cannot read", path, errno);
            r.text.clear();
            return r;
        }
        if (n == 0) {
            r.ok = true;
            return r;
        }
        r.text.append(buffer, static_cast<std::size_t>(n));
    }
    // The limit is reached: one more byte tells whether anything was left out.
    char probe = 0;
    ssize_t n = 0;
    do {
        n = ::read(fd.Get(), &probe, 1);
    } while (n < 0 && errno == EINTR);
    r.truncated = n > 0;
    r.ok = true;
    return r;
}

FileReadResult ReadTextFile(const std::filesystem::path& path, TextEncoding encoding, std::size_t maxBytes) {
    FileReadResult r = ReadFileBytes(path, maxBytes);
    if (!r.ok) return r;
    if (HasUtf8Bom(r.text)) {
        r.utf8Bom = true;
        r.text.erase(0, kUtf8Bom.size());
    } else if (encoding == TextEncoding::Cp1251) {
        r.text = Cp1251ToUtf8(r.text);
    }
    return r;
}

FileWriteResult WriteFileAtomic(const std::filesystem::path& named, std::string_view bytes) {
    FileWriteResult r;
    if (named.filename().empty()) {
        r.error = "no file name in \"" + named.string() + "\"";
        return r;
    }
    // A link is written through: the new file takes the place of the one it
    // leads to, and the link stays.
    std::filesystem::path path;
    if (!ThroughLinks(named, path, r.error)) return r;
    // A folder, a device or a file the user protected is never replaced.
    if (std::string refusal = ReplaceRefusal(path); !refusal.empty()) {
        r.error = refusal + " and is left as it is";
        return r;
    }
    const std::filesystem::path dir = path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
    std::filesystem::path temp;
    int raw = -1;
    // A name taken by chance is tried again; a few tries are plenty for 64 random bits.
    for (int attempt = 0; attempt < 8 && raw < 0; ++attempt) {
        temp = dir / TemporaryName(path);
        raw = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (raw < 0 && errno != EEXIST) break;
    }
    if (raw < 0) {
        // The file the caller asked for is named: its folder may be missing.
        r.error = ErrnoText("cannot write", path, errno);
        return r;
    }
    UniqueFd fd(raw);
    // A replaced file keeps its permissions; a new one gets the usual 0666 less the umask.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd.Get(), old.st_mode & 07777);
    auto fail = [&](const std::string& message) {
        fd.Close();
        ::unlink(temp.c_str());
        r.error = message;
        return r;
    };
    try {
        HostFaults::Check("WriteFileAtomic");
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd.Get(), bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                return fail(ErrnoText("cannot write", temp, errno));
            }
            done += static_cast<std::size_t>(n);
        }
        // The data must be on disk before the rename makes it the file, or a
        // crash could leave an empty file in place of the old one.
        if (::fsync(fd.Get()) != 0) return fail(ErrnoText("cannot flush", temp, errno));
        if (fd.Close() != 0) return fail(ErrnoText("cannot close", temp, errno));
        HostFaults::Check("ReplaceFile");
        if (::rename(temp.c_str(), path.c_str()) != 0) return fail(ErrnoText("cannot replace", path, errno));
    } catch (const HostError& e) {
        return fail(std::string("cannot write \"") + path.string() + "\": " + e.what());
    }
    r.ok = true;
    return r;
}

FileWriteResult CopyFileAtomic(const std::filesystem::path& from, const std::filesystem::path& to) {
    FileWriteResult r;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(from, ec)) {
        r.error = "\"" + from.string() + "\" is no file to copy";
        return r;
    }
    const FileReadResult read = ReadFileBytes(from);
    if (!read.ok) {
        r.error = read.error;
        return r;
    }
    return WriteFileAtomic(to, read.text);
}

FileWriteResult WriteTextFile(const std::filesystem::path& path, const std::vector<std::string>& lines,
                              TextEncoding encoding, LineEnd end, bool withBom) {
    std::string text;
    if (withBom && encoding == TextEncoding::Utf8) text += kUtf8Bom;
    const std::string_view ending = LineEndText(end);
    for (const auto& line : lines) {
        text += line;
        text += ending;
    }
    if (encoding == TextEncoding::Utf8) return WriteFileAtomic(path, text);
    CodePageConversion converted = Utf8ToCp1251(text);
    FileWriteResult r = WriteFileAtomic(path, converted.text);
    r.unconvertible = converted.unconvertible;
    return r;
}

}  // namespace zarvento
