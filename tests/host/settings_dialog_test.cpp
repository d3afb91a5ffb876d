// The settings file at load and on OK, and the settings dialog driven as a
// user drives it: from the panel script, through the menu command.
#include "host/settings_dialog.h"

#include <gtest/gtest.h>

#include "host_test_support.h"
#include "platform/core/host_folder.h"
#include "platform/core/messages.h"
#include "platform/core/text_file.h"
#include "platform/dialogs/panel_script.h"
#include "platform/documents/settings_record.h"

namespace zarvento::test {
namespace {

class SettingsDialogTest : public HostBindingTest {
protected:
    // Answers the next showing of the dialog.
    static void Answer(int button, std::vector<std::pair<std::string, std::string>> fields) {
        PanelAnswer answer;
        answer.result = button;
        answer.fields = std::move(fields);
        PanelScript::Instance().Queue(CDialogSettings::kScriptName, std::move(answer));
    }
    static std::vector<std::string> TextOutputs() { return MessageLog::Instance().Texts(MessageRole::TextOutput); }

    SettingsRecord& record = SettingsRecord::Global();
};

// A dialog that shows what it holds when it opens and then is cancelled.
class OpenedDialog : public CDialogSettings {
public:
    std::string shown;

protected:
    void OnInitDialog() override {
        CDialogSettings::OnInitDialog();
        shown = Dump();
    }
};

TEST_F(SettingsDialogTest, FileRoundTripsByteForByteAndLoadsAtTheFirstNotification) {
    record.storedValue1 = 3;
    record.rapidSpeed = 7.25;
    record.pythonPath = "/usr/bin/python3";
    record.editorPath = "C:\\Программы\\редактор.exe";
    record.xOutputMode = 1;
    ASSERT_TRUE(record.Save(SettingsFilePath()));
    const std::string image = ReadFileBytes(SettingsFilePath()).text;
    ASSERT_EQ(image.size(), SettingsRecord::kFileSize);
    record.SetDefaults();
    LibInterfaceNotifyEntry();
    EXPECT_EQ(record.rapidSpeed, 7.25);
    EXPECT_EQ(record.editorPath, "C:\\Программы\\редактор.exe");
    ASSERT_TRUE(record.Save(folder / "again.cfg"));
    EXPECT_EQ(ReadFileBytes(folder / "again.cfg").text, image);
    EXPECT_EQ(SettingsFilePath(), HostFolderOfKind(3) / "Kestrane.cfg");
}

TEST_F(SettingsDialogTest, ShortForeignOrUnterminatedFilesKeepTheDefaults) {
    SettingsRecord image;
    image.SetDefaults();
    image.rapidSpeed = 9;
    ASSERT_TRUE(image.Save(folder / "full.cfg"));
    const std::string full = ReadFileBytes(folder / "full.cfg").text;
    std::string nan = full;
    nan.replace(8, 8, std::string("\x00\x00\x00\x00\x00\x00\xF8\x7F", 8));
    std::string mode = full;
    mode[2080] = 7;
    for (const std::string& bytes : {full.substr(0, 100), full.substr(0, 2091), full + "x", nan, mode}) {
        SCOPED_TRACE(bytes.size());
        ASSERT_TRUE(WriteFileAtomic(SettingsFilePath(), bytes).ok);
        record.SetDefaults();
        LoadSettings();
        EXPECT_EQ(record.rapidSpeed, 5.0);
        EXPECT_EQ(record.xOutputMode, 0);
    }
    // A path without its zero ends at unit 511.
    std::string unterminated = full;
    for (std::size_t i = 32; i < 32 + 1024; i += 2) unterminated.replace(i, 2, "a\0", 2);
    ASSERT_TRUE(WriteFileAtomic(SettingsFilePath(), unterminated).ok);
    LoadSettings();
    EXPECT_EQ(record.pythonPath, std::string(511, 'a'));
    EXPECT_EQ(record.rapidSpeed, 9.0);
}

TEST_F(SettingsDialogTest, PythonPathDefaultFollowsTheHostVersion) {
    for (auto [major, path] :
         {std::pair{16, "C:\\Python26\\Python.exe"},
          std::pair{23, "C:\\ProgramData\\DEDEV\\REDOZU-3D\\23\\Python 3\\App\\python.exe"}, std::pair{24, ""}}) {
        SetHostVersion({major, 0, 0, 0});
        LoadSettings();
        EXPECT_EQ(record.pythonPath, path) << major;
    }
}

TEST_F(SettingsDialogTest, DialogShowsTheRecordTheTemporaryFolderAndTheFileUsed) {
    record.xOutputMode = 2;
    record.accuracy = 0.005;
    OpenedDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL_);
    EXPECT_NE(dialog.shown.find("700 Способ вывода значения по адресу X: на радиус в +X\n"), std::string::npos)
        << dialog.shown;
    EXPECT_NE(dialog.shown.find("800 Точность аппроксимации сложных кривых отрезками: 0.005\n"), std::string::npos);
    EXPECT_NE(dialog.shown.find("400 Путь к временной папке: " + HostFolderOfKind(2).string() + "\n"),
              std::string::npos);
    EXPECT_NE(dialog.shown.find("500 Путь к файлу настроек: " + SettingsFilePath().string() + "\n"), std::string::npos);
    EXPECT_EQ(dialog.Caption(), "Настройки");
    EXPECT_EQ(dialog.TemplateId(), 1500);
}

TEST_F(SettingsDialogTest, RefusedValuesAreReportedAndTheDialogStays) {
    Connect();
    // Both durations too short: two messages, and the dialog stays open for
    // the next answer, which cancels.
    Answer(IDOK_, {{"spindle", "0.05"}, {"tool-change", "0.05"}});
    Answer(IDCANCEL_, {});
    LIBRARYENTRY(22);
    EXPECT_EQ(TextOutputs(),
              (std::vector<std::string>{"Длительность вкл./выкл. шпинделя должна быть >= 0.1 сек",
                                        "Длительность смены инструментальной позиции должна быть >= 0.1 сек"}));
    EXPECT_EQ(record.spindleTime, 0.25);
    EXPECT_EQ(record.toolChangeTime, 0.25);
    EXPECT_FALSE(std::filesystem::exists(SettingsFilePath()));
    ASSERT_EQ(PanelScript::Instance().Entries().size(), 2u);

    // The least accepted values pass (the tests are strictly below), and OK saves.
    MessageLog::Instance().Clear();
    Answer(IDOK_, {{"accuracy", "0.001"},
                   {"rapid", "0.5"},
                   {"800", "0.001"},
                   {"xoutput", "на радиус в -X"},
                   {"python", "/usr/bin/python3"}});
    LIBRARYENTRY(22);
    EXPECT_TRUE(TextOutputs().empty());
    EXPECT_EQ(record.accuracy, 0.001);
    EXPECT_EQ(record.rapidSpeed, 0.5);
    EXPECT_EQ(record.xOutputMode, 1);
    EXPECT_EQ(record.pythonPath, "/usr/bin/python3");
    SettingsRecord stored;
    ASSERT_TRUE(stored.Load(SettingsFilePath()));
    EXPECT_EQ(stored.rapidSpeed, 0.5);

    // A refusal reloads the file: the saved values come back.
    Answer(IDOK_, {{"accuracy", "0.0005"}, {"rapid", "0.4"}});
    LIBRARYENTRY(22);
    EXPECT_EQ(TextOutputs(), (std::vector<std::string>{"Точность аппроксимации  должна быть >= 0.001",
                                                       "Скорость быстрых перемещений должна быть >= 0.5 м/мин"}));
    EXPECT_EQ(record.accuracy, 0.001);
    EXPECT_EQ(record.rapidSpeed, 0.5);
}

TEST_F(SettingsDialogTest, RefusalWithoutASettingsFileKeepsWhatTheRecordHeld) {
    // The file would restore the record; with none, the refused accuracy must
    // not stay in it either.
    record.accuracy = 0.02;
    Answer(IDOK_, {{"accuracy", "0"}});
    CDialogSettings dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL_);
    EXPECT_EQ(record.accuracy, 0.02);
    // A text that is no number is refused alike.
    Answer(IDOK_, {{"rapid", "быстро"}});
    EXPECT_EQ(dialog.DoModal(), IDCANCEL_);
    EXPECT_EQ(record.rapidSpeed, 5.0);
    EXPECT_NE(std::find(Messages().begin(), Messages().end(), "Введите число."), Messages().end());
}

TEST_F(SettingsDialogTest, CancelLeavesTheRecordAndTheFile) {
    Answer(IDCANCEL_, {{"rapid", "20"}});
    CDialogSettings dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL_);
    EXPECT_EQ(record.rapidSpeed, 5.0);
    EXPECT_FALSE(std::filesystem::exists(SettingsFilePath()));
    // Read-only controls and unknown ones take nothing, and say so.
    Answer(IDCANCEL_, {{"500", "/elsewhere"}, {"colour", "red"}});
    EXPECT_EQ(dialog.DoModal(), IDCANCEL_);
    EXPECT_EQ(MessageLog::Instance().Texts(MessageRole::MessageBox).size(), 2u);
    EXPECT_EQ(dialog.Find(CDialogSettings::kSettingsFile)->text, SettingsFilePath().string());
}

}  // namespace
}  // namespace zarvento::test
