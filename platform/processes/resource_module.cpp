// Resource modules: the description reader and the table of loaded modules.
#include "platform/processes/resource_module.h"

#include <memory>
#include <system_error>

#include "platform/core/handle_table.h"
#include "platform/core/line_reader.h"
#include "platform/core/process_state.h"
#include "platform/core/text_file.h"
#include "platform/core/variant.h"

namespace zarvento {

namespace {

// A description is a few hundred lines; anything far larger is no description.
constexpr std::size_t kMaxDescriptionBytes = 1 << 20;

struct ModuleState {
    HandleTable<ResourceModule> modules{0x40000001};
    std::unordered_map<std::string, std::uint32_t> byFile;  // canonical file name -> handle
};

ModuleState& State() {
    static ModuleState state;
    return state;
}

// Module handles are 64-bit like the host's; the table's are their low half.
ResourceModule* FromHandleMutable(ModuleHandle module) {
    if (module <= 0 || module > 0xFFFFFFFF) return nullptr;
    return State().modules.Find(static_cast<std::uint32_t>(module));
}

struct Word {
    std::string text;
    bool quoted = false;
};

// Splits a line into words; a double-quoted word keeps its blanks, with \"
// and \\ inside; '#' outside quotes starts a comment. False with the reason
// when a quote is not closed.
bool SplitWords(std::string_view line, std::vector<Word>& words, std::string& error) {
    words.clear();
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        if (line[i] == '#') break;
        Word word;
        std::string& text = word.text;
        if (line[i] == '"') {
            word.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) {
                    text += line[i + 1];
                    i += 2;
                } else if (line[i] == '"') {
                    ++i;
                    closed = true;
                    break;
                } else {
                    text += line[i++];
                }
            }
            if (!closed) {
                error = "a quoted text is not closed";
                return false;
            }
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') text += line[i++];
        }
        words.push_back(std::move(word));
    }
    return true;
}

bool ParseId(const std::string& word, int min, int& id) {
    std::int32_t v = 0;
    if (!ParseInt(word, v) || v < min || v > 0xFFFF) return false;
    id = v;
    return true;
}

}  // namespace

ZARVENTO_STATE_RESET {
    State().modules.Clear();
    State().byFile.clear();
}

bool ResourceModule::Parse(std::string_view text, std::string& error) {
    toolBars_.clear();
    strings_.clear();
    LineReader reader(text);
    std::string_view line;
    std::vector<Word> w;
    ToolBarResource* open = nullptr;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (reader.Next(line)) {
        ++lineNo;
        std::string why;
        if (!SplitWords(line, w, why)) return fail(why);
        if (w.empty()) continue;
        const std::string& keyword = w[0].text;
        if (keyword == "toolbar") {
            if (open) return fail("a toolbar inside a toolbar (\"end\" missing)");
            if (w.size() < 2) return fail("the toolbar has no id or name");
            ToolBarResource bar;
            const std::string& named = w[1].text;
            if (!w[1].quoted && !named.empty() && named[0] >= '0' && named[0] <= '9') {
                if (!ParseId(named, 1, bar.id)) return fail("toolbar id \"" + named + "\" is not a number 1..65535");
            } else {
                bar.name = named;
                if (bar.name.empty() || bar.name[0] == '#') return fail("toolbar name \"" + named + "\" is not a name");
            }
            for (std::size_t k = 2; k < w.size();) {
                if (w[k].text == "bitmap" && k + 1 < w.size()) {
                    bar.bitmap = w[k + 1].text;
                    k += 2;
                } else if (w[k].text == "size" && k + 2 < w.size()) {
                    std::int32_t cx = 0, cy = 0;
                    if (!ParseInt(w[k + 1].text, cx) || !ParseInt(w[k + 2].text, cy) || cx < 1 || cy < 1 || cx > 256 ||
                        cy > 256)
                        return fail("the image size is not two numbers 1..256");
                    bar.imageWidth = cx;
                    bar.imageHeight = cy;
                    k += 3;
                } else {
                    return fail("\"" + w[k].text + "\" is not a toolbar setting (bitmap \"file\", size W H)");
                }
            }
            for (const ToolBarResource& other : toolBars_)
                if (other.id == bar.id && other.name == bar.name)
                    return fail("toolbar \"" + named + "\" is given twice");
            toolBars_.push_back(std::move(bar));
            open = &toolBars_.back();
        } else if (keyword == "button" || keyword == "separator" || keyword == "end") {
            if (!open) return fail("\"" + keyword + "\" outside a toolbar");
            if (keyword == "end") {
                if (w.size() != 1) return fail("\"end\" takes nothing");
                open = nullptr;
            } else if (keyword == "separator") {
                if (w.size() != 1) return fail("\"separator\" takes nothing");
                open->buttons.push_back(0);
            } else {
                int id = 0;
                if (w.size() != 2 || !ParseId(w[1].text, 1, id)) return fail("a button takes one command id 1..65535");
                open->buttons.push_back(id);
            }
        } else if (keyword == "string") {
            if (open) return fail("a string inside a toolbar (\"end\" missing)");
            int id = 0;
            if (w.size() != 3 || !ParseId(w[1].text, 0, id))
                return fail("a string takes an id 0..65535 and a quoted text");
            if (!strings_.emplace(id, w[2].text).second) return fail("string " + w[1].text + " is given twice");
        } else {
            return fail("\"" + keyword + "\" is not toolbar, button, separator, end or string");
        }
    }
    if (open) {
        ++lineNo;
        return fail("the toolbar has no \"end\"");
    }
    return true;
}

