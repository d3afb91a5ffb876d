// Reading a post-processor's description file: the text in its code page, the
// header keys, the machine-cycle section in the older block layout (the
// statement grammar has its own parser), the CNC codes and the settings.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "nc/address_table.h"
#include "nc/frame_templates.h"
#include "nc/frame_text_format.h"
#include "nc/modal_state.h"
#include "platform/core/code_page.h"
#include "platform/core/messages.h"
#include "platform/core/text_file.h"
#include "post/cycle_definition_lookup.h"
#include "post/cycle_definition_parser.h"
#include "post/post_processor.h"
#include "post/post_processor_settings.h"

namespace zarvento {

namespace {

constexpr std::string_view kSectionBegin = "BEGIN_MACHINE_CYCLES";
constexpr std::string_view kSectionEnd = "END_MACHINE_CYCLES";
constexpr std::string_view kCycleBegin = "BEGIN_CYCLE";
constexpr std::string_view kGroupBegin = "BEGIN_CYCLE_GROUP";
constexpr std::string_view kCycleEnd = "END_CYCLE";
constexpr std::string_view kCncCodeKey = "CNC_CODE_";
constexpr std::string_view kDefaultToolFormat = "T%d";
constexpr std::string_view kDefaultStringInit = "G90 G40 G17";

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// UTF-8 bytes as they stand, with every byte that starts no well-formed
// sequence turned into '?', so that the text we keep is always valid.
std::string WellFormedUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t len = 1;
        // UTF-8 is prefix-free: the shortest well-formed prefix is the sequence.
        while (len <= 4 && pos + len <= bytes.size() && !IsValidUtf8(bytes.substr(pos, len))) ++len;
        if (len > 4 || pos + len > bytes.size()) {
            out += '?';
            ++pos;
            continue;
        }
        out.append(bytes.substr(pos, len));
        pos += len;
    }
    return out;
}

// The first reading: the bytes in the Cyrillic code page, unless they begin
// with a UTF-8 byte-order mark, which no Cyrillic text plausibly does.
std::string DecodeFirstReading(std::string_view bytes) {
    if (HasUtf8Bom(bytes)) return WellFormedUtf8(bytes.substr(kUtf8Bom.size()));
    return Cp1251ToUtf8(bytes);
}

// The UTF-8 reading: the mark skipped and every CR LF pair one LF, as a text
// stream would give it.
std::string DecodeUtf8Reading(std::string_view bytes) {
    if (HasUtf8Bom(bytes)) bytes.remove_prefix(kUtf8Bom.size());
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    return WellFormedUtf8(text);
}

// A header value read as a decimal integer: leading white space, a sign and
// the digits that follow; anything else gives 0.
std::int64_t LeadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && text[i] == '+') ++i;
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value);
    (void)end;
    return ec == std::errc() ? value : 0;
}

// FORMAT_T is printed with the tool number alone: only a format with exactly
// one integer conversion may stand, anything else (a "%s", two conversions)
// gives the default.
std::string CheckedToolFormat(const std::string& format) {
    if (format.empty() || !FormatIntegerField(format, 0)) return std::string(kDefaultToolFormat);
    return format;
}

}  // namespace

std::string CPostProcessor::GetKeyValue(std::string_view text, std::string_view key) {
    if (key.empty()) return {};
    const std::size_t at = text.find(key);
    if (at == std::string_view::npos) return {};
    std::size_t pos = at + key.size();
    while (pos < text.size() && text[pos] == ' ') ++pos;
    std::string value;
    std::size_t characters = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '\r' || c == '\n') break;
        if (!IsContinuationByte(c)) {
            if (characters == kMaxValueCharacters) break;
            ++characters;
        }
        value += c;
    }
    return value;
}

