// MessageLog and the message calls of the headless host.
#include "platform/core/messages.h"

#include "platform/core/host_version.h"
#include "platform/core/process_state.h"

namespace zarvento {

ZARVENTO_STATE_RESET { MessageLog::Instance().Reset(); }

const char* MessageRoleName(MessageRole role) {
    switch (role) {
        case MessageRole::MessageBox: return "box";
        case MessageRole::HostMessage: return "message";
        case MessageRole::TextOutput: return "output";
        case MessageRole::Question: return "question";
    }
    return "?";
}

MessageLog& MessageLog::Instance() {
    static MessageLog log;
    return log;
}

void MessageLog::Reset() {
    entries_.clear();
    answers_.clear();
    modalDepth_ = 0;
    modalOpened_ = 0;
}

std::vector<std::string> MessageLog::Texts(MessageRole role) const {
    std::vector<std::string> out;
    for (const auto& e : entries_)
        if (e.role == role) out.push_back(e.text);
    return out;
}

std::vector<std::string> MessageLog::AllTexts() const {
    std::vector<std::string> out;
    out.reserve(entries_.size());
    for (const auto& e : entries_) out.push_back(e.text);
    return out;
}

int MessageLog::Record(MessageRole role, std::string_view caption, std::string_view text, int style, int defaultAnswer,
                       bool takesAnswer, std::vector<std::string> buttons) {
    MessageEntry e;
    e.role = role;
    e.caption = caption;
    e.text = text;
    e.style = style;
    e.buttons = std::move(buttons);
    e.answer = defaultAnswer;
    if (takesAnswer) {
        if (answers_.empty()) {
            e.defaulted = true;
        } else {
            e.answer = answers_.front();
            answers_.pop_front();
        }
    }
    entries_.push_back(e);
    if (echo_) echo_(entries_.back());
    return e.answer;
}

void ShowMessageBox(std::string_view text) { ShowPlainMessageBox(text, " "); }

void ShowPlainMessageBox(std::string_view text, std::string_view caption) {
    MessageLog::Instance().Record(MessageRole::MessageBox, caption, text, MB_OK_, IDOK_, false);
}

int HostMessageBox(std::string_view text, std::string_view caption, int style) {
    const int kind = style & 0xF;
    const bool choice = kind != MB_OK_;
    const int def = (kind == MB_YESNO_ || kind == MB_YESNOCANCEL_) ? IDYES_ : IDOK_;
    return MessageLog::Instance().Record(MessageRole::MessageBox, caption, text, style, def, choice);
}

void ShowHostMessage(std::string_view text) {
    MessageLog::Instance().Record(MessageRole::HostMessage, "", text, 0, 0, false);
}

void HostTextOutput(std::string_view text) {
    MessageLog::Instance().Record(MessageRole::TextOutput, "", text, 0, 0, false);
}

bool AskQuestion(std::string_view message, std::string_view firstButton, std::string_view secondButton) {
    // Hosts before 17 have no message box of the application: their own
    // yes/no question shows its own buttons and no caption of ours.
    constexpr int kApplicationMessageBoxHost = 17;
    if (QueryHostVersion()[0] < kApplicationMessageBoxHost)
        return MessageLog::Instance().Record(MessageRole::Question, "", message, MB_YESNO_, IDYES_, true,
                                             {"Да", "Нет"}) == IDYES_;
    return MessageLog::Instance().Record(MessageRole::Question, kProductTitle, message, MB_YESNO_, IDYES_, true,
                                         {std::string(firstButton), std::string(secondButton)}) == IDYES_;
}

}  // namespace zarvento
