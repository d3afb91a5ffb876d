// CDialogSettings: the settings dialog (template 1500, "Настройки") over the
// global settings record. The rapid-move speed, the two durations and the
// curve accuracy are edits of numbers, the interpreter and editor paths edits
// of text, the X output mode a drop-down; the temporary folder and the
// settings file are shown read-only. OK checks the numbers and saves the file;
// a number out of its range is reported and the dialog stays open.
#pragma once

#include "plan/plan_panels.h"
#include "platform/dialogs/dialog_model.h"

namespace zarvento {

class CDialogSettings : public DialogModel {
public:
    // Control ids of the template.
    enum : int {
        kRapidSpeed = 100,
        kSpindleTime = 101,
        kToolChangeTime = 102,
        kPythonPath = 200,
        kPythonBrowse = 201,
        kEditorPath = 300,
        kEditorBrowse = 301,
        kTemporaryFolder = 400,
        kSettingsFile = 500,
        kXOutputMode = 700,
        kAccuracy = 800,
    };
    // The panel name a script answers the dialog under.
    static constexpr const char* kScriptName = "settings";

    CDialogSettings();

protected:
    void OnInitDialog() override;
    void OnButton(int id) override;

private:
    // The numbers of the edits into the record; false (after a message each)
    // for a text that is no number, which then leaves its field as it was.
    bool ExchangeNumbers();
    void OnOK();
};

// The dialog as the plan's settings action runs it.
SettingsDialogRunner& SettingsDialogRunnerInstance();

}  // namespace zarvento
