// The script's intermediate moves: "path.tmp" read back and attached, as
// sub-frames, to the program frames whose block numbers the lines name.
#include <charconv>
#include <memory>
#include <unordered_map>

#include "nc/cadre_f.h"
#include "nc/cadre_g04.h"
#include "nc/cadre_g66.h"
#include "nc/cadre_line_g01.h"
#include "nc/cadre_s.h"
#include "platform/core/line_reader.h"
#include "platform/core/text_file.h"
#include "post/program.h"
#include "post/program_plan_links.h"
#include "post/python_run.h"

namespace zarvento {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// The number at the start of a text as the C library reads it: blanks, a
// sign, the digits; 0 when there is none.
template <typename T>
T LeadingNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    T value{};
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() ? value : T{};
}

// The value after the first occurrence of the letter, if the line has it.
bool WordValue(std::string_view line, char letter, double& value) {
    const std::size_t at = line.find(letter);
    if (at == npos) return false;
    value = LeadingNumber<double>(line.substr(at + 1));
    return true;
}

}  // namespace

void CPROGRAM::ReadPathFile() {
    const ProgramPlanLinks* links = GetProgramPlanLinks();
    if (links == nullptr) return;
    const FileReadResult file = ReadFileBytes(links->TemporaryDirectory() / kPathFileName, kMaxPathBytes);
    if (!file.ok) return;
    std::string_view text = file.text;
    text = text.substr(0, text.find('\0'));

    // The frame that printed each block number first.
    std::unordered_map<std::int64_t, std::uint32_t> byNumber;
    byNumber.reserve(frames.Count());
    for (std::uint32_t i = 0; i < frames.Count(); ++i) {
        if (frames[i] == nullptr) continue;
        const std::int32_t printed = PrintedFrameNumber(*frames[i]);
        if (printed >= 0) byNumber.emplace(printed, i);
    }

    const double f = UnitsFactor(ProgramUnits::Global().nINCH);
    CCadreISO* owner = nullptr;
    std::uint32_t ownerIndex = 0;
    std::int64_t lastNumber = -1;
    FramePoint current;
    FramePoint previous;
    double feedValue = 0.0;
    int moveCount = 0;

    // Lines end at CR, LF or CR LF: a python3 here writes LF alone.
    LineReader reader(text);
    std::string_view line;
    for (std::size_t lineCount = 0; lineCount < kMaxPathLines && reader.Next(line); ++lineCount) {
        if (const std::size_t n = line.find('N'); n != npos) {
            const auto k = LeadingNumber<std::int64_t>(line.substr(n + 1));
            if (k != lastNumber) {
                lastNumber = k;
                const auto found = byNumber.find(k);
                owner = found != byNumber.end() ? frames[found->second] : nullptr;
                if (owner != nullptr) {
                    ownerIndex = found->second;
                    // A number read again replaces the moves it had, so a
                    // second reading neither doubles nor leaks them.
                    owner->ReleaseSubFrames();
                    current.x = owner->start.x;
                    current.z = owner->start.z;
                    feedValue = owner->feed;
                    moveCount = 0;
                    // The first move starts where the frame does, not at the origin.
                    previous = current;
                }
            }
        }
        if (owner == nullptr) continue;

        double value = 0.0;
        // The NC X is a diameter; inside, X is the negated radius.
        if (WordValue(line, 'X', value)) current.x = value * -0.5 * f;
        if (WordValue(line, 'Y', value)) current.y = value * f;
        if (WordValue(line, 'Z', value)) current.z = value * f;
        if (WordValue(line, 'F', value)) feedValue = value * f;

        std::unique_ptr<CCadreISO> move;
        if (line.find("G00") != npos) {
            move = std::make_unique<CCadre_LineG01>(previous, current, feedValue, true);
        } else if (line.find("G01") != npos) {
            move = std::make_unique<CCadre_LineG01>(previous, current, feedValue, false);
        } else if (line.find("G66") != npos) {
            move = std::make_unique<CCadre_G66>();
        } else if (const std::size_t g04 = line.find("G04"); g04 != npos) {
            if (const std::size_t p = line.find('P', g04 + 3); p != npos)
                move = std::make_unique<CCadre_G04>(LeadingNumber<double>(line.substr(p + 1)));
        } else if (const std::size_t fAt = line.find('F'); fAt != npos) {
            move = std::make_unique<CCadre_F>(LeadingNumber<double>(line.substr(fAt + 1)));
        } else if (const std::size_t sAt = line.find('S'); sAt != npos) {
            move = std::make_unique<CCadre_S>(LeadingNumber<double>(line.substr(sAt + 1)));
        }

        if (move) {
            if (moveCount > 1) {
                move->start.x += owner->GetXShift();
                move->end.x += owner->GetXShift();
            }
            owner->AddSubFrame(std::move(move));
            ++moveCount;
            owner->end = current;
            if (ownerIndex + 1 < frames.Count() && frames[ownerIndex + 1] != nullptr) {
                CCadreISO* next = frames[ownerIndex + 1];
                next->start = current;
                next->CreatePathFigure();
            }
        }
        previous = current;
    }
}

}  // namespace zarvento
