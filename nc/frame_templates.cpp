// The process-wide frame templates and built-in texts.
#include "nc/frame_templates.h"

#include "platform/core/process_state.h"

namespace zarvento {

namespace {
std::map<std::string, std::unique_ptr<CycleCodeLists>, std::less<>>& Slots() {
    static std::map<std::string, std::unique_ptr<CycleCodeLists>, std::less<>> slots;
    return slots;
}
}  // namespace

ZARVENTO_STATE_RESET {
    FrameTemplates::Clear();
    BuiltInFrameTexts::Global() = BuiltInFrameTexts{};
}

bool FrameTemplates::IsKindName(std::string_view kind) {
    for (std::string_view k : kKindNames)
        if (k == kind) return true;
    return false;
}

const CycleCodeLists* FrameTemplates::Find(std::string_view kind) {
    const auto it = Slots().find(kind);
    return it == Slots().end() ? nullptr : it->second.get();
}

bool FrameTemplates::Set(std::string_view kind, std::unique_ptr<CycleCodeLists> templ) {
    if (!IsKindName(kind)) return false;
    if (templ)
        Slots()[std::string(kind)] = std::move(templ);
    else if (const auto it = Slots().find(kind); it != Slots().end())
        Slots().erase(it);
    return true;
}

void FrameTemplates::Clear() { Slots().clear(); }

BuiltInFrameTexts& BuiltInFrameTexts::Global() {
    static BuiltInFrameTexts texts;
    return texts;
}

void BuiltInFrameTexts::ApplyOlderLayoutKeys(const std::string& stringInit, const std::string& codeSynchron,
                                             const std::string& formatT, const std::string& stringOffset) {
    const BuiltInFrameTexts defaults;
    startText = stringInit.empty() ? defaults.startText : stringInit;
    if (!codeSynchron.empty()) syncCode = codeSynchron;
    toolCallFormat = formatT.empty() ? defaults.toolCallFormat : formatT;
    toolOffsetText = stringOffset;
}

}  // namespace zarvento
