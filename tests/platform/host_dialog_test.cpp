// Contract tests of the headless host's dialog model and file dialogs: the
// controls, the user's actions and the notifications they send, validation
// that keeps a dialog open, the modal run, and the file dialogs' answers.
#include <gtest/gtest.h>

#include "platform/dialogs/file_dialogs.h"
#include "platform/dialogs/host_dialog.h"
#include "platform/dialogs/panel_script.h"
#include "platform/dialogs/scripted_user.h"
#include "test_support.h"

namespace zarvento::test {
namespace {

// A dialog with one of each control that writes down what it is told and
// accepts OK only with a text in its edit.
class ProbeDialog : public HostDialog {
public:
    ProbeDialog() : HostDialog("probe", 701) {
        SetTitle("Probe");
        DialogControl& list = AddControl(100, DialogControlKind::ListView);
        list.SetListStyle(true, true, true);
        list.AddColumn("Имя", 70);
        list.AddColumn("Выражение", 100);
        list.AddRow({"A", "1"});
        list.AddRow({"B", "2"});
        AddControl(200, DialogControlKind::Edit);
        DialogControl& combo = AddControl(300, DialogControlKind::ComboBox);
        combo.AddItem("мм");
        combo.AddItem("дюймы");
        AddControl(400, DialogControlKind::CheckBox, "Показать");
        DialogControl& tabs = AddControl(500, DialogControlKind::TabControl);
        tabs.AddPage("Общие");
        tabs.AddPage("Формулы");
        tabs.SetCurrentPage(0);
        AddControl(1, DialogControlKind::Button, "ОК");
        AddControl(2, DialogControlKind::Button, "Отмена");
        AddControl(7, DialogControlKind::Button, "Пересчитать");
    }
    void OnOK() override {
        log.push_back("ok");
        if (!Control(200).Text().empty()) EndDialog(1);
    }
    void OnCommand(int id, int code) override {
        log.push_back("command " + std::to_string(id) + " " + std::to_string(code));
    }
    void OnListItemChanged(int list, int row, bool onRow) override {
        log.push_back("item " + std::to_string(list) + " " + std::to_string(row) + (onRow ? " on" : " off"));
    }
    void OnListDoubleClick(int list, int row) override {
        log.push_back("double " + std::to_string(list) + " " + std::to_string(row));
    }
    bool OnBeginLabelEdit(int, int, int column) override { return column == 1; }
    bool OnEndLabelEdit(int, int, int, const std::string& text) override { return text != "bad"; }
    void OnTabChanged(int id, int page) override {
        log.push_back("page " + std::to_string(id) + " " + std::to_string(page));
    }

