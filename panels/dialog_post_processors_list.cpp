// The dialog of the installed post-processors and the editor it starts.
#include "panels/dialog_post_processors_list.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "panels/property_post_processor.h"
#include "plan/spid.h"
#include "platform/core/messages.h"
#include "platform/core/text_file.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/documents/settings_record.h"
#include "platform/processes/module.h"
#include "platform/processes/process_start.h"

namespace zarvento {

namespace {

constexpr const char* kCaption = "Orbisel";
constexpr const char* kNotStarted = "Не удалось запустить процесс\n";

bool Start(const std::string& program, std::vector<std::string> arguments) {
    ProcessRequest request;
    request.program = program;
    request.arguments = std::move(arguments);
    return StartProcess(request).started;
}

// "$EDITOR" may carry arguments of its own ("emacsclient -n").
bool StartFromEnvironment(const char* variable, const std::string& file) {
    const char* value = std::getenv(variable);
    if (value == nullptr) return false;
    std::istringstream words{std::string(value)};
    std::vector<std::string> command;
    for (std::string word; words >> word;) command.push_back(word);
    if (command.empty()) return false;
    const std::string program = command.front();
    command.erase(command.begin());
    command.push_back(file);
    return Start(program, std::move(command));
}

}  // namespace

bool OpenInEditor(const std::string& file) {
    const std::string stored = SettingsRecord::Global().editorPath;
    if (ResolveProgram(stored, false, {})) {
        if (Start(stored, {file})) return true;
    } else if (StartFromEnvironment("VISUAL", file) || StartFromEnvironment("EDITOR", file)) {
        // The stored editor is a path of another system (notepad on Windows).
        return true;
    }
    HostMessageBox(std::string(kNotStarted) + stored, kCaption, MB_OK_);
    return false;
}

void ShowPostProcessorsDialog() {
    CDialogPostProcessorsList dialog;
    dialog.DoModal();
}

CDialogPostProcessorsList::CDialogPostProcessorsList() : HostDialog(kScriptName, kTemplate) {
    SetTitle("Список постпроцессоров");
    DialogControl& list = AddControl(kList, DialogControlKind::ListView);
    list.SetListStyle(true, true, false);
    list.AddColumn("Постпроцессор", 150);
    list.AddColumn("Размещение", 250);
    list.AddColumn("Примечание", 200);
    AddControl(kEdit, DialogControlKind::Button, "Редактировать...");
    AddControl(kCreate, DialogControlKind::Button, "Создать...");
    AddControl(kDelete, DialogControlKind::Button, "Удалить");
    AddControl(kLoad, DialogControlKind::Button, "Загрузить...");
    AddControl(kProperties, DialogControlKind::Button, "Свойства...");
    AddControl(kClose, DialogControlKind::Button, "Закрыть окно");
}

void CDialogPostProcessorsList::OnInitDialog() { FillList(); }

void CDialogPostProcessorsList::FillList() {
    DialogControl& list = Control(kList);
    list.DeleteAllRows();
    for (int i = 0; i < postProcessors_.Count(); ++i) {
        const CPostProcessor* post = postProcessors_.GetAt(i);
        list.AddRow({post->GetName(), post->GetPath(), {}});
    }
}

CPostProcessor* CDialogPostProcessorsList::Selected() const {
    // Without a mark there is no post-processor to act on (the buttons may
    // still be enabled by an earlier click).
    return postProcessors_.GetAt(Control(kList).SelectionMark());
}

void CDialogPostProcessorsList::OnListItemChanged(int listId, int, bool onRow) {
    if (listId != kList) return;
    for (int id : {kEdit, kDelete, kProperties}) Control(id).SetEnabled(onRow);
}

void CDialogPostProcessorsList::OnCommand(int id, int code) {
    if (code != kButtonClicked) return;
    switch (id) {
        case kEdit:
            if (const CPostProcessor* post = Selected()) OpenInEditor(post->GetPath());
            break;
        case kCreate: {
            const auto module = ModuleDirectory();
            if (module) OpenInEditor((*module / "POSTPROCESSORS" / "sample" / "sample.py3").string());
            break;
        }
        case kDelete: {
            const CPostProcessor* post = Selected();
            if (!post) break;
            if (!AskQuestion(kDeleteQuestion, "Да", "Отмена")) {
                Control(kList).SetFocused(true);
                break;
            }
            std::error_code ec;
            std::filesystem::remove(post->GetPath(), ec);
            postProcessors_.ScanFolder();
            FillList();
            break;
        }
        case kLoad: Load(); break;
        case kProperties:
            if (const CPostProcessor* post = Selected()) {
                CPropertyPostProcessor properties(*post);
                otherDescriptionRead_ = true;
                properties.DoModal();
            }
            break;
        default: break;
    }
}

void CDialogPostProcessorsList::Load() {
    const std::optional<std::string> chosen = ShowOpenFileDialog("py3", "Постпроцессоры (*.py3)|*.py3|");
    if (!chosen || postProcessors_.Folder().empty()) return;
    // The chosen description is installed: copied into the folder under its
    // own name, where the list (and every plan) finds it.
    const std::filesystem::path source(*chosen);
    const std::filesystem::path target =
        std::filesystem::path(postProcessors_.Folder()) / (source.stem().string() + ".py3");
    std::error_code ec;
    if (std::filesystem::equivalent(source, target, ec)) return;
    if (std::filesystem::exists(target, ec) &&
        !AskQuestion("Постпроцессор " + source.stem().string() + " уже установлен. Заменить его?", "Да", "Отмена"))
        return;
    if (!CopyFileAtomic(source, target).ok) {
        HostMessageBox("Не удалось установить постпроцессор\n" + source.string(), kCaption, MB_OK_);
        return;
    }
    postProcessors_.ScanFolder();
    FillList();
}

void CDialogPostProcessorsList::OnCancel() {
    if (otherDescriptionRead_)
        if (CSPID* spid = ExistingSPID())
            if (CPostProcessor* post = spid->GetPostProcessor()) post->ReadPostProcessorDescription();
    EndDialog(kClose);
}

}  // namespace zarvento
