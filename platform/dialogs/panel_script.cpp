// Scripted answers of the headless panels and the record of what they showed.
#include "platform/dialogs/panel_script.h"

#include "platform/core/messages.h"
#include "platform/core/process_state.h"

namespace zarvento {

ZARVENTO_STATE_RESET { PanelScript::Instance().Reset(); }

const std::string* PanelAnswer::Field(std::string_view name) const {
    // The last setting of a field wins, as when a user types twice.
    for (auto it = fields.rbegin(); it != fields.rend(); ++it)
        if (it->first == name) return &it->second;
    return nullptr;
}

PanelScript& PanelScript::Instance() {
    static PanelScript script;
    return script;
}

void PanelScript::Reset() {
    answers_.clear();
    entries_.clear();
    refusals_ = 0;
}

void PanelScript::Queue(const std::string& panel, PanelAnswer answer) { answers_[panel].push_back(std::move(answer)); }

std::size_t PanelScript::PendingAnswers() const {
    std::size_t n = 0;
    for (const auto& [name, queue] : answers_) n += queue.size();
    return n;
}

PanelAnswer PanelScript::Show(const std::string& panel, std::string_view detail) {
    PanelAnswer answer;
    PanelEntry entry{panel, std::string(detail), IDCANCEL_, true};
    if (auto it = answers_.find(panel); it != answers_.end() && !it->second.empty()) {
        answer = std::move(it->second.front());
        it->second.pop_front();
        entry.result = answer.result;
        entry.defaulted = false;
    }
    Add(std::move(entry));
    return answer;
}

void PanelScript::Note(const std::string& panel, std::string_view detail) {
    Add(PanelEntry{panel, std::string(detail), 0, false});
}

void PanelScript::Add(PanelEntry entry) {
    entries_.push_back(std::move(entry));
    if (echo_) echo_(entries_.back());
}

}  // namespace zarvento