    std::vector<std::string> log;
};

using DialogModelTest = CleanStateTest;

TEST_F(DialogModelTest, UserActionsSendTheNotificationsOfTheirControls) {
    ProbeDialog d;
    EXPECT_TRUE(d.UserSelectRow(100, 1).done);
    EXPECT_TRUE(d.UserSelectRow(100, 0).done);
    EXPECT_TRUE(d.UserSelectRow(100, -1).done);
    EXPECT_EQ(d.Control(100).SelectedRow(), -1);
    EXPECT_EQ(d.Control(100).SelectionMark(), 0) << "the mark stays after a click beside the rows";
    EXPECT_TRUE(d.UserDoubleClick(100, 1).done);
    EXPECT_TRUE(d.UserCheckRow(100, 1, true).done);
    EXPECT_TRUE(d.Control(100).RowChecked(1));
    EXPECT_TRUE(d.UserSetValue(200, "TOOL.r*2").done);
    EXPECT_TRUE(d.UserSetValue(300, "дюймы").done);
    EXPECT_FALSE(d.UserSetValue(300, "см").done);
    EXPECT_TRUE(d.UserSetValue(400, "on").done);
    EXPECT_TRUE(d.UserOpenPage(500, 1).done);
    EXPECT_FALSE(d.UserOpenPage(500, 2).done);
    EXPECT_TRUE(d.UserClick(7).done);
    EXPECT_EQ(d.log, (std::vector<std::string>{"item 100 1 on", "item 100 1 on", "item 100 0 on", "item 100 0 off",
                                               "item 100 1 on", "double 100 1", "item 100 1 on", "command 200 256",
                                               "command 200 768", "command 200 512", "command 300 1", "command 400 0",
                                               "page 500 1", "command 7 0"}));
    EXPECT_EQ(d.Control(200).Text(), "TOOL.r*2");
    EXPECT_EQ(d.Control(300).CurrentItem(), 1);
    EXPECT_TRUE(d.Control(400).Checked());
}

TEST_F(DialogModelTest, InPlaceEditsAndDisabledControlsCanBeRefused) {
    ProbeDialog d;
    EXPECT_FALSE(d.UserEditCell(100, 0, 0, "x").done) << "the name column does not begin an edit";
    EXPECT_FALSE(d.UserEditCell(100, 0, 1, "bad").done);
    EXPECT_EQ(d.Control(100).Cell(0, 1), "1");
    EXPECT_TRUE(d.UserEditCell(100, 0, 1, "3").done);
    EXPECT_EQ(d.Control(100).Cell(0, 1), "3");
    d.Control(7).SetEnabled(false);
    EXPECT_FALSE(d.UserClick(7).done);
    d.Control(200).SetReadOnly(true);
    EXPECT_FALSE(d.UserSetValue(200, "x").done);
    EXPECT_FALSE(d.UserClick(99).done);
}

UserStep Step(const std::vector<std::string>& words) {
    UserStep step;
    std::string error;
    EXPECT_TRUE(ParseDialogStep(words, step, error)) << error;
    return step;
}

TEST_F(DialogModelTest, ValidationKeepsTheDialogOpenUntilTheUserGivesWhatItNeeds) {
    ProbeDialog d;
    ScriptedUser::Instance().Queue(
        UserSession{UserSession::Kind::Dialog,
                    "probe",
                    {Step({"ok"}), Step({"set", "200", "x"}), Step({"ok"}), Step({"cancel"})},
                    1});
    EXPECT_EQ(d.DoModal(), 1);
    EXPECT_EQ(d.log.front(), "ok");
    EXPECT_FALSE(d.Running());
    // Unscripted, a dialog is closed as with its close box, and says so.
    ProbeDialog again;
    EXPECT_EQ(again.DoModal(), 2);
    EXPECT_TRUE(PanelScript::Instance().Entries().back().defaulted);
    EXPECT_EQ(PanelScript::Instance().Entries().back().detail, "Probe");
}

TEST_F(DialogModelTest, FileDialogsAnswerInOrderAndAddTheDefaultExtension) {
    FileDialogs& dialogs = FileDialogs::Instance();
    dialogs.QueueSave("/tmp/program");
    dialogs.QueueSave("/tmp/program.txt");
    dialogs.QueueSave(std::nullopt);
    dialogs.QueueOpen("/tmp/a.py3");
    EXPECT_EQ(ShowSaveFileDialog("*.nc", "*.nc|*.nc|", "Val"), "/tmp/program.nc");
    EXPECT_EQ(ShowSaveFileDialog("*.nc", "*.nc|*.nc|"), "/tmp/program.txt");
    EXPECT_EQ(ShowSaveFileDialog("*.nc", "*.nc|*.nc|"), std::nullopt);
    EXPECT_EQ(ShowOpenFileDialog("py3", "Постпроцессоры (*.py3)|*.py3|"), "/tmp/a.py3");
    EXPECT_EQ(ShowOpenFileDialog("py3", "x"), std::nullopt);
    const auto& entries = dialogs.Entries();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].request.fileName, "Val");
    EXPECT_TRUE(entries[0].request.overwritePrompt);
    EXPECT_TRUE(entries[0].request.hideReadOnly);
    EXPECT_FALSE(entries[2].defaulted);
    EXPECT_TRUE(entries[4].defaulted);
}

}  // namespace
}  // namespace zarvento::test
