// The host's file open and save dialogs. Whoever drives the host (a test, a
// script) queues the answers the user would give, in order; every dialog
// shown is recorded with what the library asked for. An unanswered dialog is
// cancelled, and the record says the default was taken.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace zarvento {

struct FileDialogRequest {
    bool save = false;
    std::string defaultExtension;  // "*.txt", "py3": added to a name typed without one
    std::string filter;            // "Text (*.txt)|*.txt|"
    std::string fileName;          // the name the dialog starts with
    bool overwritePrompt = false;
    bool hideReadOnly = false;
};

struct FileDialogEntry {
    FileDialogRequest request;
    std::optional<std::string> answer;  // the chosen path; none when cancelled
    bool defaulted = false;
};

class FileDialogs {
public:
    static FileDialogs& Instance();
    void Reset();

    // The answer to the next dialog of that kind: a path, or none to cancel.
    void QueueOpen(std::optional<std::string> path);
    void QueueSave(std::optional<std::string> path);
    std::size_t PendingAnswers() const { return open_.size() + save_.size(); }

    // Shows a dialog: the chosen path (with the default extension added to a
    // name without one), or none when the user cancelled.
    std::optional<std::string> Show(const FileDialogRequest& request);

    const std::vector<FileDialogEntry>& Entries() const { return entries_; }

private:
    std::deque<std::optional<std::string>> open_, save_;
    std::vector<FileDialogEntry> entries_;
};

// The dialogs as the host's calls: the save dialog over the main window.
std::optional<std::string> ShowOpenFileDialog(const std::string& defaultExtension, const std::string& filter,
                                              const std::string& fileName = {});
std::optional<std::string> ShowSaveFileDialog(const std::string& defaultExtension, const std::string& filter,
                                              const std::string& fileName = {}, bool overwritePrompt = true,
                                              bool hideReadOnly = true);

}  // namespace zarvento
