// The post-processor list and properties dialogs: the rows, deleting with its
// question, the properties of the selected one, the editor started without
// waiting (a stand-in editor records what it was given), installing one.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "panel_test_support.h"
#include "panels/dialog_post_processors_list.h"
#include "platform/core/messages.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/documents/settings_record.h"
#include "post/post_processor_settings.h"

namespace zarvento::test {
namespace {

UserSession Steps(const std::string& dialog, const std::vector<std::vector<std::string>>& steps) {
    UserSession session{UserSession::Kind::Dialog, dialog, {}, 0};
    for (const auto& words : steps) {
        UserStep step;
        std::string error;
        EXPECT_TRUE(ParseDialogStep(words, step, error)) << error;
        session.steps.push_back(step);
    }
    return session;
}

class PostProcessorDialogsTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        installed = folder.Path() / "POSTPROCESSORS";
        // A stand-in editor: it writes what it was given beside itself.
        editor = folder.Path() / "editor";
        std::ofstream(editor) << "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.args.tmp\"\nmv \"$0.args.tmp\" \"$0.args\"\n";
        fs::permissions(editor, fs::perms::owner_all);
        SettingsRecord::Global().editorPath = editor.string();
    }

    // Opens the list dialog with the user's steps, and the properties dialog's.
    void Open(const std::vector<std::vector<std::string>>& steps,
              const std::vector<std::vector<std::string>>& properties = {{"close"}}) {
        ScriptedUser::Instance().Queue(Steps("postprocessors", steps));
        ScriptedUser::Instance().Queue(Steps("postprocessor-properties", properties));
        CDialogPostProcessorsList dialog;
        dialog.DoModal();
        rows.clear();
        const DialogControl& list = dialog.Control(CDialogPostProcessorsList::kList);
        for (int r = 0; r < list.RowCount(); ++r) rows.push_back(list.Row(r));
        said = ScriptedUser::Instance().Output();
        ScriptedUser::Instance().Reset();
    }
    // What the stand-in editor was given; bounded, in case it never starts.
    std::string EditorArguments(const fs::path& program) {
        const fs::path args = program.string() + ".args";
        for (int i = 0; i < 1500 && !fs::exists(args); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return ReadTextFile(args, TextEncoding::Utf8).text;
    }
    bool PropertiesShown() const {
        for (const PanelEntry& e : PanelScript::Instance().Entries())
            if (e.panel == "postprocessor-properties") return true;
        return false;
    }

    fs::path installed, editor;
    std::vector<std::vector<std::string>> rows;
    // What the dialogs printed and refused.
    std::vector<std::string> said;
};

TEST_F(PostProcessorDialogsTest, TheListShowsEveryInstalledPostProcessorWithItsFile) {
    Open({{"close"}});
    EXPECT_EQ(rows,
              (std::vector<std::vector<std::string>>{{"ISO_Lathe", (installed / "ISO_Lathe.py3").string(), ""},
                                                     {"ISO_Python", (installed / "ISO_Python.py3").string(), ""}}));
    EXPECT_EQ(PanelScript::Instance().Entries().back().detail, "Список постпроцессоров");
}

TEST_F(PostProcessorDialogsTest, DeleteAsksAndOnlyYesDeletesAndRefills) {
    MessageLog::Instance().QueueAnswer(IDNO_);
    Open({{"select", "100", "1"}, {"click", "103"}, {"close"}});
    EXPECT_TRUE(fs::exists(installed / "ISO_Python.py3"));
    EXPECT_EQ(rows.size(), 2u);
    ASSERT_EQ(MessageLog::Instance().Texts(MessageRole::Question),
              std::vector<std::string>{"Вы действительно хотите удалить постпроцессор?"});
    EXPECT_EQ(MessageLog::Instance().Entries().back().buttons, (std::vector<std::string>{"Да", "Отмена"}));
    MessageLog::Instance().QueueAnswer(IDYES_);
    Open({{"select", "100", "1"}, {"click", "103"}, {"close"}});
    EXPECT_FALSE(fs::exists(installed / "ISO_Python.py3"));
    EXPECT_EQ(rows.size(), 1u);
}

TEST_F(PostProcessorDialogsTest, WithoutASelectionMarkEditDeleteAndPropertiesDoNothing) {
    Open({{"click", "101"}, {"click", "103"}, {"click", "105"}, {"close"}});
    EXPECT_TRUE(MessageLog::Instance().Texts(MessageRole::Question).empty());
    EXPECT_FALSE(PropertiesShown());
    EXPECT_FALSE(fs::exists(editor.string() + ".args"));
    // A click beside the rows disables them.
    Open({{"select", "100", "0"}, {"select", "100", "none"}, {"click", "105"}, {"close"}});
    EXPECT_FALSE(PropertiesShown());
    EXPECT_EQ(said, std::vector<std::string>{"dialog postprocessors, line 0: the control 105 is disabled"});
}

TEST_F(PostProcessorDialogsTest, PropertiesListEveryCycleAndThePlanKeepsItsOwnTemplates) {
    MakePart();
    Run("panel lsc\n pick ЛСК-1\n set \"Система ЧПУ (постпроцессор)\" ISO_Python\n ok\nend\ncoordinate-system\n");
    ASSERT_TRUE(PostProcessorSettings::Current().UsePython);
    Open({{"select", "100", "0"}, {"click", "105"}, {"close"}}, {{"dump"}, {"close"}});
    // The plan's program is written by its own description again, not by the
    // one the properties read.
    EXPECT_TRUE(PostProcessorSettings::Current().UsePython);
    ASSERT_EQ(said.size(), 1u);
    const std::string& shown = said[0];
    EXPECT_NE(shown.find("dialog [postprocessor-properties] 1121 \"Свойства постпроцессора ISO_Lathe\""),
              std::string::npos);
    EXPECT_NE(shown.find("10: label \"Поддерживаемые циклы\""), std::string::npos);
    EXPECT_NE(shown.find("columns \"Код\" 60 \"Название цикла\" 255"), std::string::npos);
    // Every cycle of the description, code and name, in its order.
    CPostProcessor lathe("ISO_Lathe", (installed / "ISO_Lathe.py3").string());
    ASSERT_TRUE(lathe.ReadPostProcessorDescription());
    ASSERT_GT(lathe.GetCycles().size(), 2u);
    std::string rows;
    for (const auto& cycle : lathe.GetCycles())
        rows += "    | \"" + cycle->GetGCode() + "\" \"" + cycle->GetName() + "\"\n";
    EXPECT_NE(shown.find(rows), std::string::npos) << shown;
}

TEST_F(PostProcessorDialogsTest, EditAndCreateStartTheEditorWithoutWaiting) {
    Open({{"select", "100", "0"}, {"click", "101"}, {"close"}});
    EXPECT_EQ(EditorArguments(editor), (installed / "ISO_Lathe.py3").string());
    fs::remove(editor.string() + ".args");
    Open({{"press", "Создать..."}, {"close"}});
    EXPECT_EQ(EditorArguments(editor), (installed / "sample" / "sample.py3").string());
}

TEST_F(PostProcessorDialogsTest, AStoredWindowsEditorFallsBackToVisualThenEditor) {
    SettingsRecord::Global().editorPath = "C:\\Windows\\notepad.exe";
    const fs::path visual = folder.Path() / "visual";
    fs::copy_file(editor, visual);
    {
        ScopedEnvironment noVisual("VISUAL", std::nullopt);
        ScopedEnvironment withEditor("EDITOR", editor.string());
        EXPECT_TRUE(OpenInEditor("/a/b.py3"));
        EXPECT_EQ(EditorArguments(editor), "/a/b.py3");
    }
    {
        ScopedEnvironment withVisual("VISUAL", visual.string());
        ScopedEnvironment withEditor("EDITOR", "/no/such/editor");
        EXPECT_TRUE(OpenInEditor("/a/c.py3"));
        EXPECT_EQ(EditorArguments(visual), "/a/c.py3");
    }
    MessageLog::Instance().Clear();
    ScopedEnvironment noVisual("VISUAL", std::nullopt);
    ScopedEnvironment noEditor("EDITOR", std::nullopt);
    Open({{"select", "100", "0"}, {"click", "101"}, {"close"}});
    ASSERT_EQ(MessageLog::Instance().Entries().size(), 1u);
    EXPECT_EQ(MessageLog::Instance().Entries()[0].text, "Не удалось запустить процесс\nC:\\Windows\\notepad.exe");
    EXPECT_EQ(MessageLog::Instance().Entries()[0].caption, "Orbisel");
}

TEST_F(PostProcessorDialogsTest, LoadInstallsTheChosenDescriptionAndAsksBeforeReplacing) {
    const fs::path elsewhere = folder.Path() / "mine";
    fs::create_directories(elsewhere);
    fs::copy_file(installed / "ISO_Lathe.py3", elsewhere / "Fanuc.py3");
    FileDialogs::Instance().QueueOpen((elsewhere / "Fanuc.py3").string());
    Open({{"click", "104"}, {"close"}});
    EXPECT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "Fanuc");
    EXPECT_EQ(FileDialogs::Instance().Entries().back().request.filter, "Постпроцессоры (*.py3)|*.py3|");
    EXPECT_EQ(FileDialogs::Instance().Entries().back().request.defaultExtension, "py3");
    // The same name again: replaced only when the user says so.
    std::ofstream(elsewhere / "Fanuc.py3") << "# VERSION 18\n";
    FileDialogs::Instance().QueueOpen((elsewhere / "Fanuc.py3").string());
    MessageLog::Instance().QueueAnswer(IDNO_);
    Open({{"click", "104"}, {"close"}});
    EXPECT_NE(ReadTextFile(installed / "Fanuc.py3", TextEncoding::Utf8).text, "# VERSION 18\n");
    FileDialogs::Instance().QueueOpen((elsewhere / "Fanuc.py3").string());
    MessageLog::Instance().QueueAnswer(IDYES_);
    Open({{"click", "104"}, {"close"}});
    EXPECT_EQ(ReadTextFile(installed / "Fanuc.py3", TextEncoding::Utf8).text, "# VERSION 18\n");
}

TEST_F(PostProcessorDialogsTest, ThePlanCommandOpensTheDialogFromAScript) {
    MakePart();
    Run("panel lsc\n pick ЛСК-1\n ok\nend\ncoordinate-system\n"
        "answer spid ok L=90 D=45\nplan-data\n"
        "dialog postprocessors\n select 100 0\n click 101\n close\nend\npostprocessors\n");
    EXPECT_EQ(script.CommandsFailed(), 0);
    EXPECT_EQ(EditorArguments(editor), (installed / "ISO_Lathe.py3").string());
    EXPECT_EQ(PanelScript::Instance().Entries().back().panel, "postprocessors");
    EXPECT_FALSE(PanelScript::Instance().Entries().back().defaulted);
}

}  // namespace
}  // namespace zarvento::test
