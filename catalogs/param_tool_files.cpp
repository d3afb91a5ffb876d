// ParamTool: finding the model file again, settings written in a tool name,
// the standard and designation texts, and the tool's drawing.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "catalogs/param_tool.h"
#include "platform/core/busy_flag.h"
#include "platform/core/messages.h"
#include "platform/core/stored_path.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_documents.h"
#include "platform/processes/module.h"

namespace zarvento {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kToolsFolder = "\\TOOLS\\";
constexpr std::string_view kModelExtension = ".rdp";
// The drawing extension's letters that take the place of the model's.
constexpr std::string_view kSlideLetters = "rdd";
constexpr std::string_view kGost = "ГОСТ";

// The file's last write time as the halves of a FILETIME (100 ns since
// 1601), the form the record keeps; false when the file cannot be read.
bool FileWriteTime(const fs::path& path, std::int32_t& high, std::int32_t& low) {
    std::error_code ec;
    const auto written = fs::last_write_time(path, ec);
    if (ec) return false;
    const auto sinceUnix = std::chrono::duration_cast<std::chrono::nanoseconds>(
                               std::chrono::file_clock::to_sys(written).time_since_epoch())
                               .count();
    constexpr std::int64_t kUnixEpochAsFileTime = 116444736000000000LL;
    const auto fileTime = static_cast<std::uint64_t>(sinceUnix / 100 + kUnixEpochAsFileTime);
    high = static_cast<std::int32_t>(static_cast<std::uint32_t>(fileTime >> 32));
    low = static_cast<std::int32_t>(static_cast<std::uint32_t>(fileTime & 0xFFFFFFFFu));
    return true;
}

// The leading number of the text as the C library's conversions read it
// (blanks skipped, an optional sign, then as many digits as form a number);
// 0 when none.
double LeadingReal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    double value = 0;
    const char* first = text.data() + i;
    const auto [end, ec] = std::from_chars(first, text.data() + text.size(), value, std::chars_format::general);
    if (ec != std::errc() || end == first) return 0;
    return negative ? -value : value;
}

int LeadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && text[i] == '+') ++i;
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value);
    return ec == std::errc() ? value : 0;
}

// The catalog file name (without ".rdp") begins like the tool name: no
// difference before either ends or the file name reaches its settings.
bool NameMatches(std::string_view fileName, std::string_view toolName) {
    for (std::size_t i = 0; i < toolName.size() && i < fileName.size(); ++i) {
        if (fileName[i] == '{') return true;
        if (fileName[i] != toolName[i]) return false;
    }
    return true;
}

std::string Lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The names "*.rdp" directly in the folder, sorted as the host's file
// system lists them (case-insensitively).
std::vector<std::string> CatalogModelNames(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= kModelExtension.size() || !name.ends_with(kModelExtension)) continue;
        if (!it->is_regular_file(ec)) continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = Lowered(a), lb = Lowered(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

}  // namespace

std::string ParamTool::ModelPath() const { return isFromCatalog ? CatalogModelPath() : sFileName; }

std::string ParamTool::UpdatedModelMessage(const std::string& displayName) {
    return "Инструмент " + displayName + "\n" + "был обновлен";
}

bool ParamTool::FindModelFile(bool report) {
    if (sCatalogFolder != kToolsFolder || sToolName.empty()) return false;
    auto reload = [&](const fs::path& file) {
        // The working copy was taken from the file before it changed.
        isModelCopied = false;
        isModelLoaded = false;
        LoadModel();
        if (report) HostMessageBox(UpdatedModelMessage(sPsevName), kCaption, kInformationIcon);
        FileWriteTime(file, nTimeFileHigh, nTimeFileLow);
    };

    if (!isFromCatalog && !sRefrName.empty()) {
        const HostDocumentPtr& active = ConnectHostApplication().ActiveDocumentOrNull();
        if (active) sFileName = DocumentFolderOf(active->FilePath()) + sRefrName;
    }
    const fs::path expected = StoredPathToPath(ModelPath());
    std::error_code ec;
    if (!ModelPath().empty() && fs::is_regular_file(expected, ec)) {
        isNoContour = false;
        std::int32_t high = 0, low = 0;
        if (FileWriteTime(expected, high, low) && (high != nTimeFileHigh || low != nTimeFileLow)) reload(expected);
        return true;
    }

    const auto library = ModuleDirectory();
    const fs::path folder = AppendStoredPath(library ? *library : fs::path(), std::string(kToolsFolder));
    for (const std::string& name : CatalogModelNames(folder)) {
        const std::string stem = name.substr(0, name.rfind('.'));
        if (!NameMatches(stem, sToolName)) continue;
        isNoContour = false;
        // The file now comes from the catalog, whatever the record said
        // before: its name is relative to the catalog folder.
        isFromCatalog = true;
        sFileName = name;
        sToolName = stem;
        ParseNameSettings(sToolName);
        if (const auto brace = sPsevName.find('{'); brace != std::string::npos) sPsevName.resize(brace);
        while (!sPsevName.empty() && sPsevName.back() == ' ') sPsevName.pop_back();
        reload(folder / name);
        return true;
    }
    return false;
}

