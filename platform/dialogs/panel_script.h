// Panels and dialogs of the headless host. A panel is a model: whoever drives
// the host (a test, the command-line program's script) queues the answer the
// user would give, per panel name: the button (IDOK_, IDCANCEL_, ...) and the
// fields the user filled in. Every panel shown, and every document a later
// subsystem would make, is recorded. An unanswered panel is cancelled, and
// the record says the default was taken.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarvento {

struct PanelAnswer {
    int result = 2;  // IDCANCEL_
    // The fields the user set, in the order given: name and value text.
    std::vector<std::pair<std::string, std::string>> fields;

    // The value of a field, or null when the answer does not set it.
    const std::string* Field(std::string_view name) const;
};

struct PanelEntry {
    std::string panel;
    std::string detail;  // what was shown or made, for the log
    int result = 0;
    bool defaulted = false;
};

class PanelScript {
public:
    static PanelScript& Instance();
    void Reset();

    void Queue(const std::string& panel, PanelAnswer answer);
    std::size_t PendingAnswers() const;
    // The panel is shown: the next queued answer for it, or a cancel.
    PanelAnswer Show(const std::string& panel, std::string_view detail = {});
    // Records something made without asking (a document, a saved setting).
    void Note(const std::string& panel, std::string_view detail);
    // Records a panel or dialog that the host ran itself (a property panel,
    // a modal dialog, a file dialog).
    void Record(PanelEntry entry) { Add(std::move(entry)); }

    const std::vector<PanelEntry>& Entries() const { return entries_; }

    // A field the panel could not take (the panel says why in a message and
    // cancels): counted, so that whoever drives the host can tell that the
    // user's answer did not go through.
    void NoteRefusal() { ++refusals_; }
    int Refusals() const { return refusals_; }
    // Every entry is also passed here (the command-line program prints them).
    void SetEcho(std::function<void(const PanelEntry&)> echo) { echo_ = std::move(echo); }

private:
    void Add(PanelEntry entry);

    std::map<std::string, std::deque<PanelAnswer>, std::less<>> answers_;
    std::vector<PanelEntry> entries_;
    int refusals_ = 0;
    std::function<void(const PanelEntry&)> echo_;
};

}  // namespace zarvento