bool CPostProcessor::ReadPostProcessorDescription() {
    PostProcessorSettings& settings = PostProcessorSettings::Current();

    const FileReadResult first = ReadFileBytes(path_, kDescriptionBytes);
    if (!first.ok) {
        // The reader's reason names the file: a missing one wants another
        // remedy than one that cannot be read.
        ShowHostMessage(std::string(kOpenError) + ":\n" + first.error);
        return false;
    }
    std::string text = DecodeFirstReading(first.text);
    settings.CodingChar = GetKeyValue(text, "CODING_CHAR");
    if (settings.CodingChar == "UTF8") {
        const FileReadResult second = ReadFileBytes(path_, kUtf8DescriptionBytes);
        if (!second.ok) {
            ShowHostMessage(std::string(kOpenError) + ":\n" + second.error);
            return false;
        }
        text = DecodeUtf8Reading(second.text);
    }

    // Everything the file gave before goes; the tables stay alive for
    // whatever still refers to them.
    cycles_.clear();
    cycles_.shrink_to_fit();
    cncCodes_.clear();
    tables_.clear();
    AddressTable::Global().Clear();
    FreeFrameTemplates();
    GlobalTableList().clear();

    settings.Version = GetKeyValue(text, "VERSION");
    ModalState.versionText = settings.Version;
    fileExtension_ = GetKeyValue(text, "FILE_EXTENSION");
    settings.CodingChar = GetKeyValue(text, "CODING_CHAR");
    spindleSynchronCode_ = GetKeyValue(text, "CODE_SYNCHRON_NULLSPINDEL");
    const bool statementGrammar = settings.Version == "17" || settings.Version == "18";

    {
        const CycleDefinitionLookup::ReadingScope reading(*this);
        const std::size_t begin = text.find(kSectionBegin);
        const std::size_t end = text.find(kSectionEnd);
        if (begin != std::string::npos && end != std::string::npos && end > begin) {
            const std::string_view section = std::string_view(text).substr(begin, end - begin);
            if (statementGrammar)
                ParseCycleDefinition(*this, section);
            else
                ReadCycleBlocks(section);
        }

        // The list ends at the first number without a value; every number
        // needs its own key in the text, which bounds the walk.
        for (std::size_t n = 0; n <= text.size(); ++n) {
            std::string value = GetKeyValue(text, std::string(kCncCodeKey) + std::to_string(n));
            if (value.empty()) break;
            cncCodes_.push_back(std::move(value));
        }

        settings.UsePython = false;
        ModalState.builtInTextWritten = 0;
        if (statementGrammar) {
            settings.UsePython = LeadingInteger(GetKeyValue(text, "USE_PYTHON")) != 0;
        } else {
            toolFormat_ = GetKeyValue(text, "FORMAT_T");
            settings.FormatT = CheckedToolFormat(toolFormat_);
            settings.StringOffset = GetKeyValue(text, "STRING_OFFSET");
            settings.StringOffsetZ = GetKeyValue(text, "STRING_OFFSET_Z");
            if (!spindleSynchronCode_.empty()) settings.CodeSynchronNullSpindel = spindleSynchronCode_;
            const std::string stringInit = GetKeyValue(text, "STRING_INIT");
            settings.StringInit = stringInit.empty() ? std::string(kDefaultStringInit) : stringInit;
            BuiltInFrameTexts::Global().ApplyOlderLayoutKeys(settings.StringInit, settings.CodeSynchronNullSpindel,
                                                             settings.FormatT, settings.StringOffset);
        }
        settings.EdmArta = LeadingInteger(GetKeyValue(text, "EDM_ARTA")) != 0;

        for (const auto& cycle : cycles_) cycle->CreateGroupCycles();
    }
    CycleDefinitionLookup::Instance().SetCurrent(*this);
    return true;
}

void CPostProcessor::ReadCycleBlocks(std::string_view section) {
    std::size_t pos = 0;
    // Every block ends at an END_CYCLE behind the one before, so the walk
    // ends within the section.
    while (pos < section.size()) {
        const std::size_t single = section.find(kCycleBegin, pos);
        if (single == std::string_view::npos) break;
        const bool group = section.find(kGroupBegin, pos) == single;
        const std::size_t start = single + (group ? kGroupBegin.size() : kCycleBegin.size());
        // Looked for behind the block's own start: a stray END_CYCLE before
        // the first block would otherwise close a block before it opens.
        const std::size_t end = section.find(kCycleEnd, start);
        if (end == std::string_view::npos) break;
        auto cycle = std::make_unique<CCycle_Auto>();
        cycle->ReadCycleDescription(section.substr(start, end - start));
        cycle->SetPostProcessorName(name_);
        cycle->groupFlag = group ? 1 : 0;
        cycles_.push_back(std::move(cycle));
        pos = end + kCycleEnd.size();
    }
}

}  // namespace zarvento