void ParamTool::TakeModelWriteTime() {
    if (!ModelPath().empty()) FileWriteTime(StoredPathToPath(ModelPath()), nTimeFileHigh, nTimeFileLow);
}

bool ParamTool::ParseNameSettings(const std::string& name) {
    const auto brace = name.find('{');
    if (name.empty() || brace == std::string::npos) return false;
    const std::string_view text(name);
    constexpr std::string_view kCyrillicTe = "Т", kCyrillicEm = "М";
    for (std::size_t i = brace + 1; i < text.size();) {
        char letter = 0;
        std::size_t width = 1;
        if (text.substr(i, kCyrillicTe.size()) == kCyrillicTe) {
            letter = 'T';
            width = kCyrillicTe.size();
        } else if (text.substr(i, kCyrillicEm.size()) == kCyrillicEm) {
            letter = 'M';
            width = kCyrillicEm.size();
        } else if (text[i] == 'T' || text[i] == 'X' || text[i] == 'Z' || text[i] == 'M') {
            letter = text[i];
        }
        i += width;
        if (letter == 0 || i >= text.size()) continue;
        const std::string_view rest = text.substr(i);
        switch (letter) {
            case 'T': Position = LeadingInteger(rest) - 1; break;
            case 'X': CorrectX = LeadingReal(rest); break;
            case 'Z': CorrectZ = LeadingReal(rest); break;
            case 'M': {
                const double m = LeadingReal(rest);
                // A value no int holds is no spindle code.
                M34 = std::fabs(m) < 32768.0 ? static_cast<std::int16_t>(m) : M34;
                break;
            }
            default: break;
        }
    }
    return Position >= 0;
}

void ParamTool::FindGOST() {
    if (!sGost.empty()) return;
    LoadModel();
    const auto at = sPsevName.find(kGost);
    if (at == std::string::npos) return;
    std::size_t i = at + kGost.size();
    while (i < sPsevName.size() && sPsevName[i] == ' ') ++i;
    const std::size_t end = std::min(sPsevName.find(' ', i), sPsevName.size());
    if (end > i) sGost = std::string(kGost) + " " + sPsevName.substr(i, end - i);
}

void ParamTool::MakeDesignation() {
    if (!sDesignation.empty()) return;
    LoadModel();
    const auto at = sPsevName.find(kGost);
    if (at == std::string::npos || sComment.empty()) return;
    // The name of a tool chosen in a size holds its row's designation.
    if (sPsevName.find(sComment) != std::string::npos) {
        sDesignation = sPsevName;
        return;
    }
    if (sGost.empty()) FindGOST();
    sDesignation = sPsevName.substr(0, at) + sComment + " " + sGost;
}

std::string ParamTool::NameWithDesignation(const std::string& modelName, const std::string& designation) {
    const std::size_t brace = std::min(modelName.find('{'), modelName.size());
    std::string name = DisplayName(modelName);
    const std::string settings = modelName.substr(brace);
    if (!designation.empty()) {
        const std::size_t gost = name.find(kGost);
        if (gost != std::string::npos && designation.find(kGost) == std::string::npos) {
            std::string before = name.substr(0, gost);
            while (!before.empty() && before.back() == ' ') before.pop_back();
            name = (before.empty() ? "" : before + " ") + designation + " " + name.substr(gost);
        } else {
            name += (name.empty() ? "" : " ") + designation;
        }
    }
    return settings.empty() ? name : name + " " + settings;
}

std::string ParamTool::DisplayName(const std::string& toolName) {
    std::string shown = toolName.substr(0, toolName.find('{'));
    while (!shown.empty() && shown.back() == ' ') shown.pop_back();
    return shown;
}

std::string ParamTool::ModelName() const {
    if (sFileName.empty()) return sToolName;
    const std::size_t slash = sFileName.find_last_of("\\/");
    std::string name = slash == std::string::npos ? sFileName : sFileName.substr(slash + 1);
    if (!sExt.empty() && name.size() > sExt.size() && name.ends_with(sExt)) name.resize(name.size() - sExt.size());
    return name;
}

void ParamTool::TakeSizeDesignation(const std::string& designation) {
    sComment = designation;
    sToolName = NameWithDesignation(ModelName(), designation);
    sPsevName = DisplayName(sToolName);
    sDesignation.clear();
}

std::string ParamTool::SlidePath(const std::string& modelPath) {
    if (modelPath.size() < kSlideLetters.size()) return {};
    return modelPath.substr(0, modelPath.size() - kSlideLetters.size()) + std::string(kSlideLetters);
}

HostDocumentPtr ParamTool::LoadSlide() {
    BusyFlagGuard busy;
    CloseModel();
    const std::string drawing = SlidePath(ModelPath());
    std::error_code ec;
    const fs::path file = StoredPathToPath(drawing);
    if (drawing.empty() || !fs::is_regular_file(file, ec)) return nullptr;
    try {
        HostDocuments& docs = ConnectHostApplication().Documents();
        HostDocumentPtr slide = docs.Open(file.string(), false);
        if (slide && slide->Type() != DocumentType::Drawing2D) {
            docs.Close(slide);
            return nullptr;
        }
        return slide;
    } catch (const std::exception&) {
        // A damaged drawing shows no slide; the panel goes on without one.
        return nullptr;
    }
}

}  // namespace zarvento
