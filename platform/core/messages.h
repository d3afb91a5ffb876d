// Messages of the headless host. Every message box, host message, text
// output and question is recorded with its role, caption, text and style;
// questions take their answers from a queue the caller fills (tests, scripts,
// the command-line program). An unanswered question takes its default and the
// record says so. Modal brackets are counted so that callers can check they
// balance.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zarvento {

// The product title, the caption of the host's question dialog.
inline constexpr const char* kProductTitle = "Zarvento";

enum class MessageRole {
    MessageBox,   // a message box of the system (caption given)
    HostMessage,  // the host's message call
    TextOutput,   // the host's text output (trace and diagnostic lines)
    Question,     // a question with answers
};

const char* MessageRoleName(MessageRole role);

// Message-box styles and answers, as the host's dialogs know them.
inline constexpr int MB_OK_ = 0;
inline constexpr int MB_OKCANCEL_ = 1;
inline constexpr int MB_YESNOCANCEL_ = 3;
inline constexpr int MB_YESNO_ = 4;
inline constexpr int IDOK_ = 1;
inline constexpr int IDCANCEL_ = 2;
inline constexpr int IDYES_ = 6;
inline constexpr int IDNO_ = 7;

struct MessageEntry {
    MessageRole role = MessageRole::MessageBox;
    std::string caption;
    std::string text;
    int style = 0;
    std::vector<std::string> buttons;  // questions: the button texts
    int answer = 0;                    // the answer given (questions and boxes)
    bool defaulted = false;            // no queued answer: the default was taken
};

class MessageLog {
public:
    static MessageLog& Instance();

    void Reset();
    const std::vector<MessageEntry>& Entries() const { return entries_; }
    // Texts of the entries of one role, in order.
    std::vector<std::string> Texts(MessageRole role) const;
    // Texts of every entry, in order.
    std::vector<std::string> AllTexts() const;
    void Clear() { entries_.clear(); }

    // Answers for the next questions and message boxes with a choice, in order.
    void QueueAnswer(int answer) { answers_.push_back(answer); }
    std::size_t PendingAnswers() const { return answers_.size(); }

    // Records an entry; for questions takes the next queued answer or the default.
    int Record(MessageRole role, std::string_view caption, std::string_view text, int style, int defaultAnswer,
               bool takesAnswer, std::vector<std::string> buttons = {});

    // Every recorded entry is also passed here (the command-line program prints them).
    void SetEcho(std::function<void(const MessageEntry&)> echo) { echo_ = std::move(echo); }

    // The host's modal bracket around a command's dialogs and document changes.
    void BeginModal() {
        ++modalDepth_;
        ++modalOpened_;
    }
    void EndModal() { --modalDepth_; }
    int ModalDepth() const { return modalDepth_; }
    int ModalOpened() const { return modalOpened_; }

private:
    std::vector<MessageEntry> entries_;
    std::deque<int> answers_;
    std::function<void(const MessageEntry&)> echo_;
    int modalDepth_ = 0;
    int modalOpened_ = 0;
};

// A plain message box without owner window, caption " " and an OK button.
void ShowMessageBox(std::string_view text);
// A plain message box with the given caption and an OK button.
void ShowPlainMessageBox(std::string_view text, std::string_view caption);
// A message box with a caption and style; returns the answer (IDOK, IDYES, ...).
int HostMessageBox(std::string_view text, std::string_view caption, int style);
// The host's message call.
void ShowHostMessage(std::string_view text);
// The host's text output.
void HostTextOutput(std::string_view text);
// The host's question dialog with two buttons and the product title as
// caption; true for the first button (answer IDYES). Unanswered, it takes the
// first button. A host before 17 asks its own yes/no question instead
// (no caption, its own "Да" and "Нет").
bool AskQuestion(std::string_view message, std::string_view firstButton, std::string_view secondButton);

}  // namespace zarvento
