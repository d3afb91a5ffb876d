// Reading STEP files in a process of their own: the STEP reader program runs
// the translator and hands back what it read in a binary record on its
// standard output, which the host decodes. The translator follows what a
// damaged file links without a check (a loop of entities, a curve of no
// points) and may crash or run on: here that ends the reader, not the host.
//
// The record, little-endian (platform/byte_record.h):
//   "ZSTEPR2\n", then 0 and the content, or 1 and the refusal
//   content: assembly flag (1), name, number of parts (4), each part: its
//            name, number of faces (4), each face: coloured (1), colour (4),
//            six light values (8 each), name; the body's length (8) and its
//            binary form; then the number of notes (4) and each note
//   refusal: the HostError's code (4) and text
#include <BinTools.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <sstream>
#include <string_view>
#include <thread>

#include "platform/core/byte_record.h"
#include "platform/core/host_error.h"
#include "platform/part_model/part_model_occt.h"
#include "platform/part_model/step_translator.h"
#include "platform/processes/process_runner.h"
#include "platform/step_reader_program.h"

namespace zarvento {

namespace {

constexpr std::string_view kMagic = "ZSTEPR2\n";
// A read that takes longer has run away: the files the host takes are far
// smaller than would take so long.
constexpr std::int64_t kReadTimeoutMs = 120000;
// The record is the bodies' binary form, a fraction of the STEP text's size;
// more than this is no record of a file the host takes.
constexpr std::size_t kMaxRecordBytes = std::size_t{512} << 20;

std::string EncodeContent(const StepContent& content) {
    std::string out(kMagic);
    out.push_back(0);
    out.push_back(content.assembly ? 1 : 0);
    PutText(out, content.name);
    PutU32(out, static_cast<std::uint32_t>(content.parts.size()));
    for (const StepPart& part : content.parts) {
        PutText(out, part.name);
        PutU32(out, static_cast<std::uint32_t>(part.faces.size()));
        for (const StepFaceLook& face : part.faces) {
            out.push_back(face.coloured ? 1 : 0);
            PutU32(out, face.colour);
            for (double v : face.light) PutDouble(out, v);
            PutText(out, face.name);
        }
        std::ostringstream body;
        BinTools::Write(part.body, body);
        const std::string bytes = std::move(body).str();
        PutU64(out, bytes.size());
        out += bytes;
    }
    PutU32(out, static_cast<std::uint32_t>(content.notes.size()));
    for (const std::string& note : content.notes) PutText(out, note);
    return out;
}

std::string EncodeRefusal(const HostError& e) {
    std::string out(kMagic);
    out.push_back(1);
    PutU32(out, static_cast<std::uint32_t>(e.Code()));
    PutText(out, e.Message());
    return out;
}

// The content of a record; throws the refusal it holds, and a damaged file
// for a record that is not whole.
StepContent DecodeRecord(std::string_view record, const std::string& cannot) {
    const HostError broken(STG_E_DOCFILECORRUPT_, cannot + "the STEP reader's answer is incomplete");
    if (record.substr(0, kMagic.size()) != kMagic) throw broken;
    ByteReader in(record.substr(kMagic.size()));
    std::uint64_t kind = 0;
    if (!in.U(kind, 1)) throw broken;
    if (kind == 1) {
        std::uint64_t code = 0;
        std::string text;
        if (!in.U(code, 4) || !in.Text(text)) throw broken;
        throw HostError(static_cast<HRESULT>(static_cast<std::uint32_t>(code)), text);
    }
    StepContent content;
    std::uint64_t assembly = 0, parts = 0;
    if (kind != 0 || !in.U(assembly, 1) || !in.Text(content.name) || !in.U(parts, 4)) throw broken;
    content.assembly = assembly != 0;
    for (std::uint64_t p = 0; p < parts; ++p) {
        StepPart part;
        std::uint64_t faces = 0;
        if (!in.Text(part.name) || !in.U(faces, 4)) throw broken;
        for (std::uint64_t f = 0; f < faces; ++f) {
            StepFaceLook look;
            std::uint64_t coloured = 0, colour = 0;
            if (!in.U(coloured, 1) || !in.U(colour, 4)) throw broken;
            for (double& v : look.light)
                if (!in.Double(v)) throw broken;
            if (!in.Text(look.name)) throw broken;
            look.coloured = coloured != 0;
            look.colour = static_cast<std::uint32_t>(colour);
            part.faces.push_back(std::move(look));
        }
        std::uint64_t length = 0;
        std::string_view bytes;
        if (!in.U(length, 8) || !in.Bytes(bytes, length)) throw broken;
        try {
            std::istringstream body{std::string(bytes)};
            BinTools::Read(part.body, body);
        } catch (const Standard_Failure&) {
            throw broken;
        }
        // The looks go with the body's faces one for one.
        TopTools_IndexedMapOfShape map;
        TopExp::MapShapes(part.body, TopAbs_FACE, map);
        if (part.body.IsNull() || static_cast<std::size_t>(map.Extent()) != part.faces.size()) throw broken;
        content.parts.push_back(std::move(part));
    }
    std::uint64_t notes = 0;
    if (!in.U(notes, 4)) throw broken;
    for (std::uint64_t k = 0; k < notes; ++k) {
        std::string note;
        if (!in.Text(note)) throw broken;
        content.notes.push_back(std::move(note));
    }
    if (!in.AtEnd()) throw broken;
    return content;
}

// How much memory the reader may take (its resident size), unless the
// environment's ZARVENTO_STEP_READER_MIB gives another number of MiB: a
// file the host takes reads in a fraction of it, and a damaged one that
// would make the translator take all the machine has is refused instead.
constexpr std::size_t kReaderMemoryMiB = 2048;
constexpr const char* kReaderMemoryVariable = "ZARVENTO_STEP_READER_MIB";
// How often the reader looks at its size.
constexpr int kMemoryLookMs = 10;

std::size_t ReaderMemoryMiB() {
    const char* set = std::getenv(kReaderMemoryVariable);
    std::size_t mib = 0;
    if (!set || !*set) return kReaderMemoryMiB;
    const auto [end, ec] = std::from_chars(set, set + std::strlen(set), mib);
    return ec == std::errc() && *end == '\0' && mib > 0 && mib <= (std::size_t{1} << 30) ? mib : kReaderMemoryMiB;
}

// The process's resident size in bytes, read without allocating; 0 when it
// cannot be read.
std::size_t ResidentBytes() {
    const int fd = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    char text[128];
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0) return 0;
    text[n] = '\0';
    std::size_t pages = 0;
    const char* second = std::strchr(text, ' ');
    if (!second || std::from_chars(second + 1, text + n, pages).ec != std::errc()) return 0;
    return pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

bool WriteAll(int fd, std::string_view bytes);

// Watches the reader's size while the translator reads: past its limit the
// refusal becomes the record and the process ends. The record goes out
// once: whoever claims it first writes it.
class MemoryWatch {
public:
    MemoryWatch(int record, std::size_t mib, const std::string& cannot)
        : record_(record),
          limit_(mib << 20),
          refusal_(EncodeRefusal(HostError(E_OUTOFMEMORY_, cannot +
                                                               "its reading takes more memory than the STEP "
                                                               "reader may have (" +
                                                               std::to_string(mib) + " MiB)"))),
          thread_([this] { Watch(); }) {}
    ~MemoryWatch() {
        stop_ = true;
        thread_.join();
    }
    // True for the caller that may write the record.
    bool Claim() { return !claimed_.exchange(true); }

private:
    void Watch() {
        while (!stop_) {
            if (ResidentBytes() > limit_ && Claim()) {
                WriteAll(record_, refusal_);
                std::_Exit(0);
            }
            ::poll(nullptr, 0, kMemoryLookMs);
        }
    }

