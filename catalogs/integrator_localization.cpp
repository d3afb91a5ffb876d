// The materials reference's localised texts: finding the localisation files
// and reading their items with libxml2.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "catalogs/integrator.h"
#include "platform/core/stored_path.h"
#include "platform/core/utf8_text.h"
#include "platform/processes/host_environment.h"

namespace zarvento {

namespace {

bool Exists(std::string_view stored) {
    std::error_code ec;
    return std::filesystem::exists(StoredPathToPath(stored), ec);
}

bool IsFolder(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

// The folders in `folder`, sorted case-blind, as the shared folder lists them.
std::vector<std::string> Folders(std::string_view folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(StoredPathToPath(folder), ec), end; !ec && it != end; it.increment(ec))
        if (IsFolder(it->path())) names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int c = CompareNoCase(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

// A file-name pattern of the host's file search: '?' is any one character,
// letters match without regard to case.
bool Matches(std::string_view name, std::string_view pattern) {
    const std::u32string n = Utf8ToUtf32(name), p = Utf8ToUtf32(pattern);
    if (n.size() != p.size()) return false;
    for (std::size_t i = 0; i < n.size(); ++i) {
        if (p[i] == U'?') continue;
        const auto lower = [](char32_t c) { return c >= U'A' && c <= U'Z' ? c + 32 : c; };
        if (lower(n[i]) != lower(p[i])) return false;
    }
    return true;
}

// The language folder of `folder` that the pattern names, as spelled there.
std::optional<std::string> LanguageFolder(std::string_view folder, std::string_view pattern) {
    if (pattern.empty()) return std::nullopt;
    for (const std::string& name : Folders(folder))
        if (Matches(name, pattern)) return name;
    return std::nullopt;
}

std::string Format(const char* format, std::string_view a, std::string_view b = {}, std::string_view c = {}) {
    const std::string x(a), y(b), z(c);
    const int n = std::snprintf(nullptr, 0, format, x.c_str(), y.c_str(), z.c_str());
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    std::snprintf(out.data(), out.size() + 1, format, x.c_str(), y.c_str(), z.c_str());
    return out;
}

std::string LibraryFolder() { return PathToStoredText(IntegratorLibraryFile().parent_path()) + "\\"; }

struct XmlDocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

std::string XmlText(xmlChar* text) {
    std::string out = text ? reinterpret_cast<const char*>(text) : "";
    xmlFree(text);
    return out;
}

}  // namespace

void Integrator::LoadLocalization(std::string_view name, std::string_view language) {
    mTexts.clear();
    sLocName = name;
    sLocFolder.clear();
    sLanguage = language;
    if (name.empty()) return;
    try {
        if (sLanguage.empty()) sLanguage = UserDefaultLocaleName();

        const std::string common = HostEnvironmentVariable("CommonProgramFiles").value_or("");
        sLocFolder = Format("%s\\DEDEV Shared\\Localization", common);
        if (!Exists(sLocFolder)) {
            if (std::optional<std::string> programs = HostEnvironmentVariable("ProgramFiles"))
                ReplaceAll(sLocFolder, *programs, *programs + " (x86)");
        }
        sLocFolder += "\\";

        std::optional<std::string> folder = LanguageFolder(sLocFolder, sLanguage);
        if (!folder) folder = LanguageFolder(sLocFolder, "ru-RU");
        // The last pattern is written in two pieces lest its "?" "?" "-" read as a trigraph.
        for (const char* pattern : {"en", "en-us", "??",
                                    "??"
                                    "-??"})
            if (!folder) folder = LanguageFolder(sLocFolder, pattern);
        if (!folder) {
            sLocFolder.clear();
            sLanguage.clear();
            return;
        }
        sLanguage = *folder;

        LoadXmlStrings(sLocFolder + sLanguage + "\\Dedev.Common.xml");
        std::string named = Format("%s%s\\%s.xml", sLocFolder, sLanguage, name);
        if (!Exists(named)) {
            sLocFolder = LibraryFolder() + "Localization\\";
            named = Format("%s%s\\%s.xml", sLocFolder, sLanguage, name);
            if (!Exists(named)) {
                sLocFolder.clear();
                return;
            }
        }
        LoadXmlStrings(named);
    } catch (const std::exception&) {
        // Texts that cannot be read are their keys.
    }
}

void Integrator::LoadXmlStrings(std::string_view file) {
    if (!Exists(file)) return;
    // Blanks are kept; no network, no messages on the console, and entities
    // are left as references rather than loaded from elsewhere.
    std::unique_ptr<xmlDoc, XmlDocFree> doc(xmlReadFile(StoredPathToPath(file).c_str(), nullptr,
                                                        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!doc) return;
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!root) return;
    for (xmlNode* node = root->children; node != nullptr; node = node->next) {
        if (node->type != XML_ELEMENT_NODE || xmlStrcmp(node->name, BAD_CAST "item") != 0) continue;
        const std::string id = XmlText(xmlGetProp(node, BAD_CAST "id"));
        if (id.empty()) continue;
        std::string text = XmlText(xmlNodeGetContent(node));
        ReplaceAll(text, "\\n", "\n");
        mTexts[id] = std::move(text);
    }
}

}  // namespace zarvento
