// The settings dialog's controls, its validation and the settings file.
#include "host/settings_dialog.h"

#include "host/library_binding.h"
#include "platform/core/host_folder.h"
#include "platform/core/messages.h"
#include "platform/core/variant.h"
#include "platform/documents/settings_record.h"

namespace zarvento {

namespace {

constexpr const char* kXOutputModes[] = {"на диаметр", "на радиус в -X", "на радиус в +X"};

class SettingsDialogRunnerImpl : public SettingsDialogRunner {
public:
    int RunSettingsDialog() override {
        CDialogSettings dialog;
        return dialog.DoModal();
    }
};

}  // namespace

CDialogSettings::CDialogSettings() : DialogModel(1500, "Настройки", kScriptName) {
    AddControl(kRapidSpeed, ControlKind::Edit, "Скорость быстрых перемещений. м/мин", "rapid");
    AddControl(kSpindleTime, ControlKind::Edit, "Длительность включения/выключения шпинделя, сек", "spindle");
    AddControl(kToolChangeTime, ControlKind::Edit, "Длительность смены одной инструментальной позиции, сек",
               "tool-change");
    AddControl(kPythonPath, ControlKind::Edit, "Путь к интерпретатору Python", "python").maxChars =
        SettingsRecord::kPathChars;
    AddControl(kPythonBrowse, ControlKind::Button, "...");
    AddControl(kEditorPath, ControlKind::Edit, "Путь к редактору постпроцессора", "editor").maxChars =
        SettingsRecord::kPathChars;
    AddControl(kEditorBrowse, ControlKind::Button, "...");
    AddControl(kTemporaryFolder, ControlKind::ReadOnlyEdit, "Путь к временной папке");
    AddControl(kSettingsFile, ControlKind::ReadOnlyEdit, "Путь к файлу настроек");
    AddControl(kXOutputMode, ControlKind::DropDownList, "Способ вывода значения по адресу X", "xoutput");
    AddControl(kAccuracy, ControlKind::Edit, "Точность аппроксимации сложных кривых отрезками", "accuracy");
    AddControl(1, ControlKind::Button, "OK");
    AddControl(2, ControlKind::Button, "Отмена");
}

void CDialogSettings::OnInitDialog() {
    const SettingsRecord& r = SettingsRecord::Global();
    SetText(kRapidSpeed, FormatDouble(r.rapidSpeed));
    SetText(kSpindleTime, FormatDouble(r.spindleTime));
    SetText(kToolChangeTime, FormatDouble(r.toolChangeTime));
    SetText(kAccuracy, FormatDouble(r.accuracy));
    SetText(kPythonPath, r.pythonPath);
    SetText(kEditorPath, r.editorPath);
    SetText(kTemporaryFolder, HostFolderOfKind(2).string());
    // The file the settings are read from and saved to.
    SetText(kSettingsFile, SettingsFilePath().string());
    SetItems(kXOutputMode, {std::begin(kXOutputModes), std::end(kXOutputModes)});
    Select(kXOutputMode, r.xOutputMode);
}

void CDialogSettings::OnButton(int id) {
    if (id == IDOK_) return OnOK();
    DialogModel::OnButton(id);
}

bool CDialogSettings::ExchangeNumbers() {
    SettingsRecord& r = SettingsRecord::Global();
    bool ok = true;
    for (auto [id, field] : {std::pair{kRapidSpeed, &r.rapidSpeed}, std::pair{kSpindleTime, &r.spindleTime},
                             std::pair{kToolChangeTime, &r.toolChangeTime}, std::pair{kAccuracy, &r.accuracy}}) {
        double value = 0;
        if (ParseDouble(Text(id), value)) {
            *field = value;
        } else {
            ShowPlainMessageBox("Введите число.", Caption());
            ok = false;
        }
    }
    if (Selected(kXOutputMode) >= 0) r.xOutputMode = Selected(kXOutputMode);
    return ok;
}

void CDialogSettings::OnOK() {
    SettingsRecord& r = SettingsRecord::Global();
    // What the record held before the controls went into it, for a file that
    // cannot be read back.
    const SettingsRecord before = r;
    if (!ExchangeNumbers()) {
        r = before;
        return;
    }
    bool valid = true;
    if (r.accuracy < 0.001) {
        HostTextOutput("Точность аппроксимации  должна быть >= 0.001");
        valid = false;
    }
    if (r.rapidSpeed < 0.5) {
        HostTextOutput("Скорость быстрых перемещений должна быть >= 0.5 м/мин");
        valid = false;
    }
    if (r.spindleTime < 0.1) {
        HostTextOutput("Длительность вкл./выкл. шпинделя должна быть >= 0.1 сек");
        valid = false;
    }
    if (r.toolChangeTime < 0.1) {
        HostTextOutput("Длительность смены инструментальной позиции должна быть >= 0.1 сек");
        valid = false;
    }
    if (!valid) {
        // The edits stay as typed; the record goes back to the file. Without a
        // file to read, it goes back to what it was, never keeping a value
        // just refused.
        if (!r.Load(SettingsFilePath())) r = before;
        return;
    }
    r.pythonPath = Text(kPythonPath);
    r.editorPath = Text(kEditorPath);
    r.Save(SettingsFilePath());
    EndDialog(IDOK_);
}

SettingsDialogRunner& SettingsDialogRunnerInstance() {
    static SettingsDialogRunnerImpl runner;
    return runner;
}

}  // namespace zarvento