    const int record_;
    const std::size_t limit_;
    const std::string refusal_;
    std::atomic<bool> stop_{false}, claimed_{false};
    std::thread thread_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

int StepReaderProgram(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << kStepReaderProgram << " <STEP file>\n";
        return 2;
    }
    // The record goes to the standard output as it was given; whatever the
    // translator writes there goes to the standard error instead.
    const int record = ::dup(1);
    if (record < 0 || ::dup2(2, 1) < 0) return 1;
    const std::string path = argv[1];
    const std::string cannot = "cannot import \"" + path + "\": ";
    std::string out;
    MemoryWatch watch(record, ReaderMemoryMiB(), cannot);
    try {
        out = EncodeContent(LoadStepTranslator().read(path, cannot));
    } catch (const HostError& e) {
        out = EncodeRefusal(e);
    } catch (const Standard_Failure& e) {
        out = EncodeRefusal(HostError(
            STG_E_DOCFILECORRUPT_,
            cannot + "the STEP file is damaged (" + (e.GetMessageString() ? e.GetMessageString() : "") + ")"));
    } catch (const std::bad_alloc&) {
        out =
            EncodeRefusal(HostError(E_OUTOFMEMORY_, cannot + "its reading needs more memory than the STEP reader has"));
    }
    // Past its limit the watch has the record and ends the process.
    if (!watch.Claim()) ::pause();
    const bool written = WriteAll(record, out);
    ::close(record);
    // The translator's tables go with the process.
    std::cout.flush();
    std::cerr.flush();
    std::_Exit(written ? 0 : 1);
}

StepContent ReadStepInOwnProcess(const std::string& path, const std::string& cannot) {
    const std::optional<std::filesystem::path> folder = HostModuleFolder();
    if (!folder) throw HostError(E_FAIL_, cannot + "the STEP reader cannot be found: the host's folder is unknown");
    ProcessRequest request;
    request.program = (*folder / kStepReaderProgram).string();
    request.arguments = {path};
    request.timeoutMs = kReadTimeoutMs;
    request.maxOutputBytes = kMaxRecordBytes;
    request.endGroupAtExit = true;
    const ProcessResult run = RunProcess(request);
    if (!run.started) throw HostError(E_FAIL_, cannot + "the STEP reader cannot be run: " + run.error);
    const std::string damaged = cannot + "the STEP file is damaged";
    if (run.timedOut)
        throw HostError(STG_E_DOCFILECORRUPT_,
                        damaged + ": its reading did not end within " + std::to_string(kReadTimeoutMs / 1000) + " s");
    if (run.signal != 0) {
        const char* name = ::strsignal(run.signal);
        throw HostError(STG_E_DOCFILECORRUPT_, damaged + ": the STEP reader crashed on it (" +
                                                   (name ? std::string(name) : "signal " + std::to_string(run.signal)) +
                                                   ")");
    }
    if (run.outputTruncated)
        throw HostError(STG_E_DOCFILECORRUPT_, damaged + ": the STEP reader's answer is too large");
    if (run.exitCode != 0) {
        std::string said = run.errorOutput;
        while (!said.empty() && (said.back() == '\n' || said.back() == '\r')) said.pop_back();
        if (const std::size_t line = said.find_last_of('\n'); line != std::string::npos) said.erase(0, line + 1);
        throw HostError(E_FAIL_, cannot + "the STEP reader failed (exit " + std::to_string(run.exitCode) + ")" +
                                     (said.empty() ? std::string() : ": " + said));
    }
    return DecodeRecord(run.output, cannot);
}

}  // namespace zarvento
