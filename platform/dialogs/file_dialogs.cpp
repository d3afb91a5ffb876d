// The file dialogs of the headless host.
#include "platform/dialogs/file_dialogs.h"

#include <filesystem>

#include "platform/core/host_faults.h"
#include "platform/core/messages.h"
#include "platform/core/process_state.h"
#include "platform/dialogs/panel_script.h"

namespace zarvento {

ZARVENTO_STATE_RESET { FileDialogs::Instance().Reset(); }

namespace {

// "*.txt" and "txt" both mean ".txt".
std::string ExtensionOf(const std::string& defaultExtension) {
    std::string e = defaultExtension;
    if (e.rfind("*.", 0) == 0) e.erase(0, 2);
    if (!e.empty() && e[0] == '.') e.erase(0, 1);
    return e;
}

}  // namespace

FileDialogs& FileDialogs::Instance() {
    static FileDialogs dialogs;
    return dialogs;
}

void FileDialogs::Reset() {
    open_.clear();
    save_.clear();
    entries_.clear();
}

void FileDialogs::QueueOpen(std::optional<std::string> path) { open_.push_back(std::move(path)); }

void FileDialogs::QueueSave(std::optional<std::string> path) { save_.push_back(std::move(path)); }

std::optional<std::string> FileDialogs::Show(const FileDialogRequest& request) {
    HostFaults::Check(request.save ? "Dialog.SaveFile" : "Dialog.OpenFile");
    FileDialogEntry entry{request, std::nullopt, true};
    auto& queue = request.save ? save_ : open_;
    if (!queue.empty()) {
        entry.answer = std::move(queue.front());
        queue.pop_front();
        entry.defaulted = false;
    }
    if (entry.answer) {
        const std::string extension = ExtensionOf(request.defaultExtension);
        std::filesystem::path chosen(*entry.answer);
        if (!extension.empty() && !chosen.has_extension() && !chosen.filename().empty())
            entry.answer = *entry.answer + "." + extension;
    }
    entries_.push_back(entry);
    PanelScript::Instance().Record(PanelEntry{request.save ? "save-file" : "open-file",
                                              request.filter + " " + request.defaultExtension,
                                              entry.answer ? IDOK_ : IDCANCEL_, entry.defaulted});
    return entry.answer;
}

std::optional<std::string> ShowOpenFileDialog(const std::string& defaultExtension, const std::string& filter,
                                              const std::string& fileName) {
    return FileDialogs::Instance().Show(FileDialogRequest{false, defaultExtension, filter, fileName, false, false});
}

std::optional<std::string> ShowSaveFileDialog(const std::string& defaultExtension, const std::string& filter,
                                              const std::string& fileName, bool overwritePrompt, bool hideReadOnly) {
    return FileDialogs::Instance().Show(
        FileDialogRequest{true, defaultExtension, filter, fileName, overwritePrompt, hideReadOnly});
}

}  // namespace zarvento