const ToolBarResource* ResourceModule::FindToolBar(int id) const {
    for (const ToolBarResource& bar : toolBars_)
        if (bar.id != 0 && bar.id == id) return &bar;
    return nullptr;
}

const ToolBarResource* ResourceModule::FindToolBar(std::string_view name) const {
    if (!name.empty() && name[0] == '#') {
        int id = 0;
        return ParseId(std::string(name.substr(1)), 1, id) ? FindToolBar(id) : nullptr;
    }
    for (const ToolBarResource& bar : toolBars_)
        if (bar.id == 0 && bar.name == name) return &bar;
    return nullptr;
}

std::optional<std::string> ResourceModule::String(int id) const {
    auto it = strings_.find(id);
    if (it == strings_.end()) return std::nullopt;
    return it->second;
}

ModuleHandle ResourceModule::Load(const std::filesystem::path& file, std::string* error) {
    ModuleState& state = State();
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(file, ec);
    const std::string key = (ec ? file : canonical).string();
    if (auto it = state.byFile.find(key); it != state.byFile.end()) {
        ++state.modules.Find(it->second)->loads_;
        return it->second;
    }
    auto fail = [&](const std::string& why) {
        if (error) *error = file.string() + ": " + why;
        return ModuleHandle{0};
    };
    const FileReadResult read = ReadTextFile(file, TextEncoding::Utf8, kMaxDescriptionBytes);
    if (!read.ok) return fail(read.error);
    if (read.truncated) return fail("more than " + std::to_string(kMaxDescriptionBytes) + " bytes");
    auto module = std::make_unique<ResourceModule>();
    std::string why;
    if (!module->Parse(read.text, why)) return fail(why);
    module->file_ = file;
    module->loads_ = 1;
    const std::uint32_t handle = state.modules.Add(std::move(module));
    state.byFile.emplace(key, handle);
    return handle;
}

bool ResourceModule::Free(ModuleHandle module) {
    ModuleState& state = State();
    ResourceModule* m = FromHandleMutable(module);
    if (!m) return false;
    if (--m->loads_ > 0) return true;
    for (auto it = state.byFile.begin(); it != state.byFile.end(); ++it) {
        if (it->second == static_cast<std::uint32_t>(module)) {
            state.byFile.erase(it);
            break;
        }
    }
    state.modules.Remove(static_cast<std::uint32_t>(module));
    return true;
}

const ResourceModule* ResourceModule::FromHandle(ModuleHandle module) { return FromHandleMutable(module); }

int ResourceModule::LoadCount(ModuleHandle module) {
    const ResourceModule* m = FromHandle(module);
    return m ? m->loads_ : 0;
}

}  // namespace zarvento
